// One request and one write exchange against the simulated panel on loopback, next to a minimal
// blocking client that moves the same bytes in the same process. Prints the median of each and
// their ratio.
#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/RatioReporter.h"
#include "exchange/PanelExchange.h"
#include "panel-sim/PanelSimulator.h"
#include "wire/Checksum.h"
#include "wire/Commands.h"

namespace {

using namespace trx;

sim::PanelSimulator* g_simulator = nullptr;
const PanelAddress kPanel = makeAddress(127, 0, 0, 1);

std::vector<std::uint8_t> settingsBlock() {
    std::vector<std::uint8_t> block{0x89, 0x80, 0x02, 0x02, 0x00, 0x00, 0x01, 0xFF, 0x00};
    sealChecksum(block, 8);
    return block;
}

// The least a client can do: connect, send, read until the panel closes.
int rawConnect() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(kPanel);
    addr.sin_port = htons(g_simulator->port());
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool rawSend(int fd, const void* data, std::size_t size) {
    return ::send(fd, data, size, MSG_NOSIGNAL) == static_cast<ssize_t>(size);
}

std::size_t rawReadUntilClose(int fd, std::uint8_t* buffer, std::size_t capacity) {
    std::size_t total = 0;
    while (total < capacity) {
        const ssize_t n = ::recv(fd, buffer + total, capacity - total, 0);
        if (n <= 0) {
            break;
        }
        total += static_cast<std::size_t>(n);
    }
    return total;
}

std::size_t rawReadLine(int fd, std::uint8_t* buffer, std::size_t capacity) {
    std::size_t total = 0;
    while (total < capacity) {
        const ssize_t n = ::recv(fd, buffer + total, capacity - total, 0);
        if (n <= 0) {
            return 0;
        }
        total += static_cast<std::size_t>(n);
        if (total >= 3 && buffer[total - 3] == '\r') {
            return total;
        }
    }
    return 0;
}

void BM_RequestRaw(benchmark::State& state) {
    std::uint8_t buffer[4096];
    for (auto _ : state) {
        const int fd = rawConnect();
        rawSend(fd, command::kSetDataRequest.data(), command::kSetDataRequest.size());
        const std::size_t n = rawReadUntilClose(fd, buffer, sizeof buffer);
        ::close(fd);
        if (n != 9 || !checksumHolds({buffer, n})) {
            state.SkipWithError("raw request failed");
            return;
        }
    }
}

void BM_RequestExchange(benchmark::State& state) {
    for (auto _ : state) {
        const ExchangeResult result =
            PanelExchange(g_simulator->port()).request(kPanel, command::kSetDataRequest);
        if (result.outcome != ExchangeOutcome::Ok || result.bytes.size() != 9) {
            state.SkipWithError("request exchange failed");
            return;
        }
    }
}

void BM_WriteRaw(benchmark::State& state) {
    const std::vector<std::uint8_t> block = settingsBlock();
    std::uint8_t buffer[4096];
    for (auto _ : state) {
        const int fd = rawConnect();
        rawSend(fd, command::kSetDataChange.data(), command::kSetDataChange.size());
        const std::size_t ack = rawReadLine(fd, buffer, sizeof buffer);
        if (ack < 26 || !startsWith({buffer, ack}, panel_line::kAcknowledge)) {
            ::close(fd);
            state.SkipWithError("raw write not acknowledged");
            return;
        }
        rawSend(fd, block.data(), block.size());
        const std::size_t result = rawReadLine(fd, buffer, sizeof buffer);
        ::close(fd);
        if (!startsWith({buffer, result}, panel_line::kWriteOk)) {
            state.SkipWithError("raw write failed");
            return;
        }
    }
}

void BM_WriteExchange(benchmark::State& state) {
    const std::vector<std::uint8_t> block = settingsBlock();
    for (auto _ : state) {
        const ExchangeResult result =
            PanelExchange(g_simulator->port()).write(kPanel, command::kSetDataChange, block);
        if (result.outcome != ExchangeOutcome::Ok ||
            !startsWith(result.bytes, panel_line::kWriteOk)) {
            state.SkipWithError("write exchange failed");
            return;
        }
    }
}

constexpr int kRepetitions = 9;
BENCHMARK(BM_RequestRaw)->Repetitions(kRepetitions)->ReportAggregatesOnly(true)->UseRealTime();
BENCHMARK(BM_RequestExchange)->Repetitions(kRepetitions)->ReportAggregatesOnly(true)->UseRealTime();
BENCHMARK(BM_WriteRaw)->Repetitions(kRepetitions)->ReportAggregatesOnly(true)->UseRealTime();
BENCHMARK(BM_WriteExchange)->Repetitions(kRepetitions)->ReportAggregatesOnly(true)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    sim::PanelSimulator simulator;
    if (!simulator.start({"127.0.0.1"})) {
        std::fprintf(stderr, "the simulated panel did not start\n");
        return 1;
    }
    g_simulator = &simulator;
    trx::bench::RatioReporter reporter;
    trx::bench::runInterleaved(argc, argv, reporter);
    reporter.printRatio("request exchange / raw client", "BM_RequestExchange", "BM_RequestRaw",
                        2.0);
    reporter.printRatio("write exchange / raw client", "BM_WriteExchange", "BM_WriteRaw", 2.0);
    benchmark::Shutdown();
    return 0;
}
