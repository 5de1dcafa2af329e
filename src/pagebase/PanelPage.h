#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "pagebase/MessageBoxes.h"
#include "pagebase/PageContext.h"

class QAbstractButton;

namespace trx {

class FailureTexts;
class TargetSelectorBox;

// What the four tab pages share: the context they were given, a target selector at the top
// left, operations that never overlap, exchanges with the current target, message helpers that
// go through the message-box seam, and Enter and Escape doing nothing (a page never closes
// itself or the window). A page operation reads: read the form, check, exchange, tell.
class PanelPage : public QWidget {
    Q_OBJECT
  public:
    PanelPage(const PageContext& context, QWidget* parent = nullptr);

    // Every page is laid out in this size; the main window shows them all in one rectangle.
    static constexpr int kPageWidth = 1240;
    static constexpr int kPageHeight = 660;

    TargetSelectorBox* targetSelector() const { return m_selector; }
    const PageContext& context() const { return m_context; }

    // Runs one operation unless an operation of any page is running; a click, key or
    // assistive-technology action that arrives meanwhile is dropped without a word. Public, like
    // the message helpers below, for the window's own commands that act on pages.
    void runOperation(const std::function<void()>& operation);
    // Message boxes captioned with the application's name unless a caption is given.
    void showError(const QString& text);
    void showWarning(const QString& text);
    void showStatus(const QString& text, const QString& caption);
    // An OK/Cancel question with the warning icon.
    MessageBoxes::Answer confirm(const QString& text);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

    // Makes the button's click run the operation as runOperation does.
    void bindOperation(QAbstractButton* button, std::function<void()> operation);

    // One exchange with the current target, under the page's exchange settings.
    ExchangeResult requestFromTarget(std::string_view commandLine) const;
    ExchangeResult writeToTarget(std::string_view commandLine,
                                 std::span<const std::uint8_t> block) const;
    // Shows the outcome's text from the page's table with the error icon; Ok shows nothing.
    // True when the outcome was Ok.
    bool tellOutcome(const FailureTexts& texts, ExchangeOutcome outcome);

    // "Do you agree to rebooting after data transfer?", asked before every write that makes the
    // panel restart; true only for OK.
    bool confirmReboot();

    // The panel that page exchanges dial.
    PanelAddress currentTarget() const;

    PageContext m_context;
    TargetSelectorBox* m_selector;
};

}  // namespace trx
