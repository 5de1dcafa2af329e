#include "wire/PanelAddress.h"

#include <charconv>
#include <cstdio>

namespace trx {

std::string addressText(PanelAddress address) {
    const auto o = addressOctets(address);
    char text[16];
    const int n = std::snprintf(text, sizeof text, "%d.%d.%d.%d", o[0], o[1], o[2], o[3]);
    return std::string(text, static_cast<std::size_t>(n));
}

namespace {

// Dotted-quad text; octets written with leading zeros only when allowed.
std::optional<PanelAddress> scanAddress(std::string_view text, bool leadingZeros) {
    PanelAddress address = 0;
    const char* p = text.data();
    const char* const end = text.data() + text.size();
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (p == end || *p != '.') {
                return std::nullopt;
            }
            ++p;
        }
        const char* const start = p;
        unsigned octet = 0;
        const auto [next, ec] = std::from_chars(p, end, octet);
        if (ec != std::errc{} || next == start || next - start > 3 || octet > 255 ||
            (!leadingZeros && *start == '0' && next - start > 1)) {
            return std::nullopt;
        }
        p = next;
        address = (address << 8) | octet;
    }
    if (p != end) {
        return std::nullopt;
    }
    return address;
}

}  // namespace

std::optional<PanelAddress> parseAddress(std::string_view text) {
    return scanAddress(text, false);
}

bool hasLeadingZeroOctet(std::string_view text) {
    return !scanAddress(text, false) && scanAddress(text, true);
}

PanelAddress readAddress(std::span<const std::uint8_t, 4> bytes) {
    return makeAddress(bytes[0], bytes[1], bytes[2], bytes[3]);
}

void writeAddress(std::span<std::uint8_t, 4> bytes, PanelAddress address) {
    const auto o = addressOctets(address);
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[i] = o[i];
    }
}

}  // namespace trx
