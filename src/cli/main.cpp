#include <QCoreApplication>

#include <cstdio>
#include <variant>

#include "cli/FleetCommands.h"
#include "cli/Options.h"
#include "cli/Output.h"

int main(int argc, char** argv) {
    const QCoreApplication application(argc, argv);
    auto parsed = trx::cli::parseOptions(QCoreApplication::arguments());
    if (const auto* refusal = std::get_if<std::string>(&parsed)) {
        trx::cli::printError(*refusal);
        std::fputs("Try 'trx900 --help'.\n", stderr);
        return trx::cli::kExitUsage;
    }
    const auto& options = std::get<trx::cli::Options>(parsed);
    if (options.help) {
        std::fputs(trx::cli::helpText(), stdout);
        return trx::cli::kExitOk;
    }
    if (options.version) {
        std::printf("trx900 %s\n", TRX900_VERSION);
        return trx::cli::kExitOk;
    }
    return trx::cli::runCommand(options);
}
