// Throughput of AsyncSocket: 1 GiB from one socket to another over loopback, both on the one run loop, as the
// FTP server moves file data (1 MiB writes queued as the previous completes, every received piece delivered).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "net/AsyncSocket.h"
#include "platform/RunLoop.h"

namespace {

constexpr std::size_t kTotal = std::size_t(1) << 30;
constexpr std::size_t kChunk = std::size_t(1) << 20;

struct Sink : AsyncSocketDelegate {
    std::vector<std::shared_ptr<AsyncSocket>> accepted;
    std::size_t received = 0;
    void onSocketDidAcceptNewSocket(AsyncSocket*, const std::shared_ptr<AsyncSocket>& s) override {
        accepted.push_back(s);
        s->readDataWithTimeoutTag(-1, 0);
    }
    void onSocketDidReadDataWithTag(AsyncSocket*, std::string_view data, std::int32_t) override {
        received += data.size();
    }
};

struct Source : AsyncSocketDelegate {
    std::shared_ptr<const std::string> chunk = std::make_shared<const std::string>(kChunk, 'v');
    std::size_t queued = 0;
    void queue(AsyncSocket* s) {
        if (queued >= kTotal) return;
        s->writeDataWithTimeoutTag(chunk, -1, 0);
        queued += kChunk;
    }
    void onSocketDidWriteDataWithTag(AsyncSocket* s, std::int32_t) override { queue(s); }
};

double peakRssMiB() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return double(ru.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

void BM_AsyncSocketLoopback1GiB(benchmark::State& state) {
    for (auto _ : state) {
        Sink sink;
        Source source;
        auto listener = AsyncSocket::create(&sink);
        if (!listener->acceptOnAddress("127.0.0.1", 0)) {
            state.SkipWithError("cannot listen on loopback");
            return;
        }
        auto client = AsyncSocket::create(&source);
        client->connectToHost("127.0.0.1", listener->localPort());
        for (int i = 0; i < 2; ++i) source.queue(client.get());  // two in flight: one sending, one waiting
        auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(5);
        while (sink.received < kTotal) {
            RunLoop::main().runOnce(100);
            if (std::chrono::steady_clock::now() > deadline) {
                state.SkipWithError("transfer did not finish within 5 minutes");
                return;
            }
        }
        benchmark::DoNotOptimize(sink.received);
        client->disconnect();
        sink.accepted.clear();
        for (int i = 0; i < 5; ++i) RunLoop::main().runOnce(0);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kTotal));
    state.counters["MB/s"] = benchmark::Counter(double(state.iterations()) * double(kTotal) / 1e6,
                                                 benchmark::Counter::kIsRate);
    state.counters["peak_RSS_MiB"] = peakRssMiB();
}

BENCHMARK(BM_AsyncSocketLoopback1GiB)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
