#include "cli/FleetRunner.h"

#include <QThread>

#include <atomic>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace trx::cli {

namespace {

constexpr int kInterruptedStatus = 130;
constexpr auto kInterruptPoll = std::chrono::milliseconds(20);

volatile std::sig_atomic_t g_interruptSignal = 0;
std::atomic<bool> g_interrupted{false};
std::mutex g_fileWrites;

extern "C" void onInterrupt(int) {
    g_interruptSignal = 1;
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

[[noreturn]] void endInterrupted() {
    g_interrupted = true;
    // A file being written is finished first; none starts after this point, as the process ends
    // holding the lock.
    g_fileWrites.lock();
    std::fputs("trx900: interrupted\n", stderr);
    std::fflush(stderr);
    std::_Exit(kInterruptedStatus);
}

}  // namespace

std::unique_lock<std::mutex> holdFileWrites() {
    return std::unique_lock(g_fileWrites);
}

bool interrupted() {
    return g_interrupted;
}

std::vector<PanelResult> runFleet(const std::vector<Target>& targets, int jobs, bool progress,
                                  const PanelJob& job) {
    std::vector<PanelResult> results(targets.size());
    const std::size_t threadCount =
        jobs > 0 ? std::min(targets.size(), static_cast<std::size_t>(jobs)) : targets.size();

    std::mutex mutex;
    std::condition_variable changed;
    std::size_t next = 0;
    std::size_t finished = 0;
    const auto work = [&] {
        for (;;) {
            std::size_t index = 0;
            {
                const std::lock_guard lock(mutex);
                if (next == targets.size() || g_interrupted) {
                    return;
                }
                index = next++;
            }
            PanelResult result = job(targets[index]);
            result.target = targets[index];
            const std::lock_guard lock(mutex);
            results[index] = std::move(result);
            ++finished;
            if (progress) {
                const PanelResult& r = results[index];
                const std::string outcome = r.ok ? "ok" : "FAILED: " + r.error;
                std::fprintf(stderr, "[%zu/%zu] %s %s\n", finished, targets.size(),
                             r.target.title().c_str(), outcome.c_str());
            }
            changed.notify_all();
        }
    };

    const InterruptScope catchInterrupt;
    std::vector<std::unique_ptr<QThread>> threads;
    for (std::size_t i = 0; i < threadCount; ++i) {
        threads.emplace_back(QThread::create(work));
        threads.back()->start();
    }
    {
        std::unique_lock lock(mutex);
        while (
            !changed.wait_for(lock, kInterruptPoll, [&] { return finished == targets.size(); })) {
            if (g_interruptSignal != 0) {
                lock.unlock();
                endInterrupted();
            }
        }
    }
    for (const auto& thread : threads) {
        thread->wait();
    }
    return results;
}

}  // namespace trx::cli
