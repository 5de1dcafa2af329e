#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "records/CameraTable.h"

namespace trx {

// Row port values as the operator typed them; a port is judged on this number, not on the 16
// bits that the table can hold (70000 must be refused, not written as 4464).
using CameraPorts = std::array<std::uint32_t, CameraTable::kRowCount>;

// "IP(192.168.0.10) Duplication".
std::string duplicationText(PanelAddress address);

// Network search: the panel answers with a whole table. Its bytes replace the table from the
// first byte on, at most 670 of them, except the mode code, which stays the operator's choice.
// An empty reply leaves the table as it was. A reply cut short is no table: refused (false),
// so none of its bytes mix with the table's.
bool takeSearchReply(CameraTable& table, std::span<const std::uint8_t> reply);
// The first row, C01 on, that the panel flagged as holding a duplicate address.
std::optional<int> firstFlaggedDuplicate(const CameraTable& table);

// True while at least one row has a camera type other than "NoAsign".
bool hasAnyCamera(const CameraTable& table);
// The first row whose address is the target panel's or another row's, whatever the type codes.
std::optional<int> firstDuplicateRow(const CameraTable& table, PanelAddress target);
// First octet 1..223, last octet 1..254, and not the loopback host itself.
bool cameraAddressUsable(PanelAddress address);
// 1..65535 and none of the ports that the panel keeps for its own services.
bool cameraPortUsable(std::uint32_t port);
// Rows whose address, or (with a usable address) whose port, cannot be written.
std::vector<int> unavailableRows(const CameraTable& table, const CameraPorts& ports);
// "Unavailable network setting!\r\n C02/ C03/ C04/ C05/ C07\r\n C19": five labels a line.
std::string unavailableSettingText(const std::vector<int>& rows);
// SET's refusal of a table without any camera, and the panel's when it refuses the types.
std::string noCameraText();
// Why SET must not send the table to the target, checked in this order after the form was read:
// an address used twice or the target's own (an error), then rows whose address or port cannot
// be written (a warning).
struct CameraAddressRefusal {
    bool warning = false;
    std::string text;
};
std::optional<CameraAddressRefusal> checkCameraAddresses(const CameraTable& table,
                                                         PanelAddress target,
                                                         const CameraPorts& ports);
// SET asks this before a table with a network camcorder goes out.
std::string camcorderFirmwareQuestion();
// Only network cameras keep a MAC address on the panel.
void clearNonIpMacs(CameraTable& table);
bool hasCamcorderIp(const CameraTable& table);

// What the panel said to a written camera table.
enum class CameraWriteResult { CameraTypeRefused, Written, Refused };
CameraWriteResult evaluateWriteResult(std::span<const std::uint8_t> resultLine);

}  // namespace trx
