#pragma once

#include <QStringList>

#include <string>
#include <variant>
#include <vector>

#include "exchange/PanelExchange.h"
#include "fleet/FleetRunner.h"
#include "fleet/PanelWork.h"

namespace trx::cli {

// The command line, checked: the command, its operands and every option that applies to it.
struct Options {
    bool help = false;
    bool version = false;
    std::string command;
    std::vector<std::string> operands;
    std::string listFile;
    std::string dir;
    fleet::Parts only;
    bool yes = false;
    bool dryRun = false;
    bool withPanelAddress = false;
    std::chrono::seconds rebootWait{60};
    bool json = false;
    int jobs = fleet::kDefaultJobs;
    ExchangeSettings exchange;
};

// The options, or the reason the command line is refused.
std::variant<Options, std::string> parseOptions(const QStringList& arguments);

// The whole --help text.
const char* helpText();

}  // namespace trx::cli
