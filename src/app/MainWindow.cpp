#include "app/MainWindow.h"
#include "pagebase/widgets/PageControls.h"

#include <QAction>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

#include <algorithm>

#include "app/AboutDialog.h"
#include "app/AppIcon.h"
#include "app/FileDialogs.h"
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
// System menu commands of our own: below 0xF000 and with the low four bits clear.
constexpr UINT kAboutCommand = 0x0010;
// The file commands, in menu order.
constexpr std::array<UINT, CTRX900ToolDlg::kFileActionCount> kFileCommands = {0x0020, 0x0030,
                                                                              0x0040, 0x0050};
#endif

QString aboutCommandText() {
    return QStringLiteral("Version QW-TRX900 Setup Software(&A)...");
}

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

    m_aboutAction = new QAction(aboutCommandText(), this);
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
    createFileActions();
    addAboutCommand();
    const QString captions[kPageCount] = {QStringLiteral("Configuration"),
                                          QStringLiteral("Camera List"),
                                          QStringLiteral("UserAuth."), QStringLiteral("ROP List")};
    for (int i = 0; i < kPageCount; ++i) {
        m_tabs->addTab(m_pages[static_cast<std::size_t>(i)], captions[i]);
    }
    // The strip's tabs end just above the pages, and its frame closes round them.
    m_tabs->setGeometry(
        QRect(QPoint(kPageLeft - 6, kPageTop - m_tabs->tabBar()->sizeHint().height() - 2),
              m_tabs->minimumSizeHint()));
    setFixedSize(m_tabs->geometry().right() + 1 + kPageLeft - 6,
                 m_tabs->geometry().bottom() + 1 + 6);

    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int) { tabChanged(); });
    m_tabs->setCurrentIndex(kConfigurationTab);
    tabChanged();
}

void CTRX900ToolDlg::createFileActions() {
    const struct {
        const char* text;
        const char* objectName;
        void (PanelFileCommands::*command)();
    } actions[kFileActionCount] = {
        {"Save Panel &Profile...", "saveProfileAction", &PanelFileCommands::saveProfile},
        {"&Open Panel Profile...", "openProfileAction", &PanelFileCommands::openProfile},
        {"Save Panel &List...", "saveListAction", &PanelFileCommands::saveList},
        {"Op&en Panel List...", "openListAction", &PanelFileCommands::openList},
    };
    for (std::size_t i = 0; i < m_fileActions.size(); ++i) {
        auto* action = new QAction(QString::fromLatin1(actions[i].text), this);
        action->setObjectName(QLatin1String(actions[i].objectName));
        // A menu item's accessible name is its text without the mnemonic.
        connect(action, &QAction::triggered, this,
                [this, command = actions[i].command] { (m_fileCommands.get()->*command)(); });
        m_fileActions[i] = action;
    }
}

void CTRX900ToolDlg::addAboutCommand() {
#ifdef Q_OS_WIN
    // The window's own system menu exists only on the Windows window system, not on the
    // offscreen platform that the tests run on.
    HMENU systemMenu = QGuiApplication::platformName() == QLatin1String("windows")
                           ? GetSystemMenu(reinterpret_cast<HWND>(winId()), FALSE)
                           : nullptr;
    if (systemMenu != nullptr) {
        AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
        for (std::size_t i = 0; i < m_fileActions.size(); ++i) {
            const std::wstring text = m_fileActions[i]->text().toStdWString();
            AppendMenuW(systemMenu, MF_STRING, kFileCommands[i], text.c_str());
        }
        AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
        const std::wstring text = aboutCommandText().toStdWString();
        AppendMenuW(systemMenu, MF_STRING, kAboutCommand, text.c_str());
        return;
    }
#endif
    // Without a window system menu the commands live in a small menu button at the strip's
    // corner, where the operator looks for the window's own commands.
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("systemMenu"));
    menu->setAccessibleName(QStringLiteral("Window menu"));
    for (QAction* action : m_fileActions) {
        menu->addAction(action);
    }
    menu->addSeparator();
    menu->addAction(m_aboutAction);
    auto* button = new QToolButton(m_tabs);
    button->setObjectName(QStringLiteral("systemMenuButton"));
    button->setAccessibleName(QStringLiteral("Window menu"));
    button->setToolTip(QStringLiteral("Window menu"));
    button->setIcon(applicationIcon());
    button->setAutoRaise(true);
    button->setPopupMode(QToolButton::InstantPopup);
    button->setMenu(menu);
    m_tabs->setCornerWidget(button, Qt::TopRightCorner);
}

#ifdef Q_OS_WIN
bool CTRX900ToolDlg::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
    const auto* msg = static_cast<const MSG*>(message);
    if (msg->message == WM_SYSCOMMAND && (msg->wParam & 0xFFF0) == kAboutCommand) {
        showAbout();
        *result = 0;
        return true;
    }
    for (std::size_t i = 0; i < kFileCommands.size(); ++i) {
        if (msg->message == WM_SYSCOMMAND && (msg->wParam & 0xFFF0) == kFileCommands[i]) {
            m_fileActions[i]->trigger();
            *result = 0;
            return true;
        }
    }
    return QDialog::nativeEvent(eventType, message, result);
}
#endif

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
