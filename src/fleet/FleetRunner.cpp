#include "fleet/FleetRunner.h"

#include <QThread>
#include <QtGlobal>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>

#ifdef Q_OS_LINUX
#include <sys/resource.h>

#include <filesystem>
#endif

namespace trx::fleet {

namespace {

constexpr auto kCancelPoll = std::chrono::milliseconds(20);

std::mutex g_fileWrites;

// A worker thread's event dispatcher takes one or two descriptors and its exchange a socket; one
// more for whatever a job opens (a file it saves).
constexpr std::size_t kDescriptorsPerWorker = 4;
// Kept for the process itself: its output, its own event loop, a file it reads afterwards.
constexpr std::size_t kDescriptorReserve = 16;

// How many workers the descriptors the process may still open allow. Running out inside a
// thread's event dispatcher ends the process, so this is decided before any thread starts.
std::size_t workersDescriptorsAllow() {
#ifdef Q_OS_LINUX
    rlimit limit{};
    std::error_code error;
    std::filesystem::directory_iterator open("/proc/self/fd", error);
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY || error) {
        return SIZE_MAX;
    }
    std::size_t used = 0;
    for (auto it = open; it != std::filesystem::directory_iterator(); it.increment(error)) {
        ++used;
        if (error) {
            return SIZE_MAX;
        }
    }
    const std::size_t free =
        static_cast<std::size_t>(limit.rlim_cur) - std::min<std::size_t>(used, limit.rlim_cur);
    return free > kDescriptorReserve ? (free - kDescriptorReserve) / kDescriptorsPerWorker : 0;
#else
    return SIZE_MAX;
#endif
}

// Targets that share an address form one chain, worked on in target order by one worker.
std::vector<std::vector<std::size_t>> chainsByAddress(const std::vector<Target>& targets) {
    std::vector<std::vector<std::size_t>> chains;
    std::map<PanelAddress, std::size_t> chainOf;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const auto [it, added] = chainOf.try_emplace(targets[i].address, chains.size());
        if (added) {
            chains.emplace_back();
        }
        chains[it->second].push_back(i);
    }
    return chains;
}

}  // namespace

std::unique_lock<std::mutex> holdFileWrites() {
    return std::unique_lock(g_fileWrites);
}

std::vector<PanelResult> runFleet(const std::vector<Target>& targets, const FleetOptions& options,
                                  const PanelJob& job) {
    std::vector<PanelResult> results(targets.size());
    for (std::size_t i = 0; i < targets.size(); ++i) {
        results[i].target = targets[i];
    }
    const auto chains = chainsByAddress(targets);
    const std::size_t jobs =
        static_cast<std::size_t>(options.jobs > 0 ? options.jobs : kDefaultJobs);
    const std::size_t wanted = std::min({chains.size(), jobs, workersDescriptorsAllow()});
    const auto cancelled = [&options] {
        return options.control != nullptr && options.control->cancelled();
    };

    std::mutex mutex;
    std::condition_variable changed;
    std::size_t nextChain = 0;
    std::size_t finished = 0;
    std::size_t running = 0;
    const auto work = [&] {
        for (;;) {
            std::size_t chain = 0;
            {
                const std::lock_guard lock(mutex);
                if (nextChain == chains.size() || cancelled()) {
                    return;
                }
                chain = nextChain++;
            }
            for (const std::size_t index : chains[chain]) {
                {
                    const std::lock_guard lock(mutex);
                    if (cancelled()) {
                        break;
                    }
                    results[index].progress = Progress::Interrupted;
                    ++running;
                }
                PanelResult result = job(targets[index]);
                result.target = targets[index];
                result.progress = Progress::Finished;
                const std::lock_guard lock(mutex);
                results[index] = std::move(result);
                --running;
                ++finished;
                if (options.onFinished) {
                    options.onFinished(results[index], finished, targets.size());
                }
                changed.notify_all();
            }
        }
    };

    std::vector<std::unique_ptr<QThread>> threads;
    for (std::size_t i = 0; i < wanted; ++i) {
        std::unique_ptr<QThread> thread(QThread::create(work));
        thread->start();
        // A thread the system could not create never runs and never finishes.
        if (!thread->isRunning() && !thread->isFinished()) {
            break;
        }
        threads.push_back(std::move(thread));
    }
    if (threads.empty()) {
        const std::string reason = wanted == 0 && !chains.empty()
                                       ? "not worked on: the process has too few file "
                                         "descriptors left"
                                       : "not worked on: no thread could be started";
        for (PanelResult& result : results) {
            result.error = reason;
            result.progress = Progress::Finished;
        }
        return results;
    }

    bool cancelSeen = false;
    {
        std::unique_lock lock(mutex);
        const auto done = [&] {
            return finished == targets.size() || (cancelSeen && running == 0);
        };
        while (!changed.wait_for(lock, kCancelPoll, done)) {
            if (!cancelSeen && cancelled()) {
                cancelSeen = true;
                if (options.onCancelled) {
                    options.onCancelled(results);
                }
            }
        }
    }
    for (const auto& thread : threads) {
        thread->wait();
    }
    return results;
}

}  // namespace trx::fleet
