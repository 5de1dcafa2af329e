#include "records/CameraListRules.h"

#include <algorithm>
#include <cstdio>

#include "wire/Checksum.h"
#include "wire/Commands.h"

namespace trx {

namespace {

// Ports of well-known services that a camera must not be given.
constexpr std::array<std::uint32_t, 16> kRefusedPorts = {20, 21,  23,  25,  42,  53,  67,    68,
                                                         69, 110, 123, 161, 162, 995, 10669, 10670};

}  // namespace

std::string duplicationText(PanelAddress address) {
    return "IP(" + addressText(address) + ") Duplication";
}

bool takeSearchReply(CameraTable& table, std::span<const std::uint8_t> reply) {
    if (!reply.empty() && reply.size() < CameraTable::kSize) {
        return false;
    }
    const std::uint8_t modeCode = table.modeCode();
    const std::size_t count = std::min(reply.size(), CameraTable::kSize);
    std::copy_n(reply.begin(), count, table.bytes().begin());
    table.setModeCode(modeCode);
    return true;
}

std::optional<int> firstFlaggedDuplicate(const CameraTable& table) {
    for (int row = 0; row < CameraTable::kRowCount; ++row) {
        if ((table.statusFlags(row) & kStatusDuplicate) != 0) {
            return row;
        }
    }
    return std::nullopt;
}

bool hasAnyCamera(const CameraTable& table) {
    for (int row = 0; row < CameraTable::kRowCount; ++row) {
        if (table.typeCode(row) != camera_type::kNoAssign) {
            return true;
        }
    }
    return false;
}

std::optional<int> firstDuplicateRow(const CameraTable& table, PanelAddress target) {
    for (int row = 0; row < CameraTable::kRowCount; ++row) {
        const PanelAddress address = table.rowAddress(row);
        if (address == target) {
            return row;
        }
        for (int other = 0; other < CameraTable::kRowCount; ++other) {
            if (other != row && table.rowAddress(other) == address) {
                return row;
            }
        }
    }
    return std::nullopt;
}

bool cameraAddressUsable(PanelAddress address) {
    const auto o = addressOctets(address);
    return o[0] >= 1 && o[0] <= 223 && o[3] >= 1 && o[3] <= 254 &&
           address != makeAddress(127, 0, 0, 1);
}

bool cameraPortUsable(std::uint32_t port) {
    return port >= 1 && port <= 65535 &&
           std::find(kRefusedPorts.begin(), kRefusedPorts.end(), port) == kRefusedPorts.end();
}

std::vector<int> unavailableRows(const CameraTable& table, const CameraPorts& ports) {
    std::vector<int> rows;
    for (int row = 0; row < CameraTable::kRowCount; ++row) {
        if (!cameraAddressUsable(table.rowAddress(row)) ||
            !cameraPortUsable(ports[static_cast<std::size_t>(row)])) {
            rows.push_back(row);
        }
    }
    return rows;
}

std::string unavailableSettingText(const std::vector<int>& rows) {
    std::string text = "Unavailable network setting!\r\n";
    std::size_t listed = 0;
    for (int row : rows) {
        if (listed > 0) {
            text += (listed % 5 == 0) ? "\r\n" : "/";
        }
        text += ' ';
        text += cameraRowLabel(row);
        ++listed;
    }
    return text;
}

std::string noCameraText() {
    return "One or more cameras should be set\r\nexcept for \"NoAsign\"";
}

std::optional<CameraAddressRefusal> checkCameraAddresses(const CameraTable& table,
                                                         PanelAddress target,
                                                         const CameraPorts& ports) {
    if (const auto row = firstDuplicateRow(table, target)) {
        return CameraAddressRefusal{false, duplicationText(table.rowAddress(*row))};
    }
    if (const auto rows = unavailableRows(table, ports); !rows.empty()) {
        return CameraAddressRefusal{true, unavailableSettingText(rows)};
    }
    return std::nullopt;
}

std::string camcorderFirmwareQuestion() {
    return "Please make sure that firmware version of QL-TRX900\r\n(Remote Operation Panel) "
           "should be later than Ver3.00.\r\nDo you execute connection?\r\nIf you are not "
           "sure, please select \"Cancel\".";
}

void clearNonIpMacs(CameraTable& table) {
    for (int row = 0; row < CameraTable::kRowCount; ++row) {
        if (!isIpTypeCode(table.typeCode(row))) {
            table.clearRowMac(row);
        }
    }
}

bool hasCamcorderIp(const CameraTable& table) {
    for (int row = 0; row < CameraTable::kRowCount; ++row) {
        if (table.typeCode(row) == camera_type::kCamcorderIp) {
            return true;
        }
    }
    return false;
}

CameraWriteResult evaluateWriteResult(std::span<const std::uint8_t> resultLine) {
    if (startsWith(resultLine, panel_line::kCameraTypeSettingNg)) {
        return CameraWriteResult::CameraTypeRefused;
    }
    if (startsWith(resultLine, panel_line::kWriteOk)) {
        return CameraWriteResult::Written;
    }
    return CameraWriteResult::Refused;
}

}  // namespace trx
