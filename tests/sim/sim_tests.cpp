#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QTest>

#include <gtest/gtest.h>

#include <atomic>

#include "PanelBehaviour.h"
#include "PanelSimulator.h"
#include "SimText.h"
#include "exchange/PanelExchange.h"
#include "wire/Checksum.h"
#include "wire/Commands.h"

namespace trx::sim {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;
namespace c = trx::command;
namespace cl = camera_layout;

// The bytes of the block from each offset on are the ones listed.
void expectBytes(std::span<const std::uint8_t> block,
                 std::initializer_list<std::pair<std::size_t, Bytes>> expected) {
    for (const auto& [at, bytes] : expected) {
        const auto part = block.subspan(at, bytes.size());
        EXPECT_EQ(Bytes(part.begin(), part.end()), bytes) << "at " << at;
    }
}

Bytes sealed(Bytes block, std::size_t checksum) {
    sealChecksum(block, checksum);
    return block;
}

// A line as a panel sends it: the text, CR LF and one more byte.
Bytes line(std::string_view text) {
    Bytes bytes(text.begin(), text.end());
    bytes.insert(bytes.end(), {'\r', '\n', 0x00});
    return bytes;
}

const Bytes kAck = line("TRX900 SETTING CHANGE OK");
const Bytes kOk = line("WRITE OK");
const Bytes kFactorySettings = {0x89, 0x80, 2, 2, 0, 0, 1, 0xFF, 0xF3};
const Bytes kNewSettings = sealed({0x8B, 0, 1, 0, 1, 1, 0, 3, 0}, 8);  // port 35584

NetworkCamera camera(int family, std::uint8_t macLast, PanelAddress address, std::string model) {
    const auto f = static_cast<std::uint8_t>(family);
    return {family, std::uint8_t(3 + f), {2, 0, 0, 0, f, macLast}, address,
            49152,  std::move(model)};
}

TEST(PanelRules, FactoryStateIsTheDocumentedDefault) {
    const PanelState s = factoryState({makeAddress(192, 168, 0, 130), makeAddress(10, 1, 2, 3)});
    EXPECT_EQ(s.cameraTable, s.factoryCameraTable);
    // The whole default table seals with C3.
    EXPECT_EQ(sealed(Bytes(s.cameraTable.begin(), s.cameraTable.end()), cl::kChecksum)[668], 0xC3);
    expectBytes(s.cameraTable, {{0, {192, 168, 0, 130, 255, 255, 255, 0, 192, 168, 0, 1}},
                                {cl::kIpPort, {192, 168, 0, 10, 0, 80}},
                                {cl::kIpPort + 6 * 18, {192, 168, 0, 28, 0, 80}},
                                {cl::kType, {1}},
                                {cl::kType + 1, Bytes(18, 0)},
                                {cl::kSerialNumber, {1, 0}},  // and mode 0
                                {cl::kAuxAddress, {192, 168, 0, 8, 0xEA, 0x7E}},
                                {cl::kUninterpreted, {0, 1, 2, 3, 4}}});
    expectBytes(s.settings, {{0, {0x89, 0x80, 2, 2, 0, 0, 1, 0xFF, 0}}});
    expectBytes(s.credentials,
                {{0, {'v', 'e', 'x', 'o', 'r', 0}}, {33, {'5', '8', '2', '0', '3', 0}}});
    // The ROP list names the known panels, with mask 255.255.255.0 and gateway x.x.x.1.
    expectBytes(s.ropList, {{150, {192, 168, 0, 130, 0, 0, 10, 1, 2, 3, 0, 0}},
                            {162, Bytes(300 - 162, 0)},
                            {304, {255, 255, 255, 0}},
                            {404, {10, 1, 2, 1}}});
    EXPECT_EQ(std::tuple(s.ropNumber, s.searchPending), std::tuple(-1, false));
}

TEST(PanelRules, SearchFillsFreeRowsInOrderAndFlagsDuplicates) {
    auto t = factoryCameraTable();
    t[cl::kType + 2] = 1;        // C03 holds a serial camera: not free
    t[cl::kStatus + 10] = 0x83;  // stale flags; the uninterpreted bit stays
    EXPECT_EQ(searchNetwork(t,
                            {camera(0, 1, makeAddress(192, 168, 0, 50), "CCU-LONGMODEL"),
                             camera(1, 1, makeAddress(192, 168, 0, 51), "RC"),    // other family
                             camera(0, 2, makeAddress(192, 168, 0, 130), "CCU"),  // the panel's
                             camera(0, 3, makeAddress(192, 168, 0, 15), "CCU")},  // C06's default
                            0),
              3u);
    constexpr std::uint8_t found = cl::kStatusFound;
    constexpr std::uint8_t twice = cl::kStatusFound | cl::kStatusDuplicate;
    expectBytes(t, {{cl::kType, {1, 3, 1, 3, 3, 0}},  // C02, C04 and C05 take them
                    {cl::kIpPort + 6, {192, 168, 0, 50, 0xC0, 0}},
                    {cl::kMac + 6, {2, 0, 0, 0, 0, 1}},
                    {cl::kModel + 9, {'C', 'C', 'U', '-', 'L', 'O', 'N', 'G', 'M'}},
                    {cl::kModel + 27, {'C', 'C', 'U', 0, 0, 0, 0, 0, 0}},
                    {cl::kStatus, {0, found, 0, twice, twice, 0, 0, 0, 0, 0, 0x80}}});

    // Only free rows are filled: 25 camcorders meet 18 free rows.
    auto full = factoryCameraTable();
    std::vector<NetworkCamera> many;
    for (std::uint8_t k = 0; k < 25; ++k) {
        many.push_back(camera(2, k, makeAddress(10, 0, 1, k), "X"));
    }
    EXPECT_EQ(searchNetwork(full, many, 2), 18u);
    EXPECT_EQ(full[cl::kType], 1);
}

TEST(PanelRules, ARepeatedSearchKeepsEachCameraInItsRow) {
    auto t = factoryCameraTable();
    const std::vector<NetworkCamera> ccus = {camera(0, 1, makeAddress(10, 0, 0, 1), "A"),
                                             camera(0, 2, makeAddress(10, 0, 0, 2), "B")};
    searchNetwork(t, ccus, 0);
    searchNetwork(t, {camera(1, 1, makeAddress(10, 0, 0, 3), "R")}, 1);
    // Found again: the same rows, no second copy; the remote camera keeps its row but loses
    // its highlight, as it was not found this time.
    EXPECT_EQ(searchNetwork(t, ccus, 0), 2u);
    expectBytes(t, {{cl::kIpPort + 6, {10, 0, 0, 1, 0xC0, 0, 10, 0, 0, 2, 0xC0, 0, 10, 0, 0, 3}},
                    {cl::kType, {1, 3, 3, 4, 0}},
                    {cl::kStatus, {0, cl::kStatusFound, cl::kStatusFound, 0}}});
}

TEST(PanelRules, CameraFileIsReadOrItsFirstBadLineNamed) {
    const auto parsed = parseCameraList(
        "# family type mac address port model\n"
        "ccu 3 00:0A:ff:12:34:56 192.168.0.50 80 CCU-1   # trailing comment\r\n"
        "\n"
        "  Camcorder\t5 02-00-00-00-00-07 10.0.0.7 49152 -\n");
    ASSERT_EQ(parsed.error, "");
    ASSERT_EQ(parsed.cameras.size(), 2u);
    const NetworkCamera& ccu = parsed.cameras[0];
    const NetworkCamera& camcorder = parsed.cameras[1];
    EXPECT_EQ(std::tuple(ccu.family, ccu.typeCode, ccu.mac, ccu.address, ccu.port, ccu.model),
              std::tuple(0, 3, std::array<std::uint8_t, 6>{0, 0x0A, 0xFF, 0x12, 0x34, 0x56},
                         makeAddress(192, 168, 0, 50), 80, "CCU-1"));
    EXPECT_EQ(std::tuple(camcorder.family, camcorder.address, camcorder.port, camcorder.model),
              std::tuple(2, makeAddress(10, 0, 0, 7), 49152, ""));

    for (const auto& [bad, what] : std::initializer_list<std::pair<const char*, const char*>>{
             {"ccu 3 00:00:00:00:00:01 10.0.0.1 80", "expected"},
             {"tape 3 00:00:00:00:00:01 10.0.0.1 80 M", "family"},
             {"ccu 256 00:00:00:00:00:01 10.0.0.1 80 M", "type"},
             {"ccu 3 00:00:00:00:00 10.0.0.1 80 M", "mac"},
             {"ccu 3 00:00:00:00:00:0G 10.0.0.1 80 M", "mac"},
             {"ccu 3 00:00:00:00:00:01 10.0.0.256 80 M", "address"},
             {"ccu 3 00:00:00:00:00:01 10.0.0.1 65536 M", "port"},
             {"ccu 3 00:00:00:00:00:01 10.0.0.1 -1 M", "port"},
             {"ccu 3 00:00:00:00:00:01 10.0.0.1 80 TENLETTERS", "model"}}) {
        const auto refused =
            parseCameraList(std::string("# ok\nccu 3 00:00:00:00:00:09 10.0.0.9 80 M\n") + bad);
        EXPECT_TRUE(refused.cameras.empty()) << bad;
        EXPECT_EQ(refused.error.rfind("line 3: ", 0), 0u) << refused.error;
        EXPECT_NE(refused.error.find(what), std::string::npos) << refused.error;
    }
}

TEST(PanelRules, EachExchangeIsPrintedOnOneLine) {
    const ExchangeRecord record{
        "127.0.0.1:4000", "127.0.0.2", "TRX900 ROP LIST SETTING CHANGE\r\n", {3, 0xFD}, "WRITE OK"};
    EXPECT_EQ(describeExchange(record),
              "127.0.0.1:4000 -> 127.0.0.2 | TRX900 ROP LIST SETTING CHANGE | block 2: 03 FD | "
              "WRITE OK");
    EXPECT_EQ(printableLine(std::string_view("A\0\n\\\r\n", 6)), "A\\x00\\x0A\\x5C");
}

// A plain blocking client, so that what is checked is exactly what the panel put on the wire.
class RawClient {
  public:
    RawClient(const char* panel, std::uint16_t port) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        ::inet_pton(AF_INET, panel, &to.sin_addr);
        connected = ::connect(m_fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0;
    }
    ~RawClient() { ::close(m_fd); }

    template <typename Range>
    void send(const Range& bytes) {
        ::send(m_fd, std::data(bytes), std::size(bytes), MSG_NOSIGNAL);
    }
    // Reads until `want` bytes have come, the panel closes, or the limit passes.
    Bytes read(std::size_t want = SIZE_MAX, std::chrono::milliseconds limit = 3000ms) {
        Bytes got;
        const auto deadline = Clock::now() + limit;
        pollfd p{m_fd, POLLIN, 0};
        while (got.size() < want && !closed) {
            const auto left = (deadline - Clock::now()) / 1ms;
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) {
                break;
            }
            std::uint8_t chunk[8192];
            const ssize_t n = ::recv(m_fd, chunk, std::min(sizeof chunk, want - got.size()), 0);
            closed = n <= 0;
            got.insert(got.end(), chunk, chunk + std::max<ssize_t>(n, 0));
        }
        return got;
    }

    bool connected = false;
    bool closed = false;  // by the panel

  private:
    int m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
};

// Two simulated panels on loopback addresses, at a port of the system's choosing.
class SimulatorTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(sim.start({"127.0.0.2", "127.0.0.3"})); }

    // A whole request: the reply, which the panel must end by closing.
    Bytes request(std::string_view command, const char* panel = "127.0.0.2") {
        RawClient client(panel, sim.port());
        client.send(command);
        Bytes reply = client.read();
        EXPECT_TRUE(client.connected && client.closed) << command;
        return reply;
    }
    // A whole write: the acknowledgement, the block, then the result line and the close.
    Bytes write(std::string_view command, const Bytes& block, const char* panel = "127.0.0.2") {
        RawClient client(panel, sim.port());
        client.send(command);
        EXPECT_EQ(client.read(kAck.size()), kAck) << command;
        client.send(block);
        Bytes result = client.read();
        EXPECT_TRUE(client.closed) << command;
        return result;
    }

    PanelSimulator sim;
};

TEST_F(SimulatorTest, RequestsAnswerTheirBlockSealedThenClose) {
    const std::string_view commands[] = {
        c::kSetDataRequest,          c::kAuthRequest,          c::kRopListRequest,
        c::kCameraListRequest,       c::kCameraListInitialize, c::kSearchStartCcu,
        c::kSearchStartRemoteCamera, c::kSearchStartCamcorder, c::kSearchRetryCcu,
        c::kSearchRetryRemoteCamera, c::kSearchRetryCamcorder};
    const std::size_t sizes[] = {9, 68, 501, 670, 670, 670, 670, 670, 670, 670, 670};
    for (std::size_t i = 0; i < std::size(commands); ++i) {
        const Bytes reply = request(commands[i]);
        EXPECT_EQ(reply.size(), sizes[i]) << commands[i];
        EXPECT_TRUE(checksumHolds(reply)) << commands[i];
    }
    EXPECT_EQ(request(c::kSetDataRequest), kFactorySettings);
    ASSERT_EQ(sim.log("127.0.0.2").size(), 12u);
    EXPECT_EQ(std::tuple(sim.log("127.0.0.2")[0].command, sim.log("127.0.0.2")[0].answer),
              std::tuple(std::string(c::kSetDataRequest), "reply 9 bytes"));
}

TEST_F(SimulatorTest, WritesAreStoredAndReadBackOrRefusedWhenTheirChecksFail) {
    EXPECT_EQ(write(c::kSetDataChange, kNewSettings), kOk);
    EXPECT_EQ(request(c::kSetDataRequest), kNewSettings);
    const Bytes credentials = sealed(Bytes(68, 7), 66);  // a byte after the checksum, too
    EXPECT_EQ(write(c::kAuthChange, credentials), kOk);
    EXPECT_EQ(request(c::kAuthRequest), credentials);
    // A block sent along with the command line is taken as the block.
    RawClient both("127.0.0.2", sim.port());
    both.send(std::string(c::kRopListChange) + "\x04\xFC");
    EXPECT_EQ(both.read(kAck.size()), kAck);
    EXPECT_EQ(both.read(), kOk);
    EXPECT_EQ(sim.state("127.0.0.2").ropNumber, 4);
    Bytes table = request(c::kCameraListRequest);
    table[cl::kType + 5] = 4;
    table[669] = 0x77;
    table = sealed(table, 668);
    EXPECT_EQ(write(c::kCameraListChange, table), kOk);
    EXPECT_EQ(request(c::kCameraListRequest), table);
    EXPECT_EQ(sim.log("127.0.0.2")[6].block, table);

    // A checksum that fails, a table without a camera type, a row number past the 25 rows.
    Bytes corrupt = kFactorySettings;
    ++corrupt[8];
    EXPECT_EQ(write(c::kSetDataChange, corrupt), line("WRITE NG"));
    Bytes untyped = table;
    std::fill_n(untyped.begin() + cl::kType, 19, 0);
    EXPECT_EQ(write(c::kCameraListChange, sealed(untyped, 668)), line("CAMERA TYPE SETTING NG"));
    EXPECT_EQ(write(c::kRopListChange, {25, 231}), line("WRITE NG"));
    EXPECT_EQ(request(c::kSetDataRequest), kNewSettings);
    EXPECT_EQ(request(c::kCameraListRequest), table);
    EXPECT_EQ(sim.state("127.0.0.2").ropNumber, 4);
}

TEST_F(SimulatorTest, SearchStaysPendingUntilKeepSet) {
    const Bytes stored = request(c::kCameraListRequest);
    const Bytes first = request(c::kSearchStartCcu);
    EXPECT_TRUE(sim.state("127.0.0.2").searchPending);
    EXPECT_EQ(request(c::kCameraListRequest), stored);
    EXPECT_EQ(first[cl::kType + 1], 3);  // C02 is the first free row
    EXPECT_EQ(first[cl::kStatus + 1] & 1, 1);
    // Two of the built-in network's CCUs share an address.
    EXPECT_EQ(std::count_if(first.begin() + cl::kStatus, first.begin() + cl::kStatus + 19,
                            [](auto s) { return (s & cl::kStatusDuplicate) != 0; }),
              2);
    // RETRY goes on from the pending result: the CCUs stay, the remote cameras join them.
    const Bytes second = request(c::kSearchRetryRemoteCamera);
    const auto types = second.begin() + cl::kType;
    EXPECT_EQ(std::tuple(std::count(types, types + 19, 3), std::count(types, types + 19, 4)),
              std::tuple(3, 2));
    EXPECT_EQ(write(c::kCameraListKeepSet, second), kOk);
    EXPECT_FALSE(sim.state("127.0.0.2").searchPending);
    EXPECT_EQ(request(c::kCameraListRequest), second);

    EXPECT_EQ(request(c::kCameraListInitialize), sealed(stored, 668));
    EXPECT_EQ(request(c::kCameraListRequest), stored);
    // A KEEP SET that is refused ends the search all the same.
    request(c::kSearchStartCcu);
    EXPECT_EQ(write(c::kCameraListKeepSet, sealed(Bytes(670, 0), 668)),
              line("CAMERA TYPE SETTING NG"));
    EXPECT_FALSE(sim.state("127.0.0.2").searchPending);
}

TEST_F(SimulatorTest, EveryAddressKeepsItsOwnPanel) {
    EXPECT_EQ(write(c::kSetDataChange, kNewSettings, "127.0.0.3"), kOk);
    EXPECT_EQ(request(c::kSetDataRequest, "127.0.0.2"), kFactorySettings);
    EXPECT_EQ(request(c::kSetDataRequest, "127.0.0.3"), kNewSettings);
    EXPECT_EQ(std::tuple(sim.log("127.0.0.3").size(), sim.log().size()), std::tuple(2u, 3u));
    // Each panel's ROP list names both served panels.
    expectBytes(request(c::kRopListRequest, "127.0.0.3"),
                {{150, {127, 0, 0, 2, 0, 0, 127, 0, 0, 3, 0, 0}}});
}

TEST_F(SimulatorTest, BadCommandLinesAreClosedWithoutAnAnswer) {
    for (const std::string& bad :
         {std::string("HELLO\r\n"), std::string(100, 'A'),
          std::string("TRX900 IP SETTING REQ\n") + std::string(60, ' '),
          std::string("trx900 ip setting req\r\n"), std::string("TRX900 IP SETTING REQ \r\n"),
          std::string("TRX900 IP SET KEEP START\r\n"), std::string("\0\xFF\r\n", 4)}) {
        RawClient client("127.0.0.2", sim.port());
        client.send(bad);
        EXPECT_TRUE(client.read().empty());
        EXPECT_TRUE(client.closed);
    }
    EXPECT_EQ(sim.log().size(), 7u);
    for (const ExchangeRecord& r : sim.log()) {
        EXPECT_EQ(r.answer.rfind("refused", 0), 0u) << r.answer;
    }
    EXPECT_EQ(request(c::kSetDataRequest), kFactorySettings);
}

TEST_F(SimulatorTest, UnfinishedBlocksAreLoggedAndNotStored) {
    sim.setIdleLimit(200ms);
    {
        RawClient gone("127.0.0.2", sim.port());
        gone.send(c::kSetDataChange);
        EXPECT_EQ(gone.read(kAck.size()), kAck);
        gone.send(Bytes{0x8B, 0});
    }
    RawClient silent("127.0.0.3", sim.port());
    silent.send(c::kAuthChange);
    EXPECT_EQ(silent.read(kAck.size()), kAck);
    silent.send(Bytes(10, 1));
    EXPECT_TRUE(silent.read().empty() && silent.closed);
    ASSERT_TRUE(QTest::qWaitFor([&] { return sim.log().size() == 2; }));
    for (const ExchangeRecord& r : sim.log()) {
        EXPECT_NE(r.answer.find("nothing stored"), std::string::npos) << r.answer;
    }
    EXPECT_EQ(sim.state("127.0.0.2").settings[0], 0x89);
    EXPECT_EQ(sim.state("127.0.0.3").credentials[0], 'v');
}

TEST_F(SimulatorTest, NotifyIsHeldOpenAndStopClosesEveryConnectionPromptly) {
    std::atomic<std::size_t> logged{0};
    sim.setLogSink([&](const ExchangeRecord&) { ++logged; });
    sim.setFault("127.0.0.3", Fault::Silent);
    RawClient idle("127.0.0.2", sim.port());
    RawClient held("127.0.0.3", sim.port());
    RawClient notify("127.0.0.2", sim.port());
    held.send(c::kCameraListRequest);
    notify.send(c::kRopConnectionCheck);
    ASSERT_TRUE(QTest::qWaitFor([&] { return sim.log().size() == 2; }));
    EXPECT_NE(sim.log("127.0.0.2").at(0).answer.find("identifies itself"), std::string::npos);
    EXPECT_TRUE(notify.read(1, 100ms).empty());
    EXPECT_FALSE(notify.closed);
    const auto before = Clock::now();
    sim.stop();
    EXPECT_LT(Clock::now() - before, 2s);
    for (RawClient* client : {&idle, &held, &notify}) {
        EXPECT_TRUE(client->read(SIZE_MAX, 2000ms).empty() && client->closed);
    }
    EXPECT_EQ(sim.port(), 0);
    EXPECT_EQ(logged, sim.log().size());
}

// What each fault puts on the wire for a settings request, and for a settings write: what
// follows the command line and, when the panel waits for the block, what follows the block.
TEST_F(SimulatorTest, EachFaultPutsWhatItPromisesOnTheWire) {
    const auto padded = [](Bytes head, std::size_t total, std::uint8_t fill) {
        head.resize(total, fill);
        return head;
    };
    const Bytes xOk = padded(kOk, kOk.size() + 6000, 'X');
    const std::tuple<Fault, Bytes, Bytes, std::optional<Bytes>> rows[] = {
        {Fault::None, kFactorySettings, kAck, kOk},
        {Fault::NotAcknowledge, kFactorySettings, line("TRX900 SETTING CHANGE NG"), {}},
        {Fault::BadChecksum, {0x89, 0x80, 2, 2, 0, 0, 1, 0xFF, 0xF4}, kAck, kOk},
        {Fault::EmptyReply, {}, {}, {}},
        {Fault::ShortReply, {0x89, 0x80, 2, 2, 0xF3}, kAck, kOk},
        {Fault::OversizeReply, padded(kFactorySettings, 6000, 0), padded(kAck, 6027, 'X'), xOk},
        {Fault::Trickle, kFactorySettings, kAck, kOk},
        {Fault::CloseAfterAcknowledge, kFactorySettings, kAck, Bytes{}},
        {Fault::AcknowledgeWithoutTrailer,
         kFactorySettings,
         Bytes(kAck.begin(), kAck.end() - 1),
         {}},
        {Fault::Silent, {}, {}, {}},
        {Fault::Garbage, garbageBytes(), garbageBytes(), {}}};
    const PanelState factory = sim.state("127.0.0.2");
    sim.setIdleLimit(300ms);
    for (const auto& [fault, reply, first, result] : rows) {
        SCOPED_TRACE(faultName(fault));
        sim.setState("127.0.0.2", factory);
        sim.setFault("127.0.0.2", fault,
                     {.shortLength = 5, .oversizeLength = 6000, .pieceDelay = 10ms});
        const bool silent = fault == Fault::Silent;
        {
            RawClient client("127.0.0.2", sim.port());
            client.send(c::kSetDataRequest);
            const auto before = Clock::now();
            EXPECT_EQ(client.read(SIZE_MAX, silent ? 300ms : 3000ms), reply);
            // A trickled reply comes one byte at a time.
            EXPECT_GE(Clock::now() - before, fault == Fault::Trickle ? 8 * 10ms : 0ms);
            EXPECT_EQ(client.closed, !silent);
        }
        RawClient client("127.0.0.2", sim.port());
        client.send(c::kSetDataChange);
        EXPECT_EQ(client.read(result ? first.size() : SIZE_MAX, silent ? 300ms : 3000ms), first);
        if (result) {
            client.send(kNewSettings);
            EXPECT_EQ(client.read(), *result);
        }
        EXPECT_EQ(client.closed, !silent);
        EXPECT_EQ(sim.state("127.0.0.2").settings[0], result == kOk || result == xOk ? 0x8B : 0x89);
        // Faults stay with their panel.
        EXPECT_EQ(request(c::kSetDataRequest, "127.0.0.3"), kFactorySettings);
    }
}

// The client side of the product against the simulated panel: the outcomes page tests rely on.
TEST_F(SimulatorTest, PanelExchangeMeetsEachFaultWithItsOutcome) {
    using enum ExchangeOutcome;
    const ExchangeLimits limits{.connect = 1000ms, .idle = 400ms, .total = 3000ms};
    const std::uint16_t port = sim.port();  // refused connections come back on the same port
    for (const auto& [fault, onRequest, onWrite] :
         {std::tuple{Fault::None, Ok, Ok},
          {Fault::RefuseConnection, ConnectFailed, ConnectFailed},
          {Fault::NotAcknowledge, Ok, NotAcknowledged},
          {Fault::BadChecksum, ChecksumFailed, Ok},
          {Fault::EmptyReply, Ok, ReceiveFailed},
          {Fault::CloseAfterAcknowledge, Ok, ResultReceiveFailed},
          {Fault::AcknowledgeWithoutTrailer, Ok, ReceiveFailed},
          {Fault::Silent, ReceiveFailed, ReceiveFailed},
          {Fault::Garbage, ChecksumFailed, NotAcknowledged},
          {Fault::None, Ok, Ok}}) {
        SCOPED_TRACE(faultName(fault));
        sim.setFault("127.0.0.2", fault);
        const PanelAddress panel = makeAddress(127, 0, 0, 2);
        EXPECT_EQ(PanelExchange(port, limits).request(panel, c::kAuthRequest).outcome, onRequest);
        EXPECT_EQ(PanelExchange(port, limits).write(panel, c::kSetDataChange, kNewSettings).outcome,
                  onWrite);
    }
}

}  // namespace
}  // namespace trx::sim
