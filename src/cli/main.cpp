#include <QCoreApplication>

#include <cstdio>
#include <variant>

#include "cli/FleetCommands.h"
#include "cli/Options.h"
#include "cli/Output.h"
#include "trx/Version.h"

int main(int argc, char** argv) {
    const QCoreApplication application(argc, argv);
    const auto parsed = trx::cli::parseOptions(QCoreApplication::arguments());
    const auto* options = std::get_if<trx::cli::Options>(&parsed);
    if (options == nullptr) {
        trx::cli::printError(*std::get_if<std::string>(&parsed));
        std::fputs("Try 'trx900 --help'.\n", stderr);
        return trx::cli::kExitUsage;
    }
    if (options->help) {
        std::fputs(trx::cli::helpText(), stdout);
        return trx::cli::kExitOk;
    }
    if (options->version) {
        std::printf("trx900 %s\n", trx::kVersion);
        return trx::cli::kExitOk;
    }
    return trx::cli::runCommand(*options);
}
