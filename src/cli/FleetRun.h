#pragma once

#include <string_view>
#include <vector>

#include "cli/Options.h"
#include "fleet/FleetRunner.h"

namespace trx::cli {

// Cancelled by Ctrl-C while panels are being worked on.
const fleet::FleetControl& interruptControl();

// Runs a command's job on every target with the options' --jobs, a progress line for each
// finished panel when stderr is a terminal. Ctrl-C ends the process with status 130 at once,
// after the command's results so far (those of `command`, unless empty) are printed: the panels
// done, the ones being worked on, the ones not started.
std::vector<fleet::PanelResult> runCommandFleet(std::string_view command, const Options& o,
                                                const std::vector<fleet::Target>& targets,
                                                const fleet::PanelJob& job);

}  // namespace trx::cli
