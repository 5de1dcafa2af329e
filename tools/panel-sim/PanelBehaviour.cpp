#include "PanelBehaviour.h"

#include <algorithm>
#include <array>

#include "wire/Checksum.h"
#include "wire/Commands.h"

namespace trx::sim {

namespace {

namespace cl = camera_layout;

constexpr std::string_view kWriteNg = "WRITE NG";
constexpr std::string_view kNotAcknowledged = "TRX900 SETTING CHANGE NG\r\n";

template <std::size_t N>
void putAddress(std::array<std::uint8_t, N>& bytes, std::size_t offset, PanelAddress address) {
    writeAddress(std::span<std::uint8_t, 4>(bytes.data() + offset, 4), address);
}

template <std::size_t N>
PanelAddress getAddress(const std::array<std::uint8_t, N>& bytes, std::size_t offset) {
    return readAddress(std::span<const std::uint8_t, 4>(bytes.data() + offset, 4));
}

void putPort(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t port) {
    bytes[offset] = static_cast<std::uint8_t>(port >> 8);
    bytes[offset + 1] = static_cast<std::uint8_t>(port & 0xFFu);
}

PanelAddress rowAddress(std::span<const std::uint8_t, kCameraTableSize> table, std::size_t row) {
    return readAddress(table.subspan(cl::kIpPort + 6 * row).first<4>());
}

template <std::size_t N>
std::vector<std::uint8_t> sealed(const std::array<std::uint8_t, N>& stored,
                                 std::size_t checksumIndex) {
    std::vector<std::uint8_t> reply(stored.begin(), stored.end());
    sealChecksum(reply, checksumIndex);
    return reply;
}

std::string replyAnswer(std::size_t size) {
    return "reply " + std::to_string(size) + " bytes";
}

constexpr PanelAddress kDefaultPanel = makeAddress(192, 168, 0, 130);
constexpr PanelAddress kMask24 = makeAddress(255, 255, 255, 0);
constexpr PanelAddress kDefaultGateway = makeAddress(192, 168, 0, 1);

}  // namespace

std::optional<Command> identifyCommand(std::string_view line) {
    struct Entry {
        std::string_view line;
        CommandKind kind;
        int family;
    };
    namespace c = trx::command;
    static constexpr std::array<Entry, 17> kTable{{
        {c::kSetDataRequest, CommandKind::SetDataRequest, 0},
        {c::kAuthRequest, CommandKind::AuthRequest, 0},
        {c::kRopListRequest, CommandKind::RopListRequest, 0},
        {c::kCameraListRequest, CommandKind::CameraListRequest, 0},
        {c::kCameraListInitialize, CommandKind::CameraListInitialize, 0},
        {c::kSearchStartCcu, CommandKind::SearchStart, 0},
        {c::kSearchStartRemoteCamera, CommandKind::SearchStart, 1},
        {c::kSearchStartCamcorder, CommandKind::SearchStart, 2},
        {c::kSearchRetryCcu, CommandKind::SearchRetry, 0},
        {c::kSearchRetryRemoteCamera, CommandKind::SearchRetry, 1},
        {c::kSearchRetryCamcorder, CommandKind::SearchRetry, 2},
        {c::kSetDataChange, CommandKind::SetDataChange, 0},
        {c::kAuthChange, CommandKind::AuthChange, 0},
        {c::kRopListChange, CommandKind::RopListChange, 0},
        {c::kCameraListChange, CommandKind::CameraListChange, 0},
        {c::kCameraListKeepSet, CommandKind::CameraListKeepSet, 0},
        {c::kRopConnectionCheck, CommandKind::RopConnectionCheck, 0},
    }};
    for (const Entry& entry : kTable) {
        if (entry.line == line) {
            return Command{entry.kind, entry.family};
        }
    }
    return std::nullopt;
}

Shape shapeOf(CommandKind kind) {
    switch (kind) {
        case CommandKind::SetDataChange:
        case CommandKind::AuthChange:
        case CommandKind::RopListChange:
        case CommandKind::CameraListChange:
        case CommandKind::CameraListKeepSet:
            return Shape::Write;
        case CommandKind::RopConnectionCheck:
            return Shape::Notify;
        default:
            return Shape::Request;
    }
}

std::size_t blockSizeOf(CommandKind kind) {
    switch (kind) {
        case CommandKind::SetDataChange:
            return kSettingsSize;
        case CommandKind::AuthChange:
            return kCredentialsSize;
        case CommandKind::RopListChange:
            return kRopNumberSize;
        case CommandKind::CameraListChange:
        case CommandKind::CameraListKeepSet:
            return kCameraTableSize;
        default:
            return 0;
    }
}

std::vector<std::uint8_t> panelLine(std::string_view text) {
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back('\r');
    bytes.push_back('\n');
    bytes.push_back(0x00);
    return bytes;
}

std::vector<std::uint8_t> garbageBytes() {
    // They do not sum to 0 either, so a reply check fails too.
    static constexpr std::string_view kGarbage = "\x7F\x01?? no panel here ??\r\n\x05";
    return {kGarbage.begin(), kGarbage.end()};
}

std::vector<std::uint8_t> endlessLine() {
    return std::vector<std::uint8_t>(4096, std::uint8_t{'X'});
}

std::array<std::uint8_t, kCameraTableSize> factoryCameraTable() {
    std::array<std::uint8_t, kCameraTableSize> t{};
    putAddress(t, cl::kPanelAddress, kDefaultPanel);
    putAddress(t, 4, kMask24);
    putAddress(t, 8, kDefaultGateway);
    for (std::size_t i = 0; i < cl::kRows; ++i) {
        putAddress(t, cl::kIpPort + 6 * i,
                   makeAddress(192, 168, 0, static_cast<std::uint8_t>(10 + i)));
        putPort(t, cl::kIpPort + 6 * i + 4, 80);
        putAddress(t, cl::kRowMask + 4 * i, kMask24);
        putAddress(t, cl::kRowGateway + 4 * i, kDefaultGateway);
    }
    t[cl::kType] = 1;
    t[cl::kSerialNumber] = 1;
    t[cl::kModeCode] = 0;
    putAddress(t, cl::kAuxAddress, makeAddress(192, 168, 0, 8));
    putPort(t, cl::kAuxPort, 60030);
    putAddress(t, cl::kAuxMask, kMask24);
    putAddress(t, cl::kAuxGateway, kDefaultGateway);
    for (std::uint8_t k = 0; k < 5; ++k) {
        t[cl::kUninterpreted + k] = k;
    }
    return t;
}

PanelState factoryState(const std::vector<PanelAddress>& knownPanels) {
    PanelState state;
    state.cameraTable = factoryCameraTable();
    state.factoryCameraTable = state.cameraTable;
    state.pendingCameraTable = state.cameraTable;
    state.settings = {0x89, 0x80, 0x02, 0x02, 0x00, 0x00, 0x01, 0xFF, 0x00};
    constexpr std::string_view kUser = "vexor";
    constexpr std::string_view kPassword = "58203";
    std::copy(kUser.begin(), kUser.end(), state.credentials.begin());
    std::copy(kPassword.begin(), kPassword.end(),
              state.credentials.begin() + static_cast<std::ptrdiff_t>(kCredentialFieldSize));
    const std::size_t rows = std::min(knownPanels.size(), kRopRows);
    for (std::size_t n = 0; n < rows; ++n) {
        const PanelAddress address = knownPanels[n];
        putAddress(state.ropList, 150 + 6 * n, address);
        putAddress(state.ropList, 300 + 4 * n, kMask24);
        putAddress(state.ropList, 400 + 4 * n, (address & 0xFFFFFF00u) | 1u);
    }
    state.network = builtInNetwork();
    return state;
}

std::vector<NetworkCamera> builtInNetwork() {
    auto camera = [](int family, std::uint8_t type, std::uint8_t macLast, std::uint8_t host,
                     std::uint16_t port, std::string model) {
        NetworkCamera c;
        c.family = family;
        c.typeCode = type;
        c.mac = {0x02, 0x00, 0x5E, 0x10, static_cast<std::uint8_t>(family), macLast};
        c.address = makeAddress(192, 168, 0, host);
        c.port = port;
        c.model = std::move(model);
        return c;
    };
    // The third CCU answers at the first one's address, so that a search shows a duplicate.
    return {
        camera(0, 3, 0x01, 101, 80, "CCU-A100"),  camera(0, 3, 0x02, 102, 80, "CCU-A100"),
        camera(0, 3, 0x03, 101, 80, "CCU-B200"),  camera(1, 4, 0x01, 111, 80, "RC-200"),
        camera(1, 4, 0x02, 112, 80, "RC-210"),    camera(2, 5, 0x01, 121, 49152, "CAM-X3"),
        camera(2, 5, 0x02, 122, 49152, "CAM-X5"),
    };
}

std::string_view familyName(int family) {
    switch (family) {
        case 0:
            return "CCU";
        case 1:
            return "REMOTE CAMERA";
        case 2:
            return "CAMCODER";
        default:
            return "?";
    }
}

std::size_t searchNetwork(std::span<std::uint8_t, kCameraTableSize> table,
                          const std::vector<NetworkCamera>& network, int family) {
    std::array<bool, cl::kRows> found{};
    std::size_t placed = 0;
    for (const NetworkCamera& camera : network) {
        if (camera.family != family) {
            continue;
        }
        // A camera already in the table keeps its row; a new one takes the first free row.
        std::optional<std::size_t> row;
        const bool hasMac = std::any_of(camera.mac.begin(), camera.mac.end(),
                                        [](std::uint8_t b) { return b != 0; });
        for (std::size_t i = 0; hasMac && i < cl::kRows && !row; ++i) {
            if (std::equal(camera.mac.begin(), camera.mac.end(),
                           table.begin() + static_cast<std::ptrdiff_t>(cl::kMac + 6 * i))) {
                row = i;
            }
        }
        for (std::size_t i = 0; i < cl::kRows && !row; ++i) {
            if (table[cl::kType + i] == 0 && !found[i]) {
                row = i;
            }
        }
        if (!row) {
            continue;
        }
        const std::size_t i = *row;
        found[i] = true;
        ++placed;
        table[cl::kType + i] = camera.typeCode;
        std::copy(camera.mac.begin(), camera.mac.end(),
                  table.begin() + static_cast<std::ptrdiff_t>(cl::kMac + 6 * i));
        writeAddress(table.subspan(cl::kIpPort + 6 * i).first<4>(), camera.address);
        putPort(table, cl::kIpPort + 6 * i + 4, camera.port);
        auto model = table.subspan(cl::kModel + cl::kModelSize * i, cl::kModelSize);
        std::fill(model.begin(), model.end(), std::uint8_t{0});
        std::copy_n(camera.model.begin(), std::min(camera.model.size(), cl::kModelSize),
                    model.begin());
    }
    const PanelAddress panel = readAddress(table.first<4>());
    for (std::size_t i = 0; i < cl::kRows; ++i) {
        std::uint8_t& status = table[cl::kStatus + i];
        status = static_cast<std::uint8_t>(status & ~(cl::kStatusFound | cl::kStatusDuplicate));
        if (!found[i]) {
            continue;
        }
        status |= cl::kStatusFound;
        const PanelAddress address = rowAddress(table, i);
        bool duplicate = address == panel;
        for (std::size_t j = 0; j < cl::kRows && !duplicate; ++j) {
            duplicate = j != i && rowAddress(table, j) == address;
        }
        if (duplicate) {
            status |= cl::kStatusDuplicate;
        }
    }
    return placed;
}

RequestReply answerRequest(PanelState& state, const Command& command) {
    RequestReply reply;
    switch (command.kind) {
        case CommandKind::SetDataRequest:
            reply.checksumIndex = kSettingsChecksum;
            reply.bytes = sealed(state.settings, reply.checksumIndex);
            break;
        case CommandKind::AuthRequest:
            reply.checksumIndex = kCredentialsChecksum;
            reply.bytes = sealed(state.credentials, reply.checksumIndex);
            break;
        case CommandKind::RopListRequest:
            reply.checksumIndex = kRopListChecksum;
            reply.bytes = sealed(state.ropList, reply.checksumIndex);
            break;
        case CommandKind::CameraListRequest:
            reply.checksumIndex = cl::kChecksum;
            reply.bytes = sealed(state.cameraTable, reply.checksumIndex);
            break;
        case CommandKind::CameraListInitialize:
            state.cameraTable = state.factoryCameraTable;
            state.searchPending = false;
            reply.checksumIndex = cl::kChecksum;
            reply.bytes = sealed(state.cameraTable, reply.checksumIndex);
            reply.answer = "camera list reset to factory state, ";
            break;
        case CommandKind::SearchStart:
        case CommandKind::SearchRetry: {
            // RETRY goes on from the pending result; START, or RETRY with nothing pending,
            // starts over from the stored list.
            if (command.kind == CommandKind::SearchStart || !state.searchPending) {
                state.pendingCameraTable = state.cameraTable;
            }
            const std::size_t placed =
                searchNetwork(state.pendingCameraTable, state.network, command.family);
            state.searchPending = true;
            reply.checksumIndex = cl::kChecksum;
            reply.bytes = sealed(state.pendingCameraTable, reply.checksumIndex);
            reply.answer = "search " + std::string(familyName(command.family)) + " found " +
                           std::to_string(placed) + ", ";
            break;
        }
        default:
            return reply;
    }
    reply.answer += replyAnswer(reply.bytes.size());
    return reply;
}

WriteResult applyWrite(PanelState& state, CommandKind kind, std::span<const std::uint8_t> block) {
    if (block.size() != blockSizeOf(kind) || block.empty()) {
        return {kWriteNg, "block of the wrong size"};
    }
    if (kind == CommandKind::CameraListKeepSet) {
        // The tool leaves its pending state as soon as it sends SET, whatever the result.
        state.searchPending = false;
    }
    if (!checksumHolds(block)) {
        return {kWriteNg, "block checksum fails, nothing stored"};
    }
    switch (kind) {
        case CommandKind::SetDataChange:
            std::copy(block.begin(), block.end(), state.settings.begin());
            return {trx::panel_line::kWriteOk, "settings stored"};
        case CommandKind::AuthChange:
            std::copy(block.begin(), block.end(), state.credentials.begin());
            return {trx::panel_line::kWriteOk, "credentials stored"};
        case CommandKind::RopListChange:
            if (block[0] >= kRopRows) {
                return {kWriteNg, "ROP number " + std::to_string(block[0]) + " out of range"};
            }
            state.ropNumber = block[0];
            return {trx::panel_line::kWriteOk, "registered as TRX" + std::to_string(block[0] + 1)};
        case CommandKind::CameraListChange:
        case CommandKind::CameraListKeepSet: {
            const auto types = block.subspan(cl::kType, cl::kRows);
            if (std::all_of(types.begin(), types.end(), [](std::uint8_t t) { return t == 0; })) {
                return {trx::panel_line::kCameraTypeSettingNg, "every row NoAsign, nothing stored"};
            }
            std::copy(block.begin(), block.end(), state.cameraTable.begin());
            return {trx::panel_line::kWriteOk, kind == CommandKind::CameraListKeepSet
                                                   ? "search result stored"
                                                   : "camera list stored"};
        }
        default:
            return {kWriteNg, "not a write"};
    }
}

std::vector<std::uint8_t> faultyReply(std::vector<std::uint8_t> reply, std::size_t checksumIndex,
                                      Fault fault, const FaultOptions& options) {
    switch (fault) {
        case Fault::BadChecksum:
            if (checksumIndex < reply.size()) {
                ++reply[checksumIndex];
            }
            break;
        case Fault::ShortReply:
            if (options.shortLength < reply.size()) {
                reply.resize(options.shortLength);
                if (!reply.empty()) {
                    sealChecksum(reply, reply.size() - 1);
                }
            }
            break;
        case Fault::OversizeReply:
            if (options.oversizeLength > reply.size()) {
                reply.resize(options.oversizeLength, 0);
            }
            break;
        default:
            break;
    }
    return reply;
}

std::vector<std::uint8_t> acknowledgeLine() {
    constexpr std::string_view kLine = trx::panel_line::kAcknowledge;
    std::vector<std::uint8_t> bytes(kLine.begin(), kLine.end());
    bytes.push_back(0x00);
    return bytes;
}

namespace {
struct FaultEntry {
    Fault fault;
    std::string_view name;
};
constexpr std::array<FaultEntry, 15> kFaultNames{{
    {Fault::None, "none"},
    {Fault::RefuseConnection, "refuse-connection"},
    {Fault::NotAcknowledge, "not-acknowledge"},
    {Fault::BadChecksum, "bad-checksum"},
    {Fault::EmptyReply, "empty-reply"},
    {Fault::ShortReply, "short-reply"},
    {Fault::OversizeReply, "oversize-reply"},
    {Fault::Trickle, "trickle"},
    {Fault::CloseAfterAcknowledge, "close-after-acknowledge"},
    {Fault::AcknowledgeWithoutTrailer, "acknowledge-without-trailer"},
    {Fault::Silent, "silent"},
    {Fault::Garbage, "garbage"},
    {Fault::HoldOpen, "hold-open"},
    {Fault::EndlessAcknowledge, "endless-acknowledge"},
    {Fault::EndlessResultLine, "endless-result-line"},
}};
}  // namespace

std::string_view faultName(Fault fault) {
    for (const FaultEntry& entry : kFaultNames) {
        if (entry.fault == fault) {
            return entry.name;
        }
    }
    return "?";
}

std::optional<Fault> faultFromName(std::string_view name) {
    for (const FaultEntry& entry : kFaultNames) {
        if (entry.name == name) {
            return entry.fault;
        }
    }
    return std::nullopt;
}

std::vector<std::uint8_t> notAcknowledgedLine() {
    std::vector<std::uint8_t> bytes(kNotAcknowledged.begin(), kNotAcknowledged.end());
    bytes.push_back(0x00);
    return bytes;
}

}  // namespace trx::sim
