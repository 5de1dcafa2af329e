// The simulated panel's handling of what a client sends: any command line, any block after a
// write command, searches over any table, and the text the simulator program reads.
//
// Input: operations until the input ends, each an operation byte and its operands.

#include <array>
#include <string>

#include "FuzzInput.h"
#include "PanelBehaviour.h"
#include "SimText.h"
#include "wire/Checksum.h"
#include "wire/Commands.h"

namespace {

using namespace trx::sim;
using trx::fuzz::Bytes;
using trx::fuzz::FuzzInput;
using trx::fuzz::hasPrefix;

namespace c = trx::command;
namespace cl = camera_layout;
constexpr std::array<std::string_view, 17> kCommandLines = {c::kSetDataRequest,
                                                            c::kAuthRequest,
                                                            c::kRopListRequest,
                                                            c::kCameraListRequest,
                                                            c::kCameraListInitialize,
                                                            c::kSearchStartCcu,
                                                            c::kSearchStartRemoteCamera,
                                                            c::kSearchStartCamcorder,
                                                            c::kSearchRetryCcu,
                                                            c::kSearchRetryRemoteCamera,
                                                            c::kSearchRetryCamcorder,
                                                            c::kSetDataChange,
                                                            c::kAuthChange,
                                                            c::kRopListChange,
                                                            c::kCameraListChange,
                                                            c::kCameraListKeepSet,
                                                            c::kRopConnectionCheck};

bool sameStore(const PanelState& a, const PanelState& b) {
    return a.cameraTable == b.cameraTable && a.settings == b.settings &&
           a.credentials == b.credentials && a.ropList == b.ropList && a.ropNumber == b.ropNumber;
}

// A request's reply as any fault alters it: only the checksum and length faults change bytes.
void checkFaultyReply(const Bytes& reply, std::size_t checksumIndex, FuzzInput& in) {
    const auto fault = static_cast<Fault>(in.byte() % 12);
    FaultOptions options;
    options.shortLength = in.u16();
    options.oversizeLength = in.u16();
    const Bytes sent = faultyReply(reply, checksumIndex, fault, options);
    if (fault == Fault::BadChecksum) {
        TRX_FUZZ_REQUIRE(sent.size() == reply.size() && trx::byteSum(sent) == 1);
    } else if (fault == Fault::ShortReply) {
        TRX_FUZZ_REQUIRE(sent.size() == std::min(reply.size(), options.shortLength));
        TRX_FUZZ_REQUIRE(trx::checksumHolds(sent));
    } else if (fault == Fault::OversizeReply) {
        TRX_FUZZ_REQUIRE(sent.size() == std::max(reply.size(), options.oversizeLength));
        TRX_FUZZ_REQUIRE(hasPrefix(sent, reply) && trx::checksumHolds(sent));
    } else {
        TRX_FUZZ_REQUIRE(sent == reply);
    }
}

void runCommand(PanelState& state, std::string_view line, FuzzInput& in) {
    const std::optional<Command> command = identifyCommand(line);
    const bool known =
        std::find(kCommandLines.begin(), kCommandLines.end(), line) != kCommandLines.end();
    TRX_FUZZ_REQUIRE(command.has_value() == known);
    if (!command) {
        return;
    }
    const CommandKind kind = command->kind;
    TRX_FUZZ_REQUIRE(command->family >= 0 && command->family < c::kCameraFamilyCount);
    TRX_FUZZ_REQUIRE((blockSizeOf(kind) == 0) == (shapeOf(kind) != Shape::Write));
    const PanelState before = state;
    if (shapeOf(kind) == Shape::Request) {
        const RequestReply reply = answerRequest(state, *command);
        const std::size_t size = kind == CommandKind::SetDataRequest   ? kSettingsSize
                                 : kind == CommandKind::AuthRequest    ? kCredentialsSize
                                 : kind == CommandKind::RopListRequest ? kRopListSize
                                                                       : kCameraTableSize;
        TRX_FUZZ_REQUIRE(reply.bytes.size() == size && reply.checksumIndex < size);
        TRX_FUZZ_REQUIRE(trx::checksumHolds(reply.bytes));
        // A search result waits for KEEP SET; the stored list stays as it was.
        TRX_FUZZ_REQUIRE(kind == CommandKind::CameraListInitialize
                             ? state.cameraTable == state.factoryCameraTable && !state.searchPending
                             : sameStore(state, before));
        checkFaultyReply(reply.bytes, reply.checksumIndex, in);
    } else if (shapeOf(kind) == Shape::Write) {
        const Bytes block = in.longPiece();
        const std::string_view result = applyWrite(state, kind, block).line;
        namespace pl = trx::panel_line;
        const bool ok = result == pl::kWriteOk;
        TRX_FUZZ_REQUIRE(ok || result == "WRITE NG" || result == pl::kCameraTypeSettingNg);
        TRX_FUZZ_REQUIRE(ok || sameStore(state, before));
        TRX_FUZZ_REQUIRE(!ok || (block.size() == blockSizeOf(kind) && trx::checksumHolds(block)));
        if (ok && kind == CommandKind::RopListChange) {
            TRX_FUZZ_REQUIRE(state.ropNumber == block[0] && block[0] < kRopRows);
        } else if (ok && kind == CommandKind::SetDataChange) {
            TRX_FUZZ_REQUIRE(hasPrefix(state.settings, block));
        } else if (ok && kind == CommandKind::AuthChange) {
            TRX_FUZZ_REQUIRE(hasPrefix(state.credentials, block));
        } else if (ok) {
            TRX_FUZZ_REQUIRE(hasPrefix(state.cameraTable, block));
        }
    }
}

// A search over any table finds at most the family's cameras and touches only the rows' MAC,
// address and port, type, model and status bytes, the status only in its found and duplicate
// flags, never a duplicate that was not found.
void runSearch(const PanelState& state, FuzzInput& in) {
    std::array<std::uint8_t, kCameraTableSize> table{};
    const auto bytes = in.take(table.size());
    std::copy(bytes.begin(), bytes.end(), table.begin());
    const int family = in.byte() % 4;
    std::vector<NetworkCamera> network = state.network;
    NetworkCamera& extra = network.emplace_back();
    extra.family = in.byte() % 4;
    extra.typeCode = in.byte();
    std::generate(extra.mac.begin(), extra.mac.end(), [&in] { return in.byte(); });
    extra.address = in.u32();
    extra.port = in.u16();
    extra.model = trx::fuzz::asText(in.shortPiece());

    const auto before = table;
    const std::size_t placed = searchNetwork(table, network, family);
    const auto ofFamily = std::count_if(network.begin(), network.end(),
                                        [family](const auto& cam) { return cam.family == family; });
    TRX_FUZZ_REQUIRE(placed <= std::min(static_cast<std::size_t>(ofFamily), cl::kRows));
    const auto inRows = [](std::size_t i, std::size_t from, std::size_t size) {
        return i >= from && i < from + size * cl::kRows;
    };
    const auto kept = static_cast<std::uint8_t>(~(cl::kStatusFound | cl::kStatusDuplicate));
    for (std::size_t i = 0; i < table.size(); ++i) {
        const bool status = inRows(i, cl::kStatus, 1);
        TRX_FUZZ_REQUIRE(inRows(i, cl::kMac, 6) || inRows(i, cl::kIpPort, 6) ||
                         inRows(i, cl::kType, 1) || inRows(i, cl::kModel, cl::kModelSize) ||
                         (status && (table[i] & kept) == (before[i] & kept)) ||
                         table[i] == before[i]);
        TRX_FUZZ_REQUIRE(!status || (table[i] & cl::kStatusDuplicate) == 0 ||
                         (table[i] & cl::kStatusFound) != 0);
    }
}

void runText(FuzzInput& in) {
    const Bytes bytes = in.longPiece();
    const std::string_view text = trx::fuzz::asText(bytes);
    const CameraListParse parsed = parseCameraList(text);
    TRX_FUZZ_REQUIRE(parsed.error.empty() || parsed.error.starts_with("line "));
    for (const NetworkCamera& camera : parsed.cameras) {
        TRX_FUZZ_REQUIRE(!parsed.error.empty() ||
                         (camera.family >= 0 && camera.family < c::kCameraFamilyCount &&
                          camera.model.size() <= cl::kModelSize));
    }
    for (const char ch : printableLine(text)) {
        TRX_FUZZ_REQUIRE(ch >= 0x20 && ch < 0x7F);
    }
    if (const auto fault = faultFromName(text)) {
        TRX_FUZZ_REQUIRE(faultName(*fault) == text);
    }
    TRX_FUZZ_REQUIRE(hexText(bytes).size() == (bytes.empty() ? 0 : bytes.size() * 3 - 1));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    PanelState state =
        factoryState({trx::makeAddress(127, 0, 0, 2), trx::makeAddress(127, 0, 0, 3)});
    while (!in.empty()) {
        const int operation = in.byte() % 4;
        if (operation == 0) {
            runCommand(state, trx::fuzz::asText(in.shortPiece()), in);
        } else if (operation == 1) {
            // A known line, so that every command's handling is reached at once.
            runCommand(state, kCommandLines[in.byte() % kCommandLines.size()], in);
        } else if (operation == 2) {
            runSearch(state, in);
        } else {
            runText(in);
        }
    }
    return 0;
}
