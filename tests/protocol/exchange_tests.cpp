#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "exchange/PanelExchange.h"
#include "support/ScriptedPeer.h"
#include "wire/Checksum.h"
#include "wire/Commands.h"

namespace trx {
namespace {

using namespace std::chrono_literals;
using test::ScriptedPeer;
using Clock = std::chrono::steady_clock;

const PanelAddress kLoopback = makeAddress(127, 0, 0, 1);
const std::string kAck(panel_line::kAcknowledge);

ExchangeLimits fastLimits() {
    return {.connect = 1000ms, .idle = 300ms, .total = 3000ms};
}

std::string text(const std::vector<std::uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

std::string sealed(std::string block, std::size_t index) {
    sealChecksum({reinterpret_cast<std::uint8_t*>(block.data()), block.size()}, index);
    return block;
}

const std::string kSettings = sealed(std::string("\x89\x80\x02\x02\x00\x00\x01\xFF\x00", 9), 8);
const std::vector<std::uint8_t> kSettingsBlock(kSettings.begin(), kSettings.end());

// --- request ---------------------------------------------------------------------------------

TEST(Request, SendsTheLineExactlyAndTakesTheReplyUntilClose) {
    ScriptedPeer peer(
        {ScriptedPeer::readLine(), ScriptedPeer::send(kSettings), ScriptedPeer::close()});
    PanelExchange exchange(peer.port(), fastLimits());
    const ExchangeResult result = exchange.request(kLoopback, command::kSetDataRequest);
    EXPECT_EQ(result.outcome, ExchangeOutcome::Ok);
    EXPECT_EQ(text(result.bytes), kSettings);
    EXPECT_EQ(result.bytes.back(), 0xF3);
    EXPECT_EQ(peer.received(), "TRX900 SETDATA SETTING REQ\r\n");
}

TEST(Request, EmptyReplyPassesTheChecksum) {
    ScriptedPeer peer({ScriptedPeer::readLine(), ScriptedPeer::close()});
    PanelExchange exchange(peer.port(), fastLimits());
    const ExchangeResult result = exchange.request(kLoopback, command::kCameraListRequest);
    EXPECT_EQ(result.outcome, ExchangeOutcome::Ok);
    EXPECT_TRUE(result.bytes.empty());
}

TEST(Request, ChecksumIsTakenModulo256) {
    ScriptedPeer sum256(
        {ScriptedPeer::readLine(), ScriptedPeer::send("\x80\x80"), ScriptedPeer::close()});
    EXPECT_EQ(PanelExchange(sum256.port(), fastLimits())
                  .request(kLoopback, command::kAuthRequest)
                  .outcome,
              ExchangeOutcome::Ok);
    ScriptedPeer sum1(
        {ScriptedPeer::readLine(), ScriptedPeer::send("\x80\x81"), ScriptedPeer::close()});
    EXPECT_EQ(
        PanelExchange(sum1.port(), fastLimits()).request(kLoopback, command::kAuthRequest).outcome,
        ExchangeOutcome::ChecksumFailed);
}

TEST(Request, AssemblesAReplyThatArrivesInSmallPieces) {
    ScriptedPeer peer({ScriptedPeer::readLine(), ScriptedPeer::sendPieces(kSettings, 2ms),
                       ScriptedPeer::close()});
    const ExchangeResult result =
        PanelExchange(peer.port(), fastLimits()).request(kLoopback, command::kSetDataRequest);
    EXPECT_EQ(result.outcome, ExchangeOutcome::Ok);
    EXPECT_EQ(text(result.bytes), kSettings);
}

TEST(Request, CutsAReplyAt4096BytesAndChecksOnlyThose) {
    // The first 4096 bytes sum to 0; what follows would not.
    std::string reply = sealed(std::string(4096, '\x11'), 4095) + std::string(1000, '\x01');
    ScriptedPeer peer({ScriptedPeer::readLine(), ScriptedPeer::send(reply), ScriptedPeer::hold()});
    const auto started = Clock::now();
    const ExchangeResult result =
        PanelExchange(peer.port(), fastLimits()).request(kLoopback, command::kCameraListRequest);
    EXPECT_EQ(result.outcome, ExchangeOutcome::Ok);
    ASSERT_EQ(result.bytes.size(), 4096u) << outcomeName(result.outcome);
    EXPECT_EQ(text(result.bytes), reply.substr(0, 4096));
    // A full buffer ends the read: no wait for the panel's close.
    EXPECT_LT(Clock::now() - started, 250ms);

    // The whole reply would sum to 0, its first 4096 bytes do not.
    std::string bad = sealed('\x01' + std::string(5000, '\x11'), 5000);
    ScriptedPeer badPeer({ScriptedPeer::readLine(), ScriptedPeer::send(bad), ScriptedPeer::hold()});
    EXPECT_EQ(PanelExchange(badPeer.port(), fastLimits())
                  .request(kLoopback, command::kCameraListRequest)
                  .outcome,
              ExchangeOutcome::ChecksumFailed);
}

TEST(Request, SilentPanelIsCutOffByTheIdleLimitAndItsBytesHandedBack) {
    ScriptedPeer peer(
        {ScriptedPeer::readLine(), ScriptedPeer::send("\x01\x02\x03"), ScriptedPeer::hold()});
    const auto started = Clock::now();
    const ExchangeResult result =
        PanelExchange(peer.port(), fastLimits()).request(kLoopback, command::kRopListRequest);
    const auto took = Clock::now() - started;
    EXPECT_EQ(result.outcome, ExchangeOutcome::ReceiveFailed);
    EXPECT_EQ(text(result.bytes), "\x01\x02\x03");
    EXPECT_GE(took, 250ms);
    EXPECT_LT(took, 1500ms);
    EXPECT_EQ(peer.received(), "TRX900 ROP LIST SETTING REQ\r\n");
    EXPECT_TRUE(peer.sawClientClose());
}

TEST(Request, TricklingPanelIsCutOffByTheWholeExchangeLimit) {
    // A byte every 50 ms never trips the idle limit; the exchange's own limit ends it.
    ScriptedPeer peer(
        {ScriptedPeer::readLine(), ScriptedPeer::sendPieces(std::string(60, 'x'), 50ms)});
    const auto started = Clock::now();
    const ExchangeResult result =
        PanelExchange(peer.port(), {.connect = 1000ms, .idle = 300ms, .total = 600ms})
            .request(kLoopback, command::kRopListRequest);
    const auto took = Clock::now() - started;
    EXPECT_EQ(result.outcome, ExchangeOutcome::ReceiveFailed);
    EXPECT_FALSE(result.bytes.empty());
    EXPECT_GE(took, 550ms);
    EXPECT_LT(took, 1500ms);
}

// --- opening ---------------------------------------------------------------------------------

TEST(Open, RefusedConnectionAndAddressZeroFailAtConnecting) {
    std::uint16_t unusedPort = 0;
    {
        ScriptedPeer closed({});  // listens, then goes away with its port
        unusedPort = closed.port();
        PanelExchange(closed.port(), {.connect = 200ms, .idle = 200ms, .total = 1000ms})
            .request(kLoopback, command::kAuthRequest);
    }
    EXPECT_EQ(
        PanelExchange(unusedPort, fastLimits()).request(kLoopback, command::kAuthRequest).outcome,
        ExchangeOutcome::ConnectFailed);
    ScriptedPeer local({ScriptedPeer::hold()});
    EXPECT_EQ(PanelExchange(local.port(), fastLimits()).request(0, command::kAuthRequest).outcome,
              ExchangeOutcome::ConnectFailed);
    EXPECT_EQ(PanelExchange(local.port(), fastLimits()).notify(0, command::kRopConnectionCheck),
              ExchangeOutcome::ConnectFailed);
    // Let the waiting peer go; it must never have seen a connection from address 0.
    PanelExchange(local.port(), fastLimits()).notify(kLoopback, command::kRopConnectionCheck);
    EXPECT_EQ(local.received(), "TRX900 ROP LIST SETTING CHECK\r\n");
}

TEST(Open, UnansweredConnectionAttemptIsCutOffByTheConnectLimit) {
    // A listener whose queue is full drops further connection attempts without an answer.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    socklen_t len = sizeof addr;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);
    std::vector<int> fillers;
    for (int i = 0; i < 4; ++i) {
        fillers.push_back(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0));
        ::connect(fillers.back(), reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    }
    pauseExcludingUserInput(50ms);

    const auto started = Clock::now();
    const ExchangeResult result =
        PanelExchange(ntohs(addr.sin_port), {.connect = 300ms, .idle = 5000ms, .total = 5000ms})
            .request(kLoopback, command::kAuthRequest);
    const auto took = Clock::now() - started;
    EXPECT_EQ(result.outcome, ExchangeOutcome::ConnectFailed);
    EXPECT_GE(took, 290ms);
    EXPECT_LT(took, 1500ms);
    for (int fd : fillers) {
        ::close(fd);
    }
    ::close(listener);
}

TEST(Open, NoSocketLeftToCreateGivesSocketCreateFailed) {
    ScriptedPeer peer({ScriptedPeer::hold()});
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    // Find the lowest free descriptor and allow no more than that.
    const int probe = ::dup(0);
    ASSERT_GE(probe, 0);
    ::close(probe);
    rlimit tight = saved;
    tight.rlim_cur = static_cast<rlim_t>(probe);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    const ExchangeResult result =
        PanelExchange(peer.port(), fastLimits()).request(kLoopback, command::kAuthRequest);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(result.outcome, ExchangeOutcome::SocketCreateFailed);
    PanelExchange(peer.port(), fastLimits()).notify(kLoopback, command::kRopConnectionCheck);
    EXPECT_EQ(peer.received(), "TRX900 ROP LIST SETTING CHECK\r\n");
}

// --- write -----------------------------------------------------------------------------------

TEST(Write, SendsTheBlockOnlyAfterTheFullAcknowledgementAndReturnsTheResultLine) {
    ScriptedPeer peer(
        {ScriptedPeer::readLine(), ScriptedPeer::send(kAck + '\0'), ScriptedPeer::readBytes(9),
         ScriptedPeer::send(std::string("WRITE OK\r\n\0", 11)), ScriptedPeer::close()});
    const ExchangeResult result = PanelExchange(peer.port(), fastLimits())
                                      .write(kLoopback, command::kSetDataChange, kSettingsBlock);
    EXPECT_EQ(result.outcome, ExchangeOutcome::Ok);
    EXPECT_EQ(text(result.bytes), std::string("WRITE OK\r\n\0", 11));
    EXPECT_EQ(peer.received(), "TRX900 SETDATA SETTING CHANGE\r\n" + kSettings);
}

TEST(Write, SplitAcknowledgementCompletesOnlyWithItsLastPiece) {
    ScriptedPeer peer({ScriptedPeer::readLine(), ScriptedPeer::send("TRX900 SETTING"),
                       ScriptedPeer::pause(60ms), ScriptedPeer::send(" CHANGE OK\r\n"),
                       ScriptedPeer::pause(60ms),
                       // Nothing may have arrived before the final byte of the line.
                       ScriptedPeer::send(std::string(1, '\x7F')), ScriptedPeer::readBytes(2),
                       ScriptedPeer::sendPieces("WRITE OK\r\nZ", 3ms), ScriptedPeer::close()});
    const std::vector<std::uint8_t> block{0x01, 0xFF};
    const ExchangeResult result =
        PanelExchange(peer.port(), fastLimits()).write(kLoopback, command::kRopListChange, block);
    EXPECT_EQ(result.outcome, ExchangeOutcome::Ok);
    EXPECT_EQ(text(result.bytes), "WRITE OK\r\nZ");
    EXPECT_EQ(peer.received(), "TRX900 ROP LIST SETTING CHANGE\r\n\x01\xFF");
}

struct RefusedAck {
    const char* name;
    std::string line;
};

class WriteRefused : public ::testing::TestWithParam<RefusedAck> {};

TEST_P(WriteRefused, NeverSendsTheBlock) {
    ScriptedPeer peer(
        {ScriptedPeer::readLine(), ScriptedPeer::send(GetParam().line), ScriptedPeer::hold()});
    const ExchangeResult result = PanelExchange(peer.port(), fastLimits())
                                      .write(kLoopback, command::kAuthChange, kSettingsBlock);
    EXPECT_EQ(result.outcome, ExchangeOutcome::NotAcknowledged);
    EXPECT_EQ(peer.received(), "TRX900 AUTH SETTING CHANGE\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Acknowledgements, WriteRefused,
    ::testing::Values(RefusedAck{"ng", std::string("TRX900 SETTING CHANGE NG\r\n\0", 27)},
                      RefusedAck{"lowercase", std::string("trx900 setting change ok\r\n\0", 27)},
                      RefusedAck{"short", std::string("OK\r\n\0", 5)},
                      RefusedAck{"shifted", std::string(" TRX900 SETTING CHANGE OK\r\n\0", 28)}),
    [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

TEST(Write, AcknowledgementWithoutItsTrailingByteIsNotEnough) {
    ScriptedPeer peer({ScriptedPeer::readLine(), ScriptedPeer::send(kAck), ScriptedPeer::close()});
    const ExchangeResult result =
        PanelExchange(peer.port(), fastLimits())
            .write(kLoopback, command::kRopListChange, std::vector<std::uint8_t>{0x00, 0x00});
    EXPECT_EQ(result.outcome, ExchangeOutcome::ReceiveFailed);
    EXPECT_EQ(peer.received(), "TRX900 ROP LIST SETTING CHANGE\r\n");
}

TEST(Write, PanelClosingOrFallingSilentBeforeTheResultLine) {
    ScriptedPeer closing({ScriptedPeer::readLine(), ScriptedPeer::send(kAck + '\0'),
                          ScriptedPeer::readBytes(9), ScriptedPeer::close()});
    EXPECT_EQ(PanelExchange(closing.port(), fastLimits())
                  .write(kLoopback, command::kSetDataChange, kSettingsBlock)
                  .outcome,
              ExchangeOutcome::ResultReceiveFailed);

    ScriptedPeer silent({ScriptedPeer::readLine(), ScriptedPeer::send(kAck + '\0'),
                         ScriptedPeer::readBytes(9), ScriptedPeer::send("WRITE OK\r"),
                         ScriptedPeer::hold()});
    const auto started = Clock::now();
    EXPECT_EQ(PanelExchange(silent.port(), fastLimits())
                  .write(kLoopback, command::kSetDataChange, kSettingsBlock)
                  .outcome,
              ExchangeOutcome::ResultReceiveFailed);
    EXPECT_LT(Clock::now() - started, 1500ms);
}

// The peer resets the connection at a point it picks in what the tool has sent. A command line
// or block far larger than the socket buffers cannot have left the tool when the reset comes, so
// its send fails every time; a reset after the whole block fails the result line.
struct ResetCase {
    const char* name;
    std::size_t commandBytes;  // 0: the real command line
    std::size_t blockBytes;
    std::vector<ScriptedPeer::Step> script;
    ExchangeOutcome expected;
};

class ResetDuringExchange : public ::testing::TestWithParam<ResetCase> {};

TEST_P(ResetDuringExchange, FailsAtTheStepItWasOn) {
    const ResetCase& c = GetParam();
    const std::string command =
        c.commandBytes ? std::string(c.commandBytes, 'C') : std::string(command::kSetDataChange);
    const std::vector<std::uint8_t> block(c.blockBytes, 0);
    ScriptedPeer peer(c.script);
    EXPECT_EQ(PanelExchange(peer.port(), fastLimits()).write(kLoopback, command, block).outcome,
              c.expected);
}

constexpr std::size_t kHuge = 64 << 20;

INSTANTIATE_TEST_SUITE_P(
    Write, ResetDuringExchange,
    ::testing::Values(ResetCase{"inCommand",
                                kHuge,
                                9,
                                {ScriptedPeer::readBytes(1000), ScriptedPeer::reset()},
                                ExchangeOutcome::CommandSendFailed},
                      ResetCase{"inBlock",
                                0,
                                kHuge,
                                {ScriptedPeer::readLine(), ScriptedPeer::send(kAck + '\0'),
                                 ScriptedPeer::readBytes(1000), ScriptedPeer::reset()},
                                ExchangeOutcome::BlockSendFailed},
                      ResetCase{"afterBlock",
                                0,
                                9,
                                {ScriptedPeer::readLine(), ScriptedPeer::send(kAck + '\0'),
                                 ScriptedPeer::readBytes(9), ScriptedPeer::reset()},
                                ExchangeOutcome::ResultReceiveFailed}),
    [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

// --- notify ----------------------------------------------------------------------------------

TEST(Notify, ReadsNothingAndHoldsTheConnectionUntilTheExchangeEnds) {
    ScriptedPeer peer({ScriptedPeer::readLine(), ScriptedPeer::send("unexpected answer\r\n\0"),
                       ScriptedPeer::hold()});
    {
        PanelExchange exchange(peer.port(), fastLimits());
        EXPECT_EQ(exchange.notify(kLoopback, command::kRopConnectionCheck), ExchangeOutcome::Ok);
        pauseExcludingUserInput(150ms);
        EXPECT_FALSE(peer.sawClientClose());
    }
    EXPECT_EQ(peer.received(), "TRX900 ROP LIST SETTING CHECK\r\n");
    EXPECT_TRUE(peer.sawClientClose());
}

}  // namespace
}  // namespace trx
