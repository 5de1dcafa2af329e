#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTcpSocket>

#ifndef Q_OS_WIN
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "exchange/PanelExchange.h"
#include "support/ScriptedPeer.h"
#include "wire/Checksum.h"
#include "wire/Commands.h"

namespace trx {
namespace {

using namespace std::chrono_literals;
using Peer = test::ScriptedPeer;
using Clock = std::chrono::steady_clock;
using O = ExchangeOutcome;

const PanelAddress kLoopback = makeAddress(127, 0, 0, 1);
const ExchangeLimits kLimits{.connect = 1000ms, .idle = 300ms, .total = 3000ms};
const std::string kAck = std::string(panel_line::kAcknowledge) + '\0';
const std::string kRequest(command::kSetDataRequest);
const std::string kWrite(command::kSetDataChange);

std::string text(const std::vector<std::uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

std::string sealed(std::string block, std::size_t index) {
    sealChecksum({reinterpret_cast<std::uint8_t*>(block.data()), block.size()}, index);
    return block;
}

const std::string kSettings = sealed(std::string("\x89\x80\x02\x02\x00\x00\x01\xFF\x00", 9), 8);
const std::vector<std::uint8_t> kBlock(kSettings.begin(), kSettings.end());
// A reply of 4096 bytes that sum to 0, and more after them that would not.
const std::string kFull = sealed(std::string(4096, '\x11'), 4095) + std::string(1000, '\x01');
// A reply whose first 4096 bytes do not sum to 0, though the whole would.
const std::string kSumsPastTheBuffer = sealed('\x01' + std::string(5000, '\x11'), 5000);

// One exchange against a peer that plays the script: the outcome, the bytes handed back, how
// long it took. The peer must have received the command line exactly, and the block only where
// it read one; a peer that holds the connection must see it closed.
struct Case {
    const char* name;
    std::vector<Peer::Step> script;
    ExchangeOutcome outcome;
    std::optional<std::string> handedBack = "";  // none: some bytes, whichever
    std::chrono::milliseconds atLeast{0};
    std::chrono::milliseconds below{1500};
    std::chrono::milliseconds total = kLimits.total;
};
const Peer::Step kLine = Peer::readLine(), kHold = Peer::hold();

void expectExchange(const Case& c, bool write) {
    Peer peer(c.script);
    PanelExchange exchange(peer.port(), {kLimits.connect, kLimits.idle, c.total});
    const auto started = Clock::now();
    const ExchangeResult result =
        write ? exchange.write(kLoopback, kWrite, kBlock) : exchange.request(kLoopback, kRequest);
    const auto took = Clock::now() - started;
    EXPECT_EQ(result.outcome, c.outcome) << outcomeName(result.outcome);
    EXPECT_EQ(text(result.bytes), c.handedBack.value_or(text(result.bytes)));
    EXPECT_FALSE(!c.handedBack && result.bytes.empty());
    EXPECT_TRUE(took >= c.atLeast && took < c.below) << (took / 1ms) << " ms";
    const bool blockRead = std::ranges::any_of(
        c.script, [](const Peer::Step& s) { return s.kind == Peer::Step::Kind::ReadBytes; });
    EXPECT_EQ(peer.received(), (write ? kWrite : kRequest) + (blockRead ? kSettings : ""));
    EXPECT_EQ(peer.sawClientClose(), c.script.back().kind == Peer::Step::Kind::Hold);
}

// The reply is read until the panel closes, at most 4096 bytes, which must sum to 0: a full
// buffer ends the read at once. A panel that goes quiet is cut off by the idle limit and what it
// sent handed back; one that keeps trickling by the exchange's own limit. (The whole, empty and
// trickled replies of a healthy panel are the hostile-panel matrix's.)
const Case kRequests[] = {
    {"CutAtTheBuffer", {kLine, Peer::send(kFull), kHold}, O::Ok, kFull.substr(0, 4096), 0ms, 250ms},
    {"SumsOnlyPastTheBuffer", {kLine, Peer::send(kSumsPastTheBuffer), kHold}, O::ChecksumFailed},
    {"Silent", {kLine, Peer::send("\x01\x02\x03"), kHold}, O::ReceiveFailed, "\x01\x02\x03", 250ms},
    {"Trickling",
     {kLine, Peer::send(std::string(60, 'x'), 50ms)},
     O::ReceiveFailed,
     std::nullopt,
     550ms,
     1500ms,
     600ms},
};

// The block goes out only after all 26 bytes of the acknowledgement and the byte after them; a
// result line must end too. (Which lines are the acknowledgement is startsWith's; a refused "NG",
// a close before the result and a healthy write are the matrix's.)
const Case kWrites[] = {
    {"AcknowledgementWithoutTrailer",
     {kLine, Peer::send(std::string(panel_line::kAcknowledge))},
     O::ReceiveFailed},
    {"SilentBeforeTheResultLineEnds",
     {kLine, Peer::send(kAck), Peer::readBytes(9), Peer::send("WRITE OK\r"), kHold},
     O::ResultReceiveFailed},
};

class Request : public ::testing::TestWithParam<Case> {};
TEST_P(Request, EndsAsItShould) {
    expectExchange(GetParam(), false);
}
class Write : public ::testing::TestWithParam<Case> {};
TEST_P(Write, EndsAsItShould) {
    expectExchange(GetParam(), true);
}
const auto kCaseName = [](const auto& info) { return std::string(info.param.name); };
INSTANTIATE_TEST_SUITE_P(Replies, Request, ::testing::ValuesIn(kRequests), kCaseName);
INSTANTIATE_TEST_SUITE_P(Replies, Write, ::testing::ValuesIn(kWrites), kCaseName);

// The peer resets the connection at a point it picks in what the tool has sent. A command line
// or block far larger than the socket buffers cannot have left the tool when the reset comes, so
// its send fails every time; a reset after the whole block fails the result line.
struct ResetCase {
    const char* name;
    std::size_t commandBytes;  // 0: the real command line
    std::size_t blockBytes;
    std::vector<Peer::Step> script;
    ExchangeOutcome expected;
};
constexpr std::size_t kHuge = 64 << 20;

class ResetDuringExchange : public ::testing::TestWithParam<ResetCase> {};
TEST_P(ResetDuringExchange, FailsAtTheStepItWasOn) {
    const ResetCase& c = GetParam();
    const std::string command = c.commandBytes ? std::string(c.commandBytes, 'C') : kWrite;
    Peer peer(c.script);
    EXPECT_EQ(PanelExchange(peer.port(), kLimits)
                  .write(kLoopback, command, std::vector<std::uint8_t>(c.blockBytes, 0))
                  .outcome,
              c.expected);
}
INSTANTIATE_TEST_SUITE_P(
    Write, ResetDuringExchange,
    ::testing::Values(
        ResetCase{
            "inCommand", kHuge, 9, {Peer::readBytes(1000), Peer::reset()}, O::CommandSendFailed},
        ResetCase{"inBlock",
                  0,
                  kHuge,
                  {Peer::readLine(), Peer::send(kAck), Peer::readBytes(1000), Peer::reset()},
                  O::BlockSendFailed},
        ResetCase{"afterBlock",
                  0,
                  9,
                  {Peer::readLine(), Peer::send(kAck), Peer::readBytes(9), Peer::reset()},
                  O::ResultReceiveFailed}),
    kCaseName);

// Address 0 is no panel: it is never dialled, not even where the stack would take it for this
// host. (A refused connection is the matrix's.)
TEST(Open, AddressZeroFailsAtConnecting) {
    Peer local({kHold});
    EXPECT_EQ(PanelExchange(local.port(), kLimits).request(0, kRequest).outcome, O::ConnectFailed);
    EXPECT_EQ(PanelExchange(local.port(), kLimits).notify(0, command::kRopConnectionCheck),
              O::ConnectFailed);
    // Let the waiting peer go; it must never have seen a connection from address 0.
    PanelExchange(local.port(), kLimits).notify(kLoopback, command::kRopConnectionCheck);
    EXPECT_EQ(local.received(), "TRX900 ROP LIST SETTING CHECK\r\n");
}

TEST(Open, UnansweredConnectionAttemptIsCutOffByTheConnectLimit) {
    // A listener whose queue is full drops further connection attempts without an answer.
    QTcpServer listener;
    listener.setListenBacklogSize(0);
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost));
    listener.pauseAccepting();
    std::vector<std::unique_ptr<QTcpSocket>> fillers;
    for (int i = 0; i < 4; ++i) {
        fillers.push_back(std::make_unique<QTcpSocket>());
        fillers.back()->connectToHost(QHostAddress::LocalHost, listener.serverPort());
    }
    pauseExcludingUserInput(50ms);
    const auto started = Clock::now();
    EXPECT_EQ(PanelExchange(listener.serverPort(), {300ms, 5000ms, 5000ms})
                  .request(kLoopback, kRequest)
                  .outcome,
              O::ConnectFailed);
    const auto took = Clock::now() - started;
    EXPECT_TRUE(took >= 290ms && took < 1500ms);
}

// Windows has no limit on a process's sockets that a test could lower.
#ifndef Q_OS_WIN
TEST(Open, NoSocketLeftToCreateGivesSocketCreateFailed) {
    Peer peer({kHold});
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    // Find the lowest free descriptor and allow no more than that.
    const int probe = ::dup(0);
    ASSERT_GE(probe, 0);
    ::close(probe);
    // The sanitizer build checks an object's type by reading /proc the first time it meets the
    // type: let it meet the exchange's socket, timer and loop while descriptors are left.
    Peer warmUp({kHold});
    EXPECT_EQ(PanelExchange(warmUp.port(), kLimits).notify(kLoopback, command::kRopConnectionCheck),
              O::Ok);
    warmUp.received();  // and its thread's end, with its Qt sockets
    rlimit tight = saved;
    tight.rlim_cur = static_cast<rlim_t>(probe);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    const ExchangeResult result = PanelExchange(peer.port(), kLimits).request(kLoopback, kRequest);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(result.outcome, O::SocketCreateFailed);
    PanelExchange(peer.port(), kLimits).notify(kLoopback, command::kRopConnectionCheck);
    EXPECT_EQ(peer.received(), "TRX900 ROP LIST SETTING CHECK\r\n");
}
#endif

}  // namespace
}  // namespace trx
