#include "records/CameraListForm.h"

#include <algorithm>

namespace trx {

namespace {

constexpr int kRows = CameraTable::kRowCount;

std::size_t at(int row) {
    return static_cast<std::size_t>(row);
}

// The first row holding a serial camera; in IP Mode only that row may offer the serial entry.
int firstSerialRow(const CameraTable& table) {
    for (int row = 0; row < kRows; ++row) {
        if (isSerialTypeCode(table.typeCode(row))) {
            return row;
        }
    }
    return -1;
}

}  // namespace

CameraListForm::CameraListForm() {
    showTable();
}

bool CameraListForm::rowHighlighted(int row) const {
    return searchPending() && (m_table.statusFlags(row) & kStatusHighlight) != 0;
}

void CameraListForm::refillSwapLists() {
    const bool serial = isSerialModeCode(m_table.modeCode());
    for (int row = 0; row < kRows; ++row) {
        std::vector<std::string>& entries = m_lists.swapEntries[at(row)];
        entries.assign(1, " ");
        if (serial) {
            continue;
        }
        for (int other = 0; other < kRows; ++other) {
            if (other != row) {
                entries.push_back(cameraRowLabel(other));
            }
        }
    }
}

void CameraListForm::showTable() {
    refillSwapLists();
    const std::uint8_t modeCode = m_table.modeCode();
    for (int row = 0; row < kRows; ++row) {
        const std::size_t i = at(row);
        m_values.modelText[i] = m_table.modelText(row);
        if (const auto entry = entryForTypeCode(m_table.typeCode(row), modeCode)) {
            m_values.typeEntry[i] = *entry;
        }
        m_values.macText[i] = m_table.macText(row);
        m_values.address[i] = m_table.rowAddress(row);
        m_values.port[i] = m_table.rowPort(row);
    }
    const ModeSelection selection = decodeModeCode(modeCode);
    m_values.connectionMode = static_cast<int>(selection.mode);
    m_values.cameraFamily = static_cast<int>(selection.family);
    m_values.serialEntry = serialEntryForNumber(m_table.serialCameraNumber());
    fillTypeLists(selection, selection.mode == ConnectionMode::Serial ? m_values.serialEntry
                                                                      : firstSerialRow(m_table));
    setEnabling(selection.mode, m_values.serialEntry);
}

void CameraListForm::collectAddresses() {
    for (int row = 0; row < kRows; ++row) {
        m_table.setRowAddress(row, m_values.address[at(row)]);
    }
    for (int row = 0; row < kRows; ++row) {
        m_table.setRowPort(row, m_values.port[at(row)]);
    }
}

void CameraListForm::applyConnectionSettings() {
    const ModeSelection selection = formSelection();
    for (int row = 0; row < kRows; ++row) {
        m_table.setTypeCode(row, camera_type::kNoAssign);
    }
    const int serialRow = selection.mode == ConnectionMode::Serial ? m_values.serialEntry : -1;
    if (serialRow >= 0 && serialRow < kRows) {
        m_table.setTypeCode(serialRow, serialTypeCode(selection.family));
    }
    fillTypeLists(selection, serialRow);
    setEnabling(selection.mode, m_values.serialEntry);
    m_table.setModeCode(encodeModeCode(selection));
    m_table.setSerialCameraNumber(serialNumberForEntry(m_values.serialEntry));
    m_values.typeEntry.fill(0);
    refillSwapLists();
}

void CameraListForm::changeCameraType(int row) {
    if (row < 0 || row >= kRows) {
        return;
    }
    const std::uint8_t modeCode = m_table.modeCode();
    if (isSerialModeCode(modeCode)) {
        const bool serialRow = serialEntryForNumber(m_table.serialCameraNumber()) == row;
        m_table.setTypeCode(row, serialRow ? serialTypeCode(decodeModeCode(modeCode).family)
                                           : camera_type::kNoAssign);
    } else if (isIpModeCode(modeCode)) {
        m_table.setTypeCode(
            row, typeCodeForEntry(m_values.typeEntry[at(row)], modeCode, m_table.typeCode(row)));
    }
    showTable();
}

void CameraListForm::swapRows(
    int row, int other, const std::array<PanelAddress, CameraTable::kRowCount>& fieldAddresses) {
    for (int r = 0; r < kRows; ++r) {
        m_table.setRowAddress(r, fieldAddresses[at(r)]);
    }
    m_table.swapRows(other, row);
    showTable();
}

bool CameraListForm::replaceTable(std::span<const std::uint8_t> reply) {
    const auto table = CameraTable::fromReply(reply);
    if (!table) {
        return false;
    }
    m_table = *table;
    return true;
}

std::optional<int> CameraListForm::rowForLabel(std::string_view label) {
    for (int row = 0; row < kRows; ++row) {
        if (cameraRowLabel(row) == label) {
            return row;
        }
    }
    return std::nullopt;
}

ModeSelection CameraListForm::formSelection() const {
    const auto mode = m_values.connectionMode == 1 ? ConnectionMode::Ip : ConnectionMode::Serial;
    const auto family = static_cast<CameraFamily>(std::clamp(m_values.cameraFamily, 0, 2));
    return {mode, family};
}

void CameraListForm::fillTypeLists(ModeSelection selection, int serialRow) {
    const std::string serialText(serialTypeText(selection.family));
    for (int row = 0; row < kRows; ++row) {
        std::vector<std::string>& entries = m_lists.typeEntries[at(row)];
        if (selection.mode == ConnectionMode::Serial) {
            entries.assign(1, row == serialRow ? serialText : std::string("NoAsign"));
            continue;
        }
        entries = {"NoAsign", "CCU IP", "Remote IP", "Camcoder IP"};
        if (serialRow < 0 || row == serialRow) {
            entries.push_back(serialText);
        }
    }
}

void CameraListForm::setEnabling(ConnectionMode mode, int serialEntry) {
    const bool ip = mode == ConnectionMode::Ip;
    m_enabling.networkSearch = ip;
    m_enabling.serialNumberList = !ip;
    for (int row = 0; row < kRows; ++row) {
        m_enabling.typeList[at(row)] = ip || row == serialEntry;
        m_enabling.addressAndPort[at(row)] = ip;
    }
    m_enabling.swapLists = ip;
}

}  // namespace trx
