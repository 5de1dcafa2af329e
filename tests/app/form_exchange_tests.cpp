#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>

#include "app/TargetSelection.h"
#include "app/widgets/FormExchange.h"
#include "app/widgets/Ipv4AddressField.h"
#include "support/FakeMessageBoxes.h"

namespace trx {
namespace {

using test::FakeMessageBoxes;

class FormExchangeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(m_window.get());
        for (QLineEdit*& edit : m_edits) {
            edit = new QLineEdit(m_window.get());
            layout->addWidget(edit);
        }
        m_window->show();
        m_window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    }

    FakeMessageBoxes m_messages;
    std::unique_ptr<QWidget> m_window;
    std::array<QLineEdit*, 3> m_edits{};
};

struct NumberEntry {
    const char* entered;
    const char* message;  // nullptr when the entry is taken
    unsigned taken;
};

class RangeFieldTest : public FormExchangeTest,
                       public ::testing::WithParamInterface<NumberEntry> {};

TEST_P(RangeFieldTest, SaveTakesTheNumberOrShowsTheFrameworkText) {
    const NumberEntry entry = GetParam();
    m_edits[0]->setText(QLatin1String(entry.entered));
    unsigned port = 35300;
    FormExchange fx(FormExchange::Direction::Save, m_messages);
    fx.unsignedInRange(m_edits[0], port, 35200, 35599);
    if (entry.message == nullptr) {
        EXPECT_FALSE(fx.failed());
        EXPECT_TRUE(m_messages.shown().empty());
        EXPECT_EQ(port, entry.taken);
        return;
    }
    EXPECT_TRUE(fx.failed());
    EXPECT_EQ(port, 35300U);
    ASSERT_EQ(m_messages.shown().size(), 1U);
    const FakeMessageBoxes::Shown& shown = m_messages.shown().front();
    EXPECT_EQ(shown.text, QLatin1String(entry.message));
    EXPECT_EQ(shown.caption, applicationCaption());
    EXPECT_EQ(shown.icon, MessageBoxes::Icon::Warning);
    EXPECT_EQ(shown.buttons, MessageBoxes::Buttons::Ok);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, RangeFieldTest,
    ::testing::Values(NumberEntry{"35200", nullptr, 35200}, NumberEntry{"35599", nullptr, 35599},
                      NumberEntry{" 35400 ", nullptr, 35400},
                      NumberEntry{"35199", "Please enter an integer between 35200 and 35599.", 0},
                      NumberEntry{"35600", "Please enter an integer between 35200 and 35599.", 0},
                      NumberEntry{"0", "Please enter an integer between 35200 and 35599.", 0},
                      NumberEntry{"", "Please enter a positive integer.", 0},
                      NumberEntry{"-35300", "Please enter a positive integer.", 0},
                      NumberEntry{"353a0", "Please enter a positive integer.", 0},
                      NumberEntry{"3.5", "Please enter a positive integer.", 0},
                      // Past the unsigned range: refused, not wrapped round into the range.
                      NumberEntry{"4295002496", "Please enter a positive integer.", 0}));

TEST_F(FormExchangeTest, SaveStopsAtTheFailingFieldAndFocusesIt) {
    m_edits[0]->setText(QStringLiteral("12"));
    m_edits[1]->setText(QStringLiteral("x"));
    m_edits[2]->setText(QStringLiteral("34"));
    m_edits[2]->setFocus();
    unsigned first = 1;
    unsigned second = 2;
    unsigned third = 3;
    FormExchange fx(FormExchange::Direction::Save, m_messages);
    fx.unsignedNumber(m_edits[0], first);
    fx.unsignedNumber(m_edits[1], second);
    fx.unsignedNumber(m_edits[2], third);
    EXPECT_TRUE(fx.failed());
    EXPECT_EQ(first, 12U);
    EXPECT_EQ(second, 2U);
    EXPECT_EQ(third, 3U);
    EXPECT_EQ(m_messages.texts(),
              std::vector<QString>{QStringLiteral("Please enter a positive integer.")});
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_edits[1]->hasFocus(); }));
    EXPECT_EQ(m_edits[1]->selectedText(), QStringLiteral("x"));
}

TEST_F(FormExchangeTest, TextIsLimitedOnLoadAndCheckedOnSave) {
    QString name = QStringLiteral("admin");
    FormExchange load(FormExchange::Direction::Load, m_messages);
    load.text(m_edits[0], name, 8);
    EXPECT_EQ(m_edits[0]->text(), QStringLiteral("admin"));
    EXPECT_EQ(m_edits[0]->maxLength(), 8);

    // A text set past the limit behind the edit's back is still refused.
    m_edits[0]->setMaxLength(32767);
    m_edits[0]->setText(QStringLiteral("ninechars"));
    FormExchange save(FormExchange::Direction::Save, m_messages);
    save.text(m_edits[0], name, 8);
    EXPECT_EQ(name, QStringLiteral("admin"));
    EXPECT_EQ(m_messages.texts(),
              std::vector<QString>{QStringLiteral("Please enter no more than 8 characters.")});

    m_edits[0]->setText(QStringLiteral("eightchr"));
    FormExchange again(FormExchange::Direction::Save, m_messages);
    again.text(m_edits[0], name, 8);
    EXPECT_FALSE(again.failed());
    EXPECT_EQ(name, QStringLiteral("eightchr"));
}

TEST_F(FormExchangeTest, ListAndRadioValuesOutsideTheirControlsShowNothing) {
    QComboBox combo(m_window.get());
    combo.addItems({QStringLiteral("a"), QStringLiteral("b")});
    QRadioButton on(m_window.get());
    QRadioButton off(m_window.get());
    on.setChecked(true);

    int listEntry = 5;
    int radio = 7;
    FormExchange load(FormExchange::Direction::Load, m_messages);
    load.comboIndex(&combo, listEntry);
    load.radioGroup({&on, &off}, radio);
    EXPECT_EQ(combo.currentIndex(), -1);
    EXPECT_FALSE(on.isChecked());
    EXPECT_FALSE(off.isChecked());

    // With nothing checked the member keeps its value.
    FormExchange save(FormExchange::Direction::Save, m_messages);
    save.radioGroup({&on, &off}, radio);
    EXPECT_EQ(radio, 7);

    radio = 1;
    FormExchange reload(FormExchange::Direction::Load, m_messages);
    reload.radioGroup({&on, &off}, radio);
    EXPECT_TRUE(off.isChecked());
    on.setChecked(true);
    EXPECT_FALSE(off.isChecked());  // the group is exclusive again after the load
    FormExchange resave(FormExchange::Direction::Save, m_messages);
    resave.radioGroup({&on, &off}, radio);
    resave.comboIndex(&combo, listEntry);
    EXPECT_EQ(radio, 0);
    EXPECT_EQ(listEntry, -1);
}

TEST_F(FormExchangeTest, SelectorMovesThePositionButNotTheTarget) {
    TargetSelection selection;
    selection.setPanelAddress(1, makeAddress(127, 0, 0, 2));
    QComboBox combo(m_window.get());
    combo.addItems({QStringLiteral("TRX1"), QStringLiteral("TRX2")});
    selection.rebuildSelectors();
    selection.selectPosition(1);

    FormExchange load(FormExchange::Direction::Load, m_messages);
    load.selector(&combo, selection);
    EXPECT_EQ(combo.currentIndex(), 1);

    combo.setCurrentIndex(0);
    FormExchange save(FormExchange::Direction::Save, m_messages);
    save.selector(&combo, selection);
    EXPECT_EQ(selection.selectorPosition(), 0);
    EXPECT_EQ(selection.currentTarget(), makeAddress(127, 0, 0, 2));
}

TEST_F(FormExchangeTest, AddressFieldRoundTripsAndBlankReadsZero) {
    Ipv4AddressField field(m_window.get());
    PanelAddress address = makeAddress(192, 168, 0, 130);
    FormExchange load(FormExchange::Direction::Load, m_messages);
    load.address(&field, address);
    EXPECT_EQ(field.address(), address);

    field.clear();
    FormExchange save(FormExchange::Direction::Save, m_messages);
    save.address(&field, address);
    EXPECT_EQ(address, 0U);
}

TEST_F(FormExchangeTest, NothingIsReadBackAfterAFailure) {
    m_edits[0]->setText(QStringLiteral("bad"));
    QComboBox combo(m_window.get());
    combo.addItems({QStringLiteral("a"), QStringLiteral("b")});
    combo.setCurrentIndex(1);
    Ipv4AddressField field(m_window.get());
    field.setAddress(makeAddress(10, 0, 0, 1));
    unsigned number = 4;
    int listEntry = 0;
    PanelAddress address = 0;
    QString text = QStringLiteral("old");
    m_edits[1]->setText(QStringLiteral("new"));

    FormExchange fx(FormExchange::Direction::Save, m_messages);
    fx.unsignedNumber(m_edits[0], number);
    fx.comboIndex(&combo, listEntry);
    fx.address(&field, address);
    fx.text(m_edits[1], text);
    EXPECT_EQ(listEntry, 0);
    EXPECT_EQ(address, 0U);
    EXPECT_EQ(text, QStringLiteral("old"));
    EXPECT_EQ(m_messages.shown().size(), 1U);
}

}  // namespace
}  // namespace trx
