// The tool's peak resident memory once every tab has been opened and painted, next to the peak of
// the same process with only an empty dialog shown. Memory is not timed, so this program reads
// /proc/self/status instead of running Google Benchmark.
#include <QApplication>
#include <QDialog>
#include <QTabWidget>

#include <cstdio>

#include "app/MainWindow.h"
#include "bench/BenchSupport.h"
#include "pagebase/PanelPage.h"

namespace {

using namespace trx;

bool showUntilPainted(QWidget& window) {
    const bench::PaintCounter painted(&window);
    window.show();
    return bench::runUntil([&] { return painted.paints() > 0; });
}

double mebibytes(long kib) {
    return static_cast<double>(kib) / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);

    QDialog empty;
    if (!showUntilPainted(empty)) {
        std::fprintf(stderr, "the empty dialog never painted\n");
        return 1;
    }
    const long floor = bench::peakResidentKiB();
    empty.hide();

    // Nothing is dialled: opening tabs starts no exchange.
    bench::QuietMessageBoxes messages;
    CTRX900ToolDlg window(messages, ExchangeSettings{});
    if (!showUntilPainted(window)) {
        std::fprintf(stderr, "the main window never painted\n");
        return 1;
    }
    for (int tab = 0; tab < CTRX900ToolDlg::kPageCount; ++tab) {
        PanelPage* page = window.page(tab);
        const bench::PaintCounter painted(page);
        window.tabs()->setCurrentIndex(tab);
        page->update();
        if (!bench::runUntil([&] { return painted.paints() > 0; })) {
            std::fprintf(stderr, "tab %d never painted\n", tab);
            return 1;
        }
    }
    const long peak = bench::peakResidentKiB();
    if (floor <= 0 || peak <= 0) {
        std::printf("peak resident memory: not measured (no VmHWM in /proc/self/status)\n");
        return 0;
    }
    std::printf(
        "peak resident memory (VmHWM) after opening every tab: %.1f MiB; with an empty "
        "dialog only: %.1f MiB; the window and its pages add %.1f MiB = %.2fx\n",
        mebibytes(peak), mebibytes(floor), mebibytes(peak - floor),
        static_cast<double>(peak) / static_cast<double>(floor));
    return 0;
}
