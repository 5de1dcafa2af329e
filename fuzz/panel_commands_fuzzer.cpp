// The simulated panel's handling of what a client sends: any command line, any block after a
// write command, searches over any table, and the text the simulator program reads.
//
// Input: operations until the input ends, each an operation byte and its operands.

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzInput.h"
#include "PanelBehaviour.h"
#include "SimText.h"
#include "wire/Checksum.h"
#include "wire/Commands.h"

namespace {

using namespace trx::sim;
using trx::fuzz::FuzzInput;

namespace c = trx::command;
constexpr std::array<std::string_view, 17> kCommandLines = {
    c::kSetDataRequest,
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
    c::kRopConnectionCheck,
};
constexpr int kFaultCount = 12;

namespace cl = camera_layout;

std::size_t replySizeOf(CommandKind kind) {
    switch (kind) {
        case CommandKind::SetDataRequest:
            return kSettingsSize;
        case CommandKind::AuthRequest:
            return kCredentialsSize;
        case CommandKind::RopListRequest:
            return kRopListSize;
        default:
            return kCameraTableSize;
    }
}

bool sameStore(const PanelState& a, const PanelState& b) {
    return a.cameraTable == b.cameraTable && a.settings == b.settings &&
           a.credentials == b.credentials && a.ropList == b.ropList && a.ropNumber == b.ropNumber;
}

void checkFaultyReply(const std::vector<std::uint8_t>& reply, std::size_t checksumIndex,
                      FuzzInput& in) {
    const auto fault = static_cast<Fault>(in.byte() % kFaultCount);
    FaultOptions options;
    options.shortLength = in.u16();
    options.oversizeLength = in.u16();
    const std::vector<std::uint8_t> sent = faultyReply(reply, checksumIndex, fault, options);
    switch (fault) {
        case Fault::BadChecksum:
            TRX_FUZZ_REQUIRE(sent.size() == reply.size() && trx::byteSum(sent) == 1);
            break;
        case Fault::ShortReply:
            TRX_FUZZ_REQUIRE(sent.size() == std::min(reply.size(), options.shortLength));
            TRX_FUZZ_REQUIRE(trx::checksumHolds(sent));
            break;
        case Fault::OversizeReply:
            TRX_FUZZ_REQUIRE(sent.size() == std::max(reply.size(), options.oversizeLength));
            TRX_FUZZ_REQUIRE(std::equal(reply.begin(), reply.end(), sent.begin()));
            TRX_FUZZ_REQUIRE(trx::checksumHolds(sent));
            break;
        default:
            TRX_FUZZ_REQUIRE(sent == reply);
            break;
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
    TRX_FUZZ_REQUIRE(command->family >= 0 && command->family < c::kCameraFamilyCount);
    const PanelState before = state;
    switch (shapeOf(command->kind)) {
        case Shape::Request: {
            TRX_FUZZ_REQUIRE(blockSizeOf(command->kind) == 0);
            const RequestReply reply = answerRequest(state, *command);
            TRX_FUZZ_REQUIRE(reply.bytes.size() == replySizeOf(command->kind));
            TRX_FUZZ_REQUIRE(reply.checksumIndex < reply.bytes.size());
            TRX_FUZZ_REQUIRE(trx::checksumHolds(reply.bytes));
            if (command->kind == CommandKind::CameraListInitialize) {
                TRX_FUZZ_REQUIRE(state.cameraTable == state.factoryCameraTable);
                TRX_FUZZ_REQUIRE(!state.searchPending);
            } else {
                // A search result waits for KEEP SET; the stored list stays as it was.
                TRX_FUZZ_REQUIRE(sameStore(state, before));
            }
            checkFaultyReply(reply.bytes, reply.checksumIndex, in);
            break;
        }
        case Shape::Write: {
            const std::size_t blockSize = blockSizeOf(command->kind);
            TRX_FUZZ_REQUIRE(blockSize > 0);
            const std::vector<std::uint8_t> block = in.longPiece();
            const WriteResult result = applyWrite(state, command->kind, block);
            namespace pl = trx::panel_line;
            const bool ok = result.line == pl::kWriteOk;
            TRX_FUZZ_REQUIRE(ok || result.line == "WRITE NG" ||
                             result.line == pl::kCameraTypeSettingNg);
            if (!ok) {
                TRX_FUZZ_REQUIRE(sameStore(state, before));
                break;
            }
            TRX_FUZZ_REQUIRE(block.size() == blockSize && trx::checksumHolds(block));
            switch (command->kind) {
                case CommandKind::SetDataChange:
                    TRX_FUZZ_REQUIRE(
                        std::equal(block.begin(), block.end(), state.settings.begin()));
                    break;
                case CommandKind::AuthChange:
                    TRX_FUZZ_REQUIRE(
                        std::equal(block.begin(), block.end(), state.credentials.begin()));
                    break;
                case CommandKind::RopListChange:
                    TRX_FUZZ_REQUIRE(state.ropNumber == block[0] && block[0] < kRopRows);
                    break;
                default:
                    TRX_FUZZ_REQUIRE(
                        std::equal(block.begin(), block.end(), state.cameraTable.begin()));
                    break;
            }
            break;
        }
        case Shape::Notify:
            TRX_FUZZ_REQUIRE(blockSizeOf(command->kind) == 0);
            break;
    }
}

// Bytes a search may touch: the rows' MAC, address and port, type, model and status.
bool searchMayTouch(std::size_t i) {
    const auto in = [i](std::size_t from, std::size_t size) {
        return i >= from && i < from + size * cl::kRows;
    };
    return in(cl::kMac, 6) || in(cl::kIpPort, 6) || in(cl::kType, 1) ||
           in(cl::kModel, cl::kModelSize) || in(cl::kStatus, 1);
}

void runSearch(const PanelState& state, FuzzInput& in) {
    std::array<std::uint8_t, kCameraTableSize> table{};
    const auto bytes = in.take(table.size());
    std::copy(bytes.begin(), bytes.end(), table.begin());
    const int family = in.byte() % 4;
    std::vector<NetworkCamera> network = state.network;
    NetworkCamera extra;
    extra.family = in.byte() % 4;
    extra.typeCode = in.byte();
    for (auto& b : extra.mac) {
        b = in.byte();
    }
    extra.address = in.u32();
    extra.port = in.u16();
    const auto model = in.shortPiece();
    extra.model.assign(model.begin(), model.end());
    network.push_back(extra);

    const auto before = table;
    const std::size_t placed = searchNetwork(table, network, family);
    const auto ofFamily = static_cast<std::size_t>(
        std::count_if(network.begin(), network.end(),
                      [family](const auto& cam) { return cam.family == family; }));
    TRX_FUZZ_REQUIRE(placed <= std::min(ofFamily, cl::kRows));
    for (std::size_t i = 0; i < table.size(); ++i) {
        TRX_FUZZ_REQUIRE(searchMayTouch(i) || table[i] == before[i]);
    }
    for (std::size_t row = 0; row < cl::kRows; ++row) {
        const std::uint8_t kept =
            static_cast<std::uint8_t>(~(cl::kStatusFound | cl::kStatusDuplicate));
        TRX_FUZZ_REQUIRE((table[cl::kStatus + row] & kept) == (before[cl::kStatus + row] & kept));
        TRX_FUZZ_REQUIRE((table[cl::kStatus + row] & cl::kStatusDuplicate) == 0 ||
                         (table[cl::kStatus + row] & cl::kStatusFound) != 0);
    }
}

void runText(FuzzInput& in) {
    const std::vector<std::uint8_t> bytes = in.longPiece();
    const std::string_view text = trx::fuzz::asText(bytes);
    const CameraListParse parsed = parseCameraList(text);
    if (parsed.error.empty()) {
        for (const NetworkCamera& camera : parsed.cameras) {
            TRX_FUZZ_REQUIRE(camera.family >= 0 && camera.family < c::kCameraFamilyCount);
            TRX_FUZZ_REQUIRE(camera.model.size() <= cl::kModelSize);
        }
    } else {
        TRX_FUZZ_REQUIRE(parsed.error.starts_with("line "));
    }
    const std::string printable = printableLine(text);
    TRX_FUZZ_REQUIRE(std::none_of(printable.begin(), printable.end(), [](char ch) {
        const auto u = static_cast<unsigned char>(ch);
        return u < 0x20 || u >= 0x7F;
    }));
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
        switch (in.byte() % 4) {
            case 0: {
                const std::vector<std::uint8_t> line = in.shortPiece();
                runCommand(state, trx::fuzz::asText(line), in);
                break;
            }
            case 1:
                // A known line, so that every command's handling is reached at once.
                runCommand(state, kCommandLines[in.byte() % kCommandLines.size()], in);
                break;
            case 2:
                runSearch(state, in);
                break;
            default:
                runText(in);
                break;
        }
    }
    return 0;
}
