#include "PanelConnection.h"

#include <QHostAddress>
#include <QTcpSocket>

#include "wire/Commands.h"

namespace trx::sim {

namespace {

// Input kept while the panel is busy sending; a client that floods is not worth more.
constexpr qsizetype kMaxHeldInput = 64 * 1024;

std::string peerText(const QTcpSocket& socket) {
    return socket.peerAddress().toString().toStdString() + ":" + std::to_string(socket.peerPort());
}

std::string faultNote(Fault fault) {
    return fault == Fault::None ? std::string() : " [" + std::string(faultName(fault)) + "]";
}

}  // namespace

PanelConnection::PanelConnection(QTcpSocket* socket, std::string panel, PanelHost& host,
                                 QObject* parent)
    : QObject(parent), m_socket(socket), m_panel(std::move(panel)), m_host(host) {
    m_socket->setParent(this);
    m_socket->setReadBufferSize(16 * 1024);
    m_record.peer = peerText(*m_socket);
    m_record.panel = m_panel;
    m_idle.setSingleShot(true);
    m_pieces.setSingleShot(true);
    connect(&m_idle, &QTimer::timeout, this, &PanelConnection::onIdle);
    connect(&m_pieces, &QTimer::timeout, this, &PanelConnection::sendPiece);
    connect(m_socket, &QTcpSocket::readyRead, this, &PanelConnection::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &PanelConnection::onDisconnected);
    armIdle();
    // Bytes may have arrived with the connection itself.
    if (m_socket->bytesAvailable() > 0) {
        onReadyRead();
    }
}

PanelConnection::~PanelConnection() {
    QObject::disconnect(m_socket, nullptr, this, nullptr);
    m_socket->abort();
}

void PanelConnection::armIdle() {
    m_idle.start(m_host.idleLimit());
}

void PanelConnection::onReadyRead() {
    switch (m_phase) {
        case Phase::Command:
            m_in += m_socket->readAll();
            armIdle();
            takeCommandLine();
            break;
        case Phase::Block:
            m_in += m_socket->readAll();
            armIdle();
            if (static_cast<std::size_t>(m_in.size()) >= blockSizeOf(m_command.kind)) {
                finishWrite();
            }
            break;
        case Phase::Sending:
            // A client may send its block before the acknowledgement has fully gone out.
            m_in += m_socket->read(std::max<qsizetype>(0, kMaxHeldInput - m_in.size()));
            m_socket->readAll();
            break;
        case Phase::Holding:
        case Phase::Closing:
            m_socket->readAll();
            break;
    }
}

void PanelConnection::onDisconnected() {
    if (m_phase == Phase::Command || m_phase == Phase::Block) {
        m_in += m_socket->readAll();
    }
    if (m_phase == Phase::Block) {
        log("client closed after " + std::to_string(m_in.size()) + " of " +
            std::to_string(blockSizeOf(m_command.kind)) + " block bytes, nothing stored");
    } else if (m_phase == Phase::Command && !m_in.isEmpty()) {
        m_record.command = m_in.left(kMaxCommandLine + 16).toStdString();
        log("client closed before the command line ended");
    }
    m_phase = Phase::Closing;
    m_idle.stop();
    m_pieces.stop();
    deleteLater();
}

void PanelConnection::onIdle() {
    if (m_phase == Phase::Command && !m_in.isEmpty()) {
        m_record.command = m_in.left(kMaxCommandLine + 16).toStdString();
        log("refused: no command line before the client went silent");
    } else if (m_phase == Phase::Block) {
        log("client went silent after " + std::to_string(m_in.size()) + " of " +
            std::to_string(blockSizeOf(m_command.kind)) + " block bytes, nothing stored");
    }
    drop();
}

void PanelConnection::takeCommandLine() {
    const qsizetype end = m_in.indexOf("\r\n");
    if (end < 0) {
        if (static_cast<std::size_t>(m_in.size()) > kMaxCommandLine) {
            m_record.command = m_in.left(kMaxCommandLine + 16).toStdString();
            log("refused: no CR LF within " + std::to_string(kMaxCommandLine) + " bytes");
            drop();
        }
        return;
    }
    const QByteArray line = m_in.left(end + 2);
    m_in.remove(0, end + 2);
    m_record.command = line.toStdString();
    const std::optional<Command> command =
        identifyCommand(std::string_view(line.constData(), static_cast<std::size_t>(line.size())));
    if (!command) {
        m_record.command = line.left(kMaxCommandLine + 16).toStdString();
        log("refused: not a command line");
        drop();
        return;
    }
    m_idle.stop();
    m_command = *command;
    m_host.withPanel(m_panel, [this](PanelState& state) {
        m_fault = state.fault;
        m_options = state.faultOptions;
    });
    switch (shapeOf(m_command.kind)) {
        case Shape::Request:
            runRequest(m_command);
            break;
        case Shape::Write:
            runWrite();
            break;
        case Shape::Notify:
            runNotify();
            break;
    }
}

bool PanelConnection::answeredByFault(const std::string& closedText) {
    switch (m_fault) {
        case Fault::Silent:
            m_phase = Phase::Holding;
            log("no answer, connection held open" + faultNote(m_fault));
            return true;
        case Fault::EmptyReply:
            log(closedText + faultNote(m_fault));
            closeAfterSending();
            return true;
        case Fault::Garbage:
            log("answered with garbage" + faultNote(m_fault));
            send(garbageBytes(), [this] { closeAfterSending(); });
            return true;
        default:
            return false;
    }
}

void PanelConnection::runRequest(const Command& command) {
    if (answeredByFault("closed without a reply")) {
        return;
    }
    RequestReply reply;
    m_host.withPanel(m_panel, [&](PanelState& state) { reply = answerRequest(state, command); });
    const std::size_t fullSize = reply.bytes.size();
    std::vector<std::uint8_t> bytes =
        faultyReply(std::move(reply.bytes), reply.checksumIndex, m_fault, m_options);
    if (bytes.size() != fullSize) {
        reply.answer += ", sent " + std::to_string(bytes.size());
    }
    log(reply.answer + faultNote(m_fault));
    send(std::move(bytes), [this] { closeAfterSending(); });
}

void PanelConnection::runWrite() {
    std::vector<std::uint8_t> ack = acknowledgeLine();
    if (answeredByFault("closed before any line")) {
        return;
    }
    switch (m_fault) {
        case Fault::NotAcknowledge:
            log("not acknowledged" + faultNote(m_fault));
            send(notAcknowledgedLine(), [this] { closeAfterSending(); });
            return;
        case Fault::AcknowledgeWithoutTrailer:
            ack.pop_back();
            log("acknowledged without the trailing byte, closed" + faultNote(m_fault));
            send(std::move(ack), [this] { closeAfterSending(); });
            return;
        case Fault::OversizeReply:
            ack.insert(ack.end(), m_options.oversizeLength, std::uint8_t{'X'});
            break;
        case Fault::EndlessAcknowledge:
            log("4096 bytes without a line end, connection held open" + faultNote(m_fault));
            send(endlessLine(), [this] { m_phase = Phase::Holding; });
            return;
        default:
            break;
    }
    send(std::move(ack), [this] {
        m_phase = Phase::Block;
        armIdle();
        if (static_cast<std::size_t>(m_in.size()) >= blockSizeOf(m_command.kind)) {
            finishWrite();
        }
    });
}

void PanelConnection::finishWrite() {
    m_idle.stop();
    const std::size_t size = blockSizeOf(m_command.kind);
    const auto* data = reinterpret_cast<const std::uint8_t*>(m_in.constData());
    m_record.block.assign(data, data + size);
    m_in.clear();
    if (m_fault == Fault::CloseAfterAcknowledge) {
        log("block read, closed without a result line, nothing stored" + faultNote(m_fault));
        closeAfterSending();
        return;
    }
    if (m_fault == Fault::EndlessResultLine) {
        log("block read, 4096 bytes without a line end, nothing stored" + faultNote(m_fault));
        send(endlessLine(), [this] { m_phase = Phase::Holding; });
        return;
    }
    WriteResult result;
    m_host.withPanel(m_panel, [&](PanelState& state) {
        result = applyWrite(state, m_command.kind, m_record.block);
    });
    std::vector<std::uint8_t> line = panelLine(result.line);
    if (m_fault == Fault::OversizeReply) {
        line.insert(line.end(), m_options.oversizeLength, std::uint8_t{'X'});
    }
    log(std::string(result.line) + " (" + result.answer + ")" + faultNote(m_fault));
    // Registering a ROP number is the one stored write after which a panel goes on running.
    const bool reboots =
        result.line == trx::panel_line::kWriteOk && m_command.kind != CommandKind::RopListChange;
    send(std::move(line), [this, reboots] {
        if (reboots) {
            m_host.reboot(m_panel);
        }
        closeAfterSending();
    });
}

void PanelConnection::runNotify() {
    switch (m_fault) {
        case Fault::EmptyReply:
            log("closed at once" + faultNote(m_fault));
            closeAfterSending();
            return;
        case Fault::Garbage:
            log("answered with garbage" + faultNote(m_fault));
            send(garbageBytes(), [this] { closeAfterSending(); });
            return;
        case Fault::Silent:
            m_phase = Phase::Holding;
            log("no answer, connection held open" + faultNote(m_fault));
            return;
        default:
            break;
    }
    // A real panel flashes its display; this one says so in the log and keeps the
    // connection until the client ends it.
    m_phase = Phase::Holding;
    log("panel " + m_panel + " identifies itself" + faultNote(m_fault));
}

void PanelConnection::send(std::vector<std::uint8_t> bytes, std::function<void()> then) {
    m_phase = Phase::Sending;
    if (m_fault != Fault::Trickle || bytes.empty()) {
        m_socket->write(reinterpret_cast<const char*>(bytes.data()),
                        static_cast<qint64>(bytes.size()));
        then();
        return;
    }
    m_out = std::move(bytes);
    m_outPos = 0;
    m_afterSend = std::move(then);
    sendPiece();
}

void PanelConnection::sendPiece() {
    if (m_phase == Phase::Closing || m_socket->state() != QAbstractSocket::ConnectedState) {
        return;
    }
    m_socket->write(reinterpret_cast<const char*>(m_out.data() + m_outPos), 1);
    m_socket->flush();
    ++m_outPos;
    if (m_outPos < m_out.size()) {
        m_pieces.start(m_options.pieceDelay);
        return;
    }
    m_out.clear();
    auto then = std::move(m_afterSend);
    m_afterSend = nullptr;
    then();
}

void PanelConnection::closeAfterSending() {
    if (m_fault == Fault::HoldOpen) {
        m_phase = Phase::Holding;
        return;
    }
    m_phase = Phase::Closing;
    // A client that never takes the last bytes must not keep the connection for ever.
    armIdle();
    m_socket->disconnectFromHost();
}

void PanelConnection::drop() {
    m_phase = Phase::Closing;
    m_idle.stop();
    m_pieces.stop();
    m_socket->abort();
    deleteLater();
}

void PanelConnection::log(std::string answer) {
    if (m_logged) {
        return;
    }
    m_logged = true;
    m_record.answer = std::move(answer);
    m_host.record(m_record);
}

}  // namespace trx::sim
