#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "PanelSimulator.h"

// Text the simulator program reads and prints.
namespace trx::sim {

// The camera file: one camera per line, "family type mac address port model", fields apart by
// blanks, '#' starts a comment. family: ccu, remote-camera, camcorder (or 0, 1, 2); type: the
// row type code 0..255; mac: six hex pairs apart by ':' or '-'; address: dotted IPv4; port:
// 0..65535; model: up to 9 characters, "-" for none.
struct CameraListParse {
    std::vector<NetworkCamera> cameras;
    std::string error;  // empty when every line was read; else "line N: what is wrong"
};
CameraListParse parseCameraList(std::string_view text);

// Bytes as upper-case hex pairs apart by spaces.
std::string hexText(std::span<const std::uint8_t> bytes);

// The command line as printable text: CR LF dropped, other control bytes as \xNN.
std::string printableLine(std::string_view line);

// One line of the program's output for one exchange.
std::string describeExchange(const ExchangeRecord& record);

}  // namespace trx::sim
