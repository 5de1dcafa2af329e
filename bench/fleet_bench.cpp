// `trx900 status` as an operator runs it, a process from start to exit, against simulated panels
// on loopback: 25 live panels next to one, and 25 of which 5 never accept a connection. The live
// panels are served at 127.0.0.2 .. 127.0.0.26 by one simulator in a thread of this process; the
// dead ones at 127.0.0.27 .. 127.0.0.31 are listeners that never accept. A fleet of 1000 live
// panels is served by the same simulator at 127.0.4.1 .. 127.0.7.250.
//
// Then the window's Check All of the same panels, from the click to the last row filled, while
// the window is asked to repaint every 10 ms: the longest gap between two of its paints tells
// whether it stayed responsive. With TRX_FLEET_WINDOW_PNG set, the Panels window after the
// check of 25 with 5 dead is saved there.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/FleetModel.h"
#include "app/FleetWindow.h"
#include "app/MainWindow.h"
#include "bench/BenchSupport.h"
#include "bench/RatioReporter.h"
#include "panel-sim/PanelSimulator.h"
#include "wire/PanelAddress.h"

namespace {

using namespace trx;
using namespace std::chrono_literals;

constexpr int kFleet = 25;
constexpr int kDead = 5;
// A large fleet, served by the same simulator at 127.0.4.1 .. 127.0.7.250.
constexpr int kLargeBlocks = 4;
constexpr int kLargeBlock = 250;
// The window's connect limit, which trx900 uses unless told otherwise.
constexpr double kConnectLimitMs = 3000.0;

std::uint16_t g_port = 0;

std::string panel(int index) {
    return addressText(makeAddress(127, 0, 0, static_cast<std::uint8_t>(2 + index)));
}

// A switched-off panel behind a switch answers nothing at all. A listener that never accepts and
// whose queue (of one) is already full behaves so: the system drops every later connection
// attempt unanswered, and the client waits out its connect limit.
class DeadPanel {
  public:
    explicit DeadPanel(int index) {
        const QHostAddress address(makeAddress(127, 0, 0, static_cast<std::uint8_t>(2 + index)));
        m_listener.setListenBacklogSize(0);
        m_ok = m_listener.listen(address, g_port);
        m_listener.pauseAccepting();
        m_filler.connectToHost(address, g_port);
        m_ok = m_ok && m_filler.waitForConnected(3000);
    }
    bool ok() const { return m_ok; }

  private:
    QTcpServer m_listener;
    QTcpSocket m_filler;
    bool m_ok = false;
};

struct StatusRun {
    int exitCode = -1;
    QByteArray out;
};

StatusRun runStatus(QStringList targets) {
    QProcess process;
    process.start(
        QStringLiteral(TRX900_PROGRAM),
        QStringList{QStringLiteral("status"), QStringLiteral("--port"), QString::number(g_port)} +
            targets);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput()};
}

QString range(int first, int last) {
    return QString::fromStdString(panel(first) + "-" + std::to_string(2 + last));
}

// Every run must give every panel its expected answer: a fast failure is no result.
void timeStatus(benchmark::State& state, const QStringList& targets, int expectedExit,
                const char* expectedCount) {
    for (auto _ : state) {
        const StatusRun run = runStatus(targets);
        if (run.exitCode != expectedExit || !run.out.contains(expectedCount)) {
            state.SkipWithError(("unexpected result: " + run.out.right(200).toStdString()).c_str());
            return;
        }
    }
}

void BM_StatusOne(benchmark::State& state) {
    timeStatus(state, {QString::fromStdString(panel(0))}, 0, "1 panel: 1 ok, 0 failed");
}

void BM_StatusFleet(benchmark::State& state) {
    timeStatus(state, {range(0, kFleet - 1)}, 0, "25 panels: 25 ok, 0 failed");
}

QStringList largeFleet() {
    QStringList ranges;
    for (int block = 0; block < kLargeBlocks; ++block) {
        ranges << QStringLiteral("127.0.%1.1-%2").arg(4 + block).arg(kLargeBlock);
    }
    return ranges;
}

void BM_StatusThousand(benchmark::State& state) {
    timeStatus(state, largeFleet(), 0, "1000 panels: 1000 ok, 0 failed");
}

void BM_StatusFleetFiveDead(benchmark::State& state) {
    timeStatus(state, {range(0, kFleet - kDead - 1), range(kFleet, kFleet + kDead - 1)}, 1,
               "25 panels: 20 ok, 5 failed");
}

// The main window with the given panels registered as TRX1, TRX2, ... and its Panels window
// open.
class WindowRig {
  public:
    explicit WindowRig(const std::vector<int>& panels)
        : m_window(m_messages, ExchangeSettings{g_port, {}}) {
        for (std::size_t i = 0; i < panels.size(); ++i) {
            m_window.selection().setPanelAddress(
                static_cast<int>(i),
                makeAddress(127, 0, 0, static_cast<std::uint8_t>(2 + panels[i])));
        }
        m_window.selection().rebuildSelectors();
        fleet()->show();
        QApplication::processEvents();
    }
    FleetWindow* fleet() const { return m_window.fleetWindow(); }

  private:
    bench::QuietMessageBoxes m_messages;
    CTRX900ToolDlg m_window;
};

// The longest time between two paints of the window while it is asked to repaint every 10 ms,
// as an animation or a window being dragged would.
class PaintGaps final : public QObject {
  public:
    explicit PaintGaps(QWidget* widget) : m_widget(widget) {
        widget->installEventFilter(this);
        m_ask.setInterval(10);
        QObject::connect(&m_ask, &QTimer::timeout, widget, [widget] { widget->update(); });
        m_ask.start();
        m_clock.start();
    }
    ~PaintGaps() override { m_widget->removeEventFilter(this); }
    PaintGaps(const PaintGaps&) = delete;
    PaintGaps& operator=(const PaintGaps&) = delete;
    double longestMs() const { return static_cast<double>(m_longest) / 1e6; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_widget && event->type() == QEvent::Paint) {
            const qint64 now = m_clock.nsecsElapsed();
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        }
        return false;
    }

  private:
    QWidget* m_widget;
    QTimer m_ask;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

// The longest gap of each Check All.
std::vector<double> g_longestPaintGapsMs;

// Check All from the click to the last row filled, the window repainting all the while.
void timeCheckAll(benchmark::State& state, const std::vector<int>& panels, const char* expected) {
    WindowRig rig(panels);
    FleetWindow* fleet = rig.fleet();
    for (auto _ : state) {
        QElapsedTimer clock;
        qint64 lastRow = 0;
        const QMetaObject::Connection filled =
            QObject::connect(fleet->model(), &QAbstractItemModel::dataChanged, fleet,
                             [&] { lastRow = clock.nsecsElapsed(); });
        const PaintGaps gaps(fleet);
        clock.start();
        fleet->checkAll();
        const bool ended = bench::runUntil([fleet] { return !fleet->running(); }, 20s);
        QObject::disconnect(filled);
        const QString status = fleet->findChild<QLabel*>(QStringLiteral("statusLabel"))->text();
        if (!ended || !status.contains(QLatin1String(expected))) {
            state.SkipWithError(("unexpected result: " + status.toStdString()).c_str());
            return;
        }
        state.SetIterationTime(static_cast<double>(lastRow) / 1e9);
        g_longestPaintGapsMs.push_back(gaps.longestMs());
    }
    if (const char* shot = std::getenv("TRX_FLEET_WINDOW_PNG");
        shot != nullptr && panels.size() == 25 && panels.back() >= kFleet) {
        fleet->resize(fleet->width(), 700);
        QApplication::processEvents();
        fleet->grab().save(QString::fromLocal8Bit(shot), "PNG");
    }
}

std::vector<int> panelIndexes(int first, int count) {
    std::vector<int> indexes;
    for (int i = 0; i < count; ++i) {
        indexes.push_back(first + i);
    }
    return indexes;
}

void BM_WindowCheckAllFleet(benchmark::State& state) {
    timeCheckAll(state, panelIndexes(0, kFleet), "25 of 25 panels reachable.");
}

void BM_WindowCheckAllFiveDead(benchmark::State& state) {
    std::vector<int> panels = panelIndexes(0, kFleet - kDead);
    for (int dead : panelIndexes(kFleet, kDead)) {
        panels.push_back(dead);
    }
    timeCheckAll(state, panels, "20 of 25 panels reachable; 5 failed.");
}

constexpr int kRepetitions = 9;
BENCHMARK(BM_StatusOne)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatusFleet)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatusThousand)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatusFleetFiveDead)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowCheckAllFleet)
    ->Iterations(5)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowCheckAllFiveDead)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    const QApplication app(argc, argv);
    sim::PanelSimulator simulator;
    std::vector<std::string> live;
    for (int k = 0; k < kFleet; ++k) {
        live.push_back(panel(k));
    }
#ifdef Q_OS_UNIX
    // One listener an address: more than the usual 1024 descriptors.
    rlimit files{};
    ::getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &files);
#endif
    for (int block = 0; block < kLargeBlocks; ++block) {
        for (int host = 1; host <= kLargeBlock; ++host) {
            live.push_back(addressText(makeAddress(127, 0, static_cast<std::uint8_t>(4 + block),
                                                   static_cast<std::uint8_t>(host))));
        }
    }
    if (!simulator.start(live)) {
        std::fprintf(stderr, "the simulated panels did not start\n");
        return 1;
    }
    g_port = simulator.port();
    std::vector<std::unique_ptr<DeadPanel>> dead;
    for (int k = kFleet; k < kFleet + kDead; ++k) {
        dead.push_back(std::make_unique<DeadPanel>(k));
        if (!dead.back()->ok()) {
            std::fprintf(stderr, "the dead panel at %s could not be set up\n", panel(k).c_str());
            return 1;
        }
    }

    trx::bench::RatioReporter reporter;
    trx::bench::runInterleaved(argc, argv, reporter);
    reporter.printRatio("status of 25 panels / status of one", "BM_StatusFleet", "BM_StatusOne",
                        2.0);
    // 40 times the panels, 64 at a time: the goal is well under 40 times the time.
    reporter.printRatio("status of 1000 panels / status of 25", "BM_StatusThousand",
                        "BM_StatusFleet", 20.0);
    // Less than the connect limit would mean that the dead panels refused at once.
    const double deadMs = reporter.median("BM_StatusFleetFiveDead") * 1e3;
    if (deadMs > 0.0 && deadMs < kConnectLimitMs) {
        std::printf(
            "status of 25 panels, 5 dead: %.1f ms is less than the connect limit: the "
            "dead panels did not hold the connection attempts\n",
            deadMs);
    } else {
        reporter.printMilliseconds("status of 25 panels, 5 never accepting (connect limit 3 s)",
                                   "BM_StatusFleetFiveDead", kConnectLimitMs + 1000.0);
    }
    reporter.printRatio("window Check All of 25 panels / trx900 status of 25",
                        "BM_WindowCheckAllFleet", "BM_StatusFleet", 0.0);
    reporter.printMilliseconds("window Check All of 25 panels, 5 never accepting",
                               "BM_WindowCheckAllFiveDead", kConnectLimitMs + 1000.0);
    if (!g_longestPaintGapsMs.empty()) {
        std::vector<double>& gaps = g_longestPaintGapsMs;
        std::ranges::sort(gaps);
        std::printf(
            "longest gap between two paints of the Panels window in one Check All: "
            "median %.1f ms, worst %.1f ms of %zu (goal < 50 ms) %s\n",
            gaps[gaps.size() / 2], gaps.back(), gaps.size(), gaps.back() < 50.0 ? "ok" : "MISSED");
    }
    benchmark::Shutdown();
    return 0;
}
