#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "PanelBehaviour.h"
#include "PanelSimulator.h"
#include "protocol/Checksum.h"
#include "protocol/Commands.h"
#include "protocol/PanelExchange.h"

namespace trx::sim {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;
namespace c = trx::command;

// A plain blocking client, so that what is checked is exactly what the panel put on the wire.
class RawClient {
  public:
    RawClient() = default;
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;
    ~RawClient() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }

    bool connectTo(const std::string& address, std::uint16_t port) {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        ::inet_pton(AF_INET, address.c_str(), &to.sin_addr);
        return ::connect(m_fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0;
    }

    void send(std::string_view text) { send(Bytes(text.begin(), text.end())); }
    void send(const Bytes& bytes) {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = ::send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) {
                return;
            }
            sent += static_cast<std::size_t>(n);
        }
    }

    // Reads until `want` bytes have come, the panel closes, or the limit passes.
    Bytes read(std::size_t want, std::chrono::milliseconds limit = 3000ms) {
        Bytes got;
        const auto deadline = Clock::now() + limit;
        while (got.size() < want && !m_closed) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd p{m_fd, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
                break;
            }
            std::uint8_t chunk[8192];
            const ssize_t n = ::recv(m_fd, chunk, std::min(sizeof chunk, want - got.size()), 0);
            if (n <= 0) {
                m_closed = true;
                break;
            }
            got.insert(got.end(), chunk, chunk + n);
        }
        return got;
    }

    // Reads everything up to the panel's close.
    Bytes readToClose(std::chrono::milliseconds limit = 3000ms) {
        return read(std::numeric_limits<std::size_t>::max(), limit);
    }

    bool closedByPanel() const { return m_closed; }

  private:
    int m_fd = -1;
    bool m_closed = false;
};

Bytes line(std::string_view text) {
    Bytes bytes(text.begin(), text.end());
    bytes.insert(bytes.end(), {'\r', '\n', 0x00});
    return bytes;
}

const Bytes kAck = [] {
    Bytes ack(panel_line::kAcknowledge.begin(), panel_line::kAcknowledge.end());
    ack.push_back(0x00);
    return ack;
}();

Bytes sealed(Bytes block, std::size_t checksum) {
    sealChecksum(block, checksum);
    return block;
}

template <typename Done>
bool waitUntil(Done done, std::chrono::milliseconds limit = 3000ms) {
    const auto deadline = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

class SimulatorTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(sim.start({"127.0.0.2", "127.0.0.3"})); }

    // A whole request: the reply and whether the panel closed after it.
    Bytes request(std::string_view command, const std::string& panel = "127.0.0.2") {
        RawClient client;
        EXPECT_TRUE(client.connectTo(panel, sim.port()));
        client.send(command);
        Bytes reply = client.readToClose();
        EXPECT_TRUE(client.closedByPanel()) << command;
        return reply;
    }

    // A whole write; returns the result line.
    Bytes write(std::string_view command, const Bytes& block,
                const std::string& panel = "127.0.0.2") {
        RawClient client;
        EXPECT_TRUE(client.connectTo(panel, sim.port()));
        client.send(command);
        EXPECT_EQ(client.read(kAck.size()), kAck);
        client.send(block);
        Bytes result = client.readToClose();
        EXPECT_TRUE(client.closedByPanel());
        return result;
    }

    PanelSimulator sim;
};

TEST_F(SimulatorTest, RequestsAnswerTheirBlockSealedThenClose) {
    struct Case {
        std::string_view command;
        std::size_t size;
    };
    for (const Case& k :
         {Case{c::kSetDataRequest, 9}, Case{c::kAuthRequest, 68}, Case{c::kRopListRequest, 501},
          Case{c::kCameraListRequest, 670}, Case{c::kCameraListInitialize, 670},
          Case{c::kSearchStartCcu, 670}, Case{c::kSearchRetryCamcorder, 670}}) {
        const Bytes reply = request(k.command);
        EXPECT_EQ(reply.size(), k.size) << k.command;
        EXPECT_TRUE(checksumHolds(reply)) << k.command;
    }
    const Bytes settings = request(c::kSetDataRequest);
    EXPECT_EQ(settings, (Bytes{0x89, 0x80, 2, 2, 0, 0, 1, 0xFF, 0xF3}));
    ASSERT_EQ(sim.log("127.0.0.2").size(), 8u);
    EXPECT_EQ(sim.log("127.0.0.2")[0].command, c::kSetDataRequest);
    EXPECT_EQ(sim.log("127.0.0.2")[0].answer, "reply 9 bytes");
}

TEST_F(SimulatorTest, WritesAreFramedStoredAndReadBack) {
    const Bytes settings = sealed({0x8B, 0x00, 1, 0, 1, 1, 0, 3, 0}, 8);  // port 35584
    EXPECT_EQ(write(c::kSetDataChange, settings), line("WRITE OK"));
    EXPECT_EQ(request(c::kSetDataRequest), settings);

    Bytes credentials(68, 0);
    std::copy_n("op", 3, credentials.begin());
    std::copy_n("secret1", 8, credentials.begin() + 33);
    credentials[67] = 0x55;
    credentials = sealed(credentials, 66);
    EXPECT_EQ(write(c::kAuthChange, credentials), line("WRITE OK"));
    EXPECT_EQ(request(c::kAuthRequest), credentials);

    EXPECT_EQ(write(c::kRopListChange, {4, 0xFC}), line("WRITE OK"));
    EXPECT_EQ(sim.state("127.0.0.2").ropNumber, 4);

    Bytes table = request(c::kCameraListRequest);
    table[392 + 5] = 4;
    table[669] = 0x77;
    table = sealed(table, 668);
    EXPECT_EQ(write(c::kCameraListChange, table), line("WRITE OK"));
    EXPECT_EQ(request(c::kCameraListRequest), table);
    EXPECT_EQ(sim.log("127.0.0.2").back().command, c::kCameraListRequest);
    EXPECT_EQ(sim.log("127.0.0.2")[6].block, table);
}

TEST_F(SimulatorTest, RefusedWritesStoreNothing) {
    Bytes settings = sealed({0x8B, 0x00, 1, 0, 1, 1, 0, 3, 0}, 8);
    ++settings[8];
    EXPECT_EQ(write(c::kSetDataChange, settings), line("WRITE NG"));
    Bytes table = request(c::kCameraListRequest);
    std::fill_n(table.begin() + 392, 19, 0);
    EXPECT_EQ(write(c::kCameraListChange, sealed(table, 668)), line("CAMERA TYPE SETTING NG"));
    const PanelState state = sim.state("127.0.0.2");
    EXPECT_EQ(state.settings[0], 0x89);
    EXPECT_EQ(state.cameraTable[392], 1);
}

TEST_F(SimulatorTest, SearchStaysPendingUntilKeepSet) {
    const Bytes stored = request(c::kCameraListRequest);
    const Bytes first = request(c::kSearchStartCcu);
    EXPECT_TRUE(sim.state("127.0.0.2").searchPending);
    EXPECT_EQ(request(c::kCameraListRequest), stored);
    EXPECT_EQ(first[392 + 1], 3);  // C02 is the first free row
    EXPECT_EQ(first[648 + 1] & 1, 1);

    // RETRY goes on from the pending result: the CCUs stay, the remote cameras join them.
    const Bytes second = request(c::kSearchRetryRemoteCamera);
    EXPECT_EQ(std::count(second.begin() + 392, second.begin() + 411, 3), 3);
    EXPECT_EQ(std::count(second.begin() + 392, second.begin() + 411, 4), 2);

    EXPECT_EQ(write(c::kCameraListKeepSet, second), line("WRITE OK"));
    EXPECT_FALSE(sim.state("127.0.0.2").searchPending);
    EXPECT_EQ(request(c::kCameraListRequest), second);

    EXPECT_EQ(request(c::kCameraListInitialize), sealed(stored, 668));
    EXPECT_EQ(request(c::kCameraListRequest), stored);
}

TEST_F(SimulatorTest, EveryAddressKeepsItsOwnPanel) {
    EXPECT_EQ(write(c::kSetDataChange, sealed({0x8B, 0, 1, 0, 1, 1, 0, 3, 0}, 8), "127.0.0.3"),
              line("WRITE OK"));
    EXPECT_EQ(request(c::kSetDataRequest, "127.0.0.2")[0], 0x89);
    EXPECT_EQ(request(c::kSetDataRequest, "127.0.0.3")[0], 0x8B);
    EXPECT_EQ(sim.log("127.0.0.3").size(), 2u);
    EXPECT_EQ(sim.log().size(), 3u);
    // Each panel's ROP list names both served panels.
    const Bytes rop = request(c::kRopListRequest, "127.0.0.3");
    EXPECT_EQ(Bytes(rop.begin() + 150, rop.begin() + 162),
              (Bytes{127, 0, 0, 2, 0, 0, 127, 0, 0, 3, 0, 0}));
}

TEST_F(SimulatorTest, BadCommandLinesAreClosedWithoutAnAnswer) {
    for (const std::string& bad :
         {std::string("HELLO\r\n"), std::string(100, 'A'),
          std::string("TRX900 IP SETTING REQ\n") + std::string(60, ' '),
          std::string("trx900 ip setting req\r\n"), std::string("\0\xFF\r\n", 4)}) {
        RawClient client;
        ASSERT_TRUE(client.connectTo("127.0.0.2", sim.port()));
        client.send(bad);
        EXPECT_TRUE(client.readToClose().empty());
        EXPECT_TRUE(client.closedByPanel());
    }
    EXPECT_EQ(sim.log().size(), 5u);
    for (const ExchangeRecord& r : sim.log()) {
        EXPECT_EQ(r.answer.rfind("refused", 0), 0u) << r.answer;
    }
    EXPECT_EQ(request(c::kSetDataRequest).size(), 9u);
}

TEST_F(SimulatorTest, BlockSentWithTheCommandLineIsTakenAsTheBlock) {
    RawClient client;
    ASSERT_TRUE(client.connectTo("127.0.0.2", sim.port()));
    Bytes both(c::kRopListChange.begin(), c::kRopListChange.end());
    both.insert(both.end(), {7, 0xF9});
    client.send(both);
    Bytes expected = kAck;
    const Bytes ok = line("WRITE OK");
    expected.insert(expected.end(), ok.begin(), ok.end());
    EXPECT_EQ(client.readToClose(), expected);
    EXPECT_EQ(sim.state("127.0.0.2").ropNumber, 7);
}

TEST_F(SimulatorTest, UnfinishedBlocksAreLoggedAndNotStored) {
    sim.setIdleLimit(200ms);
    {
        RawClient gone;
        ASSERT_TRUE(gone.connectTo("127.0.0.2", sim.port()));
        gone.send(c::kSetDataChange);
        EXPECT_EQ(gone.read(kAck.size()), kAck);
        gone.send(Bytes{0x8B, 0});
    }
    RawClient silent;
    ASSERT_TRUE(silent.connectTo("127.0.0.3", sim.port()));
    silent.send(c::kAuthChange);
    EXPECT_EQ(silent.read(kAck.size()), kAck);
    silent.send(Bytes(10, 1));
    EXPECT_TRUE(silent.readToClose().empty());
    EXPECT_TRUE(silent.closedByPanel());
    ASSERT_TRUE(waitUntil([&] { return sim.log().size() == 2; }));
    for (const ExchangeRecord& r : sim.log()) {
        EXPECT_NE(r.answer.find("nothing stored"), std::string::npos) << r.answer;
    }
    EXPECT_EQ(sim.state("127.0.0.2").settings[0], 0x89);
    EXPECT_EQ(sim.state("127.0.0.3").credentials[0], 'v');
}

TEST_F(SimulatorTest, NotifyIsLoggedAndHeldOpenUntilTheClientCloses) {
    std::atomic<int> sunk{0};
    sim.setLogSink([&](const ExchangeRecord&) { ++sunk; });
    RawClient client;
    ASSERT_TRUE(client.connectTo("127.0.0.3", sim.port()));
    client.send(c::kRopConnectionCheck);
    ASSERT_TRUE(waitUntil([&] { return sunk == 1; }));
    EXPECT_NE(sim.log("127.0.0.3").at(0).answer.find("identifies itself"), std::string::npos);
    EXPECT_TRUE(client.read(1, 100ms).empty());
    EXPECT_FALSE(client.closedByPanel());
}

TEST_F(SimulatorTest, StopClosesOpenConnectionsPromptly) {
    sim.setFault("127.0.0.3", Fault::Silent);
    RawClient idle, held, notify;
    ASSERT_TRUE(idle.connectTo("127.0.0.2", sim.port()));
    ASSERT_TRUE(held.connectTo("127.0.0.3", sim.port()));
    ASSERT_TRUE(notify.connectTo("127.0.0.2", sim.port()));
    held.send(c::kCameraListRequest);
    notify.send(c::kRopConnectionCheck);
    ASSERT_TRUE(waitUntil([&] { return sim.log().size() == 2; }));
    const auto before = Clock::now();
    sim.stop();
    EXPECT_LT(Clock::now() - before, 2s);
    for (RawClient* client : {&idle, &held, &notify}) {
        EXPECT_TRUE(client->readToClose(2000ms).empty());
        EXPECT_TRUE(client->closedByPanel());
    }
    EXPECT_EQ(sim.port(), 0);
}

TEST_F(SimulatorTest, RefusedConnectionsComeBackOnTheSamePort) {
    const std::uint16_t port = sim.port();
    sim.setFault("127.0.0.2", Fault::RefuseConnection);
    RawClient refused;
    EXPECT_FALSE(refused.connectTo("127.0.0.2", port));
    EXPECT_EQ(request(c::kSetDataRequest, "127.0.0.3").size(), 9u);
    sim.setFault("127.0.0.2", Fault::None);
    EXPECT_EQ(sim.port(), port);
    EXPECT_EQ(request(c::kSetDataRequest, "127.0.0.2").size(), 9u);
}

// What each fault puts on the wire, for a request and for a write.
struct FaultCase {
    Fault fault;
    std::function<Bytes(const Bytes& reply)> requestBytes;
    bool requestCloses;
    Bytes writeFirst;   // what comes after the write command
    bool sendsBlock;    // whether the panel waits for the block
    Bytes writeResult;  // what follows the block
    bool stored;
};

const Bytes kSettingsReply = sealed({0x89, 0x80, 2, 2, 0, 0, 1, 0xFF, 0}, 8);
const Bytes kNewSettings = sealed({0x8B, 0, 1, 0, 1, 1, 0, 3, 0}, 8);

Bytes withTail(Bytes head, std::size_t total, std::uint8_t fill) {
    head.resize(std::max(total, head.size()), fill);
    return head;
}

Bytes xTail(const Bytes& head) {
    return withTail(head, head.size() + 6000, 'X');
}

std::vector<FaultCase> faultCases() {
    const Bytes ok = line("WRITE OK");
    const auto same = [](const Bytes& r) { return r; };
    const auto nothing = [](const Bytes&) { return Bytes{}; };
    const auto garbage = [](const Bytes&) { return garbageBytes(); };
    return {
        {Fault::None, same, true, kAck, true, ok, true},
        {Fault::NotAcknowledge, same, true, line("TRX900 SETTING CHANGE NG"), false, {}, false},
        {Fault::BadChecksum,
         [](const Bytes& r) {
             Bytes b = r;
             ++b[8];
             return b;
         },
         true, kAck, true, ok, true},
        {Fault::EmptyReply, nothing, true, {}, false, {}, false},
        {Fault::ShortReply,
         [](const Bytes& r) { return sealed(Bytes(r.begin(), r.begin() + 5), 4); }, true, kAck,
         true, ok, true},
        {Fault::OversizeReply, [](const Bytes& r) { return withTail(r, 6000, 0); }, true,
         xTail(kAck), true, xTail(ok), true},
        {Fault::Trickle, same, true, kAck, true, ok, true},
        {Fault::CloseAfterAcknowledge, same, true, kAck, true, {}, false},
        {Fault::AcknowledgeWithoutTrailer,
         same,
         true,
         Bytes(kAck.begin(), kAck.end() - 1),
         false,
         {},
         false},
        {Fault::Silent, nothing, false, {}, false, {}, false},
        {Fault::Garbage, garbage, true, garbageBytes(), false, {}, false},
    };
}

class FaultTest : public SimulatorTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(FaultTest, PutsWhatItPromisesOnTheWire) {
    const FaultCase& k = GetParam();
    sim.setIdleLimit(300ms);
    sim.setFault("127.0.0.2", k.fault);
    {
        RawClient client;
        ASSERT_TRUE(client.connectTo("127.0.0.2", sim.port()));
        client.send(c::kSetDataRequest);
        EXPECT_EQ(client.readToClose(k.requestCloses ? 3000ms : 300ms),
                  k.requestBytes(kSettingsReply));
        EXPECT_EQ(client.closedByPanel(), k.requestCloses);
    }
    RawClient client;
    ASSERT_TRUE(client.connectTo("127.0.0.2", sim.port()));
    client.send(c::kSetDataChange);
    if (k.sendsBlock) {
        EXPECT_EQ(client.read(k.writeFirst.size()), k.writeFirst);
        client.send(kNewSettings);
        EXPECT_EQ(client.readToClose(), k.writeResult);
    } else {
        EXPECT_EQ(client.readToClose(k.fault == Fault::Silent ? 300ms : 3000ms), k.writeFirst);
    }
    EXPECT_EQ(client.closedByPanel(), k.fault != Fault::Silent);
    EXPECT_EQ(sim.state("127.0.0.2").settings[0], k.stored ? 0x8B : 0x89);
    // Faults stay with their panel.
    EXPECT_EQ(request(c::kSetDataRequest, "127.0.0.3"), kSettingsReply);
}

INSTANTIATE_TEST_SUITE_P(EachFault, FaultTest, ::testing::ValuesIn(faultCases()),
                         [](const auto& param) {
                             std::string name(faultName(param.param.fault));
                             std::erase(name, '-');
                             return name;
                         });

TEST_F(SimulatorTest, TrickleSendsOneByteAtATime) {
    FaultOptions slow;
    slow.pieceDelay = 20ms;
    sim.setFault("127.0.0.2", Fault::Trickle, slow);
    const auto before = Clock::now();
    EXPECT_EQ(request(c::kSetDataRequest), kSettingsReply);
    EXPECT_GE(Clock::now() - before, 8 * 20ms);
}

// The client side of the product against the simulated panel: the outcomes page tests rely on.
TEST_F(SimulatorTest, PanelExchangeMeetsEachFaultWithItsOutcome) {
    struct Case {
        Fault fault;
        ExchangeOutcome request;
        ExchangeOutcome write;
    };
    ExchangeLimits limits;
    limits.connect = 1000ms;
    limits.idle = 400ms;
    limits.total = 3000ms;
    for (const Case& k :
         {Case{Fault::None, ExchangeOutcome::Ok, ExchangeOutcome::Ok},
          Case{Fault::RefuseConnection, ExchangeOutcome::ConnectFailed,
               ExchangeOutcome::ConnectFailed},
          Case{Fault::NotAcknowledge, ExchangeOutcome::Ok, ExchangeOutcome::NotAcknowledged},
          Case{Fault::BadChecksum, ExchangeOutcome::ChecksumFailed, ExchangeOutcome::Ok},
          Case{Fault::EmptyReply, ExchangeOutcome::Ok, ExchangeOutcome::ReceiveFailed},
          Case{Fault::CloseAfterAcknowledge, ExchangeOutcome::Ok,
               ExchangeOutcome::ResultReceiveFailed},
          Case{Fault::AcknowledgeWithoutTrailer, ExchangeOutcome::Ok,
               ExchangeOutcome::ReceiveFailed},
          Case{Fault::Silent, ExchangeOutcome::ReceiveFailed, ExchangeOutcome::ReceiveFailed},
          Case{Fault::Garbage, ExchangeOutcome::ChecksumFailed,
               ExchangeOutcome::NotAcknowledged}}) {
        sim.setFault("127.0.0.2", k.fault);
        const PanelAddress panel = makeAddress(127, 0, 0, 2);
        EXPECT_EQ(PanelExchange(sim.port(), limits).request(panel, c::kAuthRequest).outcome,
                  k.request)
            << faultName(k.fault);
        EXPECT_EQ(
            PanelExchange(sim.port(), limits).write(panel, c::kSetDataChange, kNewSettings).outcome,
            k.write)
            << faultName(k.fault);
    }
}

}  // namespace
}  // namespace trx::sim
