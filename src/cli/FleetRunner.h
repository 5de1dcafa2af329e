#pragma once

#include <QJsonObject>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "cli/Targets.h"

namespace trx::cli {

// What one command did with one panel. Every command fills `fields` with its own JSON keys and
// `lines` with what a person reads after the panel's "ok" or "FAILED" (the first on that line,
// the others below it, indented).
struct PanelResult {
    Target target;
    bool ok = false;
    std::string error;
    QJsonObject fields;
    std::vector<std::string> lines;
};

using PanelJob = std::function<PanelResult(const Target&)>;

// Runs a job for every panel, each on a thread of its own where its exchanges wait in their own
// event loop, at most `jobs` at once (0: all). Returns the results in target order.
//
// With `progress`, a line for each finished panel goes to stderr, with a count. Ctrl-C stops the
// run: no exchange starts and no file is written from then on, and the process ends with status
// 130 at once; the system closes its connections.
std::vector<PanelResult> runFleet(const std::vector<Target>& targets, int jobs, bool progress,
                                  const PanelJob& job);

// Held while a file is written, so that Ctrl-C never ends the process half-way through a write.
// A job checks interrupted() once it holds it.
std::unique_lock<std::mutex> holdFileWrites();
bool interrupted();

}  // namespace trx::cli
