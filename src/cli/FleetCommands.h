#pragma once

#include "cli/Options.h"

namespace trx::cli {

// Runs the command the options name and returns the exit status.
int runCommand(const Options& options);

}  // namespace trx::cli
