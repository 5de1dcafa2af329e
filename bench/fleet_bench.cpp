// `trx900 status` as an operator runs it, a process from start to exit, against simulated panels
// on loopback: 25 live panels next to one, and 25 of which 5 never accept a connection. The live
// panels are served at 127.0.0.2 .. 127.0.0.26 by one simulator in a thread of this process; the
// dead ones at 127.0.0.27 .. 127.0.0.31 are listeners that never accept.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/RatioReporter.h"
#include "panel-sim/PanelSimulator.h"
#include "wire/PanelAddress.h"

namespace {

using namespace trx;

constexpr int kFleet = 25;
constexpr int kDead = 5;
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

void BM_StatusFleetFiveDead(benchmark::State& state) {
    timeStatus(state, {range(0, kFleet - kDead - 1), range(kFleet, kFleet + kDead - 1)}, 1,
               "25 panels: 20 ok, 5 failed");
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
BENCHMARK(BM_StatusFleetFiveDead)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    const QCoreApplication app(argc, argv);
    sim::PanelSimulator simulator;
    std::vector<std::string> live;
    for (int k = 0; k < kFleet; ++k) {
        live.push_back(panel(k));
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
    benchmark::Shutdown();
    return 0;
}
