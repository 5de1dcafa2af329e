#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include "PanelBehaviour.h"
#include "PanelSimulator.h"

class QTcpSocket;

namespace trx::sim {

// What a connection needs from the simulator that owns the panels.
class PanelHost {
  public:
    virtual ~PanelHost() = default;
    // Runs the function on the panel's state while no other thread can touch it.
    virtual void withPanel(const std::string& panel, const std::function<void(PanelState&)>& f) = 0;
    virtual void record(const ExchangeRecord& record) = 0;
    virtual std::chrono::milliseconds idleLimit() const = 0;
    // The panel stored a write that makes it reboot; called on the panels' thread.
    virtual void reboot(const std::string& panel) = 0;
};

// One exchange on one accepted connection, driven by the socket's signals on the panels'
// thread. It deletes itself once the connection has closed.
class PanelConnection : public QObject {
  public:
    PanelConnection(QTcpSocket* socket, std::string panel, PanelHost& host, QObject* parent);
    ~PanelConnection() override;

  private:
    enum class Phase {
        Command,  // reading the command line
        Block,    // reading a write's block
        Sending,  // output queued; what follows is in m_afterSend
        Holding,  // notify or a silent panel: nothing more happens until the client closes
        Closing,
    };

    void onReadyRead();
    void onDisconnected();
    void onIdle();
    void takeCommandLine();
    // The faults that answer every command alike: silence, an empty answer, garbage. True when
    // one of them has answered.
    bool answeredByFault(const std::string& closedText);
    void runRequest(const Command& command);
    void runWrite();
    void runNotify();
    void finishWrite();

    // Sends the bytes (in 1-byte pieces when the panel trickles), then runs `then`.
    void send(std::vector<std::uint8_t> bytes, std::function<void()> then);
    void sendPiece();
    void closeAfterSending();
    void drop();
    void log(std::string answer);
    void armIdle();

    QTcpSocket* m_socket;
    std::string m_panel;
    PanelHost& m_host;
    Phase m_phase = Phase::Command;
    QByteArray m_in;
    Command m_command;
    Fault m_fault = Fault::None;
    FaultOptions m_options;
    ExchangeRecord m_record;
    bool m_logged = false;
    QTimer m_idle;
    QTimer m_pieces;
    std::vector<std::uint8_t> m_out;
    std::size_t m_outPos = 0;
    std::function<void()> m_afterSend;
};

}  // namespace trx::sim
