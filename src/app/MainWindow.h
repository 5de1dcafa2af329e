#pragma once

#include <QDialog>

#include <array>
#include <memory>

#include "pagebase/OperationGuard.h"
#include "pagebase/PageContext.h"
#include "records/TargetSelection.h"

class QAction;
class QMenuBar;
class QTabWidget;

namespace trx {

class FileDialogs;
class FleetWindow;
class MessageBoxes;
class PanelFileCommands;
class PanelPage;
class QtFileDialogs;
class QtMessageBoxes;

// The main window: a fixed-size dialog with the four tab pages, one shown at a time. Every tab
// change first refills the four target selectors, so they all show the shared choice.
class CTRX900ToolDlg final : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kPageCount = 4;
    // Where every page sits in the window.
    static constexpr int kPageLeft = 12;
    static constexpr int kPageTop = 32;

    // Real message boxes and file dialogs, and the panels' own port.
    explicit CTRX900ToolDlg(QWidget* parent = nullptr);
    // Real file dialogs unless some are given.
    CTRX900ToolDlg(MessageBoxes& messages, const ExchangeSettings& exchange,
                   FileDialogs* fileDialogs = nullptr, QWidget* parent = nullptr);
    ~CTRX900ToolDlg() override;

    QTabWidget* tabs() const { return m_tabs; }
    // The page of a tab: 0 Configuration, 1 Camera List, 2 UserAuth., 3 ROP List.
    PanelPage* page(int tabIndex) const;
    TargetSelection& selection() { return m_selection; }
    // Opens the About box; what the system menu's About command runs.
    QAction* aboutAction() const { return m_aboutAction; }
    // The File menu's commands, in menu order: Open Panel Profile..., Save Panel Profile...,
    // Open Panel List..., Save Panel List....
    static constexpr int kFileActionCount = 4;
    const std::array<QAction*, kFileActionCount>& fileActions() const { return m_fileActions; }
    QMenuBar* menuBar() const { return m_menuBar; }
    // "Panels": the registered panels and the fleet operations, opened from the Panels menu.
    FleetWindow* fleetWindow() const { return m_fleetWindow; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
#ifdef Q_OS_WIN
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
#endif

  private:
#ifdef Q_OS_WIN
    void addAboutCommand();
#endif
    void createFileActions();
    void createMenuBar();
    void openFleetWindow();
    void createPages();
    void showAbout();
    void tabChanged();

    // Owned here when no message boxes or file dialogs were given; declared before the context
    // and the file commands that refer to them.
    std::unique_ptr<QtMessageBoxes> m_ownMessages;
    std::unique_ptr<QtFileDialogs> m_ownFileDialogs;
    FileDialogs* m_fileDialogs = nullptr;
    TargetSelection m_selection;
    OperationGuard m_guard;
    PageContext m_context;
    QMenuBar* m_menuBar = nullptr;
    QTabWidget* m_tabs = nullptr;
    QAction* m_aboutAction = nullptr;
    std::array<QAction*, kFileActionCount> m_fileActions{};
    std::array<PanelPage*, kPageCount> m_pages{};
    std::unique_ptr<PanelFileCommands> m_fileCommands;
    FleetWindow* m_fleetWindow = nullptr;
};

}  // namespace trx
