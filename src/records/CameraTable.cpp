#include "records/CameraTable.h"

#include <algorithm>
#include <cstdio>

#include "wire/Checksum.h"

namespace trx {

namespace {

// Field offsets inside the block; rows are numbered 0..18.
constexpr std::size_t kPanelAddressAt = 0;
constexpr std::size_t kPanelMaskAt = 4;
constexpr std::size_t kPanelGatewayAt = 8;
constexpr std::size_t kMacAt = 12;
constexpr std::size_t kMacSize = 6;
constexpr std::size_t kIpPortAt = 126;
constexpr std::size_t kIpPortSize = 6;
constexpr std::size_t kRowMaskAt = 240;
constexpr std::size_t kRowGatewayAt = 316;
constexpr std::size_t kTypeCodeAt = 392;
constexpr std::size_t kSerialNumberAt = 411;
constexpr std::size_t kModeCodeAt = 412;
constexpr std::size_t kAuxAddressAt = 419;
constexpr std::size_t kAuxPortAt = 423;
constexpr std::size_t kAuxMaskAt = 425;
constexpr std::size_t kAuxGatewayAt = 429;
constexpr std::size_t kReservedSequenceAt = 434;
constexpr std::size_t kModelAt = 439;
constexpr std::size_t kModelSize = 9;
constexpr std::size_t kStatusAt = 648;

constexpr PanelAddress kDefaultMask = makeAddress(255, 255, 255, 0);
constexpr PanelAddress kDefaultGateway = makeAddress(192, 168, 0, 1);

std::size_t rowIndex(int row) {
    return static_cast<std::size_t>(std::clamp(row, 0, CameraTable::kRowCount - 1));
}

std::span<std::uint8_t, 4> quad(CameraTable::Bytes& bytes, std::size_t at) {
    return std::span<std::uint8_t, 4>(bytes.data() + at, 4);
}

std::span<const std::uint8_t, 4> quad(const CameraTable::Bytes& bytes, std::size_t at) {
    return std::span<const std::uint8_t, 4>(bytes.data() + at, 4);
}

void writePort(CameraTable::Bytes& bytes, std::size_t at, std::uint32_t port) {
    bytes[at] = static_cast<std::uint8_t>((port >> 8) & 0xFFu);
    bytes[at + 1] = static_cast<std::uint8_t>(port & 0xFFu);
}

}  // namespace

CameraTable CameraTable::defaults() {
    CameraTable table;
    Bytes& b = table.m_bytes;
    writeAddress(quad(b, kPanelAddressAt), makeAddress(192, 168, 0, 130));
    writeAddress(quad(b, kPanelMaskAt), kDefaultMask);
    writeAddress(quad(b, kPanelGatewayAt), kDefaultGateway);
    for (int row = 0; row < kRowCount; ++row) {
        const std::size_t i = rowIndex(row);
        table.setRowAddress(row, makeAddress(192, 168, 0, static_cast<std::uint8_t>(10 + i)));
        table.setRowPort(row, 80);
        writeAddress(quad(b, kRowMaskAt + 4 * i), kDefaultMask);
        writeAddress(quad(b, kRowGatewayAt + 4 * i), kDefaultGateway);
    }
    b[kTypeCodeAt] = camera_type::kCcuSerial;
    b[kSerialNumberAt] = 1;
    writeAddress(quad(b, kAuxAddressAt), makeAddress(192, 168, 0, 8));
    writePort(b, kAuxPortAt, 60030);
    writeAddress(quad(b, kAuxMaskAt), kDefaultMask);
    writeAddress(quad(b, kAuxGatewayAt), kDefaultGateway);
    for (std::uint8_t k = 0; k < 5; ++k) {
        b[kReservedSequenceAt + k] = k;
    }
    return table;
}

std::optional<CameraTable> CameraTable::fromReply(std::span<const std::uint8_t> reply) {
    if (reply.size() < kSize) {
        return std::nullopt;
    }
    CameraTable table;
    std::copy_n(reply.begin(), kSize, table.m_bytes.begin());
    return table;
}

PanelAddress CameraTable::panelAddress() const {
    return readAddress(quad(m_bytes, kPanelAddressAt));
}

void CameraTable::setPanelAddress(PanelAddress address) {
    writeAddress(quad(m_bytes, kPanelAddressAt), address);
}

PanelAddress CameraTable::panelSubnetMask() const {
    return readAddress(quad(m_bytes, kPanelMaskAt));
}

void CameraTable::setPanelSubnetMask(PanelAddress mask) {
    writeAddress(quad(m_bytes, kPanelMaskAt), mask);
}

PanelAddress CameraTable::panelGateway() const {
    return readAddress(quad(m_bytes, kPanelGatewayAt));
}

void CameraTable::setPanelGateway(PanelAddress gateway) {
    writeAddress(quad(m_bytes, kPanelGatewayAt), gateway);
}

PanelAddress CameraTable::rowAddress(int row) const {
    return readAddress(quad(m_bytes, kIpPortAt + kIpPortSize * rowIndex(row)));
}

void CameraTable::setRowAddress(int row, PanelAddress address) {
    writeAddress(quad(m_bytes, kIpPortAt + kIpPortSize * rowIndex(row)), address);
}

std::uint16_t CameraTable::rowPort(int row) const {
    const std::size_t at = kIpPortAt + kIpPortSize * rowIndex(row) + 4;
    return static_cast<std::uint16_t>((m_bytes[at] << 8) | m_bytes[at + 1]);
}

void CameraTable::setRowPort(int row, std::uint32_t port) {
    writePort(m_bytes, kIpPortAt + kIpPortSize * rowIndex(row) + 4, port);
}

std::array<std::uint8_t, 6> CameraTable::rowMac(int row) const {
    std::array<std::uint8_t, 6> mac{};
    std::copy_n(m_bytes.begin() + static_cast<std::ptrdiff_t>(kMacAt + kMacSize * rowIndex(row)),
                kMacSize, mac.begin());
    return mac;
}

void CameraTable::setRowMac(int row, const std::array<std::uint8_t, 6>& mac) {
    std::copy(mac.begin(), mac.end(),
              m_bytes.begin() + static_cast<std::ptrdiff_t>(kMacAt + kMacSize * rowIndex(row)));
}

void CameraTable::clearRowMac(int row) {
    std::fill_n(m_bytes.begin() + static_cast<std::ptrdiff_t>(kMacAt + kMacSize * rowIndex(row)),
                kMacSize, std::uint8_t{0});
}

std::string CameraTable::macText(int row) const {
    const auto m = rowMac(row);
    char text[18];
    const int n = std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", m[0], m[1],
                                m[2], m[3], m[4], m[5]);
    return std::string(text, static_cast<std::size_t>(n));
}

std::string CameraTable::modelText(int row) const {
    const auto first =
        m_bytes.begin() + static_cast<std::ptrdiff_t>(kModelAt + kModelSize * rowIndex(row));
    const auto last = std::find(first, first + kModelSize, std::uint8_t{0});
    return std::string(first, last);
}

void CameraTable::setModelText(int row, std::string_view text) {
    const auto first =
        m_bytes.begin() + static_cast<std::ptrdiff_t>(kModelAt + kModelSize * rowIndex(row));
    const std::size_t kept = std::min(text.size(), kModelSize);
    std::fill(std::copy_n(text.begin(), kept, first), first + kModelSize, std::uint8_t{0});
}

std::uint8_t CameraTable::typeCode(int row) const {
    return m_bytes[kTypeCodeAt + rowIndex(row)];
}

void CameraTable::setTypeCode(int row, std::uint8_t code) {
    m_bytes[kTypeCodeAt + rowIndex(row)] = code;
}

std::uint8_t CameraTable::statusFlags(int row) const {
    return m_bytes[kStatusAt + rowIndex(row)];
}

std::uint8_t CameraTable::serialCameraNumber() const {
    return m_bytes[kSerialNumberAt];
}

void CameraTable::setSerialCameraNumber(std::uint8_t number) {
    m_bytes[kSerialNumberAt] = number;
}

std::uint8_t CameraTable::modeCode() const {
    return m_bytes[kModeCodeAt];
}

void CameraTable::setModeCode(std::uint8_t code) {
    m_bytes[kModeCodeAt] = code;
}

void CameraTable::swapRows(int a, int b) {
    const std::size_t i = rowIndex(a);
    const std::size_t j = rowIndex(b);
    if (i == j) {
        return;
    }
    const auto swapField = [this, i, j](std::size_t at, std::size_t size) {
        std::swap_ranges(m_bytes.begin() + static_cast<std::ptrdiff_t>(at + size * i),
                         m_bytes.begin() + static_cast<std::ptrdiff_t>(at + size * (i + 1)),
                         m_bytes.begin() + static_cast<std::ptrdiff_t>(at + size * j));
    };
    swapField(kMacAt, kMacSize);
    swapField(kIpPortAt, kIpPortSize);
    swapField(kTypeCodeAt, 1);
    swapField(kStatusAt, 1);
    swapField(kModelAt, kModelSize);
}

void CameraTable::seal() {
    sealChecksum(m_bytes, kChecksumIndex);
}

std::string cameraRowLabel(int row) {
    char text[8];
    const int n = std::snprintf(text, sizeof text, "C%02d", row + 1);
    return std::string(text, static_cast<std::size_t>(n));
}

std::optional<std::string_view> typeCodeText(std::uint8_t code) {
    // The panel's own spellings, kept as it shows them.
    static constexpr std::array<std::string_view, 7> kTexts = {
        "NoAsign",   "CCU Serial",  "Remote Serial",  "CCU IP",
        "Remote IP", "Camcoder IP", "Camcoder Serial"};
    if (code >= kTexts.size()) {
        return std::nullopt;
    }
    return kTexts[code];
}

bool isIpTypeCode(std::uint8_t code) {
    return code == camera_type::kCcuIp || code == camera_type::kRemoteIp ||
           code == camera_type::kCamcorderIp;
}

bool isSerialTypeCode(std::uint8_t code) {
    return code == camera_type::kCcuSerial || code == camera_type::kRemoteSerial ||
           code == camera_type::kCamcorderSerial;
}

bool isSerialModeCode(std::uint8_t modeCode) {
    return modeCode == 0 || modeCode == 1 || modeCode == 4;
}

bool isIpModeCode(std::uint8_t modeCode) {
    return modeCode == 2 || modeCode == 3 || modeCode == 5;
}

std::string modeCodeText(std::uint8_t modeCode) {
    char text[16];
    const int n = std::snprintf(text, sizeof text, "mode code 0x%02X", modeCode);
    return std::string(text, static_cast<std::size_t>(n));
}

ModeSelection decodeModeCode(std::uint8_t modeCode) {
    switch (modeCode) {
        case 1:
            return {ConnectionMode::Serial, CameraFamily::RemoteCamera};
        case 2:
            return {ConnectionMode::Ip, CameraFamily::Ccu};
        case 3:
            return {ConnectionMode::Ip, CameraFamily::RemoteCamera};
        case 4:
            return {ConnectionMode::Serial, CameraFamily::Camcorder};
        case 5:
            return {ConnectionMode::Ip, CameraFamily::Camcorder};
        default:
            return {ConnectionMode::Serial, CameraFamily::Ccu};
    }
}

std::uint8_t encodeModeCode(ModeSelection selection) {
    const bool ip = selection.mode == ConnectionMode::Ip;
    switch (selection.family) {
        case CameraFamily::RemoteCamera:
            return ip ? 3 : 1;
        case CameraFamily::Camcorder:
            return ip ? 5 : 4;
        case CameraFamily::Ccu:
            break;
    }
    return ip ? 2 : 0;
}

std::uint8_t serialTypeCode(CameraFamily family) {
    switch (family) {
        case CameraFamily::RemoteCamera:
            return camera_type::kRemoteSerial;
        case CameraFamily::Camcorder:
            return camera_type::kCamcorderSerial;
        case CameraFamily::Ccu:
            break;
    }
    return camera_type::kCcuSerial;
}

std::string_view connectionModeName(ConnectionMode mode) {
    return mode == ConnectionMode::Ip ? "IP" : "Serial";
}

std::string_view cameraFamilyName(CameraFamily family) {
    switch (family) {
        case CameraFamily::RemoteCamera:
            return "RemoteCamera";
        case CameraFamily::Camcorder:
            return "Camcorder";
        case CameraFamily::Ccu:
            break;
    }
    return "CCU";
}

std::string_view serialTypeText(CameraFamily family) {
    return *typeCodeText(serialTypeCode(family));
}

std::optional<int> entryForTypeCode(std::uint8_t typeCode, std::uint8_t modeCode) {
    if (isSerialModeCode(modeCode)) {
        return 0;
    }
    if (!isIpModeCode(modeCode)) {
        return std::nullopt;
    }
    switch (typeCode) {
        case camera_type::kNoAssign:
            return 0;
        case camera_type::kCcuIp:
            return 1;
        case camera_type::kRemoteIp:
            return 2;
        case camera_type::kCamcorderIp:
            return 3;
        case camera_type::kCcuSerial:
        case camera_type::kRemoteSerial:
        case camera_type::kCamcorderSerial:
            return 4;
        default:
            return std::nullopt;
    }
}

std::uint8_t typeCodeForEntry(int entry, std::uint8_t modeCode, std::uint8_t previousCode) {
    switch (entry) {
        case 0:
            return camera_type::kNoAssign;
        case 1:
            return camera_type::kCcuIp;
        case 2:
            return camera_type::kRemoteIp;
        case 3:
            return camera_type::kCamcorderIp;
        case 4:
            return isIpModeCode(modeCode) ? serialTypeCode(decodeModeCode(modeCode).family)
                                          : previousCode;
        default:
            return previousCode;
    }
}

int serialEntryForNumber(std::uint8_t number) {
    if (number == 0 || number > CameraTable::kRowCount) {
        return -1;
    }
    return number - 1;
}

std::uint8_t serialNumberForEntry(int entry) {
    return static_cast<std::uint8_t>(entry + 1);
}

}  // namespace trx
