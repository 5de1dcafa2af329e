#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace trx::test {

// A panel that plays a fixed script over a real loopback socket, byte for byte, for the cases
// that need exact bytes and timing: it accepts one connection on 127.0.0.1, runs its steps in a
// thread of its own and closes the connection when they end.
class ScriptedPeer {
  public:
    struct Step {
        enum class Kind {
            Send,       // send bytes, one at a time with the delay between them when it is set
            ReadLine,   // read up to and including the next CR LF
            ReadBytes,  // read exactly count bytes
            Reset,      // close with a reset
            Hold,       // read until the client closes (or the hold limit passes)
        };
        Kind kind;
        std::string bytes;
        std::size_t count = 0;
        std::chrono::milliseconds delay{0};
    };

    static Step send(std::string bytes, std::chrono::milliseconds delay = {}) {
        return {Step::Kind::Send, std::move(bytes), 0, delay};
    }
    static Step readLine() { return {Step::Kind::ReadLine, {}}; }
    static Step readBytes(std::size_t n) { return {Step::Kind::ReadBytes, {}, n}; }
    static Step reset() { return {Step::Kind::Reset, {}}; }
    static Step hold() { return {Step::Kind::Hold, {}}; }

    explicit ScriptedPeer(std::vector<Step> steps);
    ~ScriptedPeer();
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    std::uint16_t port() const { return m_port; }
    // Waits for the script to end, then returns everything the peer received.
    std::string received();
    // True once the client's close has been seen by a Hold step.
    bool sawClientClose() const { return m_sawClose; }

  private:
    void run(std::promise<std::uint16_t>& listening);

    std::vector<Step> m_steps;
    std::uint16_t m_port = 0;
    std::string m_received;
    std::atomic<bool> m_sawClose{false};
    std::thread m_thread;
};

}  // namespace trx::test
