#include "support/ScriptedPeer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace trx::test {

namespace {

// No script waits longer than this for its client, so a failing test cannot hang the suite.
constexpr int kStepLimitMs = 15000;

bool waitReadable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, kStepLimitMs) > 0;
}

}  // namespace

ScriptedPeer::ScriptedPeer(std::vector<Step> steps) : m_steps(std::move(steps)) {
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(m_listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::listen(m_listener, 4);
    socklen_t len = sizeof addr;
    ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    m_thread = std::thread([this] { run(); });
}

ScriptedPeer::~ScriptedPeer() {
    received();
    ::close(m_listener);
}

std::string ScriptedPeer::received() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
    return m_received;
}

void ScriptedPeer::run() {
    const int fd = waitReadable(m_listener) ? ::accept(m_listener, nullptr, nullptr) : -1;
    if (fd < 0) {
        return;
    }
    // Takes one byte into what was received; false once the client has closed or gone quiet.
    bool closed = false;
    const auto readOne = [&] {
        char c = 0;
        if (!waitReadable(fd)) {
            return false;
        }
        closed = ::recv(fd, &c, 1, 0) != 1;
        if (!closed) {
            m_received.push_back(c);
        }
        return !closed;
    };
    for (const Step& step : m_steps) {
        switch (step.kind) {
            case Step::Kind::Send:
                for (std::size_t at = 0; at < step.bytes.size();) {
                    const std::size_t n = step.delay.count() ? 1 : step.bytes.size() - at;
                    ::send(fd, step.bytes.data() + at, n, MSG_NOSIGNAL);
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
            case Step::Kind::Reset: {
                linger l{1, 0};
                ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
                ::close(fd);
                return;
            }
            case Step::Kind::Hold:
                while (readOne()) {
                }
                m_sawClose = closed;
                break;
        }
    }
    ::close(fd);
}

}  // namespace trx::test
