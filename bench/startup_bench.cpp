// Start-up: the main window with its four pages, from construction to its first paint, next to an
// empty dialog shown the same way. Each is also measured once in a fresh process of its own, the
// way the operator meets it: the first window of the run pays for fonts and style too.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QProcess>
#include <QTabWidget>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/MainWindow.h"
#include "bench/BenchSupport.h"
#include "bench/RatioReporter.h"
#include "pagebase/PanelPage.h"

namespace {

using namespace trx;

constexpr double kGoalMs = 150.0;
constexpr int kColdRuns = 5;

// Shows the window and runs the event loop until it and the part the operator looks at have
// painted.
bool showUntilPainted(QWidget& window, QWidget& content) {
    const bench::PaintCounter windowPaints(&window);
    const bench::PaintCounter contentPaints(&content);
    window.show();
    return bench::runUntil([&] { return windowPaints.paints() > 0 && contentPaints.paints() > 0; });
}

struct Shown {
    bool painted = false;
    double seconds = 0.0;
    double cpuSeconds = 0.0;  // of this thread: what a busy machine cannot stretch
};

Shown showEmptyDialog() {
    const double cpu = bench::threadCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    QDialog dialog;
    Shown shown{showUntilPainted(dialog, dialog)};
    shown.seconds = static_cast<double>(clock.nsecsElapsed()) * 1e-9;
    shown.cpuSeconds = bench::threadCpuSeconds() - cpu;
    return shown;
}

Shown showMainWindow() {
    // Nothing is dialled: the window only starts exchanges when a button is pressed.
    bench::QuietMessageBoxes messages;
    const double cpu = bench::threadCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    CTRX900ToolDlg window(messages, ExchangeSettings{});
    QWidget* first = window.page(window.tabs()->currentIndex());
    Shown shown{first != nullptr && showUntilPainted(window, *first)};
    shown.seconds = static_cast<double>(clock.nsecsElapsed()) * 1e-9;
    shown.cpuSeconds = bench::threadCpuSeconds() - cpu;
    return shown;
}

// Construction and first paint only: tearing the window down is not part of showing it.
template <Shown (*Show)()>
void timeShowing(benchmark::State& state) {
    double cpu = 0.0;
    for (auto _ : state) {
        const Shown shown = Show();
        if (!shown.painted) {
            state.SkipWithError("the window never painted");
            return;
        }
        state.SetIterationTime(shown.seconds);
        cpu += shown.cpuSeconds;
    }
    state.counters["show_cpu"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
}

void BM_EmptyDialogShown(benchmark::State& state) {
    timeShowing<showEmptyDialog>(state);
}
void BM_MainWindowShown(benchmark::State& state) {
    timeShowing<showMainWindow>(state);
}

constexpr int kRepetitions = 9;
BENCHMARK(BM_EmptyDialogShown)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MainWindowShown)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

struct Cold {
    double ms = 0.0;
    double cpuMs = 0.0;
};

// The median of kColdRuns fresh processes that each show one window once; 0 when one failed.
Cold coldMilliseconds(const char* which) {
    std::vector<double> walls;
    std::vector<double> cpus;
    for (int i = 0; i < kColdRuns; ++i) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--cold"), QString::fromLatin1(which)});
        if (!child.waitForFinished(60000) || child.exitCode() != 0) {
            return {};
        }
        const QStringList fields = QString::fromLatin1(child.readAllStandardOutput())
                                       .split(QLatin1Char(' '), Qt::SkipEmptyParts);
        bool wallOk = false;
        bool cpuOk = false;
        if (fields.size() == 2) {
            walls.push_back(fields[0].toDouble(&wallOk));
            cpus.push_back(fields[1].toDouble(&cpuOk));
        }
        if (!wallOk || !cpuOk) {
            return {};
        }
    }
    std::sort(walls.begin(), walls.end());
    std::sort(cpus.begin(), cpus.end());
    return {walls[walls.size() / 2], cpus[cpus.size() / 2]};
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);

    // A child run: one window, cold, its time and its CPU time in ms on stdout.
    if (argc == 3 && std::strcmp(argv[1], "--cold") == 0) {
        const Shown shown =
            std::strcmp(argv[2], "window") == 0 ? showMainWindow() : showEmptyDialog();
        std::printf("%.3f %.3f\n", shown.seconds * 1e3, shown.cpuSeconds * 1e3);
        return shown.painted ? 0 : 1;
    }

    trx::bench::RatioReporter reporter;
    trx::bench::runInterleaved(argc, argv, reporter);
    reporter.printRatio("main window shown / empty dialog shown", "BM_MainWindowShown",
                        "BM_EmptyDialogShown");
    reporter.printMilliseconds("main window shown, warm", "BM_MainWindowShown", kGoalMs);

    const Cold dialog = coldMilliseconds("dialog");
    const Cold window = coldMilliseconds("window");
    if (dialog.ms > 0.0 && window.ms > 0.0) {
        std::printf(
            "first window of a fresh process, median of %d: main window %.1f ms (CPU "
            "%.1f ms), empty dialog %.1f ms (CPU %.1f ms) = %.2fx\n",
            kColdRuns, window.ms, window.cpuMs, dialog.ms, dialog.cpuMs, window.ms / dialog.ms);
        std::printf("main window shown, cold: %.1f ms (goal < %.0f ms) %s\n", window.ms, kGoalMs,
                    window.ms < kGoalMs ? "ok" : "MISSED");
    } else {
        std::printf("first window of a fresh process: not measured\n");
    }
    benchmark::Shutdown();
    return 0;
}
