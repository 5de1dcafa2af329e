#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "wire/Checksum.h"
#include "wire/Commands.h"
#include "wire/PanelAddress.h"
#include "wire/ReplyBuffer.h"

namespace trx {
namespace {

std::vector<std::uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

TEST(Checksum, SealsTheSettingsBlockWithF3) {
    std::array<std::uint8_t, 9> block{0x89, 0x80, 0x02, 0x02, 0x00, 0x00, 0x01, 0xFF, 0x00};
    sealChecksum(block, 8);
    EXPECT_EQ(block[8], 0xF3);
    EXPECT_TRUE(checksumHolds(block));
}

TEST(Checksum, CountsBytesAfterTheChecksumPositionAndOverwritesTheOldByte) {
    std::vector<std::uint8_t> block(670, 0);
    block[668] = 0x55;  // a stale checksum must not take part
    block[669] = 0x07;  // a byte after the checksum must
    block[0] = 0x10;
    sealChecksum(block, 668);
    EXPECT_EQ(block[668], static_cast<std::uint8_t>(256 - 0x17));
    EXPECT_TRUE(checksumHolds(block));
}

TEST(Checksum, SumsModulo256) {
    EXPECT_TRUE(checksumHolds(std::vector<std::uint8_t>{}));
    EXPECT_TRUE(checksumHolds(std::vector<std::uint8_t>{0x80, 0x80}));   // 256
    EXPECT_FALSE(checksumHolds(std::vector<std::uint8_t>{0x80, 0x81}));  // 257
    EXPECT_FALSE(checksumHolds(std::vector<std::uint8_t>{0x01}));
    std::vector<std::uint8_t> block{0x05};
    sealChecksum(block, 3);  // outside the block: untouched
    EXPECT_EQ(block, std::vector<std::uint8_t>{0x05});
}

TEST(PanelAddress, TextAndOctetsRoundTrip) {
    const PanelAddress a = makeAddress(192, 168, 0, 130);
    EXPECT_EQ(a, 0xC0A80082u);
    EXPECT_EQ(addressText(a), "192.168.0.130");
    EXPECT_EQ(addressText(0), "0.0.0.0");
    EXPECT_EQ(addressText(0xFFFFFFFFu), "255.255.255.255");
    EXPECT_EQ(parseAddress("192.168.0.130"), a);
    std::array<std::uint8_t, 4> wire{};
    writeAddress(wire, a);
    EXPECT_EQ(wire, (std::array<std::uint8_t, 4>{0xC0, 0xA8, 0x00, 0x82}));
    EXPECT_EQ(readAddress(wire), a);
}

TEST(PanelAddress, ParsesOnlyStrictDottedQuads) {
    for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1..2.3", "a.b.c.d", "1.2.3.4 ",
                            " 1.2.3.4", "1.2.3.0004", "-1.2.3.4"}) {
        EXPECT_FALSE(parseAddress(bad).has_value()) << bad;
    }
}

TEST(Commands, LengthsOfTheLinesThePanelCounts) {
    EXPECT_EQ(command::kSearchStartRemoteCamera.size(), 40u);  // the longest
    EXPECT_EQ(command::kCameraListRequest.size(), 23u);
    EXPECT_EQ(command::kRopListRequest.size(), 29u);
    EXPECT_EQ(command::kRopListChange.size(), 32u);
    EXPECT_EQ(command::kRopConnectionCheck.size(), 31u);
    EXPECT_EQ(panel_line::kAcknowledge.size(), 26u);
}

TEST(Commands, SearchLineFollowsFamilyAndPendingState) {
    EXPECT_EQ(command::searchCommand(0, false), "TRX900 IP SET KEEP START CCU\r\n");
    EXPECT_EQ(command::searchCommand(1, false), "TRX900 IP SET KEEP START REMOTE CAMERA\r\n");
    EXPECT_EQ(command::searchCommand(2, false), "TRX900 IP SET KEEP START CAMCODER\r\n");
    EXPECT_EQ(command::searchCommand(0, true), "TRX900 IP SET KEEP RETRY CCU\r\n");
    EXPECT_EQ(command::searchCommand(1, true), "TRX900 IP SET KEEP RETRY REMOTE CAMERA\r\n");
    EXPECT_EQ(command::searchCommand(2, true), "TRX900 IP SET KEEP RETRY CAMCODER\r\n");
}

TEST(ReplyBuffer, LineCompletesOnlyWhenTheThirdLastByteIsCr) {
    ReplyBuffer buffer;
    EXPECT_FALSE(buffer.lineComplete());
    buffer.append(bytesOf("\r\n"));
    EXPECT_FALSE(buffer.lineComplete());  // looked at only from 3 bytes on
    buffer.restart();
    buffer.append(bytesOf("TRX900 SETTING"));
    EXPECT_FALSE(buffer.lineComplete());
    buffer.append(bytesOf(" CHANGE OK\r\n"));
    EXPECT_FALSE(buffer.lineComplete());  // CR is at total - 2: the trailing byte is missing
    buffer.append(bytesOf("x"));
    EXPECT_TRUE(buffer.lineComplete());
    EXPECT_TRUE(startsWith(buffer.bytes(), panel_line::kAcknowledge));
    buffer.append(bytesOf("y"));
    EXPECT_FALSE(buffer.lineComplete());  // judged at the end of everything held
}

TEST(ReplyBuffer, StopsAtItsCapacity) {
    ReplyBuffer buffer;
    const std::vector<std::uint8_t> chunk(3000, 0xAB);
    EXPECT_EQ(buffer.append(chunk), 3000u);
    EXPECT_EQ(buffer.append(chunk), ReplyBuffer::kCapacity - 3000);
    EXPECT_TRUE(buffer.full());
    EXPECT_EQ(buffer.append(chunk), 0u);
    EXPECT_EQ(buffer.copy().size(), ReplyBuffer::kCapacity);
    buffer.restart();
    EXPECT_EQ(buffer.size(), 0u);
}

TEST(StartsWith, ComparesOnlyTheHeadAndNeedsAllOfIt) {
    EXPECT_TRUE(startsWith(bytesOf("WRITE OK\r\n\0"), panel_line::kWriteOk));
    EXPECT_FALSE(startsWith(bytesOf("WRITE O"), panel_line::kWriteOk));
    EXPECT_FALSE(startsWith(bytesOf("write ok\r\n"), panel_line::kWriteOk));
    EXPECT_FALSE(startsWith(bytesOf("TRX900 SETTING CHANGE NG\r\n"), panel_line::kAcknowledge));
}

}  // namespace
}  // namespace trx
