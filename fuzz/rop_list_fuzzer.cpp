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
    registered.fill(trx::makeAddress(192, 168, 0, 130));
    RopTable table = trx::InitialRopTable(registered);
    const RopTable initial = table;
    const RopListReadVerdict verdict = trx::JudgeRopListRead(outcome, reply);
    RopTable copy = table;
    trx::fuzz::requireTakenWhole(trx::AcceptRopListReply(copy, reply), reply, table.block,
                                 copy.block);
    if (verdict == RopListReadVerdict::Accept) {
        // Stale bytes must never become panel addresses.
        TRX_FUZZ_REQUIRE(outcome == trx::ExchangeOutcome::Ok && trx::checksumHolds(reply));
        table = copy;
    }
    if (verdict == RopListReadVerdict::NoConnect || verdict == RopListReadVerdict::SocketError) {
        TRX_FUZZ_REQUIRE(sameRows(table, initial));
        return 0;
    }
    // Where each row's fields sit in the block, the row number block and REGISTER's check of a
    // row are pinned by the ROP table tests; the panel files target checks REGISTER on any rows.
    const trx::RopListBlock block = table.block;
    trx::DecodeRopListBlock(table);
    const RopTable decoded = table;
    const bool valid = swapA >= 0 && swapA < kRows && swapB >= 0 && swapB < kRows;
    trx::SwapRopRows(table, swapA, swapB);
    TRX_FUZZ_REQUIRE(table.block == block);
    TRX_FUZZ_REQUIRE(table.row(swapA) == decoded.row(valid ? swapB : swapA));
    trx::SwapRopRows(table, swapA, swapB);
    TRX_FUZZ_REQUIRE(sameRows(table, decoded));

    // The swap lists name rows by label; the reply's first bytes serve as a label from nowhere.
    const std::string_view label = trx::fuzz::asText(reply).substr(0, 8);
    if (const auto row = trx::RopRowFromLabel(label)) {
        TRX_FUZZ_REQUIRE(*row >= 1 && *row <= kRows && trx::RopRowLabel(*row) == label);
    }
    return 0;
}
