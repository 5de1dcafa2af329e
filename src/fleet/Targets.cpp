#include "fleet/Targets.h"

#include <algorithm>
#include <charconv>

namespace trx::fleet {

namespace {

std::optional<int> parseOctet(std::string_view text) {
    int value = 0;
    const char* const end = text.data() + text.size();
    const auto [next, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || next != end || value < 0 || value > 255 ||
        (text.size() > 1 && text.front() == '0')) {
        return std::nullopt;
    }
    return value;
}

// 'text', as messages quote what the operator typed.
std::string quoted(std::string_view text) {
    std::string result;
    result.reserve(text.size() + 2);
    result += '\'';
    result += text;
    result += '\'';
    return result;
}

}  // namespace

std::string Target::name() const {
    return label.empty() ? addressText(address) : label;
}

std::string Target::title() const {
    return label.empty() ? addressText(address) : label + " " + addressText(address);
}

bool refusedAddress(PanelAddress address) {
    return address == makeAddress(0, 0, 0, 0) || address == makeAddress(255, 255, 255, 255);
}

std::variant<std::vector<PanelAddress>, std::string> parseTargetText(std::string_view text) {
    const std::size_t dash = text.find('-');
    const std::optional<PanelAddress> first = parseAddress(text.substr(0, dash));
    if (!first) {
        if (const auto meant = addressWithLeadingZeros(text.substr(0, dash))) {
            return quoted(text) + ": an octet with a leading zero is ambiguous; write " +
                   addressText(*meant);
        }
        return quoted(text) + " is no panel address (192.168.0.130) or range (192.168.0.130-154)";
    }
    PanelAddress last = *first;
    if (dash != std::string_view::npos) {
        const std::optional<int> lastOctet = parseOctet(text.substr(dash + 1));
        if (!lastOctet || *lastOctet < static_cast<int>(*first & 0xFFu)) {
            return quoted(text) +
                   ": a range ends at a last octet from its first address's up to 255";
        }
        last = (*first & 0xFFFFFF00u) | static_cast<PanelAddress>(*lastOctet);
    }
    std::vector<PanelAddress> addresses;
    for (PanelAddress address = *first; address <= last; ++address) {
        if (refusedAddress(address)) {
            return addressText(address) + " is no panel address";
        }
        addresses.push_back(address);
        if (address == last) {
            break;
        }
    }
    return addresses;
}

std::vector<Target> listTargets(const std::array<RopRow, kRopRowCount>& list) {
    std::vector<Target> targets;
    for (int row = 1; row <= kRopRowCount; ++row) {
        const PanelAddress address = list[static_cast<std::size_t>(row - 1)].address;
        if (address != 0) {
            targets.push_back({address, RopRowLabel(row)});
        }
    }
    return targets;
}

std::vector<Target> mergeTargets(const std::vector<Target>& listed,
                                 const std::vector<PanelAddress>& typed) {
    // Every row of the list is worked on, also two rows at one address (one after the other).
    std::vector<Target> targets = listed;
    const auto add = [&targets](const Target& target) {
        const bool known = std::any_of(targets.begin(), targets.end(), [&](const Target& t) {
            return t.address == target.address;
        });
        if (!known) {
            targets.push_back(target);
        }
    };
    for (const PanelAddress address : typed) {
        add({address, {}});
    }
    return targets;
}

}  // namespace trx::fleet
