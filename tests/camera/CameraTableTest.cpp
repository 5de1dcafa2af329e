#include <gtest/gtest.h>

#include <numeric>

#include "camera/CameraTable.h"
#include "protocol/Checksum.h"

namespace trx {
namespace {

constexpr int kRows = CameraTable::kRowCount;

unsigned plainSum(const CameraTable& table) {
    return std::accumulate(table.bytes().begin(), table.bytes().end(), 0u) % 256u;
}

// A table whose every byte differs, so that a field written to the wrong place shows.
CameraTable patterned() {
    CameraTable table;
    for (std::size_t i = 0; i < CameraTable::kSize; ++i) {
        table.bytes()[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    return table;
}

TEST(CameraTableDefaults, DecodeAsTheFactoryList) {
    const CameraTable table = CameraTable::defaults();
    EXPECT_EQ(decodeModeCode(table.modeCode()),
              (ModeSelection{ConnectionMode::Serial, CameraFamily::Ccu}));
    EXPECT_EQ(table.serialCameraNumber(), 1);
    for (int row = 0; row < kRows; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(table.typeCode(row), row == 0 ? camera_type::kCcuSerial : camera_type::kNoAssign);
        EXPECT_EQ(table.rowAddress(row),
                  makeAddress(192, 168, 0, static_cast<std::uint8_t>(10 + row)));
        EXPECT_EQ(table.rowPort(row), 80);
        EXPECT_EQ(table.macText(row), "00:00:00:00:00:00");
        EXPECT_EQ(table.modelText(row), "");
        EXPECT_EQ(table.statusFlags(row), 0);
    }
}

TEST(CameraTableDefaults, UninterpretedBytesHoldTheirFactoryValues) {
    const CameraTable table = CameraTable::defaults();
    const auto& b = table.bytes();
    const auto slice = [&b](std::size_t at, std::size_t n) {
        return std::vector<std::uint8_t>(b.begin() + static_cast<std::ptrdiff_t>(at),
                                         b.begin() + static_cast<std::ptrdiff_t>(at + n));
    };
    using V = std::vector<std::uint8_t>;
    EXPECT_EQ(slice(0, 12), (V{192, 168, 0, 130, 255, 255, 255, 0, 192, 168, 0, 1}));
    EXPECT_EQ(slice(240, 4), (V{255, 255, 255, 0}));
    EXPECT_EQ(slice(388, 4), (V{192, 168, 0, 1}));  // last row gateway
    EXPECT_EQ(slice(413, 21), (V{0,    0,   0,   0,   0, 0,   192, 168, 0, 8, 0xEA,
                                 0x7E, 255, 255, 255, 0, 192, 168, 0,   1, 0}));
    EXPECT_EQ(slice(434, 5), (V{0, 1, 2, 3, 4}));
    EXPECT_EQ(slice(439, 231), V(231, 0));
}

TEST(CameraTableSeal, DefaultsSum61AndSealWithC3CountingTheLastByte) {
    CameraTable table = CameraTable::defaults();
    EXPECT_EQ(plainSum(table), 61u);
    table.seal();
    EXPECT_EQ(table.bytes()[668], 0xC3);
    EXPECT_EQ(table.bytes()[669], 0);
    table.bytes()[669] = 0x80;
    table.seal();
    EXPECT_EQ(table.bytes()[669], 0x80);
    EXPECT_TRUE(checksumHolds(table.bytes()));
}

TEST(CameraTableFields, IpPortEntryDecodesBigEndian) {
    CameraTable table;
    const std::array<std::uint8_t, 6> entry = {0xC0, 0xA8, 0x00, 0x0A, 0xC0, 0x00};
    std::copy(entry.begin(), entry.end(), table.bytes().begin() + 126 + 6 * 4);
    EXPECT_EQ(table.rowAddress(4), makeAddress(192, 168, 0, 10));
    EXPECT_EQ(table.rowPort(4), 49152);
}

struct PortCase {
    std::uint32_t value;
    std::uint8_t high;
    std::uint8_t low;
};

class CameraTablePort : public ::testing::TestWithParam<PortCase> {};

TEST_P(CameraTablePort, StoresTheLow16BitsHighByteFirst) {
    const PortCase c = GetParam();
    CameraTable table = patterned();
    const CameraTable before = table;
    table.setRowPort(18, c.value);
    EXPECT_EQ(table.bytes()[126 + 6 * 18 + 4], c.high);
    EXPECT_EQ(table.bytes()[126 + 6 * 18 + 5], c.low);
    EXPECT_EQ(table.rowPort(18), (c.high << 8) | c.low);
    // nothing but the two port bytes moved
    table.bytes()[238] = before.bytes()[238];
    table.bytes()[239] = before.bytes()[239];
    EXPECT_EQ(table, before);
}

INSTANTIATE_TEST_SUITE_P(Values, CameraTablePort,
                         ::testing::Values(PortCase{65536, 0x00, 0x00}, PortCase{49152, 0xC0, 0x00},
                                           PortCase{70000, 0x11, 0x70}, PortCase{80, 0x00, 0x50}));

TEST(CameraTableFields, MacTextIsUpperCaseHex) {
    CameraTable table;
    const std::array<std::uint8_t, 6> mac = {0x00, 0x0A, 0xFF, 0x12, 0x34, 0x56};
    std::copy(mac.begin(), mac.end(), table.bytes().begin() + 12 + 6 * 2);
    EXPECT_EQ(table.macText(2), "00:0A:FF:12:34:56");
    EXPECT_EQ(table.macText(1), "00:00:00:00:00:00");
    table.clearRowMac(2);
    EXPECT_EQ(table.macText(2), "00:00:00:00:00:00");
}

TEST(CameraTableFields, ModelTextEndsAtZeroOrAfterNineBytes) {
    CameraTable table = patterned();
    const std::string abc = "ABC";
    std::copy(abc.begin(), abc.end(), table.bytes().begin() + 439);
    std::fill_n(table.bytes().begin() + 442, 6, std::uint8_t{0});
    EXPECT_EQ(table.modelText(0), "ABC");
    const std::string nine = "ABCDEFGHI";
    std::copy(nine.begin(), nine.end(), table.bytes().begin() + 439 + 9 * 18);
    EXPECT_EQ(table.modelText(18), "ABCDEFGHI");  // byte 610 follows and is not part of it
}

TEST(CameraTableFromReply, RefusesShortAndTakesTheFirst670) {
    std::vector<std::uint8_t> reply(669, 1);
    EXPECT_FALSE(CameraTable::fromReply(reply).has_value());
    reply.resize(700, 2);
    const auto table = CameraTable::fromReply(reply);
    ASSERT_TRUE(table.has_value());
    EXPECT_EQ(table->bytes()[668], 1);
    EXPECT_EQ(table->bytes()[669], 2);
}

struct ModeCase {
    std::uint8_t code;
    ConnectionMode mode;
    CameraFamily family;
};

class CameraModeCode : public ::testing::TestWithParam<ModeCase> {};

TEST_P(CameraModeCode, DecodesAndEncodesByTheTable) {
    const ModeCase c = GetParam();
    EXPECT_EQ(decodeModeCode(c.code), (ModeSelection{c.mode, c.family}));
    if (c.code <= 5) {
        EXPECT_EQ(encodeModeCode({c.mode, c.family}), c.code);
        EXPECT_EQ(isIpModeCode(c.code), c.mode == ConnectionMode::Ip);
        EXPECT_EQ(isSerialModeCode(c.code), c.mode == ConnectionMode::Serial);
    } else {
        EXPECT_FALSE(isIpModeCode(c.code));
        EXPECT_FALSE(isSerialModeCode(c.code));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Codes, CameraModeCode,
    ::testing::Values(ModeCase{0, ConnectionMode::Serial, CameraFamily::Ccu},
                      ModeCase{1, ConnectionMode::Serial, CameraFamily::RemoteCamera},
                      ModeCase{2, ConnectionMode::Ip, CameraFamily::Ccu},
                      ModeCase{3, ConnectionMode::Ip, CameraFamily::RemoteCamera},
                      ModeCase{4, ConnectionMode::Serial, CameraFamily::Camcorder},
                      ModeCase{5, ConnectionMode::Ip, CameraFamily::Camcorder},
                      ModeCase{7, ConnectionMode::Serial, CameraFamily::Ccu},
                      ModeCase{255, ConnectionMode::Serial, CameraFamily::Ccu}));

struct EntryCase {
    std::uint8_t typeCode;
    std::uint8_t modeCode;
    std::optional<int> entry;
};

class CameraTypeEntry : public ::testing::TestWithParam<EntryCase> {};

TEST_P(CameraTypeEntry, ShowsTheListEntry) {
    const EntryCase c = GetParam();
    EXPECT_EQ(entryForTypeCode(c.typeCode, c.modeCode), c.entry);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, CameraTypeEntry,
    ::testing::Values(EntryCase{5, 0, 0}, EntryCase{7, 1, 0}, EntryCase{1, 4, 0},
                      EntryCase{0, 2, 0}, EntryCase{3, 2, 1}, EntryCase{4, 3, 2},
                      EntryCase{5, 5, 3}, EntryCase{1, 3, 4}, EntryCase{6, 3, 4},
                      EntryCase{2, 2, 4}, EntryCase{7, 2, std::nullopt},
                      EntryCase{200, 5, std::nullopt}, EntryCase{0, 6, std::nullopt},
                      EntryCase{3, 255, std::nullopt}));

TEST(CameraTypeCodes, EntryGivesTheCodeOfTheFamily) {
    EXPECT_EQ(serialTypeText(decodeModeCode(3).family), "Remote Serial");
    EXPECT_EQ(typeCodeForEntry(4, 3, 6), 2);
    EXPECT_EQ(typeCodeForEntry(4, 2, 6), 1);
    EXPECT_EQ(typeCodeForEntry(4, 5, 1), 6);
    EXPECT_EQ(typeCodeForEntry(0, 5, 4), 0);
    EXPECT_EQ(typeCodeForEntry(1, 5, 0), 3);
    EXPECT_EQ(typeCodeForEntry(2, 2, 0), 4);
    EXPECT_EQ(typeCodeForEntry(3, 3, 0), 5);
    EXPECT_EQ(typeCodeForEntry(5, 2, 4), 4);
    EXPECT_EQ(typeCodeForEntry(-1, 2, 6), 6);
}

TEST(CameraTableSwap, MovesTheCameraAndLeavesMasksAndGateways) {
    const CameraTable before = patterned();
    CameraTable table = before;
    table.swapRows(1, 8);
    for (int field : {0, 1}) {
        const int from = field == 0 ? 1 : 8;
        const int to = field == 0 ? 8 : 1;
        EXPECT_EQ(table.rowMac(to), before.rowMac(from));
        EXPECT_EQ(table.rowAddress(to), before.rowAddress(from));
        EXPECT_EQ(table.rowPort(to), before.rowPort(from));
        EXPECT_EQ(table.typeCode(to), before.typeCode(from));
        EXPECT_EQ(table.statusFlags(to), before.statusFlags(from));
        EXPECT_EQ(table.modelText(to), before.modelText(from));
    }
    // Every byte outside the five swapped fields of the two rows is untouched.
    std::vector<std::size_t> moved;
    for (std::size_t row : {1u, 8u}) {
        for (std::size_t k = 0; k < 6; ++k) {
            moved.push_back(12 + 6 * row + k);
            moved.push_back(126 + 6 * row + k);
        }
        for (std::size_t k = 0; k < 9; ++k) {
            moved.push_back(439 + 9 * row + k);
        }
        moved.push_back(392 + row);
        moved.push_back(648 + row);
    }
    for (std::size_t i = 0; i < CameraTable::kSize; ++i) {
        if (std::find(moved.begin(), moved.end(), i) == moved.end()) {
            EXPECT_EQ(table.bytes()[i], before.bytes()[i]) << "byte " << i;
        }
    }
}

TEST(CameraTableSwap, TwiceRestoresAndWithItselfChangesNothing) {
    const CameraTable before = patterned();
    CameraTable table = before;
    table.swapRows(0, 5);
    EXPECT_NE(table, before);
    table.swapRows(0, 5);
    EXPECT_EQ(table, before);
    table.swapRows(18, 18);
    EXPECT_EQ(table, before);
}

}  // namespace
}  // namespace trx
