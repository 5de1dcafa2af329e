#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <QCoreApplication>

#include "PanelBehaviour.h"
#include "PanelSimulator.h"
#include "SimText.h"
#include "StopRequests.h"
#include "trx/Version.h"

namespace {

constexpr const char* kHelp =
    "Usage: trx900-panel-sim [options]\n"
#ifdef Q_OS_WIN
    "Serves simulated QL-TRX900 panels over TCP until stopped: Ctrl-C, Ctrl-Break, closing\n"
    "the console or a close request (taskkill without /f).\n"
#else
    "Serves simulated QL-TRX900 panels over TCP until stopped: Ctrl-C (SIGINT) or SIGTERM.\n"
#endif
    "\n"
    "  --listen ADDRESS        serve a panel at this IPv4 address (repeatable; default\n"
    "                          127.0.0.1). Every panel lists all served addresses as its\n"
    "                          ROP list TRX1, TRX2, ...\n"
    "  --port N                TCP port of every panel (default 35600; 0 picks a free one)\n"
    "  --cameras FILE          cameras that every panel finds when asked to search\n"
    "  --fault ADDRESS=NAME    make the panel at ADDRESS misbehave (repeatable). NAME is one of\n"
    "                          refuse-connection, not-acknowledge, bad-checksum, empty-reply,\n"
    "                          short-reply, oversize-reply, trickle, close-after-acknowledge,\n"
    "                          acknowledge-without-trailer, silent, garbage, hold-open,\n"
    "                          endless-acknowledge, endless-result-line\n"
    "  --reboot-time MS        after storing a camera list, settings or credentials, every panel\n"
    "                          refuses connections for MS milliseconds while it reboots\n"
    "                          (default 0: it stays reachable)\n"
    "  --help                  show this text\n"
    "  --version               show the version\n"
    "\n"
    "Camera file: one camera per line, six fields apart by blanks, '#' starts a comment:\n"
    "  family type mac address port model\n"
    "  family   ccu, remote-camera or camcorder (or 0, 1, 2)\n"
    "  type     the row type code the panel reports (3 CCU IP, 4 Remote IP, 5 Camcoder IP)\n"
    "  mac      six hex pairs apart by ':' or '-'\n"
    "  address  dotted IPv4 address;  port  0..65535\n"
    "  model    up to 9 characters, '-' for none\n"
    "Example:\n"
    "  ccu       3 02:00:5E:10:00:01 192.168.0.101 80    CCU-A100\n"
    "  camcorder 5 02:00:5E:10:02:01 192.168.0.121 49152 CAM-X3\n"
    "\n"
    "Each exchange prints one line: peer -> panel | command | block (hex) | answer.\n";

struct Options {
    std::vector<std::string> addresses;
    std::uint16_t port = 35600;
    std::string camerasFile;
    std::vector<std::pair<std::string, trx::sim::Fault>> faults;
    unsigned rebootMs = 0;
    bool help = false;
    bool version = false;
    std::string error;
};

Options parseOptions(const std::vector<std::string>& args) {
    Options options;
    auto fail = [&](std::string message) {
        options.error = std::move(message);
        return options;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            return options;
        }
        if (arg == "--version") {
            options.version = true;
            return options;
        }
        if (arg != "--listen" && arg != "--port" && arg != "--cameras" && arg != "--fault" &&
            arg != "--reboot-time") {
            return fail("unknown option " + arg);
        }
        if (i + 1 >= args.size()) {
            return fail(arg + " needs a value");
        }
        const std::string& value = args[++i];
        if (arg == "--listen") {
            if (!trx::parseAddress(value)) {
                return fail("not an IPv4 address: " + value);
            }
            options.addresses.push_back(value);
        } else if (arg == "--port" || arg == "--reboot-time") {
            unsigned number = 0;
            const char* end = value.data() + value.size();
            const auto [next, ec] = std::from_chars(value.data(), end, number);
            const unsigned most = arg == "--port" ? 65535 : 600000;
            if (value.empty() || ec != std::errc{} || next != end || number > most) {
                return fail((arg == "--port" ? "not a port: "
                                             : "not a time in milliseconds (0..600000): ") +
                            value);
            }
            if (arg == "--port") {
                options.port = static_cast<std::uint16_t>(number);
            } else {
                options.rebootMs = number;
            }
        } else if (arg == "--cameras") {
            options.camerasFile = value;
        } else {
            const std::size_t eq = value.find('=');
            const auto fault =
                eq == std::string::npos
                    ? std::nullopt
                    : trx::sim::faultFromName(std::string_view(value).substr(eq + 1));
            if (!fault || !trx::parseAddress(value.substr(0, eq))) {
                return fail("expected --fault ADDRESS=NAME, got " + value);
            }
            options.faults.emplace_back(value.substr(0, eq), *fault);
        }
    }
    if (options.addresses.empty()) {
        options.addresses.push_back("127.0.0.1");
    }
    return options;
}

}  // namespace

int main(int argc, char** argv) {
    trx::sim::prepareForStopRequests();

    QCoreApplication app(argc, argv);
    const Options options = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (options.help) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (options.version) {
        std::printf("trx900-panel-sim %s\n", trx::kVersion);
        return 0;
    }
    if (!options.error.empty()) {
        std::fprintf(stderr, "trx900-panel-sim: %s (see --help)\n", options.error.c_str());
        return 2;
    }

    std::vector<trx::sim::NetworkCamera> cameras = trx::sim::builtInNetwork();
    if (!options.camerasFile.empty()) {
        std::ifstream file(options.camerasFile, std::ios::binary);
        if (!file) {
            std::fprintf(stderr, "trx900-panel-sim: cannot read %s\n", options.camerasFile.c_str());
            return 2;
        }
        std::ostringstream text;
        text << file.rdbuf();
        trx::sim::CameraListParse parsed = trx::sim::parseCameraList(text.str());
        if (!parsed.error.empty()) {
            std::fprintf(stderr, "trx900-panel-sim: %s: %s\n", options.camerasFile.c_str(),
                         parsed.error.c_str());
            return 2;
        }
        cameras = std::move(parsed.cameras);
    }

    trx::sim::PanelSimulator simulator;
    // Printed is enough: the program may run for days, so it keeps no log of its own.
    simulator.setLogSink([&simulator](const trx::sim::ExchangeRecord& record) {
        std::printf("%s\n", trx::sim::describeExchange(record).c_str());
        std::fflush(stdout);
        simulator.clearLog();
    });
    if (!simulator.start(options.addresses, options.port)) {
        std::fprintf(stderr, "trx900-panel-sim: cannot listen on every address at port %u\n",
                     unsigned{options.port});
        return 1;
    }
    for (const std::string& address : options.addresses) {
        trx::sim::PanelState state = simulator.state(address);
        state.network = cameras;
        state.rebootTime = std::chrono::milliseconds(options.rebootMs);
        simulator.setState(address, state);
    }
    for (const auto& [address, fault] : options.faults) {
        const bool served = std::any_of(
            options.addresses.begin(), options.addresses.end(), [&](const std::string& a) {
                return trx::parseAddress(a) == trx::parseAddress(address);
            });
        if (!served) {
            std::fprintf(stderr, "trx900-panel-sim: --fault names %s, which is not served\n",
                         address.c_str());
            return 2;
        }
        simulator.setFault(address, fault);
    }
    for (const std::string& address : options.addresses) {
        std::printf("listening on %s:%u\n", address.c_str(), unsigned{simulator.port()});
    }
    std::fflush(stdout);

    trx::sim::waitForStopRequest();
    simulator.stop();
    return 0;
}
