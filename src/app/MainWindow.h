#pragma once

#include <QDialog>

#include <array>
#include <memory>

#include "pagebase/OperationGuard.h"
#include "pagebase/PageContext.h"
#include "records/TargetSelection.h"

class QAction;
class QTabWidget;

namespace trx {

class MessageBoxes;
class PanelPage;
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

    // Real message boxes and the panels' own port.
    explicit CTRX900ToolDlg(QWidget* parent = nullptr);
    CTRX900ToolDlg(MessageBoxes& messages, const ExchangeSettings& exchange,
                   QWidget* parent = nullptr);
    ~CTRX900ToolDlg() override;

    QTabWidget* tabs() const { return m_tabs; }
    // The page of a tab: 0 Configuration, 1 Camera List, 2 UserAuth., 3 ROP List.
    PanelPage* page(int tabIndex) const;
    TargetSelection& selection() { return m_selection; }
    // Opens the About box; what the system menu's About command runs.
    QAction* aboutAction() const { return m_aboutAction; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
#ifdef Q_OS_WIN
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
#endif

  private:
    void addAboutCommand();
    void createPages();
    void showAbout();
    void tabChanged();

    // Owned here when no message boxes were given; declared before the context that refers
    // to them.
    std::unique_ptr<QtMessageBoxes> m_ownMessages;
    TargetSelection m_selection;
    OperationGuard m_guard;
    PageContext m_context;
    QTabWidget* m_tabs = nullptr;
    QAction* m_aboutAction = nullptr;
    std::array<PanelPage*, kPageCount> m_pages{};
};

}  // namespace trx
