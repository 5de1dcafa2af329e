#include "records/TargetSelection.h"

#include <algorithm>

namespace trx {

namespace {

bool validPosition(int position) {
    return position >= 0 && position < TargetSelection::kPanelCount;
}

}  // namespace

TargetSelection::TargetSelection() {
    m_table[0] = makeAddress(192, 168, 0, 130);
}

void TargetSelection::attachSelector(SelectorView* view) {
    if (view != nullptr && std::find(m_views.begin(), m_views.end(), view) == m_views.end()) {
        m_views.push_back(view);
    }
}

void TargetSelection::detachSelector(SelectorView* view) {
    m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end());
}

PanelAddress TargetSelection::addressAtPosition(int position) const {
    if (!validPosition(position)) {
        position = 0;
    }
    const int panel = m_selectorMap[static_cast<std::size_t>(position)];
    return validPosition(panel) ? m_table[static_cast<std::size_t>(panel)] : 0;
}

void TargetSelection::rebuildSelectors() {
    rebuild(m_views);
}

void TargetSelection::rebuildSelector(SelectorView& view) {
    rebuild({&view});
}

void TargetSelection::rebuild(const std::vector<SelectorView*>& views) {
    for (SelectorView* view : views) {
        view->clearEntries();
    }
    if (!validPosition(m_selectorPosition) || addressAtPosition(m_selectorPosition) == 0) {
        m_selectorPosition = 0;
    }
    const int kept = m_selectorMap[static_cast<std::size_t>(m_selectorPosition)];
    int next = 0;
    for (int panel = 0; panel < kPanelCount; ++panel) {
        const PanelAddress address = m_table[static_cast<std::size_t>(panel)];
        if (address == 0) {
            continue;
        }
        const std::string text = entryText(panel, address);
        for (SelectorView* view : views) {
            view->addEntry(text);
        }
        m_selectorMap[static_cast<std::size_t>(next)] = panel;
        if (panel == kept) {
            m_selectorPosition = next;
        }
        ++next;
    }
    for (SelectorView* view : views) {
        view->selectEntry(m_selectorPosition < next ? m_selectorPosition : -1);
    }
    m_currentTarget = addressAtPosition(m_selectorPosition);
}

void TargetSelection::selectPosition(int position) {
    if (!validPosition(position)) {
        return;
    }
    m_selectorPosition = position;
    m_currentTarget = addressAtPosition(position);
}

void TargetSelection::selectPanel(int panelIndex) {
    if (!validPosition(panelIndex) || m_table[static_cast<std::size_t>(panelIndex)] == 0) {
        return;
    }
    // A rebuild keeps the panel at the selected position and finds its new place.
    m_selectorPosition = 0;
    m_selectorMap[0] = panelIndex;
    rebuildSelectors();
}

void TargetSelection::setPanelAddress(int panelIndex, PanelAddress address) {
    if (validPosition(panelIndex)) {
        m_table[static_cast<std::size_t>(panelIndex)] = address;
    }
}

std::string TargetSelection::entryText(int panelIndex, PanelAddress address) {
    return "TRX" + std::to_string(panelIndex + 1) + "(" + addressText(address) + ")";
}

}  // namespace trx
