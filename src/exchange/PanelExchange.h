#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "wire/ExchangeOutcome.h"
#include "wire/PanelAddress.h"
#include "wire/ReplyBuffer.h"

class QTcpSocket;

namespace trx {

// Every panel listens on this port.
inline constexpr std::uint16_t kPanelPort = 35600;

// How long an exchange waits before it gives up on a panel. A panel that never accepts, never
// sends or never closes must not hold the tool for ever.
struct ExchangeLimits {
    // For the connection attempt to complete.
    std::chrono::milliseconds connect{3000};
    // Without any new byte while waiting for data or for the panel's close, and for a send to
    // drain.
    std::chrono::milliseconds idle{10000};
    // For the whole exchange, from the connection attempt on.
    std::chrono::milliseconds total{30000};
};

// Where and how pages dial panels: the product uses the defaults; tests shorten the limits and
// use the simulated panel's ephemeral port.
struct ExchangeSettings {
    std::uint16_t port = kPanelPort;
    ExchangeLimits limits;
};

struct ExchangeResult {
    ExchangeOutcome outcome = ExchangeOutcome::Ok;
    // Request: the reply (0 to 4096 bytes) for Ok, and the bytes received before the failure
    // for ReceiveFailed. Write: the result line as received for Ok. Otherwise empty.
    std::vector<std::uint8_t> bytes;
};

// One TCP exchange with a panel in one of three shapes. The object serves one exchange and
// closes its connection when it is destroyed, whatever the outcome.
//
// The calls block their caller, but they wait in a local event loop that excludes user input:
// windows repaint while clicks and keys stay queued until the exchange has returned. The
// exchange shows nothing and logs nothing; it reports its outcome.
class PanelExchange {
  public:
    explicit PanelExchange(std::uint16_t port = kPanelPort, ExchangeLimits limits = {});
    explicit PanelExchange(const ExchangeSettings& settings);
    ~PanelExchange();

    PanelExchange(const PanelExchange&) = delete;
    PanelExchange& operator=(const PanelExchange&) = delete;

    // Sends the command line and reads the reply until the panel closes (at most 4096 bytes),
    // then checks that the reply sums to 0.
    ExchangeResult request(PanelAddress address, std::string_view commandLine);

    // Sends the command line, waits for the acknowledgement line, sends the block only when all
    // 26 bytes of it match, then reads the result line and hands it back unexamined.
    ExchangeResult write(PanelAddress address, std::string_view commandLine,
                         std::span<const std::uint8_t> block);

    // Sends the command line and reads nothing. The connection stays open until this object is
    // destroyed.
    ExchangeOutcome notify(PanelAddress address, std::string_view commandLine);

  private:
    enum class Step { Done, Closed, Failed, TimedOut };

    ExchangeOutcome open(PanelAddress address);
    // Every exchange's first step: connect and send the command line. A failure closes.
    ExchangeOutcome openAndSend(PanelAddress address, std::string_view commandLine);
    bool sendAll(std::span<const std::uint8_t> bytes);
    bool sendAll(std::string_view text);
    // Reads until the panel closes or the buffer is full.
    Step readUntilClose();
    // Reads one line by the panel's framing rule into the buffer from offset 0.
    Step readLine();
    void takeAvailable();
    template <typename Done>
    Step waitFor(Done done, std::chrono::milliseconds limit);
    void close();

    ExchangeSettings m_settings;
    std::unique_ptr<QTcpSocket> m_socket;
    ReplyBuffer m_buffer;
    std::chrono::steady_clock::time_point m_deadline;
};

// Holds the caller for the given time while windows keep repainting; mouse and keys stay
// queued until it returns.
void pauseExcludingUserInput(std::chrono::milliseconds duration);

}  // namespace trx
