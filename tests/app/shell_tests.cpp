#include <QtTest>
#include <QtWidgets>

#include <gtest/gtest.h>

#include <deque>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include "app/Application.h"
#include "app/MainWindow.h"
#include "pagebase/PanelPage.h"
#include "pagebase/WaitDialog.h"
#include "pagebase/widgets/TargetSelectorBox.h"
#include "support/FakeMessageBoxes.h"

namespace trx {
namespace {

using namespace Qt::StringLiterals;

struct FailingSockets final : SocketLayer {
    bool start() override { return ++starts, false; }
    void stop() override {}
    int starts = 0;
};

TEST(Startup, ASocketFailureIsReportedAndEndsTheProgramWithoutItsLock) {
    QTemporaryDir locks;
    FailingSockets sockets;
    test::FakeMessageBoxes messages;
    const CTRX900ToolApp::Seams seams{&sockets, &messages, locks.path()};
    EXPECT_NE(CTRX900ToolApp(seams).run(), 0);
    EXPECT_EQ(messages.told(), test::Told{"Warning: Windows ソケットの初期化に失敗しました。"});
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    // The lock went with the program: the next start gets as far as the sockets again.
    CTRX900ToolApp(seams).run();
    EXPECT_EQ(sockets.starts, 2);
}

// The built program, started the way an operator starts it, with a temporary directory of its own.
TEST(Program, OneCopyAtATimeEvenAfterHoursAndAgainAfterAKill) {
    QTemporaryDir temp;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"TMPDIR"_s, temp.path());
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    std::deque<QProcess> processes;
    const auto stopAll = qScopeGuard([&] {
        for (QProcess& process : processes) {
            process.kill();
            process.waitForFinished(5000);
        }
    });
    const auto start = [&](const QStringList& arguments = {}) -> QProcess& {
        QProcess& process = processes.emplace_back();
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TRX_TOOL_PATH), arguments);
        EXPECT_TRUE(process.waitForStarted(5000));
        return process;
    };
    QFile lock(temp.filePath(u"TRX900Tool.lock"_s));
    const QLockFile lockInfo(lock.fileName());
    const auto holdsLock = [&](const QProcess& process) {
        const auto held = [&] {
#ifdef Q_OS_WIN  // the mutex named after the program
            const HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, L"TRX900Tool");
            return mutex != nullptr && CloseHandle(mutex) && process.state() == QProcess::Running;
#else
            qint64 pid = 0;
            return lockInfo.getLockInfo(&pid, nullptr, nullptr) && pid == process.processId();
#endif
        };
        return QTest::qWaitFor(held, 10000);
    };
    // Qt's own single-dash options are no clusters of -v and -h: the window opens with them.
    QProcess& first =
        start({u"-reverse"_s, u"-stylesheet"_s, u"none.qss"_s, u"-platformtheme"_s, u"none"_s});
    ASSERT_TRUE(holdsLock(first));
#ifndef Q_OS_WIN
    // As if the first copy had been open all day: an old lock of a live copy still holds.
    ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
    ASSERT_TRUE(lock.setFileTime(QDateTime::currentDateTime().addSecs(-8 * 3600),
                                 QFileDevice::FileModificationTime));
    lock.close();
#endif
    // A second copy ends by itself, quickly and cleanly: one that opened its window would run on.
    QProcess& second = start();
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(std::tuple(second.exitStatus(), second.exitCode(), first.state()),
              std::tuple(QProcess::NormalExit, 0, QProcess::Running));
    EXPECT_TRUE(holdsLock(first));

#ifdef Q_OS_WIN  // kept open here, the killed copy's mutex stays behind, abandoned
    const HANDLE kept = OpenMutexW(SYNCHRONIZE, FALSE, L"TRX900Tool");
    const auto closeKept = qScopeGuard([&] { CloseHandle(kept); });
#endif
    first.kill();
    ASSERT_TRUE(first.waitForFinished(5000));
#ifndef Q_OS_WIN
    ASSERT_TRUE(lock.exists());  // a killed copy leaves its lock behind
#endif
    QProcess& next = start();
    EXPECT_TRUE(holdsLock(next));
}

#ifdef Q_OS_WIN
TEST(Program, CarriesItsIconAsResource128) {
    const HMODULE tool = LoadLibraryExW(L"" TRX_TOOL_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    EXPECT_NE(FindResourceW(tool, MAKEINTRESOURCEW(128), RT_GROUP_ICON), nullptr);
}
#endif

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_window.show();
        m_window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_window));
    }

    PanelPage* page(int tab) const { return m_window.page(tab); }
    TargetSelectorBox* selector(int tab) const { return page(tab)->targetSelector(); }
    // Only the tab's page shows, and every selector shows the same entry out of the same list.
    void expectPages(int shownTab, const QString& selected, int entries) const {
        for (int tab = 0; tab < CTRX900ToolDlg::kPageCount; ++tab) {
            SCOPED_TRACE(tab);
            EXPECT_EQ(std::tuple(page(tab)->isVisible(), selector(tab)->currentText(),
                                 selector(tab)->count()),
                      std::tuple(tab == shownTab, selected, entries));
        }
    }

    test::FakeMessageBoxes m_messages;
    // Nothing here dials a panel; a stray exchange would go to a closed loopback port.
    CTRX900ToolDlg m_window{m_messages, ExchangeSettings{.port = 9, .limits = {}}};
};

TEST_F(MainWindowTest, OpensOnConfigurationAndCarriesThePickedPanelAcrossTabs) {
    EXPECT_EQ(std::tuple(m_window.windowTitle(), m_window.windowIcon().isNull(),
                         m_window.minimumSize() == m_window.maximumSize()),
              std::tuple(u"QL-TRX900 Setup Software"_s, false, true));
    QStringList tabs;
    for (int tab = 0; tab < m_window.tabs()->count(); ++tab) {
        tabs << m_window.tabs()->tabText(tab) + u' ' +
                    QLatin1String(page(tab)->metaObject()->className());
        EXPECT_EQ(page(tab)->geometry(), page(0)->geometry());  // one rectangle for all
    }
    EXPECT_EQ(tabs,
              QStringList({u"Configuration trx::SettingData"_s, u"Camera List trx::IPSetting"_s,
                           u"UserAuth. trx::UserAuth"_s, u"ROP List trx::CTRX900IPSET"_s}));
    EXPECT_EQ(m_window.tabs()->currentWidget(), page(0));  // a real page of the tabs
    EXPECT_TRUE(m_window.rect().contains(                  // that fits the window
        QRect(page(0)->mapTo(&m_window, QPoint()), page(0)->size())));
    expectPages(0, u"TRX1(192.168.0.130)"_s, 1);
    EXPECT_EQ(m_window.selection().currentTarget(), makeAddress(192, 168, 0, 130));

    // A panel registered meanwhile reaches the selectors at the next tab change.
    m_window.selection().setPanelAddress(1, makeAddress(127, 0, 0, 2));
    m_window.tabs()->setCurrentIndex(3);
    expectPages(3, u"TRX1(192.168.0.130)"_s, 2);
    // The operator picks TRX2 on the ROP List page with the keyboard.
    selector(3)->setFocus();
    QTest::keyClick(selector(3), Qt::Key_Down);
    EXPECT_EQ(m_window.selection().currentTarget(), makeAddress(127, 0, 0, 2));
    for (int tab : {1, 2, 3, 0}) {
        m_window.tabs()->setCurrentIndex(tab);
        expectPages(tab, u"TRX2(127.0.0.2)"_s, 2);
    }
    // Enter and Escape in a page do nothing at all.
    auto* field = page(0)->findChild<QLineEdit*>();
    ASSERT_NE(field, nullptr);
    for (QWidget* target : QList<QWidget*>{field, selector(0), m_window.tabs()->tabBar()}) {
        target->setFocus();
        for (auto key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            QTest::keyClick(target, key);
            ASSERT_TRUE(m_window.isVisible()) << key << " in " << target->metaObject()->className();
        }
    }
    EXPECT_EQ(m_messages.told(), test::Told{});
}

TEST_F(MainWindowTest, AboutBoxShowsTheVersionAndTheWaitWindowComesHidden) {
    // Help > About, reached from the keyboard: Alt+H opens the menu.
    auto* help = m_window.findChild<QMenu*>(u"helpMenu"_s);
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->actions().contains(m_window.aboutAction()));
    QTest::keyClick(&m_window, Qt::Key_H, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([help] { return help->isVisible(); }, 5000));
    help->close();
    // The About box is modal: look at it from inside its own event loop, then leave it with OK.
    QStringList seen;
    QTimer::singleShot(0, &m_window, [&] {
        QWidget* about = QApplication::activeModalWidget();
        ASSERT_NE(about, nullptr);
        seen << about->windowTitle();
        for (const QLabel* label : about->findChildren<QLabel*>()) {
            seen << (label->pixmap().isNull() ? label->text() : u"icon"_s);
        }
        for (QPushButton* ok : about->findChildren<QPushButton*>()) {
            seen << ok->text();
            ok->click();
        }
    });
    m_window.aboutAction()->trigger();
    EXPECT_EQ(seen, QStringList({u"QL-TRX900 Setup Software"_s, u"icon"_s,
                                 u"QL-TRX900 Setup Software Version 5.0.0.1"_s, u"OK"_s}));

    // The wait window comes hidden with the ROP List page; shown, it is modeless, centred on
    // the screen, without buttons or close box, and Escape does not take it away.
    auto* wait = page(3)->findChild<Wait_Dialog*>();
    ASSERT_NE(wait, nullptr);
    EXPECT_FALSE(wait->isVisible() || wait->isModal());
    EXPECT_TRUE(wait->findChildren<QPushButton*>().isEmpty() &&
                !wait->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_EQ(wait->windowTitle() + u'/' + wait->findChild<QLabel*>()->text(),
              u"TRX900Tool/Please wait for a few minutes."_s);
    wait->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(wait));
    const QRect screen = wait->screen()->availableGeometry();
    EXPECT_LE((wait->frameGeometry().center() - screen.center()).manhattanLength(), 4);
    QTest::keyClick(wait, Qt::Key_Escape);
    EXPECT_TRUE(wait->isVisible());
}

}  // namespace
}  // namespace trx
