#include <gtest/gtest.h>

#include <vector>

#include "protocol/Checksum.h"
#include "rop/RopTable.h"

namespace trx {
namespace {

constexpr PanelAddress ip(int a, int b, int c, int d) {
    return makeAddress(static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b),
                       static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(d));
}

void put(RopListBlock& block, std::size_t offset, PanelAddress value) {
    writeAddress(std::span<std::uint8_t, 4>{block.data() + offset, 4}, value);
}

// ---- CheckNetworkSetting ----

struct SettingCase {
    const char* name;
    PanelAddress address;
    PanelAddress mask;
    int expected;
    friend void PrintTo(const SettingCase& c, std::ostream* os) { *os << c.name; }
};

class CheckNetworkSettingTest : public ::testing::TestWithParam<SettingCase> {};

TEST_P(CheckNetworkSettingTest, JudgesRow) {
    const SettingCase& c = GetParam();
    EXPECT_EQ(CheckNetworkSetting(c.address, c.mask), c.expected) << c.name;
}

constexpr PanelAddress kMask24 = ip(255, 255, 255, 0);
constexpr int kOk = kNetworkSettingUsable;
constexpr int kNo = kNetworkSettingUnavailable;

INSTANTIATE_TEST_SUITE_P(
    Rows, CheckNetworkSettingTest,
    ::testing::Values(SettingCase{"EmptyRowZeroMask", 0, 0, kOk},
                      SettingCase{"EmptyRowAnyMask", 0, ip(127, 0, 0, 1), kOk},
                      SettingCase{"FirstOctet223", ip(223, 1, 1, 1), kMask24, kOk},
                      SettingCase{"FirstOctet224", ip(224, 1, 1, 1), kMask24, kNo},
                      SettingCase{"FirstOctet255", ip(255, 1, 1, 1), kMask24, kNo},
                      SettingCase{"FirstOctet0", ip(0, 1, 1, 1), kMask24, kNo},
                      SettingCase{"FirstOctet1", ip(1, 1, 1, 1), kMask24, kOk},
                      SettingCase{"LastOctet0", ip(10, 0, 0, 0), kMask24, kNo},
                      SettingCase{"LastOctet255", ip(10, 0, 0, 255), kMask24, kNo},
                      SettingCase{"LastOctet254", ip(10, 0, 0, 254), ip(0, 0, 0, 1), kOk},
                      SettingCase{"LastOctet1", ip(10, 0, 0, 1), kMask24, kOk},
                      SettingCase{"LoopbackHost", ip(127, 0, 0, 1), kMask24, kNo},
                      SettingCase{"OtherLoopback", ip(127, 0, 0, 2), kMask24, kOk},
                      SettingCase{"ZeroMask", ip(192, 168, 1, 10), 0, kNo},
                      SettingCase{"SmallestMask", ip(192, 168, 1, 10), ip(0, 0, 0, 1), kOk},
                      SettingCase{"LoopbackMask", ip(192, 168, 1, 10), ip(127, 0, 0, 1), kNo},
                      SettingCase{"NonContiguousMask", ip(192, 168, 1, 10), ip(255, 0, 255, 0),
                                  kOk},
                      SettingCase{"BlankLastField", ip(192, 168, 1, 0), kMask24, kNo}),
    [](const ::testing::TestParamInfo<SettingCase>& p) { return std::string(p.param.name); });

// ---- RopNumberBlock ----

struct NumberCase {
    int rowIndex;
    RopNumberBlock expected;
    friend void PrintTo(const NumberCase& c, std::ostream* os) {
        *os << "row index " << c.rowIndex;
    }
};

class EncodeRopNumberBlockTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(EncodeRopNumberBlockTest, CarriesIndexAndChecksum) {
    const RopNumberBlock block = EncodeRopNumberBlock(GetParam().rowIndex);
    EXPECT_EQ(block, GetParam().expected);
    EXPECT_TRUE(checksumHolds(block));
}

INSTANTIATE_TEST_SUITE_P(Indexes, EncodeRopNumberBlockTest,
                         ::testing::Values(NumberCase{0, {0x00, 0x00}}, NumberCase{1, {0x01, 0xFF}},
                                           NumberCase{4, {0x04, 0xFC}},
                                           NumberCase{24, {0x18, 0xE8}},
                                           // Out of range never names a row that cannot exist.
                                           NumberCase{25, {0x18, 0xE8}},
                                           NumberCase{-1, {0x00, 0x00}}));

// ---- DecodeRopListBlock ----

TEST(DecodeRopListBlockTest, ReadsFirstRowAddressAt150) {
    RopTable table;
    table.block[150] = 0xC0;
    table.block[151] = 0xA8;
    table.block[152] = 0x00;
    table.block[153] = 0x82;
    DecodeRopListBlock(table);
    EXPECT_EQ(table.address[0], ip(192, 168, 0, 130));
    EXPECT_EQ(table.address[1], 0u);
}

TEST(DecodeRopListBlockTest, AllZeroBlockEmptiesEveryRow) {
    RopTable table = initialRopTable(std::array<PanelAddress, kRopRowCount>{ip(10, 1, 1, 5)});
    table.address.fill(ip(1, 2, 3, 4));
    table.subnetMask.fill(ip(1, 2, 3, 4));
    table.gateway.fill(ip(1, 2, 3, 4));
    DecodeRopListBlock(table);
    for (int i = 0; i < kRopRowCount; ++i) {
        EXPECT_EQ(table.row(i), RopRow{}) << "row index " << i;
    }
}

TEST(DecodeRopListBlockTest, EveryRowReadFromItsOwnOffsets) {
    RopTable table;
    // Filler in the bytes the tool does not interpret must not leak into any row.
    std::fill_n(table.block.begin(), 150, std::uint8_t{0xEE});
    for (std::size_t i = 0; i < 25; ++i) {
        const auto n = static_cast<int>(i) + 1;
        put(table.block, 150 + 6 * i, ip(10, 0, n, 1));
        table.block[154 + 6 * i] = 0xAB;
        table.block[155 + 6 * i] = 0xCD;
        put(table.block, 300 + 4 * i, ip(255, 255, n, 0));
        put(table.block, 400 + 4 * i, ip(10, 0, n, 254));
    }
    table.block[500] = 0x77;
    const RopListBlock before = table.block;

    DecodeRopListBlock(table);

    for (int i = 0; i < kRopRowCount; ++i) {
        const int n = i + 1;
        EXPECT_EQ(table.row(i), (RopRow{ip(10, 0, n, 1), ip(255, 255, n, 0), ip(10, 0, n, 254)}))
            << "row " << n;
    }
    EXPECT_EQ(table.block, before);
}

// ---- Initial values, swaps, labels ----

RopTable numberedTable() {
    RopTable table;
    for (int i = 0; i < kRopRowCount; ++i) {
        table.setRow(i, {ip(10, 0, 0, i + 1), ip(255, 0, 0, i + 1), ip(10, 9, 9, i + 1)});
    }
    table.block[7] = 0x42;
    return table;
}

TEST(SwapRopRowsTest, RowWithItselfChangesNothing) {
    RopTable table = numberedTable();
    const RopTable before = table;
    SwapRopRows(table, 3, 3);
    EXPECT_EQ(table.address, before.address);
    EXPECT_EQ(table.subnetMask, before.subnetMask);
    EXPECT_EQ(table.gateway, before.gateway);
}

TEST(SwapRopRowsTest, FirstAndLastExchangeAllThreeValues) {
    RopTable table = numberedTable();
    const RopTable before = table;
    SwapRopRows(table, 0, 24);
    EXPECT_EQ(table.row(0), before.row(24));
    EXPECT_EQ(table.row(24), before.row(0));
    for (int i = 1; i < 24; ++i) {
        EXPECT_EQ(table.row(i), before.row(i));
    }
    EXPECT_EQ(table.block, before.block);
}

TEST(RopRowLabelTest, NonLabelsNameNoRow) {
    for (const char* text : {"", " ", "TRX", "TRX0", "TRX01", "TRX26", "trx1", "TRX1 ", "TRX-1",
                             "TRX99999999999999"}) {
        EXPECT_EQ(RopRowFromLabel(text), std::nullopt) << '"' << text << '"';
    }
}

TEST(RopRowListTest, NamesRowsSeparatedBySlash) {
    EXPECT_EQ(RopRowList(std::vector<int>{}), "");
    EXPECT_EQ(RopRowList(std::vector<int>{7}), " TRX7");
    EXPECT_EQ(RopRowList(std::vector<int>{3, 12}), " TRX3/ TRX12");
    EXPECT_EQ(RopRowList(std::vector<int>{2, 5, 25}), " TRX2/ TRX5/ TRX25");
}

// ---- Judging a list read ----

std::vector<std::uint8_t> zeroSumBytes(std::size_t size) {
    std::vector<std::uint8_t> bytes(size, 0x11);
    if (!bytes.empty()) {
        sealChecksum(bytes, bytes.size() - 1);
    }
    return bytes;
}

std::vector<std::uint8_t> badSumBytes(std::size_t size) {
    std::vector<std::uint8_t> bytes = zeroSumBytes(size);
    bytes.back() = static_cast<std::uint8_t>(bytes.back() + 1);
    return bytes;
}

struct ReadCase {
    const char* name;
    ExchangeOutcome outcome;
    std::vector<std::uint8_t> bytes;
    RopListReadVerdict expected;
    friend void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }
};

class JudgeRopListReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(JudgeRopListReadTest, MapsOutcomeAndBytes) {
    const ReadCase& c = GetParam();
    EXPECT_EQ(judgeRopListRead(c.outcome, c.bytes), c.expected) << c.name;
}

using V = RopListReadVerdict;
using O = ExchangeOutcome;

INSTANTIATE_TEST_SUITE_P(
    Outcomes, JudgeRopListReadTest,
    ::testing::Values(
        ReadCase{"ConnectFailed", O::ConnectFailed, {}, V::NoConnect},
        ReadCase{"CommandSendFailed", O::CommandSendFailed, {}, V::SocketError},
        ReadCase{"SocketCreateFailed", O::SocketCreateFailed, {}, V::CommandError},
        ReadCase{"ChecksumFailed", O::ChecksumFailed, {}, V::CommandError},
        ReadCase{"EmptyReply", O::Ok, {}, V::CommandError},
        ReadCase{"FullList", O::Ok, zeroSumBytes(501), V::Accept},
        ReadCase{"LongerReply", O::Ok, zeroSumBytes(4096), V::Accept},
        ReadCase{"ShortReply", O::Ok, zeroSumBytes(500), V::CommandError},
        ReadCase{"OneByteZero", O::Ok, {0x00}, V::CommandError},
        ReadCase{"OkButBadSum", O::Ok, badSumBytes(501), V::CommandError},
        ReadCase{"BrokenOffNothing", O::ReceiveFailed, {}, V::CommandError},
        ReadCase{"BrokenOffBadSum", O::ReceiveFailed, badSumBytes(40), V::CommandError},
        ReadCase{"BrokenOffZeroSum", O::ReceiveFailed, zeroSumBytes(40), V::KeepSilently}),
    [](const ::testing::TestParamInfo<ReadCase>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace trx
