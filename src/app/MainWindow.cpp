#include "app/MainWindow.h"
#include "pagebase/widgets/PageControls.h"

#include <QAction>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>

#include "app/AboutDialog.h"
#include "app/AppIcon.h"
#include "app/FileDialogs.h"
#include "app/FleetWindow.h"
#include "app/PanelFileCommands.h"
#include "pagebase/QtMessageBoxes.h"
#include "pages/auth/UserAuth.h"
#include "pages/camera/IPSetting.h"
#include "pages/config/SettingData.h"
#include "pages/rop/CTRX900IPSET.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace trx {

namespace {

constexpr int kConfigurationTab = 0;
constexpr int kCameraListTab = 1;
constexpr int kUserAuthTab = 2;
constexpr int kRopListTab = 3;

#ifdef Q_OS_WIN
// A system menu command of our own: below 0xF000 and with the low four bits clear.
constexpr UINT kAboutCommand = 0x0010;

QString aboutCommandText() {
    return QStringLiteral("Version QW-TRX900 Setup Software(&A)...");
}
#endif

}  // namespace

CTRX900ToolDlg::CTRX900ToolDlg(QWidget* parent)
    : QDialog(parent),
      m_ownMessages(std::make_unique<QtMessageBoxes>()),
      m_ownFileDialogs(std::make_unique<QtFileDialogs>()),
      m_fileDialogs(m_ownFileDialogs.get()),
      m_context{m_selection, *m_ownMessages, m_guard, ExchangeSettings{}} {
    m_ownMessages->setParent(this);
    m_ownFileDialogs->setParent(this);
    createPages();
}

CTRX900ToolDlg::CTRX900ToolDlg(MessageBoxes& messages, const ExchangeSettings& exchange,
                               FileDialogs* fileDialogs, QWidget* parent)
    : QDialog(parent),
      m_ownFileDialogs(fileDialogs == nullptr ? std::make_unique<QtFileDialogs>(this) : nullptr),
      m_fileDialogs(fileDialogs == nullptr ? m_ownFileDialogs.get() : fileDialogs),
      m_context{m_selection, messages, m_guard, exchange} {
    createPages();
}

CTRX900ToolDlg::~CTRX900ToolDlg() {
    // It waits for its panels and leaves the guard, both members gone with the window.
    delete m_fleetWindow;
    m_fleetWindow = nullptr;
    // The pages' selectors detach from the selection, which is gone by the time the window's
    // children would be deleted.
    for (PanelPage*& page : m_pages) {
        delete page;
        page = nullptr;
    }
}

PanelPage* CTRX900ToolDlg::page(int tabIndex) const {
    return tabIndex >= 0 && tabIndex < kPageCount ? m_pages[static_cast<std::size_t>(tabIndex)]
                                                  : nullptr;
}

void CTRX900ToolDlg::createPages() {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("QL-TRX900 Setup Software"));
    setAccessibleName(windowTitle());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(applicationIcon());

    m_aboutAction = new QAction(QStringLiteral("&About QL-TRX900 Setup Software..."), this);
    m_aboutAction->setObjectName(QStringLiteral("aboutAction"));
    connect(m_aboutAction, &QAction::triggered, this, &CTRX900ToolDlg::showAbout);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("mainTabs"));
    m_tabs->setAccessibleName(QStringLiteral("Pages"));
    m_tabs->setFocusPolicy(Qt::StrongFocus);
    m_tabs->tabBar()->setObjectName(QStringLiteral("mainTabBar"));
    m_tabs->tabBar()->setAccessibleName(QStringLiteral("Pages"));

    // Construction order: Camera List, Configuration, ROP List, UserAuth.; the tabs show them in
    // their own order.
    auto* cameras = new IPSetting(m_context);
    auto* settings = new SettingData(m_context);
    auto* rop = new CTRX900IPSET(m_context);
    m_pages[kCameraListTab] = cameras;
    m_pages[kConfigurationTab] = settings;
    m_pages[kRopListTab] = rop;
    m_pages[kUserAuthTab] = new UserAuth(m_context);
    m_fileCommands =
        std::make_unique<PanelFileCommands>(*cameras, *settings, *rop, m_selection, *m_fileDialogs);
    m_fleetWindow = new FleetWindow(m_selection, m_guard, m_context.messages, *m_fileDialogs,
                                    m_context.exchange, this);
    createFileActions();
    createMenuBar();
#ifdef Q_OS_WIN
    addAboutCommand();
#endif
    const QString captions[kPageCount] = {QStringLiteral("Configuration"),
                                          QStringLiteral("Camera List"),
                                          QStringLiteral("UserAuth."), QStringLiteral("ROP List")};
    for (int i = 0; i < kPageCount; ++i) {
        m_tabs->addTab(m_pages[static_cast<std::size_t>(i)], captions[i]);
    }
    // The strip's tabs end just above the pages, and its frame closes round them; the menu bar
    // sits above it all, so the pages keep their size and their place under the tabs.
    const int menuHeight = m_menuBar->sizeHint().height();
    m_tabs->setGeometry(QRect(
        QPoint(kPageLeft - 6, menuHeight + kPageTop - m_tabs->tabBar()->sizeHint().height() - 2),
        m_tabs->minimumSizeHint()));
    setFixedSize(m_tabs->geometry().right() + 1 + kPageLeft - 6,
                 m_tabs->geometry().bottom() + 1 + 6);
    m_menuBar->setGeometry(0, 0, width(), menuHeight);

    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int) { tabChanged(); });
    m_tabs->setCurrentIndex(kConfigurationTab);
    tabChanged();
}

void CTRX900ToolDlg::createFileActions() {
    const struct {
        const char* text;
        const char* objectName;
        QKeySequence shortcut;
        void (PanelFileCommands::*command)();
    } actions[kFileActionCount] = {
        {"&Open Panel Profile...", "openProfileAction", QKeySequence::Open,
         &PanelFileCommands::openProfile},
        {"&Save Panel Profile...", "saveProfileAction", QKeySequence::Save,
         &PanelFileCommands::saveProfile},
        {"Open Panel &List...", "openListAction", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O),
         &PanelFileCommands::openList},
        {"Sa&ve Panel List...", "saveListAction", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S),
         &PanelFileCommands::saveList},
    };
    for (std::size_t i = 0; i < m_fileActions.size(); ++i) {
        auto* action = new QAction(QString::fromLatin1(actions[i].text), this);
        action->setObjectName(QLatin1String(actions[i].objectName));
        action->setShortcut(actions[i].shortcut);
        // A menu item's accessible name is its text without the mnemonic.
        connect(action, &QAction::triggered, this,
                [this, command = actions[i].command] { (m_fileCommands.get()->*command)(); });
        m_fileActions[i] = action;
    }
}

void CTRX900ToolDlg::createMenuBar() {
    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName(QStringLiteral("menuBar"));
    m_menuBar->setAccessibleName(QStringLiteral("Menu bar"));
    // The dialog places its children itself, so the bar is never the native one at the screen's
    // top: it belongs to this window.
    m_menuBar->setNativeMenuBar(false);
    const auto addMenu = [this](const char* title, const char* objectName, const char* name) {
        QMenu* menu = m_menuBar->addMenu(QString::fromLatin1(title));
        menu->setObjectName(QLatin1String(objectName));
        menu->setAccessibleName(QLatin1String(name));
        return menu;
    };
    QMenu* file = addMenu("&File", "fileMenu", "File");
    file->addActions({m_fileActions[0], m_fileActions[1]});
    file->addSeparator();
    file->addActions({m_fileActions[2], m_fileActions[3]});
    QMenu* fleet = addMenu("&Panels", "panelsMenu", "Panels");
    QAction* panels =
        fleet->addAction(QStringLiteral("&Panels..."), this, &CTRX900ToolDlg::openFleetWindow);
    panels->setObjectName(QStringLiteral("panelsAction"));
    panels->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    QAction* backUp = fleet->addAction(QStringLiteral("&Back Up All..."), this, [this] {
        openFleetWindow();
        m_fleetWindow->backUpAll();
    });
    backUp->setObjectName(QStringLiteral("backUpAllAction"));
    backUp->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    QMenu* help = addMenu("&Help", "helpMenu", "Help");
    help->addAction(m_aboutAction);
}

#ifdef Q_OS_WIN
// The design keeps About in the window's system menu as well. That menu exists only on the
// Windows window system, not on the offscreen platform that the tests run on.
void CTRX900ToolDlg::addAboutCommand() {
    HMENU menu = QGuiApplication::platformName() == QLatin1String("windows")
                     ? GetSystemMenu(reinterpret_cast<HWND>(winId()), FALSE)
                     : nullptr;
    if (menu != nullptr) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        const std::wstring text = aboutCommandText().toStdWString();
        AppendMenuW(menu, MF_STRING, kAboutCommand, text.c_str());
    }
}

bool CTRX900ToolDlg::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
    const auto* msg = static_cast<const MSG*>(message);
    if (msg->message == WM_SYSCOMMAND && (msg->wParam & 0xFFF0) == kAboutCommand) {
        showAbout();
        *result = 0;
        return true;
    }
    return QDialog::nativeEvent(eventType, message, result);
}
#endif

void CTRX900ToolDlg::openFleetWindow() {
    m_fleetWindow->show();
    m_fleetWindow->raise();
    m_fleetWindow->activateWindow();
}

void CTRX900ToolDlg::showAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CTRX900ToolDlg::tabChanged() {
    // Runs when the tab strip has switched pages, before the new page is painted.
    m_selection.rebuildSelectors();
}

void CTRX900ToolDlg::keyPressEvent(QKeyEvent* event) {
    // Only the close box ends the run: a stray Enter or Escape must not throw away edits.
    if (isDialogClosingKey(event)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace trx
