#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "records/CameraListRules.h"
#include "records/CameraTable.h"

namespace trx {

// One value per control of the Camera List page, moved to and from the controls all at once.
struct CameraFormValues {
    static constexpr std::size_t kRows = CameraTable::kRowCount;

    // Entry number of each row's camera type list; -1 selects nothing.
    std::array<int, kRows> typeEntry{};
    std::array<std::string, kRows> macText;
    std::array<std::string, kRows> modelText;
    std::array<PanelAddress, kRows> address{};
    CameraPorts port{};
    int connectionMode = 0;  // 0 Serial Mode, 1 IP Mode
    int cameraFamily = 0;    // 0 CCU, 1 RemoteCamera, 2 Camcorder
    int serialEntry = 0;     // entry of the list "1".."19"; -1 selects nothing
};

// What each row's drop-down lists hold.
struct CameraFormLists {
    std::array<std::vector<std::string>, CameraTable::kRowCount> typeEntries;
    std::array<std::vector<std::string>, CameraTable::kRowCount> swapEntries;
};

// Which controls the operator can use; the buttons driven by the search state are the page's.
struct CameraFormEnabling {
    bool networkSearch = false;
    bool serialNumberList = true;
    std::array<bool, CameraTable::kRowCount> typeList{};
    std::array<bool, CameraTable::kRowCount> addressAndPort{};
    bool swapLists = false;
};

// The Camera List page without its widgets: the one camera table, the form values that mirror
// it, the list contents and enabling derived from both, and the search state. The page reads its
// controls into values() before it calls a step that says "after the form was read", and writes
// values(), lists() and enabling() back into the controls afterwards.
class CameraListForm {
  public:
    // Starts from the default table, shown.
    CameraListForm();

    const CameraTable& table() const { return m_table; }
    CameraTable& table() { return m_table; }
    CameraFormValues& values() { return m_values; }
    const CameraFormValues& values() const { return m_values; }
    const CameraFormLists& lists() const { return m_lists; }
    const CameraFormEnabling& enabling() const { return m_enabling; }

    // 0 idle; any other value means a network search result waits for SET or CANCEL.
    int searchState() const { return m_searchState; }
    void setSearchState(int state) { m_searchState = state; }
    bool searchPending() const { return m_searchState != 0; }
    // Row labels are highlighted while a search result is pending for rows the panel marked.
    bool rowHighlighted(int row) const;

    // Brings values, lists and enabling up to date from the table; changes no table byte.
    void showTable();
    // Rebuilds the swap lists for the table's mode code.
    void refillSwapLists();

    // After the form was read: every row's address and port into the table.
    void collectAddresses();
    // After the form was read: the connection mode, family or serial camera changed. Every row's
    // camera type is dropped (the serial camera's row keeps the family's serial camera).
    void applyConnectionSettings();
    // After the form was read and the addresses collected: the row's new list entry becomes its
    // type code, then the table is shown again.
    void changeCameraType(int row);
    // Swaps two rows after the address fields' values (not the rest of the form) went into the
    // table, then shows the table again.
    void swapRows(int row, int other,
                  const std::array<PanelAddress, CameraTable::kRowCount>& fieldAddresses);

    // A REFRESH or INITIALIZE reply; false, with the table unchanged, when it cannot fill it.
    bool replaceTable(std::span<const std::uint8_t> reply);

    // The row whose label ("C01".."C19") the text is.
    static std::optional<int> rowForLabel(std::string_view label);

  private:
    ModeSelection formSelection() const;
    void fillTypeLists(ModeSelection selection, int serialRow);
    void setEnabling(ConnectionMode mode, int serialEntry);

    CameraTable m_table = CameraTable::defaults();
    CameraFormValues m_values;
    CameraFormLists m_lists;
    CameraFormEnabling m_enabling;
    int m_searchState = 0;
};

}  // namespace trx
