// One step as the logic history window follows it: every recorded device appends its sample, the
// window asks for the new column and the event loop paints it.

#include "devices/OutputDevice.h"
#include "devices/ui/AnalyserForm.h"

#include <QCoreApplication>
#include <QSpinBox>
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

void BM_LogicHistoryStep(benchmark::State& state) {
    const auto traces = static_cast<int>(state.range(0));
    std::vector<std::unique_ptr<TLEDDevice>> devices;
    TAnalyserForm history;
    history.UpDownRange->setValue(8); // the widest range: 512 columns
    for (int i = 0; i < traces; ++i) {
        devices.push_back(std::make_unique<TLEDDevice>());
        devices.back()->SetLabel(QStringLiteral("Q%1").arg(i));
        history.Traces.push_back(devices.back().get());
    }
    history.resize(1200, 120 + 16 * traces);
    history.show();
    history.RebuildTraces();
    QCoreApplication::processEvents();

    int step = 0;
    for (auto _ : state) {
        if (step == 2 * history.CycleRange()) {
            // The picture is full: a new run starts, as pressing Run again does.
            state.PauseTiming();
            history.RebuildTraces();
            QCoreApplication::processEvents();
            step = 0;
            state.ResumeTiming();
        }
        ++step;
        for (int i = 0; i < traces; ++i)
            devices[static_cast<size_t>(i)]->AppendHistory(((step >> (i % 4)) & 1));
        history.DrawTraces();
        ++history.TickCount;
        QCoreApplication::processEvents();
    }
    state.counters["steps/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LogicHistoryStep)->Arg(4)->Arg(16)->Arg(64)->Unit(benchmark::kMicrosecond);

} // namespace
