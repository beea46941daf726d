// Saving and loading a circuit whose clock line runs through 100 000 joints. In the stream every joint
// is nested inside the wire before it, so this measures the reader and writer following references on
// a stack of their own.

#include "BenchCircuits.h"

#include "devices/InputDevice.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kJoints = 100000;

// A clock driving the inputs of kJoints + 1 inverters, a joint beside each one, drawn as one line.
std::unique_ptr<TMacro> ClockLine() {
    TTestCircuit circuit;
    auto* clock = circuit.Add<TClockDevice>(0, -60);
    std::vector<TGraphicObject*> ends = {clock->Pin(0)};
    for (int i = 0; i <= kJoints; ++i) {
        auto* inverter =
            circuit.Add<TNotGate>(static_cast<float>(60 * (i % 500)), static_cast<float>(80 * (i / 500)));
        ends.push_back(inverter->Pin(1));
    }
    Net(circuit, ends);
    return circuit.Release();
}

void BM_SaveClockLine100k(benchmark::State& state) {
    std::unique_ptr<TMacro> circuit = ClockLine();
    int64_t bytes = 0;
    for (auto _ : state)
        bytes += WriteCircuitBytes(circuit.get(), "clock line").size();
    state.SetBytesProcessed(bytes);
    state.counters["joints"] = static_cast<double>(circuit->Solders->ChildCount());
}
BENCHMARK(BM_SaveClockLine100k)->Unit(benchmark::kMillisecond);

void BM_LoadClockLine100k(benchmark::State& state) {
    std::unique_ptr<TMacro> circuit = ClockLine();
    const QByteArray file = WriteCircuitBytes(circuit.get(), "clock line");
    circuit.reset();
    int64_t bytes = 0;
    for (auto _ : state) {
        TCircuit read = ReadCircuitBytes(file);
        benchmark::DoNotOptimize(read.Root.get());
        bytes += file.size();
        state.PauseTiming();
        read.Root.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(bytes);
    state.counters["file bytes"] = static_cast<double>(file.size());
}
BENCHMARK(BM_LoadClockLine100k)->Unit(benchmark::kMillisecond);

} // namespace
