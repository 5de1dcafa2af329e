#pragma once

#include <QWidget>

#include "pagebase/MessageBoxes.h"
#include "pagebase/PageContext.h"

namespace trx {

class TargetSelectorBox;

// What the four tab pages share: the context they were given, a target selector at the top
// left, message helpers that go through the message-box seam, and Enter and Escape doing
// nothing (a page never closes itself or the window).
class PanelPage : public QWidget {
    Q_OBJECT
  public:
    PanelPage(const PageContext& context, QWidget* parent = nullptr);

    // Every page is laid out in this size; the main window shows them all in one rectangle.
    static constexpr int kPageWidth = 1240;
    static constexpr int kPageHeight = 660;

    TargetSelectorBox* targetSelector() const { return m_selector; }
    const PageContext& context() const { return m_context; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

    // Message boxes captioned with the application's name unless a caption is given.
    void showError(const QString& text);
    void showWarning(const QString& text);
    MessageBoxes::Answer confirm(const QString& text);
    // "Do you agree to rebooting after data transfer?", asked before every write that makes the
    // panel restart; true only for OK.
    bool confirmReboot();
    void showStatus(const QString& text, const QString& caption);

    // The panel that page exchanges dial.
    PanelAddress currentTarget() const;

    PageContext m_context;
    TargetSelectorBox* m_selector;
};

}  // namespace trx
