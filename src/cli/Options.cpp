#include "cli/Options.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <optional>
#include <set>

namespace trx::cli {

namespace {

constexpr long kMaxMilliseconds = 3'600'000;

// What each command takes besides the common options, and how many operands.
struct CommandRule {
    std::set<std::string> options;
    std::size_t minOperands;
    std::size_t maxOperands;
};

const std::map<std::string, CommandRule>& commandRules() {
    constexpr std::size_t kAny = 10'000;
    static const std::map<std::string, CommandRule> rules = {
        {"status", {{"--list"}, 0, kAny}},
        {"backup", {{"--list", "--dir"}, 0, kAny}},
        {"restore",
         {{"--list", "--only", "--yes", "--dry-run", "--with-panel-address", "--reboot-wait"},
          1,
          kAny}},
        {"diff", {{}, 2, 2}},
        {"show", {{}, 1, 1}},
        {"register", {{}, 1, 1}},
    };
    return rules;
}

const std::set<std::string>& valueOptions() {
    static const std::set<std::string> options = {"--list",    "--dir",        "--only",
                                                  "--port",    "--jobs",       "--connect-timeout",
                                                  "--timeout", "--reboot-wait"};
    return options;
}

const std::set<std::string>& commonOptions() {
    static const std::set<std::string> options = {
        "--json", "--port", "--jobs", "--connect-timeout", "--timeout", "--help", "--version"};
    return options;
}

std::optional<long> parseNumber(const std::string& text, long min, long max) {
    long value = 0;
    const char* const end = text.data() + text.size();
    const auto [next, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || next != end || value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

// Applies one option with its value; the reason when the value is refused.
std::optional<std::string> apply(Options& o, const std::string& name, const std::string& value) {
    const auto number = [&](long min, long max) -> std::optional<long> {
        return parseNumber(value, min, max);
    };
    const auto range = [&](long min, long max) {
        return name + " takes a number from " + std::to_string(min) + " to " + std::to_string(max) +
               ", not '" + value + "'";
    };
    if (name == "--json") {
        o.json = true;
    } else if (name == "--yes") {
        o.yes = true;
    } else if (name == "--dry-run") {
        o.dryRun = true;
    } else if (name == "--with-panel-address") {
        o.withPanelAddress = true;
    } else if (name == "--reboot-wait") {
        const auto seconds = number(1, 600);
        if (!seconds) {
            return range(1, 600);
        }
        o.rebootWait = std::chrono::seconds(*seconds);
    } else if (name == "--list") {
        o.listFile = value;
    } else if (name == "--dir") {
        o.dir = value;
    } else if (name == "--only") {
        if (value != "camera-list" && value != "settings") {
            return "--only takes camera-list or settings, not '" + value + "'";
        }
        o.only = {value == "camera-list", value == "settings"};
    } else if (name == "--port") {
        const auto port = number(1, 65535);
        if (!port) {
            return range(1, 65535);
        }
        o.exchange.port = static_cast<std::uint16_t>(*port);
    } else if (name == "--jobs") {
        const auto jobs = number(1, 1000);
        if (!jobs) {
            return range(1, 1000);
        }
        o.jobs = static_cast<int>(*jobs);
    } else if (name == "--connect-timeout") {
        const auto ms = number(1, kMaxMilliseconds);
        if (!ms) {
            return range(1, kMaxMilliseconds);
        }
        o.exchange.limits.connect = std::chrono::milliseconds(*ms);
    } else if (name == "--timeout") {
        const auto ms = number(1, kMaxMilliseconds);
        if (!ms) {
            return range(1, kMaxMilliseconds);
        }
        o.exchange.limits.total = std::chrono::milliseconds(*ms);
        o.exchange.limits.idle = std::min(o.exchange.limits.idle, o.exchange.limits.total);
    }
    return std::nullopt;
}

}  // namespace

std::variant<Options, std::string> parseOptions(const QStringList& arguments) {
    Options o;
    std::vector<std::pair<std::string, std::string>> given;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const std::string argument = arguments[i].toStdString();
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || !argument.starts_with("--")) {
            if (o.command.empty()) {
                o.command = argument;
            } else {
                o.operands.push_back(argument);
            }
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        const bool isKnown = valueOptions().contains(name) || commonOptions().contains(name) ||
                             name == "--yes" || name == "--dry-run" ||
                             name == "--with-panel-address";
        if (!isKnown) {
            return "unknown option " + name;
        }
        // A second value would silently win over the first, which may be the one meant.
        const bool repeated = std::any_of(given.begin(), given.end(),
                                          [&name](const auto& g) { return g.first == name; });
        if (repeated && valueOptions().contains(name)) {
            return name + " is given twice";
        }
        std::string value;
        if (valueOptions().contains(name)) {
            if (equals != std::string::npos) {
                value = argument.substr(equals + 1);
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i].toStdString();
            } else {
                return name + " needs a value";
            }
        } else if (equals != std::string::npos) {
            return name + " takes no value";
        }
        given.emplace_back(name, value);
    }
    for (const auto& [name, value] : given) {
        o.help = o.help || name == "--help";
        o.version = o.version || name == "--version";
    }
    if (o.help || o.version) {
        return o;
    }
    if (o.command.empty()) {
        return std::string("no command given");
    }
    const auto rule = commandRules().find(o.command);
    if (rule == commandRules().end()) {
        return "unknown command '" + o.command + "'";
    }
    for (const auto& [name, value] : given) {
        if (!commonOptions().contains(name) && !rule->second.options.contains(name)) {
            return o.command + " takes no " + name;
        }
        if (auto refusal = apply(o, name, value)) {
            return *refusal;
        }
    }
    if (o.operands.size() < rule->second.minOperands ||
        o.operands.size() > rule->second.maxOperands) {
        return o.command + " takes " +
               (rule->second.minOperands == rule->second.maxOperands
                    ? std::to_string(rule->second.minOperands) + " operand" +
                          (rule->second.minOperands == 1 ? "" : "s")
                    : "at least " + std::to_string(rule->second.minOperands) + " operand") +
               ", not " + std::to_string(o.operands.size());
    }
    return o;
}

const char* helpText() {
    return R"(Usage: trx900 COMMAND [OPTIONS] OPERANDS...

Reads and writes the setup of QL-TRX900 remote operation panels over the network, many panels
at once, from a terminal or a script.

Commands:
  status   TARGETS...          reachability, answer time, receive port, camera mode and the
                               number of cameras assigned, per panel
  backup   TARGETS... [--dir DIR]
                               one panel profile per panel (camera list and settings), in
                               DIR/<label or address>.trx900.json
  restore  PROFILE TARGETS... [--only camera-list|settings] [--yes] [--dry-run]
                               writes the profile's camera list and settings to every panel, with
                               the checks of the window's SET; each panel reboots after the write
                               and keeps its own address, subnet mask and gateway
  diff     A B                 field-by-field differences; A and B are each a profile file or a
                               panel address
  show     PROFILE|ADDRESS     a profile file or a panel, decoded
  register LIST                gives every panel of a panel list file its ROP number, as the
                               ROP List page's REGISTER does

Targets:
  192.168.0.130                one panel
  192.168.0.130-154            the panels 192.168.0.130 to 192.168.0.154
  --list FILE                  every panel of a panel list file; its ROP labels (TRX1 ...) then
                               name the panels in all output
  0.0.0.0 and 255.255.255.255 are refused before anything is sent.

Options:
  --json                       machine output on stdout (described in docs/cli.md)
  --port N                     the panels' port (default 35600)
  --jobs N                     panels worked on at once (default: 64)
  --connect-timeout MS         how long a connection attempt may take (default 3000)
  --timeout MS                 how long one exchange may take (default 30000); a panel that
                               sends nothing for 10000 ms, or for MS when shorter, is given up
  --dir DIR                    backup: the folder for the profiles (default: the current one;
                               made when missing)
  --only PART                  restore: only the camera list (camera-list) or the settings
  --yes                        restore: write without asking; needed when not on a terminal
  --dry-run                    restore: print what would change on each panel, write nothing
  --with-panel-address         restore to one panel: write the profile's panel address, subnet
                               mask and gateway too
  --reboot-wait S              restore: how long to wait for a panel to come back after its
                               camera list before writing its settings (default 60)
  --help                       this text
  --version                    the program's version

Exit status: 0 when every panel succeeded (diff: no differences), 1 when a panel failed
(diff: differences found), 2 for a usage or file error (nothing was sent; diff: a side could not
be read), 130 when interrupted. '--' ends the options.
Progress goes to stderr when it is a terminal, one line per finished panel.

Examples:
  trx900 status 192.168.0.130-154
  trx900 backup --list studio.json --dir backups/show-day
  trx900 restore backups/show-day/TRX1.trx900.json 192.168.0.140-144 --only camera-list --yes
  trx900 restore backups/show-day/TRX1.trx900.json --list studio.json --dry-run
  trx900 diff backups/show-day/TRX3.trx900.json 192.168.0.132
  trx900 show 192.168.0.130
  trx900 register studio.json
  trx900 status --list studio.json --json --jobs 8 --connect-timeout 1000
)";
}

}  // namespace trx::cli
