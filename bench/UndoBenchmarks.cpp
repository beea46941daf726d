// One edit and its undo in the editor's canvas, on the circuit of 20 000 objects the file
// benchmarks read and write.

#include "BenchCircuits.h"

#include "canvas/DigitalDrawing.h"
#include "canvas/DigitalHandles.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>

namespace {

// Processor time of the process: the machine the benchmarks share may keep it waiting.
double CpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

void BM_EditAndUndo20k(benchmark::State& state) {
    TTestCircuit circuit;
    for (int row = 0; ObjectCount(*circuit.Root) < 20000; ++row)
        AddCountingAdder(circuit, 16, {0, 800.0 * row});
    QTemporaryDir dir;
    const QString path = dir.filePath("bench.tvm");
    WriteCircuit(path, circuit.Root, "bench");

    TDigitalDrawing canvas;
    canvas.resize(1920, 1080);
    canvas.SetSelectMode(true);
    canvas.LoadFromFile(path);
    const int middle = canvas.CurrentMacro->Devices->ChildCount() / 2;

    using TClock = std::chrono::steady_clock;
    TClock::duration editing{};
    TClock::duration undoing{};
    double stepBytes = 0;
    double editCpu = 0;
    double undoCpu = 0;
    double freeCpu = 0;
    for (auto _ : state) {
        // Undo builds the circuit anew, so the part is looked up again every time.
        const TClock::time_point start = TClock::now();
        const double cpuStart = CpuMilliseconds();
        canvas.Handles->SelectObject(canvas.CurrentMacro->Devices->Child(middle));
        canvas.Handles->MoveSelectionBy(5, 0);
        const TClock::time_point edited = TClock::now();
        const double cpuEdited = CpuMilliseconds();
        canvas.Undo();
        const TClock::time_point undone = TClock::now();
        const double cpuUndone = CpuMilliseconds();
        // The circuit undo replaced is freed by the event loop afterwards.
        QCoreApplication::processEvents();
        editCpu += cpuEdited - cpuStart;
        undoCpu += cpuUndone - cpuEdited;
        freeCpu += CpuMilliseconds() - cpuUndone;
        editing += edited - start;
        undoing += undone - edited;
        stepBytes = static_cast<double>(canvas.History().StepBytes());
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["edit ms"] = std::chrono::duration<double, std::milli>(editing).count() / runs;
    state.counters["undo ms"] = std::chrono::duration<double, std::milli>(undoing).count() / runs;
    state.counters["edit cpu ms"] = editCpu / runs;
    state.counters["undo cpu ms"] = undoCpu / runs;
    state.counters["free cpu ms"] = freeCpu / runs;
    state.counters["step bytes"] = stepBytes;
    state.counters["circuit bytes"] = static_cast<double>(canvas.History().Current().size());
}
BENCHMARK(BM_EditAndUndo20k)->Unit(benchmark::kMillisecond);

} // namespace

namespace {

// The editor's step on a 10 000-object circuit shown at full-HD size: settle, sample the history
// devices, repaint what the step changed where it can be seen.
void BM_EditorStep10k(benchmark::State& state) {
    TTestCircuit circuit;
    for (int row = 0; ObjectCount(*circuit.Root) < 10000; ++row)
        AddCountingAdder(circuit, 16, {0, 800.0 * row});
    QTemporaryDir dir;
    const QString path = dir.filePath("bench.tvm");
    WriteCircuit(path, circuit.Root, "bench");

    TDigitalDrawing canvas;
    canvas.resize(1920, 1080);
    canvas.LoadFromFile(path);
    TCalcResult result;
    canvas.Step(result);
    for (auto _ : state) {
        // The histories stop at 1024 samples; keep them short so every step samples.
        state.PauseTiming();
        for (TGraphicList* list : {canvas.CurrentMacro->Inputs.get(), canvas.CurrentMacro->Outputs.get()})
            for (THistoryDevice* device : list->Items<THistoryDevice>())
                device->History.clear();
        state.ResumeTiming();
        canvas.Step(result);
    }
    state.counters["objects"] = ObjectCount(*canvas.CurrentMacro);
}
BENCHMARK(BM_EditorStep10k)->Unit(benchmark::kMillisecond);

} // namespace
