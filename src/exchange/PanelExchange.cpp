#include "exchange/PanelExchange.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

#include "wire/Checksum.h"
#include "wire/Commands.h"

namespace trx {

namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

bool isSocketCreationError(QAbstractSocket::SocketError error) {
    return error == QAbstractSocket::SocketResourceError ||
           error == QAbstractSocket::UnsupportedSocketOperationError;
}

}  // namespace

PanelExchange::PanelExchange(std::uint16_t port, ExchangeLimits limits)
    : m_settings{port, limits} {}

PanelExchange::PanelExchange(const ExchangeSettings& settings) : m_settings(settings) {}

PanelExchange::~PanelExchange() {
    close();
}

void PanelExchange::close() {
    if (m_socket) {
        m_socket->abort();
        m_socket.reset();
    }
}

template <typename Done>
PanelExchange::Step PanelExchange::waitFor(Done done, milliseconds limit) {
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QTcpSocket* socket = m_socket.get();
    QObject::connect(socket, &QIODevice::readyRead, &loop, &QEventLoop::quit);
    QObject::connect(socket, &QIODevice::bytesWritten, &loop, &QEventLoop::quit);
    QObject::connect(socket, &QAbstractSocket::connected, &loop, &QEventLoop::quit);
    QObject::connect(socket, &QAbstractSocket::disconnected, &loop, &QEventLoop::quit);
    QObject::connect(socket, &QAbstractSocket::errorOccurred, &loop, &QEventLoop::quit);

    // The idle limit starts over whenever bytes move; the exchange's own deadline never moves.
    auto idleDeadline = Clock::now() + limit;
    for (;;) {
        if (done()) {
            return Step::Done;
        }
        if (socket->state() == QAbstractSocket::UnconnectedState) {
            return socket->error() == QAbstractSocket::RemoteHostClosedError ? Step::Closed
                                                                             : Step::Failed;
        }
        const auto now = Clock::now();
        const auto until = std::min(idleDeadline, m_deadline);
        if (now >= until) {
            return Step::TimedOut;
        }
        const auto progress = std::pair{m_buffer.size(), socket->bytesToWrite()};
        timer.start(std::chrono::ceil<milliseconds>(until - now));
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        timer.stop();
        takeAvailable();
        if (progress != std::pair{m_buffer.size(), socket->bytesToWrite()}) {
            idleDeadline = Clock::now() + limit;
        }
    }
}

void PanelExchange::takeAvailable() {
    std::uint8_t chunk[ReplyBuffer::kCapacity];
    while (!m_buffer.full() && m_socket->bytesAvailable() > 0) {
        const qint64 n =
            m_socket->read(reinterpret_cast<char*>(chunk), static_cast<qint64>(m_buffer.room()));
        if (n <= 0) {
            break;
        }
        m_buffer.append({chunk, static_cast<std::size_t>(n)});
    }
}

ExchangeOutcome PanelExchange::open(PanelAddress address) {
    close();
    m_deadline = Clock::now() + m_settings.limits.total;
    m_socket = std::make_unique<QTcpSocket>();
    // A hostile peer cannot make the tool hold more than one reply buffer's worth.
    m_socket->setReadBufferSize(static_cast<qint64>(ReplyBuffer::kCapacity));
    m_buffer.restart();

    // Address 0 means "no panel". Dialled on a host whose stack maps 0.0.0.0 to itself it would
    // reach a local listener, so it fails here, where the connection would have failed.
    if (address == 0) {
        return ExchangeOutcome::ConnectFailed;
    }
    m_socket->connectToHost(QString::fromStdString(addressText(address)), m_settings.port);
    const Step step =
        waitFor([this] { return m_socket->state() == QAbstractSocket::ConnectedState; },
                m_settings.limits.connect);
    if (step == Step::Done) {
        return ExchangeOutcome::Ok;
    }
    if (step == Step::Failed && isSocketCreationError(m_socket->error())) {
        return ExchangeOutcome::SocketCreateFailed;
    }
    return ExchangeOutcome::ConnectFailed;
}

ExchangeOutcome PanelExchange::openAndSend(PanelAddress address, std::string_view commandLine) {
    ExchangeOutcome outcome = open(address);
    if (outcome == ExchangeOutcome::Ok && !sendAll(commandLine)) {
        outcome = ExchangeOutcome::CommandSendFailed;
    }
    if (outcome != ExchangeOutcome::Ok) {
        close();
    }
    return outcome;
}

bool PanelExchange::sendAll(std::span<const std::uint8_t> bytes) {
    if (m_socket->write(reinterpret_cast<const char*>(bytes.data()),
                        static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        return false;
    }
    m_socket->flush();
    // A send that fails aborts the socket, which also empties its write buffer: only a socket
    // that is still connected has really handed its bytes over.
    return waitFor(
               [this] {
                   return m_socket->bytesToWrite() == 0 &&
                          m_socket->state() == QAbstractSocket::ConnectedState;
               },
               m_settings.limits.idle) == Step::Done;
}

bool PanelExchange::sendAll(std::string_view text) {
    return sendAll(std::span{reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

PanelExchange::Step PanelExchange::readUntilClose() {
    m_buffer.restart();
    takeAvailable();
    return waitFor([this] { return m_buffer.full(); }, m_settings.limits.idle);
}

PanelExchange::Step PanelExchange::readLine() {
    m_buffer.restart();
    takeAvailable();
    const Step step = waitFor([this] { return m_buffer.lineComplete() || m_buffer.full(); },
                              m_settings.limits.idle);
    // A full buffer with no line end in its place can take no more bytes: the line has failed
    // now, not when the idle limit runs out.
    if (step == Step::Done && !m_buffer.lineComplete()) {
        return Step::Failed;
    }
    return step;
}

ExchangeResult PanelExchange::request(PanelAddress address, std::string_view commandLine) {
    if (const ExchangeOutcome sent = openAndSend(address, commandLine);
        sent != ExchangeOutcome::Ok) {
        return {sent, {}};
    }
    const Step step = readUntilClose();
    ExchangeResult result{ExchangeOutcome::Ok, m_buffer.copy()};
    close();
    if (step == Step::Failed || step == Step::TimedOut) {
        result.outcome = ExchangeOutcome::ReceiveFailed;
    } else if (!checksumHolds(result.bytes)) {
        result.outcome = ExchangeOutcome::ChecksumFailed;
        result.bytes.clear();
    }
    return result;
}

ExchangeResult PanelExchange::write(PanelAddress address, std::string_view commandLine,
                                    std::span<const std::uint8_t> block) {
    if (const ExchangeOutcome sent = openAndSend(address, commandLine);
        sent != ExchangeOutcome::Ok) {
        return {sent, {}};
    }
    if (readLine() != Step::Done) {
        close();
        return {ExchangeOutcome::ReceiveFailed, {}};
    }
    if (!startsWith(m_buffer.bytes(), panel_line::kAcknowledge)) {
        close();
        return {ExchangeOutcome::NotAcknowledged, {}};
    }
    if (!sendAll(block)) {
        close();
        return {ExchangeOutcome::BlockSendFailed, {}};
    }
    if (readLine() != Step::Done) {
        close();
        return {ExchangeOutcome::ResultReceiveFailed, {}};
    }
    ExchangeResult result{ExchangeOutcome::Ok, m_buffer.copy()};
    close();
    return result;
}

ExchangeOutcome PanelExchange::notify(PanelAddress address, std::string_view commandLine) {
    return openAndSend(address, commandLine);
}

void pauseExcludingUserInput(std::chrono::milliseconds duration) {
    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace trx
