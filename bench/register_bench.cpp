// ROP List REGISTER of 25 live panels, from the click on the button until the wait window is
// hidden again, next to the 25 bare write exchanges it contains. The panels are simulated at
// 127.0.0.2 to 127.0.0.26 by one simulator running in its own thread of this process.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "bench/PageRig.h"
#include "bench/RatioReporter.h"
#include "exchange/PanelExchange.h"
#include "pagebase/OperationGuard.h"
#include "pagebase/PageContext.h"
#include "pagebase/WaitDialog.h"
#include "pagebase/widgets/Ipv4AddressField.h"
#include "pages/rop/CTRX900IPSET.h"
#include "panel-sim/PanelSimulator.h"
#include "records/RopTable.h"
#include "records/TargetSelection.h"
#include "wire/Commands.h"

namespace {

using namespace trx;

constexpr PanelAddress kMask = makeAddress(255, 255, 255, 0);
constexpr PanelAddress kGateway = makeAddress(127, 0, 0, 1);

PanelAddress panelAddress(int rowIndex) {
    return makeAddress(127, 0, 0, static_cast<std::uint8_t>(rowIndex + 2));
}

// Counts how often a widget was shown, also when it was hidden again before the event loop ran.
class ShowCounter final : public QObject {
  public:
    explicit ShowCounter(QWidget* widget) : m_widget(widget) { widget->installEventFilter(this); }
    ~ShowCounter() override { m_widget->removeEventFilter(this); }
    ShowCounter(const ShowCounter&) = delete;
    ShowCounter& operator=(const ShowCounter&) = delete;
    int shows() const { return m_shows; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_widget && event->type() == QEvent::Show) {
            ++m_shows;
        }
        return false;
    }

  private:
    QWidget* m_widget;
    int m_shows = 0;
};

using Rig = bench::PageRig<CTRX900IPSET>;
Rig* g_rig = nullptr;

// Every panel must have taken its number in every iteration, with no message on the page: a
// fast failure is no result.
void expectEveryPanelRegistered(benchmark::State& state) {
    const auto log = g_rig->simulator.log();
    g_rig->simulator.clearLog();
    std::size_t registered = 0;
    for (const sim::ExchangeRecord& record : log) {
        if (record.command == command::kRopListChange && record.block.size() == 2) {
            ++registered;
        }
    }
    const auto expected = static_cast<std::size_t>(state.iterations()) * kRopRowCount;
    if (registered != expected || log.size() != expected || !g_rig->messages.texts().empty()) {
        state.SkipWithError("not every panel was registered");
    }
}

void BM_RegisterClick(benchmark::State& state) {
    auto* button = g_rig->page->findChild<QPushButton*>(QStringLiteral("registerButton"));
    auto* wait = g_rig->page->findChild<Wait_Dialog*>();
    const ShowCounter waitShown(wait);
    g_rig->simulator.clearLog();
    // A click returns once the last panel has answered and the wait window is hidden.
    bench::timeClicks(state, button, false);
    if (waitShown.shows() != state.iterations() || wait->isVisible()) {
        state.SkipWithError("the wait window was not shown and hidden once per click");
        return;
    }
    expectEveryPanelRegistered(state);
}

void BM_RegisterBare(benchmark::State& state) {
    std::array<RopNumberBlock, kRopRowCount> blocks{};
    for (int k = 0; k < kRopRowCount; ++k) {
        blocks[static_cast<std::size_t>(k)] = EncodeRopNumberBlock(k);
    }
    g_rig->simulator.clearLog();
    for (auto _ : state) {
        for (int k = 0; k < kRopRowCount; ++k) {
            PanelExchange exchange(g_rig->exchange);
            if (exchange
                    .write(panelAddress(k), command::kRopListChange,
                           blocks[static_cast<std::size_t>(k)])
                    .outcome != ExchangeOutcome::Ok) {
                state.SkipWithError("write exchange failed");
                return;
            }
        }
    }
    expectEveryPanelRegistered(state);
}

constexpr int kRepetitions = 9;
BENCHMARK(BM_RegisterBare)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegisterClick)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Replaces an octet's text by typing, as the operator does.
void retype(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

void typeAddress(Ipv4AddressField* field, PanelAddress address) {
    const auto octets = addressOctets(address);
    for (int i = 0; i < 4; ++i) {
        retype(field->octetEdit(i), QString::number(octets[static_cast<std::size_t>(i)]));
    }
}

// Types every row's address, mask and gateway; false when a field does not show what was typed.
bool typeRows(CTRX900IPSET& page) {
    for (int k = 0; k < kRopRowCount; ++k) {
        const std::array<std::pair<const char*, PanelAddress>, 3> fields{{
            {"AddressEdit", panelAddress(k)},
            {"SubnetMaskEdit", kMask},
            {"GatewayEdit", kGateway},
        }};
        for (const auto& [part, address] : fields) {
            auto* field = page.findChild<Ipv4AddressField*>(
                QStringLiteral("trx%1%2").arg(k + 1).arg(QLatin1String(part)));
            if (field == nullptr) {
                return false;
            }
            typeAddress(field, address);
            if (field->address() != address) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    Rig rig;
    std::vector<std::string> addresses;
    for (int k = 0; k < kRopRowCount; ++k) {
        addresses.push_back(addressText(panelAddress(k)));
    }
    if (!rig.simulator.start(addresses)) {
        std::fprintf(stderr, "the simulated panels did not start\n");
        return 1;
    }
    rig.exchange.port = rig.simulator.port();
    // The page starts from the selection: nothing in it may point off this machine.
    rig.selection.setPanelAddress(0, panelAddress(0));
    rig.selection.rebuildSelectors();
    CTRX900IPSET page(PageContext{rig.selection, rig.messages, rig.guard, rig.exchange});
    rig.page = &page;
    rig.selection.rebuildSelectors();
    page.show();
    QApplication::setActiveWindow(&page);
    if (!bench::runUntil([&] { return page.isActiveWindow(); }) || !typeRows(page)) {
        std::fprintf(stderr, "the rows could not be typed in\n");
        return 1;
    }
    g_rig = &rig;

    trx::bench::RatioReporter reporter;
    trx::bench::runInterleaved(argc, argv, reporter);
    reporter.printRatio("REGISTER click / its 25 write exchanges", "BM_RegisterClick",
                        "BM_RegisterBare", 1.5);
    benchmark::Shutdown();
    return 0;
}
