#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "PanelSimulator.h"

// What a simulated panel does with each command, kept free of sockets so that it can be tested
// on its own. Every function here works on a PanelState in wire layout.
namespace trx::sim {

// Offsets inside the 670-byte camera table.
namespace camera_layout {
inline constexpr std::size_t kRows = 19;
inline constexpr std::size_t kPanelAddress = 0;
inline constexpr std::size_t kMac = 12;          // + 6 i
inline constexpr std::size_t kIpPort = 126;      // + 6 i: address, then port high byte first
inline constexpr std::size_t kRowMask = 240;     // + 4 i
inline constexpr std::size_t kRowGateway = 316;  // + 4 i
inline constexpr std::size_t kType = 392;        // + i
inline constexpr std::size_t kSerialNumber = 411;
inline constexpr std::size_t kModeCode = 412;
inline constexpr std::size_t kAuxMac = 413;
inline constexpr std::size_t kAuxAddress = 419;
inline constexpr std::size_t kAuxPort = 423;
inline constexpr std::size_t kAuxMask = 425;
inline constexpr std::size_t kAuxGateway = 429;
inline constexpr std::size_t kUninterpreted = 434;
inline constexpr std::size_t kModel = 439;  // + 9 i
inline constexpr std::size_t kModelSize = 9;
inline constexpr std::size_t kStatus = 648;  // + i
inline constexpr std::size_t kChecksum = 668;

inline constexpr std::uint8_t kStatusFound = 0x01;
inline constexpr std::uint8_t kStatusDuplicate = 0x02;
}  // namespace camera_layout

inline constexpr std::size_t kSettingsSize = 9;
inline constexpr std::size_t kSettingsChecksum = 8;
inline constexpr std::size_t kCredentialsSize = 68;
inline constexpr std::size_t kCredentialsChecksum = 66;
inline constexpr std::size_t kCredentialFieldSize = 33;
inline constexpr std::size_t kRopListSize = 501;
inline constexpr std::size_t kRopListChecksum = 500;
inline constexpr std::size_t kRopRows = 25;
inline constexpr std::size_t kRopNumberSize = 2;
inline constexpr std::size_t kCameraTableSize = 670;

// The longest command line is 40 bytes; a client that sends more than this without CR LF is
// not talking to a panel.
inline constexpr std::size_t kMaxCommandLine = 64;

enum class CommandKind {
    SetDataRequest,
    AuthRequest,
    RopListRequest,
    CameraListRequest,
    CameraListInitialize,
    SearchStart,
    SearchRetry,
    SetDataChange,
    AuthChange,
    RopListChange,
    CameraListChange,
    CameraListKeepSet,
    RopConnectionCheck,
};

enum class Shape { Request, Write, Notify };

struct Command {
    CommandKind kind = CommandKind::SetDataRequest;
    int family = 0;  // searches only: 0 CCU, 1 RemoteCamera, 2 Camcorder
};

// The command that a line (CR LF included) names, or nothing for any other line.
std::optional<Command> identifyCommand(std::string_view line);

Shape shapeOf(CommandKind kind);

// The size of the block a write command carries; 0 for the other shapes.
std::size_t blockSizeOf(CommandKind kind);

// A line as the panel sends it: the text, CR LF and one more byte.
std::vector<std::uint8_t> panelLine(std::string_view text);

// The acknowledgement line with the byte that follows every panel line.
std::vector<std::uint8_t> acknowledgeLine();

// The line a panel sends in place of the acknowledgement when it refuses a write.
std::vector<std::uint8_t> notAcknowledgedLine();

// Bytes that are no reply and no line of a panel, yet still end like a line so that a client
// reading a line gets them whole.
std::vector<std::uint8_t> garbageBytes();

// A line that never ends: 4096 bytes, a client's whole reply buffer, without a CR among them.
std::vector<std::uint8_t> endlessLine();

// The factory camera table of a new panel (checksum byte left 0).
std::array<std::uint8_t, kCameraTableSize> factoryCameraTable();

// The reply to a request command, sealed, with the panel's side effects applied (factory
// reset, network search). `answer` describes it for the log.
struct RequestReply {
    std::vector<std::uint8_t> bytes;
    std::size_t checksumIndex = 0;
    std::string answer;
};
RequestReply answerRequest(PanelState& state, const Command& command);

// Takes a write's block (exactly blockSizeOf bytes) and returns the result line's text.
struct WriteResult {
    std::string_view line;
    std::string answer;
};
WriteResult applyWrite(PanelState& state, CommandKind kind, std::span<const std::uint8_t> block);

// Puts the cameras of one family that the panel finds on its network into the table and
// flags the rows. Returns how many cameras found a row.
std::size_t searchNetwork(std::span<std::uint8_t, kCameraTableSize> table,
                          const std::vector<NetworkCamera>& network, int family);

// Alters a request reply as the fault asks (checksum, length); other faults leave it alone.
std::vector<std::uint8_t> faultyReply(std::vector<std::uint8_t> reply, std::size_t checksumIndex,
                                      Fault fault, const FaultOptions& options);

std::string_view familyName(int family);

// Fault names as the program takes them ("not-acknowledge", "trickle", ...).
std::string_view faultName(Fault fault);
std::optional<Fault> faultFromName(std::string_view name);

}  // namespace trx::sim
