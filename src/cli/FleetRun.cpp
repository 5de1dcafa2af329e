#include "cli/FleetRun.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "cli/Output.h"
#include "cli/Terminal.h"

namespace trx::cli {

namespace {

constexpr int kInterruptedStatus = 130;

fleet::FleetControl g_interrupt;

extern "C" void onInterrupt(int) {
    g_interrupt.cancel();
}

// Ctrl-C is caught only while panels are being worked on; before, at a question, it ends the
// program as usual, when nothing has been sent.
class InterruptScope {
  public:
    InterruptScope() : m_previous(std::signal(SIGINT, onInterrupt)) {}
    ~InterruptScope() { std::signal(SIGINT, m_previous); }
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

  private:
    void (*m_previous)(int);
};

}  // namespace

const fleet::FleetControl& interruptControl() {
    return g_interrupt;
}

std::vector<fleet::PanelResult> runCommandFleet(std::string_view command, const Options& o,
                                                const std::vector<fleet::Target>& targets,
                                                const fleet::PanelJob& job) {
    fleet::FleetOptions options;
    options.jobs = o.jobs;
    options.control = &g_interrupt;
    if (!command.empty() && stderrIsTerminal()) {
        options.onFinished = [](const fleet::PanelResult& r, std::size_t finished,
                                std::size_t total) {
            const std::string outcome = r.ok ? "ok" : "FAILED: " + r.error;
            std::fprintf(stderr, "[%zu/%zu] %s %s\n", finished, total, r.target.title().c_str(),
                         outcome.c_str());
        };
    }
    options.onCancelled = [&](const std::vector<fleet::PanelResult>& sofar) {
        // A file being written is finished first; none starts after this point, as the process
        // ends holding the lock.
        const auto writes = fleet::holdFileWrites();
        if (!command.empty()) {
            printFleet(command, sofar, o.json);
        }
        printError("interrupted");
        std::fflush(stdout);
        std::_Exit(kInterruptedStatus);
    };
    const InterruptScope catchInterrupt;
    return fleet::runFleet(targets, options, job);
}

}  // namespace trx::cli
