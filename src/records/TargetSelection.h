#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "wire/PanelAddress.h"

namespace trx {

// A drop-down list that shows the known panels. The selection fills it; it owns no data.
class SelectorView {
  public:
    virtual ~SelectorView() = default;
    virtual void clearEntries() = 0;
    virtual void addEntry(const std::string& text) = 0;
    // Position -1, or one past the list's end, shows no selection.
    virtual void selectEntry(int position) = 0;
};

// The panels the tool knows and the one it talks to. There is one for the whole run, shared by
// the main window and every page; nothing of it is saved.
class TargetSelection {
  public:
    static constexpr int kPanelCount = 25;

    TargetSelection();

    // Entry i is the address of panel TRX(i+1); 0 means no panel.
    const std::array<PanelAddress, kPanelCount>& panelAddressTable() const { return m_table; }
    // Entry k is the panel index shown at selector position k.
    const std::array<int, kPanelCount>& selectorMap() const { return m_selectorMap; }
    int selectorPosition() const { return m_selectorPosition; }
    PanelAddress currentTarget() const { return m_currentTarget; }

    // The selectors that rebuildSelectors refills, one per page.
    void attachSelector(SelectorView* view);
    void detachSelector(SelectorView* view);

    // Refills every attached selector and re-derives the position and the current target; the
    // selection follows its panel, or falls back to the first entry when that panel has no
    // address any more.
    void rebuildSelectors();
    // The same steps for one selector only (the ROP List page after a registration).
    void rebuildSelector(SelectorView& view);

    // The user picked an entry: the position and the current target follow. No exchange starts
    // and the other selectors take the position at the next rebuild.
    void selectPosition(int position);

    // A panel picked outside the selectors (the window's list of panels): it becomes the current
    // target and every selector shows it at once. A panel without an address changes nothing.
    void selectPanel(int panelIndex);

    // A page's form read takes its selector back; the current target stays.
    void setSelectorPosition(int position) { m_selectorPosition = position; }

    // Registration writes one entry of the table.
    void setPanelAddress(int panelIndex, PanelAddress address);

    // "TRX5(192.168.0.134)".
    static std::string entryText(int panelIndex, PanelAddress address);

  private:
    void rebuild(const std::vector<SelectorView*>& views);
    PanelAddress addressAtPosition(int position) const;

    std::array<PanelAddress, kPanelCount> m_table{};
    std::array<int, kPanelCount> m_selectorMap{};
    int m_selectorPosition = 0;
    PanelAddress m_currentTarget = 0;
    std::vector<SelectorView*> m_views;
};

}  // namespace trx
