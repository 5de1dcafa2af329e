#include "pagebase/widgets/TargetSelectorBox.h"

namespace trx {

TargetSelectorBox::TargetSelectorBox(TargetSelection& selection, QWidget* parent)
    : QComboBox(parent), m_selection(selection) {
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    setMinimumContentsLength(22);
    // activated carries only the user's own choices, never the refills of a rebuild.
    connect(this, &QComboBox::activated, this,
            [this](int position) { m_selection.selectPosition(position); });
    m_selection.attachSelector(this);
}

TargetSelectorBox::~TargetSelectorBox() {
    m_selection.detachSelector(this);
}

void TargetSelectorBox::clearEntries() {
    clear();
}

void TargetSelectorBox::addEntry(const std::string& text) {
    addItem(QString::fromStdString(text));
}

void TargetSelectorBox::selectEntry(int position) {
    setCurrentIndex(position < count() ? position : -1);
}

}  // namespace trx
