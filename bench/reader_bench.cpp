// What the measurement reader costs per byte from the line. The line brings
// at most 960 bytes a second; these show how far below that the reader stays,
// and that a flood without CR costs per byte, not per byte already buffered.

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "link/framing.h"
#include "link/measurement_loop.h"
#include "panel/measurements.h"

namespace kelt {
namespace {

constexpr std::string_view kMessage = "50.00,200,1000,12.0,49.5,210,30.0,45.67\n\r";

// Feeds `wire` in reads of 1 to `largestRead` bytes, as the poll loop would:
// framing, then the check and split of each read's newest line.
void ReadLikeTheLoop(MeasurementFramer& framer, std::string_view wire, std::size_t largestRead) {
    for (std::size_t turn = 0; !wire.empty(); ++turn) {
        const std::string_view read = wire.substr(0, turn % largestRead + 1);
        wire.remove_prefix(read.size());
        if (framer.Feed(read) && IsMeasurementLine(framer.currentLine()))
            benchmark::DoNotOptimize(SplitMeasurement(framer.currentLine()));
    }
}

void FloodWithoutCr(benchmark::State& state) {
    const std::string wire(static_cast<std::size_t>(state.range(0)), 'x');
    for (auto _ : state) {
        MeasurementFramer framer;
        ReadLikeTheLoop(framer, wire, 8);
        benchmark::DoNotOptimize(framer.receiveBuffer().size());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(FloodWithoutCr)->RangeMultiplier(10)->Range(10'000, 10'000'000)->Unit(benchmark::kMillisecond)->Complexity();

void MessagesInSmallReads(benchmark::State& state) {
    std::string wire;
    while (wire.size() < 1'000'000) wire += kMessage;
    for (auto _ : state) {
        MeasurementFramer framer;
        ReadLikeTheLoop(framer, wire, static_cast<std::size_t>(state.range(0)));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(wire.size()));
}
BENCHMARK(MessagesInSmallReads)->Arg(1)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);

// A reader that keeps falling behind: every read holds two lines or more, of
// which only the newest is taken out.
void MessagesInLargeReads(benchmark::State& state) {
    std::string wire;
    while (wire.size() < 1'000'000) wire += kMessage;
    for (auto _ : state) {
        MeasurementFramer framer;
        for (std::size_t at = 0; at < wire.size(); at += 100) framer.Feed(std::string_view(wire).substr(at, 100));
        benchmark::DoNotOptimize(framer.receiveBuffer().size());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(wire.size()));
}
BENCHMARK(MessagesInLargeReads)->Unit(benchmark::kMillisecond);

// The whole poll loop over a port that always has 16 bytes waiting.
struct BusyLine : LinePort, MeasurementSink, Sleeper {
    std::atomic<bool> stop{false};
    std::atomic<bool> busy{false};
    std::string wire;
    std::size_t at = 0;
    std::int64_t delivered = 0;

    std::string ReadWaiting(const std::atomic<bool>&) override {
        if (at >= wire.size()) {
            stop = true;
            return {};
        }
        const std::size_t from = at;
        at += 16;
        return wire.substr(from, 16);
    }
    void Deliver(MeasurementTexts texts) override { delivered += static_cast<std::int64_t>(texts.field[0].size()); }
    void Sleep(int) override {}
};

void PollLoopOverBusyLine(benchmark::State& state) {
    BusyLine line;
    while (line.wire.size() < 1'000'000) line.wire += kMessage;
    for (auto _ : state) {
        line.stop = false;
        line.at = 0;
        benchmark::DoNotOptimize(MeasurementLoop(line.stop, line.busy, line, line, line));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(line.wire.size()));
}
BENCHMARK(PollLoopOverBusyLine)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelt

BENCHMARK_MAIN();
