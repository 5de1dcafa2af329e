#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "wire/PanelAddress.h"

namespace trx {

// Connection mode and camera family as the page's two radio groups number them.
enum class ConnectionMode : int { Serial = 0, Ip = 1 };
enum class CameraFamily : int { Ccu = 0, RemoteCamera = 1, Camcorder = 2 };

struct ModeSelection {
    ConnectionMode mode = ConnectionMode::Serial;
    CameraFamily family = CameraFamily::Ccu;
    bool operator==(const ModeSelection&) const = default;
};

// Row type codes, one byte per camera button.
namespace camera_type {
inline constexpr std::uint8_t kNoAssign = 0;
inline constexpr std::uint8_t kCcuSerial = 1;
inline constexpr std::uint8_t kRemoteSerial = 2;
inline constexpr std::uint8_t kCcuIp = 3;
inline constexpr std::uint8_t kRemoteIp = 4;
inline constexpr std::uint8_t kCamcorderIp = 5;
inline constexpr std::uint8_t kCamcorderSerial = 6;
}  // namespace camera_type

// Row status flags that the panel sets after a network search.
inline constexpr std::uint8_t kStatusHighlight = 0x01;
inline constexpr std::uint8_t kStatusDuplicate = 0x02;

// The panel's assignment of cameras to its 19 buttons C01..C19, kept as the 670-byte block that
// travels over the wire. Fields are decoded and encoded on demand; every byte the tool does not
// interpret passes through untouched from read to write.
class CameraTable {
  public:
    static constexpr std::size_t kSize = 670;
    static constexpr std::size_t kChecksumIndex = 668;
    static constexpr int kRowCount = 19;
    using Bytes = std::array<std::uint8_t, kSize>;

    // All zero: no panel sends this, but it is a defined starting point for tests and copies.
    CameraTable() = default;
    static CameraTable defaults();
    // The first 670 bytes of a reply; a reply that cannot fill the table is refused.
    static std::optional<CameraTable> fromReply(std::span<const std::uint8_t> reply);

    const Bytes& bytes() const { return m_bytes; }
    Bytes& bytes() { return m_bytes; }

    // The panel's own network settings in bytes 0 to 11. The tool shows them but never takes them
    // from one panel to another unasked: a panel may use them as its own address.
    PanelAddress panelAddress() const;
    void setPanelAddress(PanelAddress address);
    PanelAddress panelSubnetMask() const;
    void setPanelSubnetMask(PanelAddress mask);
    PanelAddress panelGateway() const;
    void setPanelGateway(PanelAddress gateway);

    PanelAddress rowAddress(int row) const;
    void setRowAddress(int row, PanelAddress address);
    std::uint16_t rowPort(int row) const;
    // Stores the low 16 bits, high byte first; the range is judged only when the table is written.
    void setRowPort(int row, std::uint32_t port);

    std::array<std::uint8_t, 6> rowMac(int row) const;
    void setRowMac(int row, const std::array<std::uint8_t, 6>& mac);
    void clearRowMac(int row);
    // "00:0A:FF:12:34:56".
    std::string macText(int row) const;
    // The model field up to its first zero byte, at most 9 characters.
    std::string modelText(int row) const;
    // The text's first 9 bytes, then zero bytes to the end of the field.
    void setModelText(int row, std::string_view text);

    std::uint8_t typeCode(int row) const;
    void setTypeCode(int row, std::uint8_t code);
    std::uint8_t statusFlags(int row) const;

    // 1..19 names the row of the serial camera; other values name none.
    std::uint8_t serialCameraNumber() const;
    void setSerialCameraNumber(std::uint8_t number);
    std::uint8_t modeCode() const;
    void setModeCode(std::uint8_t code);

    // Exchanges MAC, address and port, type code, status flags and model name of two rows; the
    // row subnet masks and gateways stay with their row numbers.
    void swapRows(int a, int b);

    // Makes all 670 bytes sum to 0 through the checksum byte.
    void seal();

    bool operator==(const CameraTable&) const = default;

  private:
    Bytes m_bytes{};
};

// "C01" .. "C19".
std::string cameraRowLabel(int row);

// The text a camera type list shows for a code; codes outside the table have none.
std::optional<std::string_view> typeCodeText(std::uint8_t code);
bool isIpTypeCode(std::uint8_t code);
bool isSerialTypeCode(std::uint8_t code);

// Mode codes 0, 1 and 4 are Serial Mode, 2, 3 and 5 IP Mode; any other code is neither.
bool isSerialModeCode(std::uint8_t modeCode);
bool isIpModeCode(std::uint8_t modeCode);
// "mode code 0x07": how the command-line tool names a code that is neither mode, whose family the
// page cannot show either.
std::string modeCodeText(std::uint8_t modeCode);
// A code above 5 reads as Serial Mode with family CCU.
ModeSelection decodeModeCode(std::uint8_t modeCode);
std::uint8_t encodeModeCode(ModeSelection selection);
// The names that panel files and the command-line tool give them: "Serial", "IP"; "CCU",
// "RemoteCamera", "Camcorder".
std::string_view connectionModeName(ConnectionMode mode);
std::string_view cameraFamilyName(CameraFamily family);

std::uint8_t serialTypeCode(CameraFamily family);
std::string_view serialTypeText(CameraFamily family);

// The camera type list entry that shows a row's code, or none when the row keeps the entry it
// showed before (unknown code, or a mode code outside the table).
std::optional<int> entryForTypeCode(std::uint8_t typeCode, std::uint8_t modeCode);
// The type code that an IP Mode list entry stands for; an unknown entry keeps the previous code.
std::uint8_t typeCodeForEntry(int entry, std::uint8_t modeCode, std::uint8_t previousCode);

// The CAMERA NUMBER(SERIAL) list shows entry number - 1; 0 and numbers above 19 select nothing.
int serialEntryForNumber(std::uint8_t number);
std::uint8_t serialNumberForEntry(int entry);

}  // namespace trx
