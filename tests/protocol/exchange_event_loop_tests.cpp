#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <chrono>

#include "exchange/PanelExchange.h"
#include "support/ScriptedPeer.h"
#include "wire/Commands.h"

namespace trx {
namespace {

using namespace std::chrono_literals;
using test::ScriptedPeer;

class CountingWidget final : public QWidget {
  public:
    int paints = 0;

  protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

// While an exchange or a pause waits, the window keeps repainting and timers keep running; the
// pause holds its whole time.
TEST(ExchangeEventLoop, WindowsRepaintWhileAnExchangeOrAPauseWaits) {
    CountingWidget widget;
    widget.resize(100, 100);
    widget.show();
    QCoreApplication::processEvents();
    // The reply's two bytes come 150 ms apart.
    ScriptedPeer peer({ScriptedPeer::readLine(), ScriptedPeer::send("\x80\x80", 150ms)});
    int paintsDuringExchange = -1;
    QTimer::singleShot(20ms, &widget, [&] {
        const int before = widget.paints;
        widget.update();
        QTimer::singleShot(100ms, &widget,
                           [&, before] { paintsDuringExchange = widget.paints - before; });
    });
    EXPECT_EQ(PanelExchange(peer.port(), {1000ms, 2000ms, 3000ms})
                  .request(makeAddress(127, 0, 0, 1), command::kAuthRequest)
                  .outcome,
              ExchangeOutcome::Ok);
    EXPECT_GE(paintsDuringExchange, 1);

    const int before = widget.paints;
    QTimer::singleShot(10ms, &widget, [&] { widget.update(); });
    const auto started = std::chrono::steady_clock::now();
    pauseExcludingUserInput(120ms);
    EXPECT_GE(std::chrono::steady_clock::now() - started, 115ms);
    EXPECT_GT(widget.paints, before);
}

}  // namespace
}  // namespace trx
