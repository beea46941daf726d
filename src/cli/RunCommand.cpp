// tessivar-cli run: load a circuit, preset its interactive inputs, run it and report its outputs.

#include "cli/CommandLine.h"
#include "devices/Signals.h"
#include "devices/Vcd.h"

#include "devices/Interactive.h"
#include "drawing/SafeFile.h"

#include <QFileInfo>

#include <algorithm>
#include <limits>

namespace {

const char* const kUsage =
    "Usage: tessivar-cli run FILE.tvm [--steps N] [--set NAME=0|1]... [--trace] [--vcd OUT.vcd]\n"
    "\n"
    "Loads the circuit as the editor does, presets its interactive inputs, resets it and runs N\n"
    "simulation steps, each exactly the editor's step. Then prints one line NAME=VALUE for every\n"
    "output device of the circuit, in the order of its outputs list:\n"
    "  LED                 0 or 1\n"
    "  7-segment display   the segments a to g as seven 0/1 characters\n"
    "  numeric display     the digits it shows\n"
    "NAME is the device's label, or [untitled] when it has none.\n"
    "\n"
    "Options:\n"
    "  --steps N        simulation steps to run (default 1; 0 only resets)\n"
    "  --set NAME=0|1   make the preset of the interactive input labelled NAME low (0) or high\n"
    "                   (1); every input of the circuit (not of its macro parts) with that label\n"
    "                   is set; a label no input has is an error\n"
    "  --trace          print a table instead: a header naming the signals, one row per step\n"
    "  --vcd OUT.vcd    also write the signals as a Value Change Dump; - writes it to standard\n"
    "                   output in place of the output lines; a pipe or a device is written into\n"
    "  -h, --help       show this text\n"
    "\n"
    "Signals of --trace and --vcd: the clocks, sequence generators and interactive inputs of the\n"
    "circuit in the order of its inputs (ground and Vcc are left out), then its LEDs (one bit),\n"
    "7-segment displays (seven bits, a to g) and numeric displays (their input lines; the trace\n"
    "shows their digits) in the order of its outputs. Devices inside macro parts are not recorded.\n"
    "The dump has one module named after the circuit; one time unit (1 ns) is one step: time 0\n"
    "holds the values after the reset, time k those after step k, and a last time stamp closes\n"
    "the final step. Characters of names other than letters, digits, _ and $ become _, and\n"
    "repeated names get _2, _3 and so on.\n"
    "\n"
    "When a step halts, prints \"Bus contention, process halted\" or \"Race condition, process\n"
    "halted\" with the step and the class and label of the offending device on stderr, prints no\n"
    "output values (a trace and a dump end with the halted step) and exits with 3.\n"
    "\n";

struct TPreset {
    QString Name;
    bool High = false;
};

// "NAME=0" or "NAME=1"; the name ends at the last '=', so a label may hold one.
std::optional<TPreset> ParsePreset(const QString& text) {
    const qsizetype equals = text.lastIndexOf(QLatin1Char('='));
    if (equals <= 0)
        return std::nullopt;
    const QString value = text.mid(equals + 1);
    if (value != QLatin1String("0") && value != QLatin1String("1"))
        return std::nullopt;
    return TPreset{text.left(equals), value == QLatin1String("1")};
}

// Gives every interactive input of the circuit labelled with the preset's name that preset; false
// when no input has that label.
bool ApplyPreset(TMacro& root, const TPreset& preset) {
    bool found = false;
    for (TSerialize* item : *root.Inputs->Children) {
        auto* input = KindCast<TInteractiveInput>(item);
        if (input && input->GetLabel() == preset.Name) {
            // A high preset is stored as all ones, as the editor's click leaves it.
            input->Preset = preset.High ? 0xFFFF : 0;
            found = true;
        }
    }
    return found;
}

// One step as the editor makes it: forget the drivers, calculate the root, then sample every input
// and output device into its history. Nothing is shown, so nothing is painted.
TCalcResult Step(TMacro& root) {
    TCalcResult result;
    root.ClearDrivers();
    root.Calculate(result);
    root.SampleValues();
    return result;
}

bool Halted(const TCalcResult& result) {
    return result.Contention || result.Race || result.Halt;
}

void ReportHalt(const TCalcResult& result, int64_t step) {
    QString where = QStringLiteral("step %1").arg(step);
    if (result.Device)
        where += QStringLiteral(", %1 \"%2\"")
                     .arg(QLatin1String(result.Device->ClassName()), DeviceName(result.Device));
    // Both faults can come out of one step; the editor shows the contention first.
    if (result.Contention)
        Err(QStringLiteral("Bus contention, process halted (%1)\n").arg(where));
    if (result.Race)
        Err(QStringLiteral("Race condition, process halted (%1)\n").arg(where));
    if (!result.Contention && !result.Race)
        Err(QStringLiteral("Process halted (%1)\n").arg(where));
}

// The table of --trace: a step column and one column per signal, each as wide as its widest text.
class TTrace {
public:
    TTrace(const std::vector<TSignal>& signalList, int64_t steps) : m_signals(signalList) {
        QStringList header{QStringLiteral("step")};
        m_widths.push_back(std::max<int>(4, static_cast<int>(QString::number(steps).size())));
        for (const TSignal& signal : m_signals) {
            header.append(signal.Name);
            m_widths.push_back(static_cast<int>(
                std::max({signal.Name.size(), signal.Text().size(), static_cast<qsizetype>(signal.Width)})));
        }
        Out(Line(header));
    }

    void Row(int64_t step) {
        QStringList cells{QString::number(step)};
        for (const TSignal& signal : m_signals)
            cells.append(signal.Text());
        Out(Line(cells));
    }

private:
    QString Line(const QStringList& cells) const {
        QString line;
        for (qsizetype i = 0; i < cells.size(); ++i) {
            if (i > 0)
                line += QStringLiteral("  ");
            line += cells[i].leftJustified(m_widths[static_cast<size_t>(i)]);
        }
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        return line + QLatin1Char('\n');
    }

    const std::vector<TSignal>& m_signals;
    std::vector<int> m_widths;
};

// What the words after "run" ask for.
struct TRunOptions {
    QString Path;
    int64_t Steps = 1;
    std::vector<TPreset> Presets;
    bool Trace = false;
    bool Vcd = false;
    QString VcdPath;
};

// Fills the options from the words after "run". Returns the exit code when the command ends here: its
// usage text was asked for, or an argument is wrong.
std::optional<int> ParseRunOptions(const QStringList& args, TRunOptions& options) {
    TCommandLine line;
    if (!line.Parse(args, {{"--steps", true}, {"--set", true}, {"--trace", false}, {"--vcd", true}}))
        return UsageError("run", line.Error);
    if (line.Help) {
        Out(QLatin1String(kUsage) + QLatin1String(kExitCodesText));
        return kExitOk;
    }
    if (line.Positional.size() != 1)
        return UsageError("run", line.Positional.isEmpty() ? QStringLiteral("no circuit file given")
                                                           : QStringLiteral("one circuit file expected"));
    options.Path = line.Positional.first();
    if (line.Has("--steps")) {
        bool ok = false;
        options.Steps = line.Value("--steps").toLongLong(&ok);
        if (!ok || options.Steps < 0 || options.Steps > std::numeric_limits<int32_t>::max())
            return UsageError("run", QStringLiteral("'--steps' needs a whole number from 0 to %1")
                                         .arg(std::numeric_limits<int32_t>::max()));
    }
    for (const QString& text : line.Values("--set")) {
        const std::optional<TPreset> preset = ParsePreset(text);
        if (!preset)
            return UsageError("run", QStringLiteral("'--set %1' is not NAME=0 or NAME=1").arg(text));
        options.Presets.push_back(*preset);
    }
    options.Trace = line.Has("--trace");
    options.Vcd = line.Has("--vcd");
    options.VcdPath = line.Value("--vcd");
    return std::nullopt;
}

int RunCircuit(const TRunOptions& options) {
    std::optional<TCircuit> circuit = LoadCircuit(options.Path);
    if (!circuit)
        return kExitUsage;
    TMacro& root = *circuit->Root;
    for (const TPreset& preset : options.Presets)
        if (!ApplyPreset(root, preset))
            return UsageError(
                "run", QStringLiteral("the circuit has no interactive input labelled '%1'").arg(preset.Name));
    PrepareRoot(root);

    const std::vector<TSignal> signalList = HistorySignals(root);
    TSafeFile vcdFile(options.VcdPath);
    std::optional<TVcdWriter> vcd;
    if (options.Vcd) {
        try {
            vcd.emplace(vcdFile.Open(), signalList,
                        circuit->Name.isEmpty() ? QFileInfo(options.Path).completeBaseName() : circuit->Name);
        } catch (const EWriteError& error) {
            return WriteError("run", options.VcdPath, error);
        }
        vcd->Sample(0);
    }
    std::optional<TTrace> trace;
    if (options.Trace)
        trace.emplace(signalList, options.Steps);

    TCalcResult result;
    int64_t step = 0;
    while (step < options.Steps && !Halted(result)) {
        result = Step(root);
        ++step;
        if (trace)
            trace->Row(step);
        if (vcd)
            vcd->Sample(step);
    }
    if (Halted(result))
        ReportHalt(result, step);
    if (vcd) {
        vcd->Finish(step + 1);
        try {
            vcdFile.Commit();
        } catch (const EWriteError& error) {
            return WriteError("run", options.VcdPath, error);
        }
    }
    if (Halted(result))
        return kExitHalted;
    if (!trace && options.VcdPath != QLatin1String("-")) {
        for (TOutputDevice* device : root.Outputs->Items<TOutputDevice>()) {
            const QString text = OutputText(device);
            if (!text.isEmpty())
                Out(DeviceName(device) + QLatin1Char('=') + text + QLatin1Char('\n'));
        }
    }
    return kExitOk;
}

} // namespace

int RunCommand(const QStringList& args) {
    TRunOptions options;
    if (const std::optional<int> exitCode = ParseRunOptions(args, options))
        return *exitCode;
    return RunCircuit(options);
}
