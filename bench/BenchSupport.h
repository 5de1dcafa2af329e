#pragma once

#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QString>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "pagebase/MessageBoxes.h"

namespace trx::bench {

// Answers every box with OK and keeps its text, so that a run can tell a failed operation from
// a fast one.
class QuietMessageBoxes final : public MessageBoxes {
  public:
    Answer show(const QString& text, const QString&, Icon, Buttons) override {
        m_texts.push_back(text);
        return Answer::Ok;
    }
    const std::vector<QString>& texts() const { return m_texts; }
    void clear() { m_texts.clear(); }

  private:
    std::vector<QString> m_texts;
};

// Counts the paint events a widget receives, also those that arrive while a blocking exchange
// runs its own event loop.
class PaintCounter final : public QObject {
  public:
    explicit PaintCounter(QWidget* widget) : m_widget(widget) { widget->installEventFilter(this); }
    ~PaintCounter() override { m_widget->removeEventFilter(this); }
    PaintCounter(const PaintCounter&) = delete;
    PaintCounter& operator=(const PaintCounter&) = delete;

    int paints() const { return m_paints; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_widget && event->type() == QEvent::Paint) {
            ++m_paints;
        }
        return false;
    }

  private:
    QWidget* m_widget;
    int m_paints = 0;
};

// Runs the event loop until the condition holds or the deadline passes; true when it held. It
// sleeps inside the event loop, so a paint is handled the moment it is due and no core spins.
template <typename Condition>
bool runUntil(Condition condition, std::chrono::milliseconds deadline = std::chrono::seconds{10}) {
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(deadline);
    while (!condition()) {
        if (!wake.isActive()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// The calling thread's CPU time so far, in seconds.
inline double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct ClickTime {
    double wall = 0.0;  // seconds
    double cpu = 0.0;   // seconds of this thread: what a busy machine cannot stretch
};

// One click on the button as the operator makes it: until its handler has returned, and with
// andRepaint also until the window has repainted what the handler changed. What earlier clicks
// left to paint is painted first, outside the time.
inline ClickTime timedClick(QAbstractButton* button, bool andRepaint) {
    QCoreApplication::processEvents();
    const double cpu = threadCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(button, Qt::LeftButton);
    if (andRepaint) {
        // The changes were posted as one update request, handled here at once.
        QCoreApplication::processEvents();
    }
    return {static_cast<double>(clock.nsecsElapsed()) * 1e-9, threadCpuSeconds() - cpu};
}

// Times clicks on the button, adding this thread's CPU time per click as the counter "click_cpu"
// (the benchmark's own CPU column also holds the painting done between clicks).
inline void timeClicks(benchmark::State& state, QAbstractButton* button, bool andRepaint) {
    double cpu = 0.0;
    for (auto _ : state) {
        const ClickTime t = timedClick(button, andRepaint);
        state.SetIterationTime(t.wall);
        cpu += t.cpu;
    }
    state.counters["click_cpu"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
}

// The process's peak resident set so far, in KiB, or -1 where /proc does not tell.
inline long peakResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
}

}  // namespace trx::bench
