#include "pagebase/PanelPage.h"

#include <QAbstractButton>
#include <QKeyEvent>

#include "pagebase/FailureTexts.h"
#include "pagebase/OperationGuard.h"
#include "pagebase/widgets/PageControls.h"
#include "pagebase/widgets/TargetSelectorBox.h"
#include "records/TargetSelection.h"

namespace trx {

PanelPage::PanelPage(const PageContext& context, QWidget* parent)
    : QWidget(parent),
      m_context(context),
      m_selector(new TargetSelectorBox(context.selection, this)) {
    m_selector->setObjectName(QStringLiteral("targetSelectorBox"));
    m_selector->setAccessibleName(QStringLiteral("Target panel"));
    m_selector->setAccessibleDescription(QStringLiteral("Target panel"));
}

void PanelPage::keyPressEvent(QKeyEvent* event) {
    if (isDialogClosingKey(event)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PanelPage::runOperation(const std::function<void()>& operation) {
    OperationGuard::Scope running(m_context.guard);
    if (running) {
        operation();
    }
}

void PanelPage::bindOperation(QAbstractButton* button, std::function<void()> operation) {
    connect(button, &QAbstractButton::clicked, this,
            [this, operation = std::move(operation)] { runOperation(operation); });
}

ExchangeResult PanelPage::requestFromTarget(std::string_view commandLine) const {
    return PanelExchange(m_context.exchange).request(currentTarget(), commandLine);
}

ExchangeResult PanelPage::writeToTarget(std::string_view commandLine,
                                        std::span<const std::uint8_t> block) const {
    return PanelExchange(m_context.exchange).write(currentTarget(), commandLine, block);
}

bool PanelPage::tellOutcome(const FailureTexts& texts, ExchangeOutcome outcome) {
    if (const QString text = texts.text(outcome); !text.isEmpty()) {
        showError(text);
    }
    return outcome == ExchangeOutcome::Ok;
}

void PanelPage::showError(const QString& text) {
    m_context.messages.show(text, applicationCaption(), MessageBoxes::Icon::Error,
                            MessageBoxes::Buttons::Ok);
}

void PanelPage::showWarning(const QString& text) {
    m_context.messages.show(text, applicationCaption(), MessageBoxes::Icon::Warning,
                            MessageBoxes::Buttons::Ok);
}

MessageBoxes::Answer PanelPage::confirm(const QString& text) {
    return m_context.messages.show(text, applicationCaption(), MessageBoxes::Icon::Warning,
                                   MessageBoxes::Buttons::OkCancel);
}

bool PanelPage::confirmReboot() {
    return confirm(QStringLiteral("Do you agree to rebooting after data transfer?")) ==
           MessageBoxes::Answer::Ok;
}

void PanelPage::showStatus(const QString& text, const QString& caption) {
    m_context.messages.show(text, caption, MessageBoxes::Icon::None, MessageBoxes::Buttons::Ok);
}

PanelAddress PanelPage::currentTarget() const {
    return m_context.selection.currentTarget();
}

}  // namespace trx
