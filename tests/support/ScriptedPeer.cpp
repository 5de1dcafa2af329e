#include "support/ScriptedPeer.h"

#include <QTcpServer>
#include <QTcpSocket>

#ifdef Q_OS_WIN
#include <winsock2.h>
using NativeSocket = SOCKET;
#else
#include <sys/socket.h>
using NativeSocket = int;
#endif

namespace trx::test {

namespace {

// No script waits longer than this for its client, so a failing test cannot hang the suite.
constexpr int kStepLimitMs = 15000;

// Closes the connection with a reset rather than an orderly close.
void resetConnection(QTcpSocket& socket) {
    const linger abortive{1, 0};
    ::setsockopt(static_cast<NativeSocket>(socket.socketDescriptor()), SOL_SOCKET, SO_LINGER,
                 reinterpret_cast<const char*>(&abortive), sizeof abortive);
    socket.abort();
}

}  // namespace

ScriptedPeer::ScriptedPeer(std::vector<Step> steps) : m_steps(std::move(steps)) {
    // The peer's sockets live in its own thread, which blocks on them without an event loop.
    std::promise<std::uint16_t> listening;
    m_thread = std::thread([this, &listening] { run(listening); });
    m_port = listening.get_future().get();
}

ScriptedPeer::~ScriptedPeer() {
    received();
}

std::string ScriptedPeer::received() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
    return m_received;
}

void ScriptedPeer::run(std::promise<std::uint16_t>& listening) {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    listening.set_value(server.serverPort());
    if (!server.waitForNewConnection(kStepLimitMs)) {
        return;
    }
    QTcpSocket* socket = server.nextPendingConnection();
    // Takes one byte into what was received; false once the client has closed or gone quiet.
    bool closed = false;
    const auto readOne = [&] {
        if (socket->bytesAvailable() == 0 && !socket->waitForReadyRead(kStepLimitMs)) {
            closed = socket->state() != QAbstractSocket::ConnectedState;
            return false;
        }
        m_received += socket->read(1).toStdString();
        return true;
    };
    for (const Step& step : m_steps) {
        switch (step.kind) {
            case Step::Kind::Send:
                for (std::size_t at = 0; at < step.bytes.size();) {
                    const std::size_t n = step.delay.count() ? 1 : step.bytes.size() - at;
                    socket->write(step.bytes.data() + at, static_cast<qint64>(n));
                    socket->waitForBytesWritten(kStepLimitMs);
                    at += n;
                    std::this_thread::sleep_for(step.delay);
                }
                break;
            case Step::Kind::ReadLine:
                while (readOne() && !m_received.ends_with("\r\n")) {
                }
                break;
            case Step::Kind::ReadBytes:
                for (std::size_t i = 0; i < step.count && readOne(); ++i) {
                }
                break;
            case Step::Kind::Reset:
                resetConnection(*socket);
                return;
            case Step::Kind::Hold:
                while (readOne()) {
                }
                m_sawClose = closed;
                break;
        }
    }
    // The server takes the connection down with it, as the panel closes its end.
}

}  // namespace trx::test
