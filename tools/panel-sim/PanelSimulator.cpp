#include "PanelSimulator.h"

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include "PanelBehaviour.h"
#include "PanelConnection.h"

namespace trx::sim {

namespace {

// An ephemeral port taken at the first address may already be in use at another one.
constexpr int kPortAttempts = 8;

std::string canonical(const std::string& address) {
    const std::optional<PanelAddress> parsed = parseAddress(address);
    return parsed ? addressText(*parsed) : address;
}

// Listens at every served address and hands each accepted connection to a PanelConnection.
// Lives on the panels' thread; every call comes in on that thread.
class PanelServer : public QObject {
  public:
    explicit PanelServer(PanelHost& host) : m_host(host) {}

    // Returns the port that every address listens on, or 0 (listening nowhere) when one of
    // them cannot be served.
    std::uint16_t listenAll(const std::vector<std::string>& addresses, std::uint16_t port) {
        for (int attempt = 0; attempt < kPortAttempts; ++attempt) {
            bool clash = false;
            std::uint16_t chosen = port;
            for (const std::string& address : addresses) {
                auto* server = new QTcpServer(this);
                if (!server->listen(QHostAddress(QString::fromStdString(address)), chosen)) {
                    clash = server->serverError() == QAbstractSocket::AddressInUseError;
                    delete server;
                    chosen = 0;
                    break;
                }
                chosen = server->serverPort();
                connect(server, &QTcpServer::newConnection, this,
                        [this, server, address] { accept(*server, address); });
                m_listeners[address] = server;
            }
            if (chosen != 0) {
                m_port = chosen;
                return chosen;
            }
            closeAll();
            if (port != 0 || !clash) {
                break;
            }
        }
        return 0;
    }

    // Closes or reopens one address's listening socket; connections already accepted go on.
    void setListening(const std::string& address, bool listening) {
        const auto it = m_listeners.find(address);
        if (it == m_listeners.end()) {
            return;
        }
        QTcpServer& server = *it->second;
        if (!listening) {
            server.close();
        } else if (!server.isListening()) {
            server.listen(QHostAddress(QString::fromStdString(address)), m_port);
        }
    }

  private:
    void accept(QTcpServer& server, const std::string& address) {
        while (server.hasPendingConnections()) {
            QTcpSocket* socket = server.nextPendingConnection();
            new PanelConnection(socket, address, m_host, this);
        }
    }

    void closeAll() {
        for (auto& [address, server] : m_listeners) {
            delete server;
        }
        m_listeners.clear();
    }

    PanelHost& m_host;
    std::map<std::string, QTcpServer*> m_listeners;
    std::uint16_t m_port = 0;
};

// The panels' thread: its event loop runs the server, which it builds and destroys itself so
// that every socket is made and closed on the thread that serves it.
class ServerThread : public QThread {
  public:
    explicit ServerThread(PanelHost& host) : m_host(host) {}

    PanelServer* waitForServer() {
        std::unique_lock lock(m_mutex);
        m_ready.wait(lock, [this] { return m_server != nullptr; });
        return m_server;
    }

  protected:
    void run() override {
        PanelServer server(m_host);
        {
            std::lock_guard lock(m_mutex);
            m_server = &server;
        }
        m_ready.notify_all();
        exec();
    }

  private:
    PanelHost& m_host;
    std::mutex m_mutex;
    std::condition_variable m_ready;
    PanelServer* m_server = nullptr;
};

}  // namespace

struct PanelSimulator::Impl final : PanelHost {
    void withPanel(const std::string& panel, const std::function<void(PanelState&)>& f) override {
        std::lock_guard lock(mutex);
        const auto it = panels.find(panel);
        if (it != panels.end()) {
            f(it->second);
        }
    }

    void record(const ExchangeRecord& exchange) override {
        std::function<void(const ExchangeRecord&)> callback;
        {
            std::lock_guard lock(mutex);
            records.push_back(exchange);
            callback = sink;
        }
        // Outside the lock, so that the sink may call back into the simulator.
        if (callback) {
            callback(exchange);
        }
    }

    void reboot(const std::string& panel) override {
        std::chrono::milliseconds downtime{0};
        withPanel(panel, [&](PanelState& state) {
            downtime = state.rebootTime;
            state.rebooting = downtime.count() > 0;
        });
        if (downtime.count() == 0) {
            return;
        }
        applyListening(panel);
        onServer([&](PanelServer& s) {
            QTimer::singleShot(downtime, &s, [this, panel] {
                withPanel(panel, [](PanelState& state) { state.rebooting = false; });
                applyListening(panel);
            });
        });
    }

    std::chrono::milliseconds idleLimit() const override {
        std::lock_guard lock(mutex);
        return idle;
    }

    // Runs the function on the panels' thread and waits for it.
    template <typename F>
    void onServer(F f) {
        PanelServer* target = nullptr;
        {
            std::lock_guard lock(mutex);
            target = server;
        }
        if (target == nullptr) {
            return;
        }
        if (QThread::currentThread() == target->thread()) {
            f(*target);
        } else {
            QMetaObject::invokeMethod(
                target, [&f, target] { f(*target); }, Qt::BlockingQueuedConnection);
        }
    }

    void applyListening(const std::string& address) {
        bool listening = true;
        withPanel(address, [&](PanelState& state) {
            listening = state.fault != Fault::RefuseConnection && !state.rebooting;
        });
        onServer([&](PanelServer& s) { s.setListening(address, listening); });
    }

    mutable std::mutex mutex;
    std::map<std::string, PanelState> panels;
    std::vector<ExchangeRecord> records;
    std::function<void(const ExchangeRecord&)> sink;
    std::chrono::milliseconds idle{10000};
    std::uint16_t port = 0;
    PanelServer* server = nullptr;
    std::unique_ptr<ServerThread> thread;
};

PanelSimulator::PanelSimulator() : m_impl(std::make_unique<Impl>()) {}

PanelSimulator::~PanelSimulator() {
    stop();
}

bool PanelSimulator::start(const std::vector<std::string>& addresses, std::uint16_t port) {
    if (m_impl->thread || addresses.empty()) {
        return false;
    }
    std::vector<std::string> served;
    std::vector<PanelAddress> known;
    for (const std::string& text : addresses) {
        const std::optional<PanelAddress> address = parseAddress(text);
        if (!address || std::find(known.begin(), known.end(), *address) != known.end()) {
            return false;
        }
        known.push_back(*address);
        served.push_back(addressText(*address));
    }
    {
        // A panel served before keeps what it stored, as a real one would over a restart.
        std::lock_guard lock(m_impl->mutex);
        for (const std::string& address : served) {
            if (m_impl->panels.find(address) == m_impl->panels.end()) {
                m_impl->panels[address] = factoryState(known);
            }
        }
    }
    m_impl->thread = std::make_unique<ServerThread>(*m_impl);
    m_impl->thread->start();
    PanelServer* server = m_impl->thread->waitForServer();
    {
        std::lock_guard lock(m_impl->mutex);
        m_impl->server = server;
    }
    std::uint16_t bound = 0;
    m_impl->onServer([&](PanelServer& s) { bound = s.listenAll(served, port); });
    if (bound == 0) {
        stop();
        return false;
    }
    {
        std::lock_guard lock(m_impl->mutex);
        m_impl->port = bound;
    }
    for (const std::string& address : served) {
        m_impl->applyListening(address);
    }
    return true;
}

void PanelSimulator::stop() {
    if (!m_impl->thread) {
        return;
    }
    {
        std::lock_guard lock(m_impl->mutex);
        m_impl->server = nullptr;
        m_impl->port = 0;
    }
    m_impl->thread->quit();
    m_impl->thread->wait();
    m_impl->thread.reset();
}

std::uint16_t PanelSimulator::port() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->port;
}

PanelState PanelSimulator::state(const std::string& address) const {
    std::lock_guard lock(m_impl->mutex);
    const auto it = m_impl->panels.find(canonical(address));
    return it == m_impl->panels.end() ? PanelState{} : it->second;
}

void PanelSimulator::setState(const std::string& address, const PanelState& state) {
    const std::string key = canonical(address);
    {
        std::lock_guard lock(m_impl->mutex);
        m_impl->panels[key] = state;
    }
    m_impl->applyListening(key);
}

void PanelSimulator::setRebootTime(const std::string& address, std::chrono::milliseconds time) {
    m_impl->withPanel(canonical(address), [time](PanelState& state) { state.rebootTime = time; });
}

void PanelSimulator::setFault(const std::string& address, Fault fault, FaultOptions options) {
    const std::string key = canonical(address);
    m_impl->withPanel(key, [&](PanelState& state) {
        state.fault = fault;
        state.faultOptions = options;
    });
    m_impl->applyListening(key);
}

std::vector<ExchangeRecord> PanelSimulator::log() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->records;
}

std::vector<ExchangeRecord> PanelSimulator::log(const std::string& address) const {
    const std::string key = canonical(address);
    std::lock_guard lock(m_impl->mutex);
    std::vector<ExchangeRecord> selected;
    std::copy_if(m_impl->records.begin(), m_impl->records.end(), std::back_inserter(selected),
                 [&](const ExchangeRecord& r) { return r.panel == key; });
    return selected;
}

void PanelSimulator::clearLog() {
    std::lock_guard lock(m_impl->mutex);
    m_impl->records.clear();
}

void PanelSimulator::setLogSink(std::function<void(const ExchangeRecord&)> sink) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->sink = std::move(sink);
}

void PanelSimulator::setIdleLimit(std::chrono::milliseconds limit) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->idle = limit;
}

}  // namespace trx::sim
