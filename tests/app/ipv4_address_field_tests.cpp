#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>

#include "app/widgets/Ipv4AddressField.h"

namespace trx {
namespace {

// A small form: an edit before the field, the field, an edit after it, in an active window so
// that focus moves really happen.
class Ipv4AddressFieldTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(m_window.get());
        m_before = new QLineEdit(m_window.get());
        m_field = new Ipv4AddressField(m_window.get());
        m_after = new QLineEdit(m_window.get());
        layout->addWidget(m_before);
        layout->addWidget(m_field);
        layout->addWidget(m_after);
        m_window->show();
        m_window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    }

    QLineEdit* octet(int index) const { return m_field->octetEdit(index); }

    void focusOctet(int index) {
        octet(index)->setFocus(Qt::MouseFocusReason);
        ASSERT_TRUE(QTest::qWaitFor([&] { return octet(index)->hasFocus(); }));
    }

    // Types as a keyboard does: each key goes to whichever widget has the focus by then.
    static void type(const char* keys) {
        for (const char* key = keys; *key != '\0'; ++key) {
            QTest::keyClick(QApplication::focusWidget(), *key);
        }
    }

    QStringList octetTexts() const {
        QStringList texts;
        for (int i = 0; i < 4; ++i) {
            texts << octet(i)->text();
        }
        return texts;
    }

    std::unique_ptr<QWidget> m_window;
    QLineEdit* m_before = nullptr;
    Ipv4AddressField* m_field = nullptr;
    QLineEdit* m_after = nullptr;
};

TEST_F(Ipv4AddressFieldTest, BlankZeroAndClearAreDistinct) {
    EXPECT_TRUE(m_field->isBlank());
    EXPECT_EQ(m_field->address(), 0U);

    m_field->setAddress(0);
    EXPECT_FALSE(m_field->isBlank());
    EXPECT_EQ(octetTexts(), QStringList({QStringLiteral("0"), QStringLiteral("0"),
                                         QStringLiteral("0"), QStringLiteral("0")}));

    m_field->setAddress(makeAddress(192, 168, 0, 130));
    EXPECT_EQ(m_field->address(), makeAddress(192, 168, 0, 130));
    m_field->clear();
    EXPECT_TRUE(m_field->isBlank());
    EXPECT_EQ(m_field->address(), 0U);
}

TEST_F(Ipv4AddressFieldTest, BlankOctetsOfAPartlyFilledFieldReadAsZero) {
    focusOctet(0);
    type("192.168.1");
    EXPECT_TRUE(octet(3)->text().isEmpty());
    EXPECT_FALSE(m_field->isBlank());
    EXPECT_EQ(m_field->address(), makeAddress(192, 168, 1, 0));
}

TEST_F(Ipv4AddressFieldTest, SettingAndClearingDoNotNotify) {
    QSignalSpy changed(m_field, &Ipv4AddressField::fieldChanged);
    m_field->setAddress(makeAddress(10, 0, 0, 1));
    m_field->clear();
    m_field->setAddress(0);
    EXPECT_EQ(changed.count(), 0);
}

TEST_F(Ipv4AddressFieldTest, TypingADottedAddressFillsEveryOctetAndNotifiesEach) {
    QSignalSpy changed(m_field, &Ipv4AddressField::fieldChanged);
    focusOctet(0);
    type("192.168.0.130");
    EXPECT_EQ(m_field->address(), makeAddress(192, 168, 0, 130));
    EXPECT_TRUE(octet(3)->hasFocus());
    QSet<int> notified;
    for (const QList<QVariant>& args : changed) {
        notified.insert(args.at(0).toInt());
    }
    EXPECT_EQ(notified, QSet<int>({0, 1, 2, 3}));
}

TEST_F(Ipv4AddressFieldTest, ThirdDigitMovesOnAndSelectsTheNextOctet) {
    m_field->setAddress(makeAddress(1, 2, 3, 4));
    focusOctet(0);
    octet(0)->clear();
    QTest::keyClicks(octet(0), QStringLiteral("123"));
    ASSERT_TRUE(octet(1)->hasFocus());
    // The next octet's old text is selected, so typing replaces it.
    QTest::keyClicks(octet(1), QStringLiteral("45"));
    EXPECT_EQ(m_field->address(), makeAddress(123, 45, 3, 4));
}

TEST_F(Ipv4AddressFieldTest, DotInAnEmptyOctetDoesNotSkipIt) {
    focusOctet(0);
    QTest::keyClick(octet(0), Qt::Key_Period);
    EXPECT_TRUE(octet(0)->hasFocus());
    type("7..");
    EXPECT_TRUE(octet(1)->hasFocus());
}

TEST_F(Ipv4AddressFieldTest, OnlyDigitsAreTaken) {
    focusOctet(0);
    QTest::keyClicks(octet(0), QStringLiteral("a1-b2"));
    EXPECT_EQ(octet(0)->text(), QStringLiteral("12"));
}

TEST_F(Ipv4AddressFieldTest, BackspaceCrossesIntoThePreviousOctetAtItsEnd) {
    focusOctet(0);
    type("10.2");
    ASSERT_TRUE(octet(1)->hasFocus());
    QTest::keyClick(octet(1), Qt::Key_Backspace);
    EXPECT_TRUE(octet(1)->text().isEmpty());
    EXPECT_TRUE(octet(1)->hasFocus());
    QTest::keyClick(octet(1), Qt::Key_Backspace);
    ASSERT_TRUE(octet(0)->hasFocus());
    EXPECT_EQ(octet(0)->cursorPosition(), 2);
    QTest::keyClick(octet(0), Qt::Key_Backspace);
    EXPECT_EQ(octet(0)->text(), QStringLiteral("1"));
}

TEST_F(Ipv4AddressFieldTest, ArrowsCrossOctetsAtTheirEdges) {
    m_field->setAddress(makeAddress(1, 2, 3, 4));
    focusOctet(1);
    octet(1)->end(false);
    QTest::keyClick(octet(1), Qt::Key_Right);
    ASSERT_TRUE(octet(2)->hasFocus());
    EXPECT_EQ(octet(2)->cursorPosition(), 0);
    QTest::keyClick(octet(2), Qt::Key_Left);
    ASSERT_TRUE(octet(1)->hasFocus());
    EXPECT_EQ(octet(1)->cursorPosition(), 1);
    QTest::keyClick(octet(1), Qt::Key_Right);
    QTest::keyClick(octet(2), Qt::Key_Right);
    EXPECT_TRUE(octet(2)->hasFocus());  // inside the octet the cursor moves first
    QTest::keyClick(octet(2), Qt::Key_Right);
    EXPECT_TRUE(octet(3)->hasFocus());
}

TEST_F(Ipv4AddressFieldTest, MovingBetweenOctetsNotifiesTheOctetLeft) {
    m_field->setAddress(makeAddress(1, 2, 3, 4));
    focusOctet(0);
    QSignalSpy changed(m_field, &Ipv4AddressField::fieldChanged);
    QTest::mouseClick(octet(2), Qt::LeftButton);
    ASSERT_TRUE(octet(2)->hasFocus());
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toInt(), 0);

    // Leaving the field altogether is no move between octets.
    m_after->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(m_after->hasFocus());
    focusOctet(1);
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(Ipv4AddressFieldTest, TabLeavesTheFieldFromAnyOctetAndBacktabReturnsBeforeIt) {
    m_before->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(m_before, Qt::Key_Tab);
    ASSERT_TRUE(octet(0)->hasFocus());
    QTest::keyClick(octet(0), Qt::Key_Tab);
    EXPECT_TRUE(m_after->hasFocus());

    for (int index : {1, 3}) {
        focusOctet(index);
        QTest::keyClick(octet(index), Qt::Key_Tab);
        EXPECT_TRUE(m_after->hasFocus()) << "Tab from octet " << index + 1;
        focusOctet(index);
        QTest::keyClick(octet(index), Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_TRUE(m_before->hasFocus()) << "Shift+Tab from octet " << index + 1;
    }
}

TEST_F(Ipv4AddressFieldTest, FieldNameReachesEveryOctet) {
    m_field->setFieldName(QStringLiteral("C03 IP ADDRESS"));
    EXPECT_EQ(m_field->accessibleName(), QStringLiteral("C03 IP ADDRESS"));
    EXPECT_EQ(octet(3)->accessibleName(), QStringLiteral("C03 IP ADDRESS octet 4"));
}

struct OctetEntry {
    const char* typed;
    const char* shown;
    int corrected;  // the value reported as corrected, or -1 for none
};

class Ipv4OctetRangeTest : public Ipv4AddressFieldTest,
                           public ::testing::WithParamInterface<OctetEntry> {};

TEST_P(Ipv4OctetRangeTest, OctetsAbove255AreCorrectedAndTheUserIsTold) {
    const OctetEntry entry = GetParam();
    QSignalSpy corrected(m_field, &Ipv4AddressField::octetCorrected);
    QSignalSpy changed(m_field, &Ipv4AddressField::fieldChanged);
    QToolTip::hideText();
    focusOctet(1);
    QTest::keyClicks(octet(1), QLatin1String(entry.typed));
    EXPECT_EQ(octet(1)->text(), QLatin1String(entry.shown));
    EXPECT_FALSE(changed.isEmpty());
    if (entry.corrected < 0) {
        EXPECT_TRUE(corrected.isEmpty());
        return;
    }
    ASSERT_EQ(corrected.count(), 1);
    EXPECT_EQ(corrected.at(0).at(0).toInt(), 1);
    EXPECT_EQ(corrected.at(0).at(1).toInt(), entry.corrected);
    EXPECT_EQ(QToolTip::text(),
              QStringLiteral("%1 is not a valid entry. Please specify a value between 0 and 255.")
                  .arg(entry.corrected));
    // The corrected octet keeps the focus so the user can retype it.
    EXPECT_TRUE(octet(1)->hasFocus());
    EXPECT_EQ(m_field->address(), makeAddress(0, 255, 0, 0));
}

INSTANTIATE_TEST_SUITE_P(Octets, Ipv4OctetRangeTest,
                         ::testing::Values(OctetEntry{"256", "255", 256},
                                           OctetEntry{"999", "255", 999},
                                           OctetEntry{"300", "255", 300},
                                           OctetEntry{"255", "255", -1}, OctetEntry{"0", "0", -1}));

}  // namespace
}  // namespace trx
