#include <QtTest>
#include <QtWidgets>

#include <gtest/gtest.h>

#include "pagebase/widgets/FormExchange.h"
#include "pagebase/widgets/Ipv4AddressField.h"
#include "records/TargetSelection.h"
#include "support/FakeMessageBoxes.h"

namespace trx {
namespace {

using namespace Qt::StringLiterals;
using Dir = FormExchange::Direction;

// An active window holding an edit, the address field and another edit, in that Tab order, so
// that focus moves really happen.
class WidgetsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&m_window);
        layout->addWidget(m_before = new QLineEdit(&m_window));
        layout->addWidget(m_field = new Ipv4AddressField(&m_window));
        layout->addWidget(m_after = new QLineEdit(&m_window));
        m_window.show();
        m_window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_window));
    }

    QLineEdit* octet(int index) const { return m_field->octetEdit(index); }
    // The four octets as shown, "=" the address read back, and whether the field is blank.
    QString state() const {
        const QStringList shown{octet(0)->text(), octet(1)->text(), octet(2)->text(),
                                octet(3)->text()};
        return shown.join(u'.') + u'=' + QString::fromStdString(addressText(m_field->address())) +
               (m_field->isBlank() ? u" blank"_s : QString());
    }
    // Types as a keyboard does, each key to whichever widget has the focus by then; "<" and ">"
    // are the arrow keys, "~" is Shift+Tab.
    static void type(std::string_view keys) {
        for (const char key : keys) {
            const auto named = std::string_view("<>~").find(key);
            QWidget* to = QApplication::focusWidget();
            if (named == std::string_view::npos) {
                QTest::keyClick(to, key);
            } else {
                QTest::keyClick(to, std::array{Qt::Key_Left, Qt::Key_Right, Qt::Key_Backtab}[named],
                                named == 2 ? Qt::ShiftModifier : Qt::NoModifier);
            }
        }
    }

    QWidget m_window;
    QLineEdit* m_before = nullptr;
    Ipv4AddressField* m_field = nullptr;
    QLineEdit* m_after = nullptr;
    test::FakeMessageBoxes m_messages;
};

TEST_F(WidgetsTest, AddressSetClearAndKeyboardUse) {
    // From a field set to the address (blank when none), keys typed from the end of the first
    // octet; afterwards the field's state, the focus (octets 0 to 3, 4 the edit before the
    // field, 5 the edit after it), the octets that notified (repeats dropped) and the
    // corrections (octet:typed value). Setting and clearing notify nothing.
    const std::tuple<const char*, const char*, const char*> rows[] = {
        {"0.0.0.0", "", "0.0.0.0=0.0.0.0 @0 n"},
        {nullptr, "", "...=0.0.0.0 blank @0 n"},
        {nullptr, "192.168.0.130", "192.168.0.130=192.168.0.130 @3 n0123"},
        {nullptr, ".7..", "7...=7.0.0.0 @1 n0"},  // "." in an empty octet does not skip it
        {nullptr, "a1-b2", "12...=12.0.0.0 @0 n0"},
        {nullptr, "10.2\b\b\b", "1...=1.0.0.0 @0 n010"},  // Backspace goes back to the octet's end
        // A third digit moves on and selects the next octet, so typing replaces it.
        {"1.2.3.4", "\b12345", "123.45.3.4=123.45.3.4 @1 n01"},
        {"1.11.3.4", "><>>9", "1.191.3.4=1.191.3.4 @1 n0101"},  // arrows cross at the edges
        // The field is one Tab stop, left forwards or backwards from any octet.
        {nullptr, "~\t\t", "...=0.0.0.0 blank @5 n"},
        {nullptr, "1.2.3\t", "1.2.3.=1.2.3.0 @5 n012"},
        {nullptr, "1.2.3.4~", "1.2.3.4=1.2.3.4 @4 n0123"},
        {nullptr, "1.255", "1.255..=1.255.0.0 @2 n01"},
        {nullptr, "1.256", "1.255..=1.255.0.0 @1 n01 c1:256"},
        {nullptr, "1.999", "1.255..=1.255.0.0 @1 n01 c1:999"}};
    for (const auto& [preset, keys, expected] : rows) {
        SCOPED_TRACE(keys);
        octet(0)->setFocus(Qt::MouseFocusReason);
        QSignalSpy changed(m_field, &Ipv4AddressField::fieldChanged);
        QSignalSpy corrected(m_field, &Ipv4AddressField::octetCorrected);
        m_field->clear();
        if (preset != nullptr) {
            m_field->setAddress(parseAddress(preset).value());
        }
        type(keys);
        const QList<QWidget*> stops{octet(0), octet(1), octet(2), octet(3), m_before, m_after};
        QString seen = u"%1 @%2 n"_s.arg(state()).arg(stops.indexOf(QApplication::focusWidget()));
        for (const QList<QVariant>& args : changed) {
            seen += seen.endsWith(args.at(0).toString()) ? QString() : args.at(0).toString();
        }
        for (const QList<QVariant>& args : corrected) {
            seen += u" c%1:%2"_s.arg(args.at(0).toInt()).arg(args.at(1).toInt());
        }
        EXPECT_EQ(seen, QLatin1String(expected));
    }
    EXPECT_EQ(QToolTip::text(),
              u"999 is not a valid entry. Please specify a value between 0 and 255."_s);
}

TEST_F(WidgetsTest, SaveTakesEachFieldOrStopsAtTheFirstBadOneWithTheStandardText) {
    // Entries for a field between two others, and the message each of them shows; none when
    // it is taken.
    const std::pair<QStringList, QString> rows[] = {
        {{u"35200"_s, u"35599"_s, u" 35400 "_s}, {}},
        {{u"35199"_s, u"35600"_s, u"0"_s}, u"Please enter an integer between 35200 and 35599."_s},
        // Past the unsigned range is refused, not wrapped round into the range.
        {{u""_s, u"-35300"_s, u"353a0"_s, u"3.5"_s, u"4295002496"_s},
         u"Please enter a positive integer."_s}};
    for (const auto& [entries, message] : rows) {
        for (const QString& entered : entries) {
            SCOPED_TRACE(entered.toStdString());
            m_before->setText(u"12"_s);
            m_before->setFocus();
            m_after->setText(entered);
            unsigned first = 1;
            unsigned port = 35300;
            QString text = u"old"_s;
            FormExchange fx(Dir::Save, m_messages);
            fx.unsignedNumber(m_before, first);
            fx.unsignedInRange(m_after, port, 35200, 35599);
            fx.text(m_before, text);
            const bool taken = message.isEmpty();
            EXPECT_EQ(std::tuple(first, port, text, fx.failed()),
                      taken ? std::tuple(12U, entered.trimmed().toUInt(), u"12"_s, false)
                            : std::tuple(12U, 35300U, u"old"_s, true));
            // A bad field is refused with a warning, focused and selected for retyping.
            EXPECT_EQ(m_messages.told(),
                      test::Told(taken ? 0 : 1, "Warning: " + message.toStdString()));
            EXPECT_EQ(m_after->hasFocus(), !taken);
            EXPECT_EQ(m_after->selectedText(), taken ? QString() : entered);
        }
    }
}

TEST_F(WidgetsTest, LoadAndSaveMoveEveryKindOfValue) {
    QComboBox list(&m_window);
    list.addItems({u"a"_s, u"b"_s});
    QComboBox selector(&m_window);
    selector.addItems({u"TRX1"_s, u"TRX2"_s});
    QRadioButton on(&m_window), off(&m_window);
    on.setChecked(true);
    TargetSelection selection;
    selection.setPanelAddress(1, makeAddress(127, 0, 0, 2));
    selection.rebuildSelectors();
    selection.selectPosition(1);
    QString name = u"admin"_s;
    int entry = 5;  // outside the list
    int radio = 7;  // outside the group
    PanelAddress address = makeAddress(192, 168, 0, 130);
    const auto exchange = [&](Dir direction) {
        FormExchange fx(direction, m_messages);
        fx.text(m_before, name, 8);
        fx.selector(&selector, selection);
        fx.comboIndex(&list, entry);
        fx.radioGroup({&on, &off}, radio);
        fx.address(m_field, address);
        return fx.failed();
    };
    exchange(Dir::Load);
    EXPECT_EQ(
        std::tuple(selector.currentIndex(), list.currentIndex(), on.isChecked(), off.isChecked(),
                   m_field->address(), m_before->text(), m_before->maxLength()),
        std::tuple(1, -1, false, false, address, u"admin"_s, 8));
    // The operator picks TRX1, clears the address and gets a long name past the edit's limit:
    // the save stops at the name and reads nothing after it.
    selector.setCurrentIndex(0);
    m_field->clear();
    m_before->setMaxLength(32767);
    m_before->setText(u"ninechars"_s);
    EXPECT_TRUE(exchange(Dir::Save));
    EXPECT_EQ(std::tuple(name, selection.selectorPosition(), entry, radio, address),
              std::tuple(u"admin"_s, 1, 5, 7, makeAddress(192, 168, 0, 130)));
    EXPECT_EQ(m_messages.told(), test::Told{"Warning: Please enter no more than 8 characters."});
    // The position moves but the target stays; with nothing checked the radio member stays.
    m_before->setText(u"eightchr"_s);
    EXPECT_FALSE(exchange(Dir::Save));
    EXPECT_EQ(std::tuple(name, selection.selectorPosition(), selection.currentTarget(), entry,
                         radio, address),
              std::tuple(u"eightchr"_s, 0, makeAddress(127, 0, 0, 2), -1, 7, 0U));

    radio = 1;
    exchange(Dir::Load);
    EXPECT_TRUE(off.isChecked());
    on.setChecked(true);
    EXPECT_FALSE(off.isChecked());  // the group is exclusive again after the load
    exchange(Dir::Save);
    EXPECT_EQ(radio, 0);
}

}  // namespace
}  // namespace trx
