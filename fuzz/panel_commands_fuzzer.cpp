// The simulated panel's handling of what a client sends: any command line, any command with any
// block after a write, searches over any table, and the text the simulator program reads. What
// each known line names, which lines are refused, where a written block is stored and which
// bytes each fault sends are pinned by the simulator tests.
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
namespace cl = camera_layout;

constexpr int kCommandKinds = static_cast<int>(CommandKind::RopConnectionCheck) + 1;

bool sameStore(const PanelState& a, const PanelState& b) {
    return a.cameraTable == b.cameraTable && a.settings == b.settings &&
           a.credentials == b.credentials && a.ropList == b.ropList && a.ropNumber == b.ropNumber;
}

void runCommand(PanelState& state, const Command& command, FuzzInput& in) {
    const PanelState before = state;
    if (shapeOf(command.kind) == Shape::Request) {
        const RequestReply reply = answerRequest(state, command);
        TRX_FUZZ_REQUIRE(trx::checksumHolds(reply.bytes));
        // A search result waits for KEEP SET; the stored list stays as it was.
        TRX_FUZZ_REQUIRE(command.kind == CommandKind::CameraListInitialize
                             ? state.cameraTable == state.factoryCameraTable && !state.searchPending
                             : sameStore(state, before));
        // Only the checksum and length faults change a reply.
        const auto fault = static_cast<Fault>(in.byte() % 12);
        const FaultOptions options{.shortLength = in.u16(), .oversizeLength = in.u16()};
        const Bytes sent = faultyReply(reply.bytes, reply.checksumIndex, fault, options);
        const std::size_t size = reply.bytes.size();
        TRX_FUZZ_REQUIRE(
            fault == Fault::ShortReply      ? sent.size() == std::min(size, options.shortLength)
            : fault == Fault::OversizeReply ? sent.size() == std::max(size, options.oversizeLength)
                                            : fault == Fault::BadChecksum || sent == reply.bytes);
    } else if (shapeOf(command.kind) == Shape::Write) {
        const Bytes block = in.longPiece();
        const bool ok = applyWrite(state, command.kind, block).line == trx::panel_line::kWriteOk;
        TRX_FUZZ_REQUIRE(ok || sameStore(state, before));
        TRX_FUZZ_REQUIRE(!ok ||
                         (block.size() == blockSizeOf(command.kind) && trx::checksumHolds(block)));
        TRX_FUZZ_REQUIRE(!ok || command.kind != CommandKind::RopListChange ||
                         (state.ropNumber == block[0] && block[0] < kRopRows));
    }
}

// A search over any table finds at most the family's cameras and touches only the rows' MAC,
// address and port, type, model and status bytes, the status only in its found and duplicate
// flags, never a duplicate that was not found.
void runSearch(const PanelState& state, FuzzInput& in) {
    std::array<std::uint8_t, kCameraTableSize> table{};
    std::ranges::copy(in.take(table.size()), table.begin());
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
    const auto found = std::ranges::count(network, family, &NetworkCamera::family);
    TRX_FUZZ_REQUIRE(searchNetwork(table, network, family) <=
                     std::min(static_cast<std::size_t>(found), cl::kRows));
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
    for (const char ch : printableLine(text)) {
        TRX_FUZZ_REQUIRE(ch >= 0x20 && ch < 0x7F);
    }
    const auto fault = faultFromName(text);
    TRX_FUZZ_REQUIRE(!fault || faultName(*fault) == text);
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
            if (const auto command = identifyCommand(trx::fuzz::asText(in.shortPiece()))) {
                runCommand(state, *command, in);
            }
        } else if (operation == 1) {
            // A command as it is known, so that each one's handling is reached at once.
            const auto kind = static_cast<CommandKind>(in.byte() % kCommandKinds);
            runCommand(state, {kind, in.byte() % trx::command::kCameraFamilyCount}, in);
        } else if (operation == 2) {
            runSearch(state, in);
        } else {
            runText(in);
        }
    }
    return 0;
}
