#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace trx {

// A panel's IPv4 address in host order, first octet in the most significant byte; 0 means none.
using PanelAddress = std::uint32_t;

constexpr PanelAddress makeAddress(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
    return (PanelAddress{a} << 24) | (PanelAddress{b} << 16) | (PanelAddress{c} << 8) |
           PanelAddress{d};
}

constexpr std::array<std::uint8_t, 4> addressOctets(PanelAddress address) {
    return {static_cast<std::uint8_t>(address >> 24), static_cast<std::uint8_t>(address >> 16),
            static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)};
}

// "%d.%d.%d.%d" from the most significant byte down.
std::string addressText(PanelAddress address);

// Parses strict dotted-quad text ("192.168.0.130"); nothing else. An octet with a leading zero
// ("192.168.000.130", "010.0.0.1") is refused: some tools read it as octal, others as decimal.
std::optional<PanelAddress> parseAddress(std::string_view text);
// True for text that is a dotted quad but for octets written with leading zeros, so that a
// refusal can say why.
bool hasLeadingZeroOctet(std::string_view text);

// Four bytes inside a block, first octet first.
PanelAddress readAddress(std::span<const std::uint8_t, 4> bytes);
void writeAddress(std::span<std::uint8_t, 4> bytes, PanelAddress address);

}  // namespace trx
