// The ROP List page's list read: a reply of any length after any exchange outcome, judged,
// taken, decoded into the 25 rows, then rows swapped and checked for REGISTER.
//
// Input: the exchange outcome, two row indexes, then the reply.

#include "FuzzInput.h"
#include "records/RopTable.h"
#include "wire/Checksum.h"

namespace {

using trx::RopListReadVerdict;
using trx::RopTable;

constexpr int kRows = trx::kRopRowCount;

bool sameRows(const RopTable& a, const RopTable& b) {
    return a.address == b.address && a.subnetMask == b.subnetMask && a.gateway == b.gateway;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    trx::fuzz::FuzzInput in(data, size);
    const auto outcome = static_cast<trx::ExchangeOutcome>(in.byte() % 9);
    const int swapA = in.signedByte();
    const int swapB = in.signedByte();
    const trx::fuzz::Bytes reply = in.rest();

    std::array<trx::PanelAddress, kRows> registered{};
    for (std::size_t i = 0; i < registered.size(); ++i) {
        registered[i] = trx::makeAddress(192, 168, 0, static_cast<std::uint8_t>(130 + i));
    }
    RopTable table = trx::InitialRopTable(registered);
    const RopTable initial = table;
    const RopListReadVerdict verdict = trx::JudgeRopListRead(outcome, reply);
    RopTable copy = table;
    const bool taken = trx::AcceptRopListReply(copy, reply);
    TRX_FUZZ_REQUIRE(taken == (reply.size() >= trx::kRopListBlockSize));
    TRX_FUZZ_REQUIRE(taken ? trx::fuzz::hasPrefix(reply, copy.block) : copy.block == table.block);
    if (verdict == RopListReadVerdict::Accept) {
        // Stale bytes must never become panel addresses.
        TRX_FUZZ_REQUIRE(outcome == trx::ExchangeOutcome::Ok && taken && trx::checksumHolds(reply));
        table = copy;
    }
    if (verdict == RopListReadVerdict::NoConnect || verdict == RopListReadVerdict::SocketError) {
        TRX_FUZZ_REQUIRE(sameRows(table, initial));
        return 0;
    }
    const trx::RopListBlock block = table.block;
    trx::DecodeRopListBlock(table);
    TRX_FUZZ_REQUIRE(table.block == block);
    for (std::size_t i = 0; i < static_cast<std::size_t>(kRows); ++i) {
        const auto field = [&block](std::size_t at) {
            return trx::readAddress(std::span<const std::uint8_t, 4>(block.data() + at, 4));
        };
        TRX_FUZZ_REQUIRE(table.address[i] ==
                         field(trx::kRopAddressOffset + trx::kRopAddressStride * i));
        TRX_FUZZ_REQUIRE(table.subnetMask[i] ==
                         field(trx::kRopMaskOffset + trx::kRopMaskStride * i));
        TRX_FUZZ_REQUIRE(table.gateway[i] ==
                         field(trx::kRopGatewayOffset + trx::kRopMaskStride * i));
    }

    const RopTable decoded = table;
    const bool valid = swapA >= 0 && swapA < kRows && swapB >= 0 && swapB < kRows;
    trx::SwapRopRows(table, swapA, swapB);
    TRX_FUZZ_REQUIRE(table.block == block);
    TRX_FUZZ_REQUIRE(table.row(swapA) == decoded.row(valid ? swapB : swapA));
    trx::SwapRopRows(table, swapA, swapB);
    TRX_FUZZ_REQUIRE(sameRows(table, decoded));
    for (int row = 0; row < kRows; ++row) {
        const trx::RopRow r = table.row(row);
        const int check = trx::CheckNetworkSetting(r.address, r.subnetMask);
        TRX_FUZZ_REQUIRE(check == trx::kNetworkSettingUsable ||
                         (check == trx::kNetworkSettingUnavailable && r.address != 0));
    }
    const trx::RopNumberBlock number = trx::EncodeRopNumberBlock(swapA);
    TRX_FUZZ_REQUIRE(number[0] < kRows && trx::checksumHolds(number));

    // The swap lists name rows by label; the reply's first bytes serve as a label from nowhere.
    const std::string_view label = trx::fuzz::asText(reply).substr(0, 8);
    if (const auto row = trx::RopRowFromLabel(label)) {
        TRX_FUZZ_REQUIRE(*row >= 1 && *row <= kRows && trx::RopRowLabel(*row) == label);
    }
    return 0;
}
