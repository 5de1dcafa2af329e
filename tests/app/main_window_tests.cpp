#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

#include "app/AboutDialog.h"
#include "app/MainWindow.h"
#include "app/PanelPage.h"
#include "app/WaitDialog.h"
#include "app/widgets/TargetSelectorBox.h"
#include "auth/UserAuth.h"
#include "camera/IPSetting.h"
#include "config/SettingData.h"
#include "rop/CTRX900IPSET.h"
#include "support/FakeMessageBoxes.h"

namespace trx {
namespace {

using test::FakeMessageBoxes;

const QString kTrx1 = QStringLiteral("TRX1(192.168.0.130)");

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Nothing here dials a panel; a stray exchange would go to a closed loopback port.
        ExchangeSettings settings;
        settings.port = 9;
        m_window = std::make_unique<CTRX900ToolDlg>(m_messages, settings);
        m_window->show();
        m_window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    }

    TargetSelectorBox* selector(int tab) const { return m_window->page(tab)->targetSelector(); }

    std::vector<int> visiblePages() const {
        std::vector<int> shown;
        for (int tab = 0; tab < CTRX900ToolDlg::kPageCount; ++tab) {
            if (m_window->page(tab)->isVisible()) {
                shown.push_back(tab);
            }
        }
        return shown;
    }

    FakeMessageBoxes m_messages;
    std::unique_ptr<CTRX900ToolDlg> m_window;
};

TEST_F(MainWindowTest, OpensOnConfigurationWithFourTabsInOrder) {
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("QL-TRX900 Setup Software"));
    EXPECT_FALSE(m_window->windowIcon().isNull());
    EXPECT_EQ(m_window->minimumSize(), m_window->maximumSize());

    QTabWidget* tabs = m_window->tabs();
    ASSERT_EQ(tabs->count(), 4);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Configuration"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("Camera List"));
    EXPECT_EQ(tabs->tabText(2), QStringLiteral("UserAuth."));
    EXPECT_EQ(tabs->tabText(3), QStringLiteral("ROP List"));
    EXPECT_EQ(tabs->currentIndex(), 0);

    EXPECT_NE(qobject_cast<SettingData*>(m_window->page(0)), nullptr);
    EXPECT_NE(qobject_cast<IPSetting*>(m_window->page(1)), nullptr);
    EXPECT_NE(qobject_cast<UserAuth*>(m_window->page(2)), nullptr);
    EXPECT_NE(qobject_cast<CTRX900IPSET*>(m_window->page(3)), nullptr);
    EXPECT_EQ(visiblePages(), std::vector<int>{0});
}

TEST_F(MainWindowTest, EveryPageSharesOneRectangleAndOnlyTheChosenOneShows) {
    const QRect area(12, 32, PanelPage::kPageWidth, PanelPage::kPageHeight);
    for (int tab = 0; tab < CTRX900ToolDlg::kPageCount; ++tab) {
        EXPECT_EQ(m_window->page(tab)->geometry(), area) << "page of tab " << tab;
        // The page lies inside the window, not cut off at its edges.
        EXPECT_TRUE(m_window->rect().contains(m_window->page(tab)->geometry()));
    }
    for (int tab : {3, 1, 2, 0, 3}) {
        QTest::mouseClick(m_window->tabs()->tabBar(), Qt::LeftButton, {},
                          m_window->tabs()->tabBar()->tabRect(tab).center());
        EXPECT_EQ(m_window->tabs()->currentIndex(), tab);
        EXPECT_EQ(visiblePages(), std::vector<int>{tab});
    }
}

TEST_F(MainWindowTest, AllSelectorsShowTheFirstPanelAtStart) {
    for (int tab = 0; tab < CTRX900ToolDlg::kPageCount; ++tab) {
        ASSERT_EQ(selector(tab)->count(), 1) << "selector of tab " << tab;
        EXPECT_EQ(selector(tab)->currentText(), kTrx1);
    }
    EXPECT_EQ(m_window->selection().currentTarget(), makeAddress(192, 168, 0, 130));
}

TEST_F(MainWindowTest, TabChangeRefillsSelectorsAndCarriesThePickedPosition) {
    m_window->selection().setPanelAddress(1, makeAddress(127, 0, 0, 2));
    EXPECT_EQ(selector(0)->count(), 1);  // no refill before the next tab change

    m_window->tabs()->setCurrentIndex(3);
    for (int tab = 0; tab < CTRX900ToolDlg::kPageCount; ++tab) {
        ASSERT_EQ(selector(tab)->count(), 2);
        EXPECT_EQ(selector(tab)->currentIndex(), 0);
    }

    // The operator picks TRX2 on the ROP List page with the keyboard.
    selector(3)->setFocus();
    QTest::keyClick(selector(3), Qt::Key_Down);
    EXPECT_EQ(selector(3)->currentText(), QStringLiteral("TRX2(127.0.0.2)"));
    EXPECT_EQ(m_window->selection().currentTarget(), makeAddress(127, 0, 0, 2));
    EXPECT_TRUE(m_messages.shown().empty());  // picking reads nothing from a panel

    for (int tab : {1, 0, 2}) {
        m_window->tabs()->setCurrentIndex(tab);
        for (int other = 0; other < CTRX900ToolDlg::kPageCount; ++other) {
            EXPECT_EQ(selector(other)->currentText(), QStringLiteral("TRX2(127.0.0.2)"))
                << "selector of tab " << other << " after switching to tab " << tab;
        }
    }
}

TEST_F(MainWindowTest, EnterAndEscapeDoNotCloseTheWindow) {
    QTabBar* bar = m_window->tabs()->tabBar();
    auto* field = m_window->page(0)->findChild<QLineEdit*>();
    ASSERT_NE(field, nullptr);
    QWidget* targets[] = {field, bar, selector(0)};
    for (QWidget* target : targets) {
        target->setFocus();
        for (auto key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            QTest::keyClick(target, key);
            ASSERT_TRUE(m_window->isVisible())
                << "key " << key << " in " << target->objectName().toStdString();
        }
    }
    // The close box still closes it.
    EXPECT_TRUE(m_window->close());
    EXPECT_FALSE(m_window->isVisible());
}

TEST_F(MainWindowTest, AboutCommandShowsTheVersion) {
    QString title;
    QString version;
    bool hasIcon = false;
    // The About box is modal; look at it from inside its own event loop, then close it.
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
        auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
        if (about == nullptr) {
            return;
        }
        title = about->windowTitle();
        const auto* versionLabel = about->findChild<QLabel*>(QStringLiteral("versionLabel"));
        version = versionLabel != nullptr ? versionLabel->text() : QString();
        const auto* icon = about->findChild<QLabel*>(QStringLiteral("iconLabel"));
        hasIcon = icon != nullptr && !icon->pixmap().isNull();
        auto* ok = about->findChild<QPushButton*>(QStringLiteral("okButton"));
        if (ok != nullptr) {
            ok->click();
        } else {
            about->reject();
        }
    });
    poll.start();
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &deadline, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            modal->close();
        }
    });
    deadline.start(5000);
    m_window->aboutAction()->trigger();
    EXPECT_EQ(title, QStringLiteral("QL-TRX900 Setup Software"));
    EXPECT_EQ(version, QStringLiteral("QL-TRX900 Setup Software Version 5.0.0.1"));
    EXPECT_TRUE(hasIcon);
}

#ifndef Q_OS_WIN
TEST_F(MainWindowTest, AboutCommandSitsInTheCornerMenu) {
    auto* button = m_window->findChild<QToolButton*>(QStringLiteral("systemMenuButton"));
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->isVisible());
    EXPECT_FALSE(button->accessibleName().isEmpty());
    ASSERT_NE(button->menu(), nullptr);
    EXPECT_TRUE(button->menu()->actions().contains(m_window->aboutAction()));
    EXPECT_EQ(m_window->aboutAction()->text(),
              QStringLiteral("Version QW-TRX900 Setup Software(&A)..."));
}
#endif

TEST_F(MainWindowTest, WaitWindowIsHiddenAtStart) {
    const auto waits = m_window->page(3)->findChildren<Wait_Dialog*>();
    ASSERT_EQ(waits.size(), 1);
    EXPECT_FALSE(waits.front()->isVisible());
    EXPECT_EQ(waits.front()->windowTitle(), QStringLiteral("TRX900Tool"));
}

TEST(WaitDialogTest, ShowsItsLineCentredWithoutButtonsAndStaysOnEscape) {
    Wait_Dialog wait;
    EXPECT_FALSE(wait.isVisible());
    EXPECT_TRUE(wait.findChildren<QPushButton*>().isEmpty());
    EXPECT_FALSE(wait.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    ASSERT_NE(wait.findChild<QLabel*>(), nullptr);
    EXPECT_EQ(wait.findChild<QLabel*>()->text(), QStringLiteral("Please wait for a few minutes."));

    wait.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&wait));
    const QRect screen = wait.screen()->availableGeometry();
    EXPECT_LE((wait.frameGeometry().center() - screen.center()).manhattanLength(), 4);
    QTest::keyClick(&wait, Qt::Key_Escape);
    EXPECT_TRUE(wait.isVisible());
    wait.hide();
    EXPECT_FALSE(wait.isVisible());
}

}  // namespace
}  // namespace trx
