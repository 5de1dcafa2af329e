#include "SimText.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <optional>

namespace trx::sim {

namespace {

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) {
            ++pos;
        }
        const std::size_t start = pos;
        while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t') {
            ++pos;
        }
        if (pos > start) {
            fields.push_back(line.substr(start, pos - start));
        }
    }
    return fields;
}

template <typename T>
std::optional<T> parseNumber(std::string_view text, unsigned max, int base = 10) {
    unsigned value = 0;
    const char* end = text.data() + text.size();
    const auto [next, ec] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || ec != std::errc{} || next != end || value > max) {
        return std::nullopt;
    }
    return static_cast<T>(value);
}

std::optional<int> parseFamily(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == "ccu" || lower == "0") {
        return 0;
    }
    if (lower == "remote-camera" || lower == "1") {
        return 1;
    }
    if (lower == "camcorder" || lower == "2") {
        return 2;
    }
    return std::nullopt;
}

std::optional<std::array<std::uint8_t, 6>> parseMac(std::string_view text) {
    std::array<std::uint8_t, 6> mac{};
    if (text.size() != 17) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < 6; ++i) {
        if (i > 0 && text[3 * i - 1] != ':' && text[3 * i - 1] != '-') {
            return std::nullopt;
        }
        const auto byte = parseNumber<std::uint8_t>(text.substr(3 * i, 2), 0xFF, 16);
        if (!byte) {
            return std::nullopt;
        }
        mac[i] = *byte;
    }
    return mac;
}

}  // namespace

CameraListParse parseCameraList(std::string_view text) {
    CameraListParse result;
    std::size_t lineNumber = 0;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        const std::size_t end = std::min(text.find('\n', pos), text.size());
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        line = line.substr(0, line.find('#'));
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const std::vector<std::string_view> f = splitFields(line);
        if (f.empty()) {
            continue;
        }
        auto fail = [&](std::string_view what) {
            result.cameras.clear();
            result.error = "line " + std::to_string(lineNumber) + ": " + std::string(what);
            return result;
        };
        if (f.size() != 6) {
            return fail("expected: family type mac address port model");
        }
        NetworkCamera camera;
        const auto family = parseFamily(f[0]);
        const auto type = parseNumber<std::uint8_t>(f[1], 0xFF);
        const auto mac = parseMac(f[2]);
        const auto address = parseAddress(f[3]);
        const auto port = parseNumber<std::uint16_t>(f[4], 0xFFFF);
        if (!family) {
            return fail("family is not ccu, remote-camera or camcorder");
        }
        if (!type) {
            return fail("type is not a number 0..255");
        }
        if (!mac) {
            return fail("mac is not six hex pairs like 00:0A:FF:12:34:56");
        }
        if (!address) {
            return fail("address is not a dotted IPv4 address");
        }
        if (!port) {
            return fail("port is not a number 0..65535");
        }
        if (f[5].size() > 9) {
            return fail("model is longer than 9 characters");
        }
        camera.family = *family;
        camera.typeCode = *type;
        camera.mac = *mac;
        camera.address = *address;
        camera.port = *port;
        camera.model = f[5] == "-" ? std::string() : std::string(f[5]);
        result.cameras.push_back(std::move(camera));
    }
    return result;
}

std::string hexText(std::span<const std::uint8_t> bytes) {
    std::string text;
    text.reserve(bytes.size() * 3);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char pair[4];
        std::snprintf(pair, sizeof pair, i == 0 ? "%02X" : " %02X", bytes[i]);
        text += pair;
    }
    return text;
}

std::string printableLine(std::string_view line) {
    if (line.size() >= 2 && line.substr(line.size() - 2) == "\r\n") {
        line.remove_suffix(2);
    }
    std::string text;
    for (char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '\\') {
            text += c;
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            text += escaped;
        }
    }
    return text;
}

std::string describeExchange(const ExchangeRecord& record) {
    std::string text = record.peer + " -> " + record.panel + " | " + printableLine(record.command);
    if (!record.block.empty()) {
        text += " | block " + std::to_string(record.block.size()) + ": " + hexText(record.block);
    }
    text += " | " + record.answer;
    return text;
}

}  // namespace trx::sim
