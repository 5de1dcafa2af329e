// Camera List REFRESH end to end, from the click on the button to the form written with its 19
// rows rebuilt, next to the bare request exchange it contains. Both talk to the simulated panel,
// which runs in its own thread of this process.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPushButton>

#include <cstdio>

#include "bench/BenchSupport.h"
#include "bench/PageRig.h"
#include "bench/RatioReporter.h"
#include "exchange/PanelExchange.h"
#include "pagebase/OperationGuard.h"
#include "pagebase/PageContext.h"
#include "pages/camera/IPSetting.h"
#include "panel-sim/PanelSimulator.h"
#include "records/CameraTable.h"
#include "records/TargetSelection.h"
#include "wire/Commands.h"

namespace {

using namespace trx;

const char* const kPanelText = "127.0.0.2";
const PanelAddress kPanel = makeAddress(127, 0, 0, 2);

using Rig = bench::PageRig<IPSetting>;
Rig* g_rig = nullptr;

// Every iteration must have been one exchange the panel answered, and nothing may have gone
// wrong on the page: a fast failure is no result.
bool panelAnsweredEach(benchmark::State& state) {
    const auto log = g_rig->simulator.log(kPanelText);
    const bool each = log.size() == static_cast<std::size_t>(state.iterations());
    g_rig->simulator.clearLog();
    if (!each || !g_rig->messages.texts().empty()) {
        state.SkipWithError("the panel did not answer every refresh");
        return false;
    }
    return true;
}

// Click to the form written, as the page's handler returns: the 19 rows rebuilt.
void BM_RefreshClick(benchmark::State& state) {
    auto* button = g_rig->page->findChild<QPushButton*>(QStringLiteral("refreshButton"));
    g_rig->simulator.clearLog();
    bench::timeClicks(state, button, false);
    panelAnsweredEach(state);
}

// The same, until the window has also repainted what the refresh changed: when the operator
// sees the result.
void BM_RefreshClickRepainted(benchmark::State& state) {
    auto* button = g_rig->page->findChild<QPushButton*>(QStringLiteral("refreshButton"));
    g_rig->simulator.clearLog();
    bench::timeClicks(state, button, true);
    panelAnsweredEach(state);
}

void BM_RefreshRequest(benchmark::State& state) {
    g_rig->simulator.clearLog();
    for (auto _ : state) {
        PanelExchange exchange(g_rig->exchange);
        const ExchangeResult result = exchange.request(kPanel, command::kCameraListRequest);
        if (result.outcome != ExchangeOutcome::Ok || result.bytes.size() != CameraTable::kSize) {
            state.SkipWithError("request exchange failed");
            return;
        }
    }
    panelAnsweredEach(state);
}

constexpr int kRepetitions = 9;
BENCHMARK(BM_RefreshRequest)->Repetitions(kRepetitions)->ReportAggregatesOnly(true)->UseRealTime();
BENCHMARK(BM_RefreshClick)->Repetitions(kRepetitions)->ReportAggregatesOnly(true)->UseManualTime();
BENCHMARK(BM_RefreshClickRepainted)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true)
    ->UseManualTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    Rig rig;
    if (!rig.simulator.start({kPanelText})) {
        std::fprintf(stderr, "the simulated panel did not start\n");
        return 1;
    }
    rig.exchange.port = rig.simulator.port();
    rig.selection.setPanelAddress(0, kPanel);
    IPSetting page(PageContext{rig.selection, rig.messages, rig.guard, rig.exchange});
    rig.page = &page;
    rig.selection.rebuildSelectors();
    {
        const bench::PaintCounter painted(&page);
        page.show();
        if (!bench::runUntil([&] { return painted.paints() > 0; })) {
            std::fprintf(stderr, "the page never painted\n");
            return 1;
        }
    }
    g_rig = &rig;

    trx::bench::RatioReporter reporter;
    trx::bench::runInterleaved(argc, argv, reporter);
    reporter.printRatio("REFRESH click to form written / its request exchange", "BM_RefreshClick",
                        "BM_RefreshRequest", 3.0);
    reporter.printRatio("REFRESH click to window repainted / its request exchange",
                        "BM_RefreshClickRepainted", "BM_RefreshRequest");
    benchmark::Shutdown();
    return 0;
}
