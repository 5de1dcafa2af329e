#include <gtest/gtest.h>

#include <numeric>

#include "PanelBehaviour.h"
#include "SimText.h"
#include "protocol/Checksum.h"
#include "protocol/Commands.h"

namespace trx::sim {
namespace {

namespace cl = camera_layout;

std::vector<std::uint8_t> slice(std::span<const std::uint8_t> bytes, std::size_t at,
                                std::size_t n) {
    return {bytes.begin() + static_cast<std::ptrdiff_t>(at),
            bytes.begin() + static_cast<std::ptrdiff_t>(at + n)};
}

PanelAddress rowAddress(const std::array<std::uint8_t, 670>& t, std::size_t row) {
    return readAddress(std::span<const std::uint8_t, 4>(t.data() + cl::kIpPort + 6 * row, 4));
}

TEST(FactoryState, CameraTableIsTheDocumentedDefault) {
    const auto t = factoryCameraTable();
    // The whole default table sums to 61 and seals with C3.
    EXPECT_EQ(byteSum(t), 61);
    auto sealedTable = t;
    sealChecksum(sealedTable, cl::kChecksum);
    EXPECT_EQ(sealedTable[cl::kChecksum], 0xC3);
    EXPECT_EQ(slice(t, 0, 12),
              (std::vector<std::uint8_t>{192, 168, 0, 130, 255, 255, 255, 0, 192, 168, 0, 1}));
    EXPECT_EQ(slice(t, cl::kIpPort, 6), (std::vector<std::uint8_t>{192, 168, 0, 10, 0, 80}));
    EXPECT_EQ(slice(t, cl::kIpPort + 6 * 18, 6),
              (std::vector<std::uint8_t>{192, 168, 0, 28, 0, 80}));
    EXPECT_EQ(t[cl::kType], 1);
    for (std::size_t i = 1; i < cl::kRows; ++i) {
        EXPECT_EQ(t[cl::kType + i], 0) << "row " << i;
    }
    EXPECT_EQ(t[cl::kSerialNumber], 1);
    EXPECT_EQ(t[cl::kModeCode], 0);
    EXPECT_EQ(slice(t, cl::kAuxAddress, 6),
              (std::vector<std::uint8_t>{192, 168, 0, 8, 0xEA, 0x7E}));
    EXPECT_EQ(slice(t, cl::kUninterpreted, 5), (std::vector<std::uint8_t>{0, 1, 2, 3, 4}));
}

TEST(FactoryState, RecordsAndRopListNameTheKnownPanels) {
    const PanelState s = factoryState({makeAddress(192, 168, 0, 130), makeAddress(10, 1, 2, 3)});
    EXPECT_EQ(s.cameraTable, s.factoryCameraTable);
    EXPECT_EQ(slice(s.settings, 0, 9),
              (std::vector<std::uint8_t>{0x89, 0x80, 2, 2, 0, 0, 1, 0xFF, 0}));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.credentials.data())), "vexor");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.credentials.data() + 33)), "58203");
    EXPECT_EQ(slice(s.ropList, 150, 6), (std::vector<std::uint8_t>{192, 168, 0, 130, 0, 0}));
    EXPECT_EQ(slice(s.ropList, 156, 6), (std::vector<std::uint8_t>{10, 1, 2, 3, 0, 0}));
    EXPECT_EQ(slice(s.ropList, 304, 4), (std::vector<std::uint8_t>{255, 255, 255, 0}));
    EXPECT_EQ(slice(s.ropList, 404, 4), (std::vector<std::uint8_t>{10, 1, 2, 1}));
    const auto rest = slice(s.ropList, 162, 300 - 162);
    EXPECT_TRUE(std::all_of(rest.begin(), rest.end(), [](auto b) { return b == 0; }));
    EXPECT_EQ(s.ropNumber, -1);
    EXPECT_FALSE(s.searchPending);
}

struct LineCase {
    std::string_view line;
    Shape shape;
    std::size_t blockSize;
};

class CommandLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(CommandLines, EveryLineIsKnownWithItsShapeAndBlock) {
    const auto command = identifyCommand(GetParam().line);
    ASSERT_TRUE(command.has_value());
    EXPECT_EQ(shapeOf(command->kind), GetParam().shape);
    EXPECT_EQ(blockSizeOf(command->kind), GetParam().blockSize);
}

namespace c = trx::command;
INSTANTIATE_TEST_SUITE_P(All, CommandLines,
                         ::testing::Values(LineCase{c::kSetDataRequest, Shape::Request, 0},
                                           LineCase{c::kAuthRequest, Shape::Request, 0},
                                           LineCase{c::kRopListRequest, Shape::Request, 0},
                                           LineCase{c::kCameraListRequest, Shape::Request, 0},
                                           LineCase{c::kCameraListInitialize, Shape::Request, 0},
                                           LineCase{c::kSearchStartCamcorder, Shape::Request, 0},
                                           LineCase{c::kSearchRetryRemoteCamera, Shape::Request, 0},
                                           LineCase{c::kSetDataChange, Shape::Write, 9},
                                           LineCase{c::kAuthChange, Shape::Write, 68},
                                           LineCase{c::kRopListChange, Shape::Write, 2},
                                           LineCase{c::kCameraListChange, Shape::Write, 670},
                                           LineCase{c::kCameraListKeepSet, Shape::Write, 670},
                                           LineCase{c::kRopConnectionCheck, Shape::Notify, 0}));

TEST(CommandLines, NearMissesAreNotCommands) {
    for (std::string_view line :
         {"TRX900 IP SETTING REQ\n", "TRX900 IP SETTING REQ", "trx900 ip setting req\r\n",
          "TRX900 IP SETTING REQ \r\n", "TRX900 IP SET KEEP START\r\n", "\r\n", ""}) {
        EXPECT_FALSE(identifyCommand(line).has_value()) << line;
    }
    const auto retry = identifyCommand(c::kSearchRetryCamcorder);
    ASSERT_TRUE(retry.has_value());
    EXPECT_EQ(retry->kind, CommandKind::SearchRetry);
    EXPECT_EQ(retry->family, 2);
}

NetworkCamera camera(int family, std::uint8_t macLast, PanelAddress address, std::string model) {
    NetworkCamera cam;
    cam.family = family;
    cam.typeCode = static_cast<std::uint8_t>(3 + family);
    cam.mac = {0x02, 0, 0, 0, static_cast<std::uint8_t>(family), macLast};
    cam.address = address;
    cam.port = 49152;
    cam.model = std::move(model);
    return cam;
}

TEST(NetworkSearch, FillsFreeRowsFlagsDuplicatesAndClearsOthers) {
    auto t = factoryCameraTable();
    t[cl::kType + 2] = 1;        // C03 holds a serial camera: not free
    t[cl::kStatus + 10] = 0x83;  // stale flags; the uninterpreted bit stays
    const std::vector<NetworkCamera> net = {
        camera(0, 1, makeAddress(192, 168, 0, 50), "CCU-LONGMODEL"),
        camera(1, 1, makeAddress(192, 168, 0, 51), "RC"),    // other family: ignored
        camera(0, 2, makeAddress(192, 168, 0, 130), "CCU"),  // the panel's own address
        camera(0, 3, makeAddress(192, 168, 0, 15), "CCU"),   // same as C06's default address
    };
    EXPECT_EQ(searchNetwork(t, net, 0), 3u);
    // C01 (serial) and C03 (serial) are skipped: C02, C04, C05 take the cameras in order.
    EXPECT_EQ(t[cl::kType + 1], 3);
    EXPECT_EQ(t[cl::kType + 3], 3);
    EXPECT_EQ(t[cl::kType + 4], 3);
    EXPECT_EQ(slice(t, cl::kIpPort + 6, 6), (std::vector<std::uint8_t>{192, 168, 0, 50, 0xC0, 0}));
    EXPECT_EQ(slice(t, cl::kMac + 6, 6), (std::vector<std::uint8_t>{2, 0, 0, 0, 0, 1}));
    EXPECT_EQ(slice(t, cl::kModel + 9, 9),
              (std::vector<std::uint8_t>{'C', 'C', 'U', '-', 'L', 'O', 'N', 'G', 'M'}));
    EXPECT_EQ(slice(t, cl::kModel + 27, 9),
              (std::vector<std::uint8_t>{'C', 'C', 'U', 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(t[cl::kStatus + 1], cl::kStatusFound);
    EXPECT_EQ(t[cl::kStatus + 3], cl::kStatusFound | cl::kStatusDuplicate);
    EXPECT_EQ(t[cl::kStatus + 4], cl::kStatusFound | cl::kStatusDuplicate);
    EXPECT_EQ(t[cl::kStatus + 10], 0x80);
    EXPECT_EQ(t[cl::kStatus + 0], 0);
}

TEST(NetworkSearch, ARepeatedSearchKeepsEachCameraInItsRow) {
    auto t = factoryCameraTable();
    const std::vector<NetworkCamera> ccus = {camera(0, 1, makeAddress(10, 0, 0, 1), "A"),
                                             camera(0, 2, makeAddress(10, 0, 0, 2), "B")};
    searchNetwork(t, ccus, 0);
    searchNetwork(t, {camera(1, 1, makeAddress(10, 0, 0, 3), "R")}, 1);
    // Found again: the same rows, no second copy; the remote camera keeps its row but loses
    // its highlight, as it was not found this time.
    EXPECT_EQ(searchNetwork(t, ccus, 0), 2u);
    EXPECT_EQ(rowAddress(t, 1), makeAddress(10, 0, 0, 1));
    EXPECT_EQ(rowAddress(t, 2), makeAddress(10, 0, 0, 2));
    EXPECT_EQ(rowAddress(t, 3), makeAddress(10, 0, 0, 3));
    EXPECT_EQ(t[cl::kType + 4], 0);
    EXPECT_EQ(t[cl::kStatus + 3], 0);
    EXPECT_EQ(t[cl::kStatus + 2], cl::kStatusFound);
}

TEST(NetworkSearch, CamerasBeyondTheFreeRowsAreLeftOut) {
    auto t = factoryCameraTable();
    std::vector<NetworkCamera> many;
    for (std::uint8_t k = 0; k < 25; ++k) {
        many.push_back(camera(2, k, makeAddress(10, 0, 1, k), "X"));
    }
    EXPECT_EQ(searchNetwork(t, many, 2), 18u);
    EXPECT_EQ(t[cl::kType], 1);
}

TEST(NetworkSearch, BuiltInNetworkShowsADuplicateAmongItsCcus) {
    auto t = factoryCameraTable();
    EXPECT_EQ(searchNetwork(t, builtInNetwork(), 0), 3u);
    const auto dup = std::count_if(t.begin() + cl::kStatus, t.begin() + cl::kStatus + 19,
                                   [](auto s) { return (s & cl::kStatusDuplicate) != 0; });
    EXPECT_EQ(dup, 2);
    for (const NetworkCamera& cam : builtInNetwork()) {
        EXPECT_LE(cam.model.size(), 9u);
    }
}

std::vector<std::uint8_t> sealedBlock(std::vector<std::uint8_t> block, std::size_t checksum) {
    sealChecksum(block, checksum);
    return block;
}

TEST(Writes, StoreOnlyWhatPassesThePanelsChecks) {
    PanelState s = factoryState({});
    const auto before = s;
    auto settings = sealedBlock({0x8A, 0x00, 2, 2, 0, 0, 1, 0xFF, 0}, 8);
    settings[3] ^= 1;  // sum off
    EXPECT_EQ(applyWrite(s, CommandKind::SetDataChange, settings).line, "WRITE NG");
    EXPECT_EQ(s.settings, before.settings);

    std::vector<std::uint8_t> table(before.cameraTable.begin(), before.cameraTable.end());
    table[cl::kType] = 0;
    EXPECT_EQ(applyWrite(s, CommandKind::CameraListChange, sealedBlock(table, 668)).line,
              "CAMERA TYPE SETTING NG");
    EXPECT_EQ(s.cameraTable, before.cameraTable);

    EXPECT_EQ(applyWrite(s, CommandKind::RopListChange, std::vector<std::uint8_t>{25, 231}).line,
              "WRITE NG");
    EXPECT_EQ(s.ropNumber, -1);
    EXPECT_EQ(applyWrite(s, CommandKind::RopListChange, std::vector<std::uint8_t>{24, 0xE8}).line,
              "WRITE OK");
    EXPECT_EQ(s.ropNumber, 24);
}

TEST(Writes, KeepSetEndsTheSearchEvenWhenRefused) {
    PanelState s = factoryState({});
    s.searchPending = true;
    std::vector<std::uint8_t> table(670, 0);
    EXPECT_EQ(applyWrite(s, CommandKind::CameraListKeepSet, sealedBlock(table, 668)).line,
              "CAMERA TYPE SETTING NG");
    EXPECT_FALSE(s.searchPending);
}

TEST(FaultyReplies, ChangeLengthAndChecksumAsDocumented) {
    const std::vector<std::uint8_t> reply = sealedBlock({0x89, 0x80, 2, 2, 0, 0, 1, 0xFF, 0}, 8);
    const auto bad = faultyReply(reply, 8, Fault::BadChecksum, {});
    EXPECT_EQ(byteSum(bad), 1);
    FaultOptions options;
    options.shortLength = 3;
    const auto cut = faultyReply(reply, 8, Fault::ShortReply, options);
    EXPECT_EQ(cut.size(), 3u);
    EXPECT_TRUE(checksumHolds(cut));
    EXPECT_EQ(cut[0], 0x89);
    const auto big = faultyReply(reply, 8, Fault::OversizeReply, {});
    EXPECT_EQ(big.size(), 6000u);
    EXPECT_TRUE(checksumHolds(std::span(big).first(4096)));
    EXPECT_EQ(faultyReply(reply, 8, Fault::Trickle, {}), reply);
    EXPECT_FALSE(checksumHolds(garbageBytes()));
}

TEST(CameraFile, ReadsCamerasAndSkipsComments) {
    const auto parsed = parseCameraList(
        "# family type mac address port model\n"
        "ccu 3 00:0A:ff:12:34:56 192.168.0.50 80 CCU-1   # trailing comment\r\n"
        "\n"
        "  Camcorder\t5 02-00-00-00-00-07 10.0.0.7 49152 -\n");
    ASSERT_EQ(parsed.error, "");
    ASSERT_EQ(parsed.cameras.size(), 2u);
    EXPECT_EQ(parsed.cameras[0].family, 0);
    EXPECT_EQ(parsed.cameras[0].mac,
              (std::array<std::uint8_t, 6>{0, 0x0A, 0xFF, 0x12, 0x34, 0x56}));
    EXPECT_EQ(parsed.cameras[0].model, "CCU-1");
    EXPECT_EQ(parsed.cameras[1].family, 2);
    EXPECT_EQ(parsed.cameras[1].port, 49152);
    EXPECT_EQ(parsed.cameras[1].address, makeAddress(10, 0, 0, 7));
    EXPECT_EQ(parsed.cameras[1].model, "");
}

TEST(CameraFile, NamesTheFirstBadLine) {
    struct Bad {
        const char* line;
        const char* what;
    };
    for (const Bad& bad : {Bad{"ccu 3 00:00:00:00:00:01 10.0.0.1 80", "expected"},
                           Bad{"tape 3 00:00:00:00:00:01 10.0.0.1 80 M", "family"},
                           Bad{"ccu 256 00:00:00:00:00:01 10.0.0.1 80 M", "type"},
                           Bad{"ccu 3 00:00:00:00:00 10.0.0.1 80 M", "mac"},
                           Bad{"ccu 3 00:00:00:00:00:0G 10.0.0.1 80 M", "mac"},
                           Bad{"ccu 3 00:00:00:00:00:01 10.0.0.256 80 M", "address"},
                           Bad{"ccu 3 00:00:00:00:00:01 10.0.0.1 65536 M", "port"},
                           Bad{"ccu 3 00:00:00:00:00:01 10.0.0.1 -1 M", "port"},
                           Bad{"ccu 3 00:00:00:00:00:01 10.0.0.1 80 TENLETTERS", "model"}}) {
        const auto parsed = parseCameraList(
            std::string("# ok\nccu 3 00:00:00:00:00:09 10.0.0.9 80 M\n") + bad.line);
        EXPECT_TRUE(parsed.cameras.empty()) << bad.line;
        EXPECT_EQ(parsed.error.rfind("line 3: ", 0), 0u) << parsed.error;
        EXPECT_NE(parsed.error.find(bad.what), std::string::npos) << parsed.error;
    }
}

TEST(ExchangeText, PrintsCommandBlockAndAnswerOnOneLine) {
    ExchangeRecord r{
        "127.0.0.1:4000", "127.0.0.2", "TRX900 ROP LIST SETTING CHANGE\r\n", {3, 0xFD}, "WRITE OK"};
    EXPECT_EQ(describeExchange(r),
              "127.0.0.1:4000 -> 127.0.0.2 | TRX900 ROP LIST SETTING CHANGE | block 2: 03 FD | "
              "WRITE OK");
    EXPECT_EQ(printableLine(std::string_view("A\0\n\\\r\n", 6)), "A\\x00\\x0A\\x5C");
}

}  // namespace
}  // namespace trx::sim
