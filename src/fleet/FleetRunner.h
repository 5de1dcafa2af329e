#pragma once

#include <QJsonObject>

#include <atomic>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "fleet/Targets.h"

namespace trx::fleet {

// How far a run got with one panel.
enum class Progress {
    Finished,
    // The panel was being worked on when the run was cancelled; its exchange may have reached it.
    Interrupted,
    // The run was cancelled, or could not go on, before the panel's turn came.
    NotStarted,
};

// What one step did with one panel. Every step fills `fields` with its own JSON keys and `lines`
// with what a person reads after the panel's "ok" or "FAILED" (the first on that line, the
// others below it, indented).
struct PanelResult {
    Target target;
    bool ok = false;
    std::string error;
    QJsonObject fields;
    std::vector<std::string> lines;
    Progress progress = Progress::NotStarted;
};

using PanelJob = std::function<PanelResult(const Target&)>;

// Cancels a run from any thread, or from a signal handler: no panel starts after cancel().
class FleetControl {
  public:
    void cancel() { m_cancelled.store(true); }
    bool cancelled() const { return m_cancelled.load(); }

  private:
    std::atomic<bool> m_cancelled{false};
    static_assert(std::atomic<bool>::is_always_lock_free, "cancel() must be async-signal-safe");
};

// Panels worked on at once unless a run asks for fewer. Each needs a thread with its event
// loop and a socket; a few hundred at once only crowd the network and the panels' own stacks.
inline constexpr int kDefaultJobs = 64;

struct FleetOptions {
    int jobs = kDefaultJobs;  // at most this many panels at once (0: the default)
    const FleetControl* control = nullptr;
    // Called for each panel as it finishes, one call at a time, on a worker thread.
    std::function<void(const PanelResult&, std::size_t finished, std::size_t total)> onFinished;
    // Called once, on the calling thread, as soon as a cancel is seen, with the results so far:
    // the panels being worked on marked Interrupted, the rest NotStarted. No result changes
    // while it runs, and none is reported through onFinished. Without it the run waits for the
    // panels being worked on and then returns.
    std::function<void(const std::vector<PanelResult>&)> onCancelled;
};

// Runs a job for every panel, each on a thread where its exchanges wait in their own event
// loop, at most `jobs` panels at once and never two jobs for one address at once: targets that
// share an address run one after the other, in target order. When the process has too few file
// descriptors or threads left for that many, fewer run at once; when it has none, every panel
// fails with the reason. Returns the results in target order.
std::vector<PanelResult> runFleet(const std::vector<Target>& targets, const FleetOptions& options,
                                  const PanelJob& job);

// Held while a file is written, so that a process that ends on a cancel (holding it too) never
// leaves a file half-written.
std::unique_lock<std::mutex> holdFileWrites();

}  // namespace trx::fleet
