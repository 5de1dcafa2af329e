#include "pagebase/PanelPage.h"

#include <QKeyEvent>

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
