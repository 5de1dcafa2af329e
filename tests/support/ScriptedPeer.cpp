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

bool waitReadable(int fd, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, timeoutMs) > 0;
}

}  // namespace

ScriptedPeer::ScriptedPeer(std::vector<Step> steps) : m_steps(std::move(steps)) {
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    ::bind(m_listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::listen(m_listener, 4);
    socklen_t len = sizeof addr;
    ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    m_thread = std::thread([this] { run(); });
}

ScriptedPeer::~ScriptedPeer() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
    ::close(m_listener);
}

std::string ScriptedPeer::received() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
    return m_received;
}

void ScriptedPeer::run() {
    if (!waitReadable(m_listener, kStepLimitMs)) {
        return;
    }
    const int fd = ::accept(m_listener, nullptr, nullptr);
    if (fd < 0) {
        return;
    }
    bool open = true;
    auto readOne = [&](char& c) {
        if (!waitReadable(fd, kStepLimitMs)) {
            return false;
        }
        return ::recv(fd, &c, 1, 0) == 1;
    };
    for (const Step& step : m_steps) {
        switch (step.kind) {
            case Step::Kind::Send:
                ::send(fd, step.bytes.data(), step.bytes.size(), MSG_NOSIGNAL);
                break;
            case Step::Kind::SendPieces:
                for (char c : step.bytes) {
                    ::send(fd, &c, 1, MSG_NOSIGNAL);
                    std::this_thread::sleep_for(step.delay);
                }
                break;
            case Step::Kind::ReadLine: {
                char c = 0;
                while (readOne(c)) {
                    m_received.push_back(c);
                    if (m_received.size() >= 2 && m_received.ends_with("\r\n")) {
                        break;
                    }
                }
                break;
            }
            case Step::Kind::ReadBytes: {
                char c = 0;
                for (std::size_t i = 0; i < step.count && readOne(c); ++i) {
                    m_received.push_back(c);
                }
                break;
            }
            case Step::Kind::Pause:
                std::this_thread::sleep_for(step.delay);
                break;
            case Step::Kind::Close:
                ::close(fd);
                open = false;
                break;
            case Step::Kind::Reset: {
                linger l{1, 0};
                ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
                ::close(fd);
                open = false;
                break;
            }
            case Step::Kind::Hold: {
                char buffer[512];
                while (waitReadable(fd, kStepLimitMs)) {
                    const auto n = ::recv(fd, buffer, sizeof buffer, 0);
                    if (n <= 0) {
                        m_sawClose = true;
                        break;
                    }
                    m_received.append(buffer, static_cast<std::size_t>(n));
                }
                break;
            }
        }
        if (!open) {
            return;
        }
    }
    ::close(fd);
}

}  // namespace trx::test
