#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "config/SettingsRecord.h"
#include "protocol/Checksum.h"

namespace trx {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The factory record with one byte changed, as the panel would send it.
SettingsRecord factoryWith(std::size_t index, std::uint8_t value) {
    Bytes reply{0x89, 0x80, 0x02, 0x02, 0x00, 0x00, 0x01, 0xFF, 0x00};
    reply[index] = value;
    sealChecksum(reply, SettingsRecord::kChecksumIndex);
    return *SettingsRecord::fromReply(reply);
}

TEST(SettingsRecord, ReplyShorterThanNineBytesIsRefusedALongerOneCut) {
    EXPECT_FALSE(SettingsRecord::fromReply({}).has_value());
    EXPECT_FALSE(SettingsRecord::fromReply(Bytes{0x89, 0x80, 0, 0, 0, 0, 0, 0xF7}).has_value());
    const Bytes longer{0x8A, 0xCF, 1, 0, 1, 1, 0, 5, 0, 0x77};
    const auto record = SettingsRecord::fromReply(longer);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(Bytes(record->bytes().begin(), record->bytes().end()),
              Bytes(longer.begin(), longer.begin() + 9));
    EXPECT_EQ(record->decode().receivePort, 35535u);
}

// A byte the panel sent, the control value it shows as, and what an untouched write sends back.
struct ByteCase {
    std::size_t index;
    std::uint8_t panel;
    int shown;
    std::uint8_t writtenBack;
};

int shownValue(const SettingsValues& v, std::size_t index) {
    const int values[] = {static_cast<int>(v.receivePort >> 8),
                          0,
                          v.ledBrightness,
                          v.segmentBrightness,
                          v.buzzer,
                          v.flarePed,
                          v.tallyEnable,
                          v.tallyInput};
    return values[index];
}

class SettingsByte : public ::testing::TestWithParam<ByteCase> {};

TEST_P(SettingsByte, DecodesAndGoesBackInTheToolsOwnCode) {
    const ByteCase& c = GetParam();
    SettingsRecord record = factoryWith(c.index, c.panel);
    const SettingsValues shown = record.decode();
    EXPECT_EQ(shownValue(shown, c.index), c.shown);
    record.encode(shown);
    record.seal();
    EXPECT_EQ(record.bytes()[c.index], c.writtenBack);
    EXPECT_TRUE(checksumHolds(record.bytes()));
}

constexpr int kNone = SettingsValues::kNoSelection;
INSTANTIATE_TEST_SUITE_P(
    Table, SettingsByte,
    ::testing::Values(ByteCase{4, 5, 1, 1}, ByteCase{4, 0, 0, 0}, ByteCase{5, 1, 1, 1},
                      ByteCase{5, 2, 0, 0}, ByteCase{5, 0xFF, 0, 0}, ByteCase{6, 0, 1, 0},
                      ByteCase{6, 7, 0, 1}, ByteCase{7, 0xFF, 0, 0xFF}, ByteCase{7, 0, 1, 0},
                      ByteCase{7, 18, 19, 18}, ByteCase{2, 0, 0, 0},
                      // Values the lists do not offer show no selection and go back unchanged.
                      ByteCase{2, 3, kNone, 3}, ByteCase{3, 0xFE, kNone, 0xFE},
                      ByteCase{7, 19, kNone, 19}, ByteCase{7, 254, kNone, 254},
                      ByteCase{0, 0xFF, 0xFF, 0xFF}));

TEST(SettingsRecord, ChoosingListedValuesReplacesUnlistedBytes) {
    SettingsRecord record = factoryWith(2, 9);
    SettingsValues v = record.decode();
    v.ledBrightness = 1;
    v.tallyInput = 3;
    v.receivePort = 35599;
    record.encode(v);
    record.seal();
    EXPECT_EQ(Bytes(record.bytes().begin(), record.bytes().end()),
              (Bytes{0x8B, 0x0F, 0x01, 0x02, 0x00, 0x00, 0x01, 0x02, 0x60}));
}

}  // namespace
}  // namespace trx
