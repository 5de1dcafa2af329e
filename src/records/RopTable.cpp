#include "records/RopTable.h"

#include <algorithm>
#include <charconv>

#include "wire/Checksum.h"

namespace trx {

namespace {

bool validRowIndex(int rowIndex) {
    return rowIndex >= 0 && rowIndex < kRopRowCount;
}

std::size_t at(int rowIndex) {
    return static_cast<std::size_t>(rowIndex);
}

PanelAddress addressAt(const RopListBlock& block, std::size_t offset) {
    return readAddress(std::span<const std::uint8_t, 4>{block.data() + offset, 4});
}

constexpr PanelAddress kLoopbackHost = makeAddress(127, 0, 0, 1);

}  // namespace

RopRow RopTable::row(int rowIndex) const {
    if (!validRowIndex(rowIndex)) {
        return {};
    }
    return {address[at(rowIndex)], subnetMask[at(rowIndex)], gateway[at(rowIndex)]};
}

void RopTable::setRow(int rowIndex, const RopRow& value) {
    if (!validRowIndex(rowIndex)) {
        return;
    }
    address[at(rowIndex)] = value.address;
    subnetMask[at(rowIndex)] = value.subnetMask;
    gateway[at(rowIndex)] = value.gateway;
}

RopTable InitialRopTable(std::span<const PanelAddress, kRopRowCount> panelAddressTable) {
    RopTable table;
    std::copy(panelAddressTable.begin(), panelAddressTable.end(), table.address.begin());
    table.subnetMask[0] = makeAddress(255, 255, 255, 0);
    table.gateway[0] = (table.address[0] & 0xFFFFFF00u) | 1u;
    return table;
}

void DecodeRopListBlock(RopTable& table) {
    for (std::size_t i = 0; i < static_cast<std::size_t>(kRopRowCount); ++i) {
        table.address[i] = addressAt(table.block, kRopAddressOffset + kRopAddressStride * i);
        table.subnetMask[i] = addressAt(table.block, kRopMaskOffset + kRopMaskStride * i);
        table.gateway[i] = addressAt(table.block, kRopGatewayOffset + kRopMaskStride * i);
    }
}

RopNumberBlock EncodeRopNumberBlock(int rowIndex) {
    RopNumberBlock block{static_cast<std::uint8_t>(std::clamp(rowIndex, 0, kRopRowCount - 1)), 0};
    sealChecksum(block, 1);
    return block;
}

int CheckNetworkSetting(PanelAddress address, PanelAddress mask) {
    if (address == 0) {
        return kNetworkSettingUsable;
    }
    const auto octets = addressOctets(address);
    const bool unavailable = octets[0] == 0 || octets[0] > 223 || octets[3] == 0 ||
                             octets[3] == 255 || address == kLoopbackHost || mask == 0 ||
                             mask == kLoopbackHost;
    return unavailable ? kNetworkSettingUnavailable : kNetworkSettingUsable;
}

void SwapRopRows(RopTable& table, int rowIndexA, int rowIndexB) {
    if (!validRowIndex(rowIndexA) || !validRowIndex(rowIndexB)) {
        return;
    }
    const RopRow a = table.row(rowIndexA);
    table.setRow(rowIndexA, table.row(rowIndexB));
    table.setRow(rowIndexB, a);
}

std::string RopRowLabel(int row) {
    return "TRX" + std::to_string(row);
}

std::optional<int> RopRowFromLabel(std::string_view label) {
    constexpr std::string_view head = "TRX";
    if (!label.starts_with(head) || label.size() == head.size() || label[head.size()] == '0') {
        return std::nullopt;
    }
    int row = 0;
    const char* const end = label.data() + label.size();
    const auto [next, ec] = std::from_chars(label.data() + head.size(), end, row);
    if (ec != std::errc{} || next != end || row < 1 || row > kRopRowCount) {
        return std::nullopt;
    }
    return row;
}

std::string RopRowList(std::span<const int> rows) {
    std::string text;
    for (const int row : rows) {
        if (!text.empty()) {
            text += '/';
        }
        text += ' ';
        text += RopRowLabel(row);
    }
    return text;
}

RopListReadVerdict JudgeRopListRead(ExchangeOutcome outcome, std::span<const std::uint8_t> bytes) {
    switch (outcome) {
        case ExchangeOutcome::ConnectFailed:
            return RopListReadVerdict::NoConnect;
        case ExchangeOutcome::CommandSendFailed:
            return RopListReadVerdict::SocketError;
        case ExchangeOutcome::Ok:
            return bytes.size() >= kRopListBlockSize && checksumHolds(bytes)
                       ? RopListReadVerdict::Accept
                       : RopListReadVerdict::CommandError;
        // A reply that broke off is no list, however its bytes happen to sum.
        case ExchangeOutcome::ReceiveFailed:
        case ExchangeOutcome::SocketCreateFailed:
        case ExchangeOutcome::ChecksumFailed:
        case ExchangeOutcome::NotAcknowledged:
        case ExchangeOutcome::BlockSendFailed:
        case ExchangeOutcome::ResultReceiveFailed:
            break;
    }
    return RopListReadVerdict::CommandError;
}

bool AcceptRopListReply(RopTable& table, std::span<const std::uint8_t> reply) {
    if (reply.size() < kRopListBlockSize) {
        return false;
    }
    std::copy_n(reply.begin(), kRopListBlockSize, table.block.begin());
    return true;
}

}  // namespace trx
