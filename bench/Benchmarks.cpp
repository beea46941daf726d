// Speed of the settling loop, of file reading and writing and of painting, on circuits generated
// in code. Run with ./bench.sh; results and targets are in bench/README.md.

#include "BenchCircuits.h"

#include "devices/StreamClasses.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>

// Every heap allocation of the process is counted, so a benchmark can report the allocations a
// simulation step makes.
namespace {
std::atomic<int64_t> g_allocations{0};
}

void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

void Step(TMacro& root) {
    TCalcResult result;
    root.ClearDrivers();
    root.Calculate(result);
    if (result.Race || result.Contention)
        std::abort();
}

// Runs the circuit and reports steps and device calculations per second, and heap allocations per
// step.
void RunSteps(benchmark::State& state, TTestCircuit& circuit) {
    circuit.Reset();
    for (int i = 0; i < 4; ++i)
        Step(*circuit.Root);
    const int64_t calculationsBefore = TMacro::CalculationCount();
    const int64_t allocationsBefore = g_allocations.load();
    int64_t steps = 0;
    for (auto _ : state) {
        Step(*circuit.Root);
        ++steps;
    }
    const auto calculations = static_cast<double>(TMacro::CalculationCount() - calculationsBefore);
    state.counters["steps/s"] = benchmark::Counter(static_cast<double>(steps), benchmark::Counter::kIsRate);
    state.counters["calcs/s"] = benchmark::Counter(calculations, benchmark::Counter::kIsRate);
    state.counters["calcs/step"] = calculations / static_cast<double>(std::max<int64_t>(steps, 1));
    state.counters["allocs/step"] = static_cast<double>(g_allocations.load() - allocationsBefore) /
                                    static_cast<double>(std::max<int64_t>(steps, 1));
    state.counters["devices"] = DeviceCount(*circuit.Root);
}

void BM_Counter32(benchmark::State& state) {
    TTestCircuit circuit;
    AddClockedCounter(circuit, 32, {0, 0});
    RunSteps(state, circuit);
}
BENCHMARK(BM_Counter32);

void BM_Adder16(benchmark::State& state) {
    TTestCircuit circuit;
    AddCountingAdder(circuit, 16, {0, 0});
    RunSteps(state, circuit);
}
BENCHMARK(BM_Adder16);

void BM_InverterChain1000(benchmark::State& state) {
    TTestCircuit circuit;
    AddInverterChain(circuit, 1000, {0, 0});
    RunSteps(state, circuit);
}
BENCHMARK(BM_InverterChain1000);

void BM_InverterChain100000(benchmark::State& state) {
    TTestCircuit circuit;
    AddInverterChain(circuit, 100000, {0, 0});
    RunSteps(state, circuit);
}
BENCHMARK(BM_InverterChain100000)->Unit(benchmark::kMillisecond);

// Listed from the last inverter to the first: every pass moves the change one gate on.
void BM_ReversedChain1000(benchmark::State& state) {
    TTestCircuit circuit;
    AddReversedChain(circuit, 1000, {0, 0});
    RunSteps(state, circuit);
}
BENCHMARK(BM_ReversedChain1000)->Unit(benchmark::kMicrosecond);

// A step of the command-line runner: the editor's step, then one history sample of every input and
// output device.
void BM_RunnerStepCounter32(benchmark::State& state) {
    TTestCircuit circuit;
    AddClockedCounter(circuit, 32, {0, 0});
    circuit.Reset();
    for (auto _ : state) {
        Step(*circuit.Root);
        circuit.Root->SampleValues();
        // The histories stop at 1024 samples; keep them short so every step samples.
        state.PauseTiming();
        for (TSerialize* item : *circuit.Root->Outputs->Children)
            static_cast<THistoryDevice*>(item)->History.clear();
        for (TSerialize* item : *circuit.Root->Inputs->Children)
            static_cast<THistoryDevice*>(item)->History.clear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RunnerStepCounter32);

void BM_NestedAdder16(benchmark::State& state) {
    TTestCircuit circuit;
    AddNestedAdder(circuit, 16, 3, {0, 0});
    RunSteps(state, circuit);
}
BENCHMARK(BM_NestedAdder16);

// A 16K x 16 RAM written through its pins, then read back through them.
void BM_Ram16Kx16(benchmark::State& state) {
    TTestCircuit circuit;
    TMemoryBench bench = AddMemoryBench(circuit, 14, 16);
    circuit.Reset();
    const bool writing = state.range(0) != 0;
    bench.Write->State = writing ? 1 : 0;
    bench.Write->Preset = writing ? 0xFFFF : 0;
    RunSteps(state, circuit);
    state.SetLabel(writing ? "write" : "read");
}
BENCHMARK(BM_Ram16Kx16)->Arg(1)->Arg(0);

std::unique_ptr<TMacro> CircuitOfObjects(int objects) {
    TTestCircuit circuit;
    for (int row = 0; ObjectCount(*circuit.Root) < objects; ++row)
        AddCountingAdder(circuit, 16, {0, 800.0 * row});
    return circuit.Release();
}

void BM_SaveCircuit20k(benchmark::State& state) {
    std::unique_ptr<TMacro> circuit = CircuitOfObjects(20000);
    int64_t bytes = 0;
    for (auto _ : state)
        bytes += WriteCircuitBytes(circuit.get(), "bench").size();
    state.SetBytesProcessed(bytes);
    state.counters["objects"] = ObjectCount(*circuit);
}
BENCHMARK(BM_SaveCircuit20k)->Unit(benchmark::kMillisecond);

void BM_LoadCircuit20k(benchmark::State& state) {
    std::unique_ptr<TMacro> circuit = CircuitOfObjects(20000);
    const QByteArray file = WriteCircuitBytes(circuit.get(), "bench");
    int64_t bytes = 0;
    for (auto _ : state) {
        TCircuit read = ReadCircuitBytes(file);
        benchmark::DoNotOptimize(read.Root.get());
        bytes += file.size();
        // Freeing the circuit read is not part of loading it.
        state.PauseTiming();
        read.Root.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(bytes);
    state.counters["file bytes"] = static_cast<double>(file.size());
}
BENCHMARK(BM_LoadCircuit20k)->Unit(benchmark::kMillisecond);

// Reading a circuit of macro parts nested N levels deep and making it a root: the reset builds the
// calculation order of every level.
void BM_LoadNested(benchmark::State& state) {
    const QByteArray file = WriteCircuitBytes(NestedLevels(static_cast<int>(state.range(0))).get(), "nested");
    for (auto _ : state) {
        TCircuit read = ReadCircuitBytes(file);
        PrepareRoot(*read.Root);
        benchmark::DoNotOptimize(read.Root.get());
        state.PauseTiming();
        read.Root.reset();
        state.ResumeTiming();
    }
    state.counters["file bytes"] = static_cast<double>(file.size());
}
BENCHMARK(BM_LoadNested)->Arg(100)->Arg(300)->Arg(900)->Arg(980)->Unit(benchmark::kMillisecond);

std::unique_ptr<TMacro> MemoryCircuit() {
    TTestCircuit circuit;
    auto* memory = circuit.Add<TMemoryDevice>();
    memory->Configure(true, 14, 16);
    std::mt19937 random(1);
    for (int i = 0; i < memory->WordCount; ++i)
        memory->SetWord(i, random() & 0xFFFF);
    return circuit.Release();
}

void BM_SaveMemory16Kx16(benchmark::State& state) {
    std::unique_ptr<TMacro> circuit = MemoryCircuit();
    int64_t bytes = 0;
    for (auto _ : state)
        bytes += WriteCircuitBytes(circuit.get(), "memory").size();
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_SaveMemory16Kx16)->Unit(benchmark::kMillisecond);

void BM_LoadMemory16Kx16(benchmark::State& state) {
    std::unique_ptr<TMacro> circuit = MemoryCircuit();
    const QByteArray file = WriteCircuitBytes(circuit.get(), "memory");
    int64_t bytes = 0;
    for (auto _ : state) {
        TCircuit read = ReadCircuitBytes(file);
        benchmark::DoNotOptimize(read.Root.get());
        bytes += file.size();
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_LoadMemory16Kx16)->Unit(benchmark::kMillisecond);

// A whole 10 000-object circuit painted into a full-HD image, scaled to fit.
void BM_Paint10k(benchmark::State& state) {
    std::unique_ptr<TMacro> circuit = CircuitOfObjects(10000);
    const TRect bounds = circuit->GetBounds();
    QImage image(1920, 1080, QImage::Format_RGB32);
    const double scale = std::min(1920.0 / bounds.Width(), 1080.0 / bounds.Height());
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter dc(&image);
        dc.scale(scale, scale);
        dc.translate(-bounds.Left, -bounds.Top);
        circuit->Draw(dc);
    }
    state.counters["objects"] = ObjectCount(*circuit);
}
BENCHMARK(BM_Paint10k)->Unit(benchmark::kMillisecond);

// The largest circuits last: what they leave in the allocator would slow the benchmarks after them.
// Counters side by side until the circuit holds the requested number of devices.
void BM_CounterScaled(benchmark::State& state) {
    TTestCircuit circuit;
    for (int row = 0; DeviceCount(*circuit.Root) < state.range(0); ++row)
        AddClockedCounter(circuit, 32, {0, 400.0 * row});
    RunSteps(state, circuit);
}
BENCHMARK(BM_CounterScaled)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_AdderScaled(benchmark::State& state) {
    TTestCircuit circuit;
    for (int row = 0; DeviceCount(*circuit.Root) < state.range(0); ++row)
        AddCountingAdder(circuit, 16, {0, 800.0 * row});
    RunSteps(state, circuit);
}
BENCHMARK(BM_AdderScaled)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    RegisterStreamClasses();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
