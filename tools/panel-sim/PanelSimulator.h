#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "wire/PanelAddress.h"

namespace trx::sim {

// Ways a simulated panel can misbehave, so that every outcome of an exchange can be reached over
// real TCP.
enum class Fault {
    None,
    // Nothing listens at the panel's address: connections are refused.
    RefuseConnection,
    // Write commands are answered with a line other than the acknowledgement
    // ("TRX900 SETTING CHANGE NG"), and the block is never waited for.
    NotAcknowledge,
    // Request replies carry a checksum byte one too high.
    BadChecksum,
    // Request replies are empty (the panel closes at once); writes are closed before any line.
    EmptyReply,
    // Request replies are cut to their first shortLength bytes and sealed again, so that the
    // short reply still sums to 0.
    ShortReply,
    // Request replies are followed by zero bytes up to oversizeLength bytes (their first 4096
    // bytes still sum to 0); write lines are followed by oversizeLength bytes of 'X'.
    OversizeReply,
    // Every reply and line goes out in 1-byte pieces with pieceDelay between them.
    Trickle,
    // Write: the acknowledgement is sent and the block read, then the panel closes without a
    // result line, storing nothing.
    CloseAfterAcknowledge,
    // Write: only the 26 bytes of the acknowledgement line, without the byte that follows every
    // panel line, then the panel closes.
    AcknowledgeWithoutTrailer,
    // The panel reads the command line and then neither sends nor closes.
    Silent,
    // Any command is answered with bytes that are no reply at all, then the panel closes.
    Garbage,
    // Replies and lines go out whole, but the panel never closes the connection.
    HoldOpen,
    // Write: in place of the acknowledgement, 4096 bytes with no line end; the connection is
    // held open.
    EndlessAcknowledge,
    // Write: acknowledged and the block read, then 4096 bytes with no line end in place of the
    // result line, nothing stored; the connection is held open.
    EndlessResultLine,
};

struct FaultOptions {
    std::size_t shortLength = 5;
    std::size_t oversizeLength = 6000;
    std::chrono::milliseconds pieceDelay{1};
};

// A camera that a simulated panel finds on its network when asked to search.
struct NetworkCamera {
    int family = 0;             // 0 CCU, 1 RemoteCamera, 2 Camcorder
    std::uint8_t typeCode = 3;  // the row type code the panel reports for it
    std::array<std::uint8_t, 6> mac{};
    PanelAddress address = 0;
    std::uint16_t port = 80;
    std::string model;  // up to 9 characters
};

// Everything one simulated panel keeps, all in wire layout.
struct PanelState {
    std::array<std::uint8_t, 670> cameraTable{};
    std::array<std::uint8_t, 670> factoryCameraTable{};
    std::array<std::uint8_t, 501> ropList{};
    std::array<std::uint8_t, 9> settings{};
    std::array<std::uint8_t, 68> credentials{};
    int ropNumber = -1;  // the last row index registered with the panel, -1 before any
    bool searchPending = false;
    std::vector<NetworkCamera> network;
    Fault fault = Fault::None;
    FaultOptions faultOptions;
    // How long the panel refuses connections after it stored a camera list, settings or
    // credentials write, as a real one does while it reboots; 0 keeps it reachable.
    std::chrono::milliseconds rebootTime{0};
    bool rebooting = false;
    // The result of the last search, kept apart from the stored list until KEEP SET.
    std::array<std::uint8_t, 670> pendingCameraTable{};
};

// One exchange as the panel saw it.
struct ExchangeRecord {
    std::string peer;                 // "127.0.0.1:40312"
    std::string panel;                // the address the panel serves
    std::string command;              // the command line as received, CR LF included
    std::vector<std::uint8_t> block;  // the data block received after the acknowledgement
    std::string answer;               // what the panel did, in words ("reply 670 bytes", ...)
};

// Factory values of a new panel (camera table, settings, credentials "vexor"/"58203", a ROP
// list naming the given panels as TRX1, TRX2, ... with mask 255.255.255.0 and gateway x.x.x.1).
PanelState factoryState(const std::vector<PanelAddress>& knownPanels);

// The cameras a panel finds when nothing else was configured.
std::vector<NetworkCamera> builtInNetwork();

// One or more simulated panels, each at its own address, all on one port, answering in a thread
// of their own. Every accessor is safe to call from any thread while the panels run.
class PanelSimulator {
  public:
    PanelSimulator();
    ~PanelSimulator();

    PanelSimulator(const PanelSimulator&) = delete;
    PanelSimulator& operator=(const PanelSimulator&) = delete;

    // Starts serving the given addresses (dotted text). Port 0 picks a free port that every
    // address can use. Returns false, serving nothing, when an address cannot be served or the
    // simulator already runs. A panel served before keeps its state across stop() and start().
    bool start(const std::vector<std::string>& addresses, std::uint16_t port = 0);
    void stop();
    std::uint16_t port() const;

    PanelState state(const std::string& address) const;
    void setState(const std::string& address, const PanelState& state);
    void setFault(const std::string& address, Fault fault, FaultOptions options = {});
    void setRebootTime(const std::string& address, std::chrono::milliseconds time);

    // What every panel received, in order.
    std::vector<ExchangeRecord> log() const;
    std::vector<ExchangeRecord> log(const std::string& address) const;
    void clearLog();

    // How long a connection may stay silent while the panel waits for a command line or a block
    // before it gives up and closes (10 s unless set).
    void setIdleLimit(std::chrono::milliseconds limit);

    // Called for each exchange as it ends (the program prints these); runs on the panels' thread.
    // An exchange is logged once the panel has settled its answer and before its last byte goes
    // out, so a client that has seen the panel close finds it in log() at once. A notify is
    // logged when its line arrives: wait for it rather than expect it when notify returns.
    void setLogSink(std::function<void(const ExchangeRecord&)> sink);

  private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace trx::sim
