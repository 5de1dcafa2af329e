#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "wire/ExchangeOutcome.h"
#include "wire/PanelAddress.h"

namespace trx {

// Up to 25 panels share one network; row n (1..25) is the panel with ROP number n, "TRXn".
inline constexpr int kRopRowCount = 25;

// What a panel answers to the ROP list request: for each row, a 6-byte entry of which the tool
// reads the first 4 bytes as the address, then 4-byte masks and 4-byte gateways, then the
// checksum byte. Bytes 0..149 and the 2 bytes after each address are the panel's own and stay
// as received.
inline constexpr std::size_t kRopListBlockSize = 501;
inline constexpr std::size_t kRopAddressOffset = 150;
inline constexpr std::size_t kRopAddressStride = 6;
inline constexpr std::size_t kRopMaskOffset = 300;
inline constexpr std::size_t kRopGatewayOffset = 400;
inline constexpr std::size_t kRopMaskStride = 4;
inline constexpr std::size_t kRopListChecksumIndex = 500;

using RopListBlock = std::array<std::uint8_t, kRopListBlockSize>;

// Sent to a panel when it is registered: its zero-based row index and the checksum byte.
using RopNumberBlock = std::array<std::uint8_t, 2>;

struct RopRow {
    PanelAddress address = 0;  // 0 = empty row
    PanelAddress subnetMask = 0;
    PanelAddress gateway = 0;

    friend bool operator==(const RopRow&, const RopRow&) = default;
};

// The ROP List page's picture of the network: the last list block accepted from a panel, kept
// byte for byte, and the 25 rows as three parallel arrays (row n at index n-1).
struct RopTable {
    RopListBlock block{};
    std::array<PanelAddress, kRopRowCount> address{};
    std::array<PanelAddress, kRopRowCount> subnetMask{};
    std::array<PanelAddress, kRopRowCount> gateway{};

    // Row by zero-based index; an index outside 0..24 reads as an empty row and writes nothing.
    RopRow row(int rowIndex) const;
    void setRow(int rowIndex, const RopRow& row);
};

// The table a new page starts from: the registered addresses, row 1 with mask 255.255.255.0 and
// its address's x.x.x.1 as gateway, every other mask and gateway 0, the block all zero.
RopTable InitialRopTable(std::span<const PanelAddress, kRopRowCount> panelAddressTable);

// Overwrites all 25 rows from the stored block. Rows whose address is 0 keep whatever mask and
// gateway the block holds; the page blanks them.
void DecodeRopListBlock(RopTable& table);

// Row index 0..24; an index outside is clamped so that no panel is sent a number it cannot have.
RopNumberBlock EncodeRopNumberBlock(int rowIndex);

inline constexpr int kNetworkSettingUsable = 0;
inline constexpr int kNetworkSettingUnavailable = -1;

// Whether a row may be registered: 0 usable, -1 unavailable. An empty row (address 0) is always
// usable. The gateway plays no part, nor do the other rows.
int CheckNetworkSetting(PanelAddress address, PanelAddress mask);

// Exchanges address, mask and gateway of two rows (zero-based); the block stays as it was.
// Indexes outside 0..24 change nothing.
void SwapRopRows(RopTable& table, int rowIndexA, int rowIndexB);

// "TRX1" .. "TRX25" for row 1..25.
std::string RopRowLabel(int row);

// The row (1..25) that a label names, if it is one.
std::optional<int> RopRowFromLabel(std::string_view label);

// Rows named in a message after its head line: " TRX3/ TRX12" for rows 3 and 12.
std::string RopRowList(std::span<const int> rows);

// What the page does with the outcome of a ROP list read.
enum class RopListReadVerdict {
    // The panel could not be reached: say so and leave everything as it was.
    NoConnect,
    // The command could not be sent: say so and leave everything as it was.
    SocketError,
    // No usable list came back: say so, keep the stored block and redraw from it.
    CommandError,
    // The reply replaces the stored block.
    Accept,
};

// Judges a list read by its outcome and the bytes received. A reply too short to hold a whole
// list is refused like an empty one, so that stale bytes never become panel addresses.
RopListReadVerdict JudgeRopListRead(ExchangeOutcome outcome, std::span<const std::uint8_t> bytes);

// Takes an accepted reply's first 501 bytes as the stored block; false (table unchanged) when
// the reply is shorter.
bool AcceptRopListReply(RopTable& table, std::span<const std::uint8_t> reply);

}  // namespace trx
