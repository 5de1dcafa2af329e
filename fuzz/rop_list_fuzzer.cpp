// The ROP List page's list read: a reply of any length after any exchange outcome, judged,
// taken, decoded into the 25 rows, then rows swapped and checked for REGISTER.
//
// Input: the exchange outcome, two row indexes, then the reply.

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "records/RopTable.h"
#include "wire/Checksum.h"

namespace {

using trx::RopListReadVerdict;
using trx::RopTable;

constexpr int kRows = trx::kRopRowCount;
constexpr int kOutcomeCount = 9;

std::array<trx::PanelAddress, kRows> registeredAddresses() {
    std::array<trx::PanelAddress, kRows> addresses{};
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        addresses[i] = trx::makeAddress(192, 168, 0, static_cast<std::uint8_t>(130 + i));
    }
    return addresses;
}

bool sameRows(const RopTable& a, const RopTable& b) {
    return a.address == b.address && a.subnetMask == b.subnetMask && a.gateway == b.gateway;
}

void checkDecoded(const RopTable& table) {
    for (std::size_t i = 0; i < static_cast<std::size_t>(kRows); ++i) {
        const auto field = [&table](std::size_t offset) {
            return trx::readAddress(
                std::span<const std::uint8_t, 4>(table.block.data() + offset, 4));
        };
        TRX_FUZZ_REQUIRE(table.address[i] ==
                         field(trx::kRopAddressOffset + trx::kRopAddressStride * i));
        TRX_FUZZ_REQUIRE(table.subnetMask[i] ==
                         field(trx::kRopMaskOffset + trx::kRopMaskStride * i));
        TRX_FUZZ_REQUIRE(table.gateway[i] ==
                         field(trx::kRopGatewayOffset + trx::kRopMaskStride * i));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    trx::fuzz::FuzzInput in(data, size);
    const auto outcome = static_cast<trx::ExchangeOutcome>(in.byte() % kOutcomeCount);
    const int swapA = in.signedByte();
    const int swapB = in.signedByte();
    const std::vector<std::uint8_t> reply = in.rest();

    RopTable table = trx::initialRopTable(registeredAddresses());
    const RopTable initial = table;
    const RopListReadVerdict verdict = trx::judgeRopListRead(outcome, reply);
    if (verdict == RopListReadVerdict::Accept) {
        // Stale bytes must never become panel addresses.
        TRX_FUZZ_REQUIRE(outcome == trx::ExchangeOutcome::Ok);
        TRX_FUZZ_REQUIRE(reply.size() >= trx::kRopListBlockSize && trx::checksumHolds(reply));
        TRX_FUZZ_REQUIRE(trx::acceptRopListReply(table, reply));
        TRX_FUZZ_REQUIRE(std::equal(table.block.begin(), table.block.end(), reply.begin()));
    } else {
        RopTable copy = table;
        const bool taken = trx::acceptRopListReply(copy, reply);
        TRX_FUZZ_REQUIRE(taken == (reply.size() >= trx::kRopListBlockSize));
        TRX_FUZZ_REQUIRE(taken || copy.block == table.block);
    }
    if (verdict == RopListReadVerdict::NoConnect || verdict == RopListReadVerdict::SocketError) {
        TRX_FUZZ_REQUIRE(sameRows(table, initial));
        return 0;
    }
    const trx::RopListBlock block = table.block;
    trx::DecodeRopListBlock(table);
    TRX_FUZZ_REQUIRE(table.block == block);
    checkDecoded(table);

    const RopTable decoded = table;
    trx::SwapRopRows(table, swapA, swapB);
    const bool valid = swapA >= 0 && swapA < kRows && swapB >= 0 && swapB < kRows;
    TRX_FUZZ_REQUIRE(table.block == block);
    TRX_FUZZ_REQUIRE(table.row(swapA) == (valid ? decoded.row(swapB) : decoded.row(swapA)));
    trx::SwapRopRows(table, swapA, swapB);
    TRX_FUZZ_REQUIRE(sameRows(table, decoded));

    for (int row = 0; row < kRows; ++row) {
        const trx::RopRow r = table.row(row);
        const int check = trx::CheckNetworkSetting(r.address, r.subnetMask);
        TRX_FUZZ_REQUIRE(check == trx::kNetworkSettingUsable ||
                         check == trx::kNetworkSettingUnavailable);
        TRX_FUZZ_REQUIRE(r.address != 0 || check == trx::kNetworkSettingUsable);
    }
    const trx::RopNumberBlock number = trx::EncodeRopNumberBlock(swapA);
    TRX_FUZZ_REQUIRE(number[0] < kRows && trx::checksumHolds(number));

    // The swap lists name rows by label; the reply's first bytes serve as a label from nowhere.
    const std::string_view label =
        trx::fuzz::asText(std::span(reply).first(std::min<std::size_t>(reply.size(), 8)));
    if (const auto row = trx::RopRowFromLabel(label)) {
        TRX_FUZZ_REQUIRE(*row >= 1 && *row <= kRows && trx::RopRowLabel(*row) == label);
    }
    return 0;
}
