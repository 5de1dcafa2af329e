#include "app/Application.h"

#include "app/MainWindow.h"
#include "app/SingleCopy.h"
#include "pagebase/MessageBoxes.h"
#include "pagebase/QtMessageBoxes.h"

#ifdef Q_OS_WIN
#include <winsock2.h>
#endif

namespace trx {

namespace {

constexpr int kStartFailed = 1;

}  // namespace

bool PlatformSocketLayer::start() {
#ifdef Q_OS_WIN
    WSADATA data;
    m_started = WSAStartup(MAKEWORD(1, 1), &data) == 0;
#else
    m_started = true;
#endif
    return m_started;
}

void PlatformSocketLayer::stop() {
#ifdef Q_OS_WIN
    if (m_started) {
        WSACleanup();
    }
#endif
    m_started = false;
}

int CTRX900ToolApp::run() {
    SingleCopy singleCopy(applicationCaption(), m_seams.lockDirectory);
    if (!singleCopy.take()) {
        return 0;
    }

    PlatformSocketLayer platformSockets;
    SocketLayer& sockets = m_seams.sockets != nullptr ? *m_seams.sockets : platformSockets;
    QtMessageBoxes realMessages;
    MessageBoxes& messages = m_seams.messages != nullptr ? *m_seams.messages : realMessages;
    if (!sockets.start()) {
        messages.show(QString::fromUtf8("Windows ソケットの初期化に失敗しました。"),
                      applicationCaption(), MessageBoxes::Icon::Warning, MessageBoxes::Buttons::Ok);
        return kStartFailed;
    }

    {
        CTRX900ToolDlg window;
        window.exec();
    }
    sockets.stop();
    return 0;
}

}  // namespace trx
