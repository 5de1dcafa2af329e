#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "records/RopTable.h"
#include "wire/PanelAddress.h"

namespace trx::fleet {

// One panel to talk to: its address, and its ROP label ("TRX3") when a panel list names it.
struct Target {
    PanelAddress address = 0;
    std::string label;

    // The label where known, else the address.
    std::string name() const;
    // "TRX3 192.168.0.132", or the address alone.
    std::string title() const;
    friend bool operator==(const Target&, const Target&) = default;
};

// Addresses that no panel can have and that would reach every host or this one: refused before
// anything is sent.
bool refusedAddress(PanelAddress address);

// "192.168.0.130" or a last-octet range "192.168.0.130-154", in order. The text of the refusal
// otherwise.
std::variant<std::vector<PanelAddress>, std::string> parseTargetText(std::string_view text);

// Every non-empty row of a panel list, named by its ROP label.
std::vector<Target> listTargets(const std::array<RopRow, kRopRowCount>& list);

// Every row of the list, then the addresses typed that the list does not name, each once.
std::vector<Target> mergeTargets(const std::vector<Target>& listed,
                                 const std::vector<PanelAddress>& typed);

}  // namespace trx::fleet
