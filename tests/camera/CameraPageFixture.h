#pragma once

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "PanelSimulator.h"
#include "app/OperationGuard.h"
#include "app/PageContext.h"
#include "app/TargetSelection.h"
#include "app/widgets/Ipv4AddressField.h"
#include "camera/IPSetting.h"
#include "support/FakeMessageBoxes.h"

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace trx::test {

using Bytes = std::vector<std::uint8_t>;
using Icon = MessageBoxes::Icon;
using Answer = MessageBoxes::Answer;

// The simulated panel and current target. 127.0.0.2 stays free to be a camera's address.
inline constexpr char kPanel[] = "127.0.0.3";
inline constexpr PanelAddress kPanelAddress = makeAddress(127, 0, 0, 3);

// One Camera List page, built fresh for each test, talking to one simulated panel over loopback.
class CameraPage : public ::testing::Test {
  protected:
    void SetUp() override {
        using std::chrono::milliseconds;
        ASSERT_TRUE(sim.start({kPanel}));
        const ExchangeLimits limits{milliseconds{1000}, milliseconds{600}, milliseconds{4000}};
        page = std::make_unique<IPSetting>(
            PageContext{selection, messages, guard, ExchangeSettings{sim.port(), limits}});
        selection.setPanelAddress(0, kPanelAddress);
        selection.rebuildSelectors();
        page->show();
        QApplication::setActiveWindow(page.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(page.get()));
    }

    template <typename W>
    W* find(const QString& name) const {
        W* widget = page->findChild<W*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }
    template <typename W>
    W* find(const char* name) const {
        return find<W>(QLatin1String(name));
    }

    static QString rowId(int row) {
        return QStringLiteral("c%1").arg(row + 1, 2, 10, QLatin1Char('0'));
    }
    QComboBox* typeList(int row) const {
        return find<QComboBox>(rowId(row) + QStringLiteral("TypeCombo"));
    }
    QComboBox* swapList(int row) const {
        return find<QComboBox>(rowId(row) + QStringLiteral("SwapCombo"));
    }
    QLineEdit* portField(int row) const {
        return find<QLineEdit>(rowId(row) + QStringLiteral("PortEdit"));
    }
    QLineEdit* macField(int row) const {
        return find<QLineEdit>(rowId(row) + QStringLiteral("MacEdit"));
    }
    QLineEdit* modelField(int row) const {
        return find<QLineEdit>(rowId(row) + QStringLiteral("ModelEdit"));
    }
    QLabel* rowLabel(int row) const { return find<QLabel>(rowId(row) + QStringLiteral("Label")); }
    Ipv4AddressField* addressField(int row) const {
        return find<Ipv4AddressField>(rowId(row) + QStringLiteral("AddressEdit"));
    }

    const CameraTable& table() const { return page->form().table(); }

    void click(const char* name) { QTest::mouseClick(find<QAbstractButton>(name), Qt::LeftButton); }

    // Opens the list with a click, moves to the entry and takes it with Enter, as the operator
    // does. (A click on the entry right after opening is swallowed by the popup on purpose.)
    void choose(QComboBox* list, const QString& text) {
        const int index = list->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        QTest::mouseClick(list, Qt::LeftButton);
        QAbstractItemView* view = list->view();
        ASSERT_TRUE(view->isVisible());
        view->setCurrentIndex(view->model()->index(index, 0));
        QTest::keyClick(view, Qt::Key_Return);
        ASSERT_FALSE(view->isVisible());
    }

    // Replaces a line edit's text by typing, as the operator does.
    void retype(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }

    // Types an address into a row's field, octet by octet.
    void typeAddress(int row, const QString& dotted) {
        Ipv4AddressField* field = addressField(row);
        const QStringList octets = dotted.split(QLatin1Char('.'));
        for (int i = 0; i < 4; ++i) {
            retype(field->octetEdit(i), octets[i]);
        }
    }

    std::vector<sim::ExchangeRecord> received() const { return sim.log(kPanel); }
    std::vector<std::string> commands() const {
        std::vector<std::string> lines;
        for (const auto& record : received()) {
            lines.push_back(record.command);
        }
        return lines;
    }

    template <typename Change>
    void changePanel(Change change) {
        sim::PanelState state = sim.state(kPanel);
        change(state);
        sim.setState(kPanel, state);
    }

    // The panel's stored list becomes this table, and REFRESH reads it.
    void panelHolds(const CameraTable& stored) {
        changePanel([&](sim::PanelState& s) {
            std::copy(stored.bytes().begin(), stored.bytes().end(), s.cameraTable.begin());
        });
        click("refreshButton");
        ASSERT_TRUE(messages.shown().empty()) << messages.texts().front().toStdString();
        sim.clearLog();
    }

    void expectOnlyMessage(const QString& text, Icon icon) const {
        ASSERT_EQ(messages.texts(), std::vector<QString>{text});
        EXPECT_EQ(messages.shown().front().icon, icon);
    }

    QStringList entries(QComboBox* list) const {
        QStringList items;
        for (int i = 0; i < list->count(); ++i) {
            items << list->itemText(i);
        }
        return items;
    }

    TargetSelection selection;
    FakeMessageBoxes messages;
    OperationGuard guard;
    sim::PanelSimulator sim;
    std::unique_ptr<IPSetting> page;
};

}  // namespace trx::test
