#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <span>
#include <string>

#include "app/MainWindow.h"
#include "app/OperationGuard.h"
#include "app/PanelPage.h"
#include "app/TargetSelection.h"
#include "auth/UserAuth.h"
#include "camera/IPSetting.h"
#include "config/SettingData.h"
#include "panel-sim/PanelSimulator.h"
#include "rop/CTRX900IPSET.h"
#include "support/FakeMessageBoxes.h"

namespace trx::test {

using namespace std::chrono_literals;

// The one simulated panel. Every exchange of these tests stays on loopback.
inline constexpr char kPanel[] = "127.0.0.3";
inline constexpr PanelAddress kPanelAddress = makeAddress(127, 0, 0, 3);

enum Tab { kConfigurationTab = 0, kCameraListTab = 1, kUserAuthTab = 2, kRopListTab = 3 };

inline std::string hex(std::span<const std::uint8_t> bytes) {
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const std::uint8_t b : bytes) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", b);
        text += pair;
    }
    return text;
}

// The pages of the tool talking to one simulated panel over loopback, with scripted message boxes
// that answer every confirmation OK: either the real main window with its four pages and their
// shared context, or one page alone, which is quicker to build where one page is all a test uses.
class PanelRig {
  public:
    static constexpr int kAllPages = -1;

    PanelRig(ExchangeLimits limits, std::chrono::milliseconds checkPause, int onlyTab = kAllPages)
        : m_limits(limits), m_checkPause(checkPause), m_onlyTab(onlyTab) {}

    // Brings the pages up with TRX1 on the simulated panel.
    void start() {
        ASSERT_TRUE(m_sim.start({kPanel}));
        const ExchangeSettings settings{m_sim.port(), m_limits};
        if (m_onlyTab == kAllPages) {
            m_window = std::make_unique<CTRX900ToolDlg>(m_messages, settings);
        } else {
            m_context = std::make_unique<PageContext>(
                PageContext{m_ownSelection, m_messages, m_ownGuard, settings});
        }
        selection().setPanelAddress(0, kPanelAddress);
        selection().rebuildSelectors();
        ASSERT_EQ(selection().currentTarget(), kPanelAddress);
        if (m_onlyTab != kAllPages) {
            m_page = makePage(m_onlyTab);
            selection().rebuildSelectors();
        }
        if (m_onlyTab == kAllPages || m_onlyTab == kRopListTab) {
            rop().setConnectionCheckPause(m_checkPause);
        }
        QWidget& shown = top();
        shown.show();
        QApplication::setActiveWindow(&shown);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&shown));
    }

    // The ROP List page starts with TRX1 on the LAN in its first row. Before anything may press
    // REGISTER or CONNECTION CHECK its rows are read from the simulated panel, so that no row
    // holds an address off loopback.
    void readRopRows() {
        click(kRopListTab, "networkSearchButton");
        ASSERT_TRUE(m_messages.shown().empty()) << m_messages.texts().front().toStdString();
        for (int row = 0; row < kRopRowCount; ++row) {
            const auto at = static_cast<std::size_t>(row);
            ASSERT_EQ(rop().ropTable().address[at], row == 0 ? kPanelAddress : 0) << row;
        }
        m_sim.clearLog();
    }

    // The main window, or the one page.
    QWidget& top() const {
        return m_window ? static_cast<QWidget&>(*m_window) : static_cast<QWidget&>(*m_page);
    }
    TargetSelection& selection() { return m_window ? m_window->selection() : m_ownSelection; }
    PanelPage& page(int tab) const {
        EXPECT_TRUE(m_onlyTab == kAllPages || tab == m_onlyTab) << tab;
        return m_window ? *m_window->page(tab) : *m_page;
    }
    template <typename P>
    P& page(int tab) const {
        return *qobject_cast<P*>(&page(tab));
    }
    CTRX900IPSET& rop() const { return page<CTRX900IPSET>(kRopListTab); }

    template <typename W = QAbstractButton>
    W* find(int tab, const char* name) const {
        W* widget = page(tab).findChild<W*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    // The operator picks the tab, then clicks.
    void showTab(int tab) {
        if (m_window) {
            m_window->tabs()->setCurrentIndex(tab);
        }
    }
    void click(int tab, const char* name) {
        showTab(tab);
        QAbstractButton* button = find(tab, name);
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->isEnabled()) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    void fill(int tab, const char* name, const char* text) {
        find<QLineEdit>(tab, name)->setText(QLatin1String(text));
    }

    // A login change that passes every check of the UserAuth. page, from the default pair.
    void fillLoginChange() {
        fill(kUserAuthTab, "oldUserNameEdit", "vexor");
        fill(kUserAuthTab, "newUserNameEdit", "n0");
        fill(kUserAuthTab, "oldPasswordEdit", "58203");
        fill(kUserAuthTab, "newPasswordEdit", "abcd1");
        fill(kUserAuthTab, "retypeNewPasswordEdit", "abcd1");
    }

    template <typename Change>
    void changePanel(Change change) {
        sim::PanelState state = m_sim.state(kPanel);
        change(state);
        m_sim.setState(kPanel, state);
    }

    sim::PanelSimulator& sim() { return m_sim; }
    FakeMessageBoxes& messages() { return m_messages; }

  private:
    std::unique_ptr<PanelPage> makePage(int tab) const {
        switch (tab) {
            case kConfigurationTab:
                return std::make_unique<SettingData>(*m_context);
            case kCameraListTab:
                return std::make_unique<IPSetting>(*m_context);
            case kUserAuthTab:
                return std::make_unique<UserAuth>(*m_context);
            default:
                return std::make_unique<CTRX900IPSET>(*m_context);
        }
    }

    ExchangeLimits m_limits;
    std::chrono::milliseconds m_checkPause;
    int m_onlyTab;
    sim::PanelSimulator m_sim;
    FakeMessageBoxes m_messages;
    // What a page alone is given in place of the window's own; it outlives the page.
    TargetSelection m_ownSelection;
    OperationGuard m_ownGuard;
    std::unique_ptr<PageContext> m_context;
    std::unique_ptr<PanelPage> m_page;
    std::unique_ptr<CTRX900ToolDlg> m_window;
};

}  // namespace trx::test
