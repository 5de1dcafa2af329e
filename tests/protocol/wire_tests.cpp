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

using V = std::vector<std::uint8_t>;

V bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

// The sum is taken modulo 256 over the whole block: a stale checksum byte takes no part, a byte
// after the checksum's place does. An index outside the block leaves it alone.
TEST(Checksum, SealsAndHoldsModulo256) {
    std::array<std::uint8_t, 9> settings{0x89, 0x80, 0x02, 0x02, 0x00, 0x00, 0x01, 0xFF, 0x00};
    sealChecksum(settings, 8);
    EXPECT_EQ(settings[8], 0xF3);
    V block(670, 0);
    block[0] = 0x10;
    block[668] = 0x55;
    block[669] = 0x07;
    sealChecksum(block, 668);
    EXPECT_EQ(block[668], 256 - 0x17);
    V one{0x05};
    sealChecksum(one, 3);
    EXPECT_EQ(one, V{0x05});
    for (const auto& [bytes, holds] : {std::pair{V{}, true},
                                       {V{0x80, 0x80}, true},
                                       {V{0x80, 0x81}, false},
                                       {V{0x01}, false},
                                       {block, true}}) {
        EXPECT_EQ(checksumHolds(bytes), holds) << bytes.size();
    }
}

TEST(PanelAddress, TextOctetsAndStrictDottedQuads) {
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
    for (const char* bad :
         {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1..2.3", "a.b.c.d", "1.2.3.4 ", " 1.2.3.4",
          "1.2.3.0004", "-1.2.3.4", "192.168.000.130", "010.0.0.1", "01.2.3.256"}) {
        EXPECT_FALSE(parseAddress(bad).has_value()) << bad;
    }
    EXPECT_EQ(parseAddress("0.0.0.0"), 0u);
    EXPECT_EQ(addressWithLeadingZeros("192.168.000.130"), a);
    EXPECT_EQ(addressWithLeadingZeros("192.168.0.130"), std::nullopt);
    EXPECT_EQ(addressWithLeadingZeros("01.2.3.256"), std::nullopt);
}

TEST(Commands, SearchLineFollowsFamilyAndPendingState) {
    const char* const families[] = {"CCU", "REMOTE CAMERA", "CAMCODER"};
    for (int family = 0; family < 3; ++family) {
        for (const bool pending : {false, true}) {
            EXPECT_EQ(command::searchCommand(family, pending), std::string("TRX900 IP SET KEEP ") +
                                                                   (pending ? "RETRY " : "START ") +
                                                                   families[family] + "\r\n");
        }
    }
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
    const V chunk(3000, 0xAB);
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
