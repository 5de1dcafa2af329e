#include <gtest/gtest.h>

#include <numeric>
#include <tuple>
#include <vector>

#include "records/RopTable.h"

namespace trx {
namespace {

const auto ip = [](const char* text) { return parseAddress(text).value(); };

TEST(RopTableTest, CheckNetworkSettingJudgesEachRow) {
    // An empty row is always usable (0); otherwise the first octet is 1..223, the last 1..254, the
    // host is not 127.0.0.1 and the mask is neither 0 nor 127.0.0.1. The page's tests meet a last
    // octet of 0 and of 255 and the usable loopback hosts.
    const std::tuple<const char*, const char*, int> cases[] = {
        {"0.0.0.0", "127.0.0.1", 0},        {"223.1.1.1", "255.255.255.0", 0},
        {"224.1.1.1", "255.255.255.0", -1}, {"0.1.1.1", "255.255.255.0", -1},
        {"1.1.1.1", "255.255.255.0", 0},    {"10.0.0.254", "0.0.0.1", 0},
        {"127.0.0.1", "255.255.255.0", -1}, {"192.168.1.10", "0.0.0.0", -1},
        {"192.168.1.10", "127.0.0.1", -1},  {"192.168.1.10", "255.0.255.0", 0}};
    for (const auto& [address, mask, expected] : cases) {
        EXPECT_EQ(CheckNetworkSetting(ip(address), ip(mask)), expected) << address << "/" << mask;
    }
}

TEST(RopTableTest, NumberBlockCarriesTheClampedRowIndexAndItsChecksum) {
    // An index outside 0..24 never names a row that cannot exist.
    const std::tuple<int, RopNumberBlock> cases[] = {{0, {0x00, 0x00}},  {1, {0x01, 0xFF}},
                                                     {4, {0x04, 0xFC}},  {24, {0x18, 0xE8}},
                                                     {25, {0x18, 0xE8}}, {-1, {0x00, 0x00}}};
    for (const auto& [index, expected] : cases) {
        EXPECT_EQ(EncodeRopNumberBlock(index), expected) << "row index " << index;
    }
}

TEST(RopTableTest, DecodeAndSwapChangeWholeRowsAndKeepTheBlock) {
    using R = RopRow;
    RopTable table;  // byte n holds n % 256, so that a row read from the wrong place shows it
    std::iota(table.block.begin(), table.block.end(), std::uint8_t{0});
    std::ranges::copy(std::array<std::uint8_t, 4>{0xC0, 0xA8, 0x00, 0x82}, &table.block[150]);
    const RopListBlock block = table.block;
    DecodeRopListBlock(table);
    const RopTable decoded = table;
    RopTable empty{{}, decoded.address, decoded.subnetMask, decoded.gateway};
    DecodeRopListBlock(empty);  // the all-zero block empties every row
    EXPECT_EQ(table.row(0), (R{ip("192.168.0.130"), ip("44.45.46.47"), ip("144.145.146.147")}));
    EXPECT_EQ(table.row(24), (R{ip("38.39.40.41"), ip("140.141.142.143"), ip("240.241.242.243")}));

    SwapRopRows(table, 3, 3);  // a row with itself, and a row that does not exist: no change
    SwapRopRows(table, 5, 25);
    SwapRopRows(table, 0, 24);
    for (int i = 0; i < kRopRowCount; ++i) {
        EXPECT_EQ(table.row(i), decoded.row(i == 0 ? 24 : i == 24 ? 0 : i)) << "row index " << i;
        EXPECT_EQ(empty.row(i), RopRow{}) << "row index " << i;
    }
    EXPECT_EQ(table.block, block);
}

TEST(RopTableTest, ListReadIsJudgedByOutcomeAndBytes) {
    using enum ExchangeOutcome;
    using enum RopListReadVerdict;
    using B = std::vector<std::uint8_t>;
    // B(n): n zeros, which sum to 0; B(n, 1) does not. A reply too short for a list is refused
    // though it sums to 0; a reply that broke off is refused however its bytes sum. (The
    // hostile-panel matrix meets the bad checksum, the empty, short and oversize replies, the
    // silent panel and no panel end to end.)
    EXPECT_EQ(JudgeRopListRead(CommandSendFailed, {}), SocketError);
    EXPECT_EQ(JudgeRopListRead(SocketCreateFailed, {}), CommandError);
    EXPECT_EQ(JudgeRopListRead(Ok, B(501)), Accept);
    EXPECT_EQ(JudgeRopListRead(Ok, B(500)), CommandError);
    EXPECT_EQ(JudgeRopListRead(Ok, B(501, 1)), CommandError);
    EXPECT_EQ(JudgeRopListRead(ReceiveFailed, B(501)), CommandError);
}

}  // namespace
}  // namespace trx
