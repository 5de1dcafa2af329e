#include "StopRequests.h"

#include <QCoreApplication>

#ifdef Q_OS_WIN
#include <QAbstractNativeEventFilter>

#include <atomic>

#include <windows.h>
#else
#include <pthread.h>

#include <csignal>
#endif

namespace trx::sim {

#ifdef Q_OS_WIN

namespace {

std::atomic<bool> stopRequested{false};

// Runs on a thread of its own that the console starts.
BOOL WINAPI onConsoleControl(DWORD) {
    stopRequested = true;
    QCoreApplication::quit();
    return TRUE;
}

// A WM_CLOSE posted to the thread rather than to a window: a console program has no window.
class CloseRequestFilter final : public QAbstractNativeEventFilter {
  public:
    bool nativeEventFilter(const QByteArray&, void* message, qintptr*) override {
        const auto* msg = static_cast<const MSG*>(message);
        if (msg->hwnd == nullptr && msg->message == WM_CLOSE) {
            QCoreApplication::quit();
            return true;
        }
        return false;
    }
};

}  // namespace

void prepareForStopRequests() {
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

void waitForStopRequest() {
    CloseRequestFilter filter;
    QCoreApplication::instance()->installNativeEventFilter(&filter);
    if (!stopRequested) {
        QCoreApplication::exec();
    }
}

#else

namespace {

sigset_t stopSignals;

}  // namespace

void prepareForStopRequests() {
    // Blocked before any thread starts, so that only sigwait below takes them.
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
}

void waitForStopRequest() {
    int received = 0;
    sigwait(&stopSignals, &received);
}

#endif

}  // namespace trx::sim
