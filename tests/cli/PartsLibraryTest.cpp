// Every part of the shipped library, placed in a circuit that feeds its inputs from sequence
// generators (and a clock) and shows its outputs on LEDs, is run by the command-line runner; each
// traced step must show what the part is meant to compute.

#include "CliProcess.h"

#include "devices/InputDevice.h"
#include "devices/OutputDevice.h"

#include <QDir>
#include <QRegularExpression>

#include <functional>
#include <map>
#include <random>

namespace {

QString LibraryPath(const QString& file) {
    return QDir::cleanPath(QStringLiteral(TESSIVAR_TEST_DATA "/../../parts/library/") + file);
}

using TLevels = std::map<QString, int>;

// Reads a trace: one map of signal name to level per step, in step order.
std::vector<TLevels> ParseTrace(const QString& text) {
    QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    std::vector<TLevels> steps;
    if (lines.isEmpty())
        return steps;
    static const QRegularExpression kSpaces(QStringLiteral("\\s+"));
    const QStringList names = lines.takeFirst().split(kSpaces, Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        const QStringList cells = line.split(kSpaces, Qt::SkipEmptyParts);
        TLevels levels;
        for (qsizetype i = 1; i < names.size() && i < cells.size(); ++i)
            levels[names[i]] = cells[i].toInt();
        steps.push_back(levels);
    }
    return steps;
}

int Word(const TLevels& levels, const QString& prefix, int width = 4) {
    int value = 0;
    for (int i = 0; i < width; ++i)
        value |= levels.at(prefix + QString::number(i)) << i;
    return value;
}

class PartsLibrary : public CliTest {
protected:
    // Places the part with a generator playing each input's sequence (a clock on "CLK") and an LED
    // on each output, runs it for two steps per sequence character and returns the trace.
    std::vector<TLevels> Run(const QString& file, const QStringList& inputs, const QStringList& outputs,
                             const std::map<QString, QString>& sequences) {
        TTestCircuit circuit;
        TMacro* part = ReadCircuit(LibraryPath(file)).Root.release();
        PrepareMacroPart(*part, QPoint(400, 400), {});
        circuit.Root->AddObject(part);
        EXPECT_EQ(part->PinCount(), inputs.size() + outputs.size()) << file.toStdString();
        qsizetype length = 0;
        for (qsizetype i = 0; i < inputs.size(); ++i) {
            TSeqInputDevice* source;
            if (inputs[i] == QLatin1String("CLK")) {
                source = circuit.Add<TClockDevice>(0, 20 * i);
            } else {
                auto* generator = circuit.Add<TBitGenerator>(0, 20 * i);
                generator->SetSequence(sequences.at(inputs[i]));
                length = generator->Sequence.size();
                source = generator;
            }
            source->SetLabel(inputs[i]);
            circuit.Wire(source->Pin(0), part->Pin(static_cast<int>(i)));
        }
        for (qsizetype o = 0; o < outputs.size(); ++o) {
            auto* led = circuit.Add<TLEDDevice>(800, 20 * o);
            led->SetLabel(outputs[o]);
            circuit.Wire(part->Pin(static_cast<int>(inputs.size() + o)), led->Pin(0));
        }
        const TCliResult result = RunCli(
            {"run", Save(circuit, file.section('/', -1)), "--trace", "--steps", QString::number(2 * length)});
        EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        std::vector<TLevels> trace = ParseTrace(result.Out);
        EXPECT_EQ(static_cast<qsizetype>(trace.size()), 2 * length) << file.toStdString();
        return trace;
    }

    // Every combination of the inputs, input 0 the least significant bit of the combination's number.
    static std::map<QString, QString> Exhaustive(const QStringList& inputs) {
        std::map<QString, QString> sequences;
        for (qsizetype i = 0; i < inputs.size(); ++i)
            for (int row = 0; row < (1 << inputs.size()); ++row)
                sequences[inputs[i]] += QLatin1Char((row >> i) & 1 ? '1' : '0');
        return sequences;
    }

    // Runs every input combination and compares each second step, when the inputs have been held
    // for a whole step, with the expected outputs computed from the inputs the trace shows.
    void CheckCombinational(const QString& file, const QStringList& inputs, const QStringList& outputs,
                            const std::function<TLevels(const TLevels&)>& expected) {
        const std::vector<TLevels> trace = Run(file, inputs, outputs, Exhaustive(inputs));
        int checked = 0;
        for (size_t step = 1; step < trace.size(); step += 2) {
            const TLevels want = expected(trace[step]);
            for (const auto& [name, level] : want)
                ASSERT_EQ(trace[step].at(name), level)
                    << file.toStdString() << " step " << step + 1 << " " << name.toStdString();
            ++checked;
        }
        EXPECT_EQ(checked, 1 << inputs.size());
    }
};

QStringList Bus(const QString& prefix) {
    return {prefix + "0", prefix + "1", prefix + "2", prefix + "3"};
}

TLevels Bits(const QString& prefix, int value, int width = 4) {
    TLevels levels;
    for (int i = 0; i < width; ++i)
        levels[prefix + QString::number(i)] = (value >> i) & 1;
    return levels;
}

TEST_F(PartsLibrary, AddersAdd) {
    CheckCombinational("Arithmetic/halfadder.tvm", {"A", "B"}, {"S", "C"}, [](const TLevels& in) {
        const int total = in.at("A") + in.at("B");
        return TLevels{{"S", total & 1}, {"C", total >> 1}};
    });
    CheckCombinational("Arithmetic/fulladder.tvm", {"A", "B", "Cin"}, {"S", "Cout"}, [](const TLevels& in) {
        const int total = in.at("A") + in.at("B") + in.at("Cin");
        return TLevels{{"S", total & 1}, {"Cout", total >> 1}};
    });
    CheckCombinational("Arithmetic/adder4.tvm", Bus("A") + Bus("B") + QStringList{"Cin"},
                       Bus("S") + QStringList{"Cout"}, [](const TLevels& in) {
                           const int total = Word(in, "A") + Word(in, "B") + in.at("Cin");
                           TLevels out = Bits("S", total);
                           out["Cout"] = total >> 4;
                           return out;
                       });
}

TEST_F(PartsLibrary, AluComputesEveryOperation) {
    CheckCombinational("Arithmetic/alu4.tvm", Bus("A") + Bus("B") + QStringList{"S0", "S1", "Cin"},
                       Bus("F") + QStringList{"Cout", "Z"}, [](const TLevels& in) {
                           const int a = Word(in, "A");
                           const int b = Word(in, "B");
                           int result = 0;
                           int carry = 0;
                           switch (in.at("S1") * 2 + in.at("S0")) {
                           case 0:
                               result = a + b + in.at("Cin");
                               carry = result >> 4;
                               break;
                           case 1:
                               result = a + (~b & 15) + in.at("Cin");
                               carry = result >> 4;
                               break;
                           case 2:
                               result = a & b;
                               break;
                           default:
                               result = a | b;
                               break;
                           }
                           TLevels out = Bits("F", result & 15);
                           out["Cout"] = carry;
                           out["Z"] = (result & 15) == 0 ? 1 : 0;
                           return out;
                       });
}

TEST_F(PartsLibrary, DecodersAndSelectorsSelect) {
    CheckCombinational(
        "Decoders and Selectors/decoder2to4.tvm", {"A0", "A1", "EN"}, Bus("Y"),
        [](const TLevels& in) { return Bits("Y", in.at("EN") ? 1 << (in.at("A0") + 2 * in.at("A1")) : 0); });
    CheckCombinational("Decoders and Selectors/mux4to1.tvm", Bus("D") + QStringList{"S0", "S1"}, {"Y"},
                       [](const TLevels& in) {
                           const int selected = in.at("S0") + 2 * in.at("S1");
                           return TLevels{{"Y", in.at("D" + QString::number(selected))}};
                       });
    // Segments a to g of the digits 0 to 9; other codes leave the display dark.
    const char* const digits[10] = {"1111110", "0110000", "1101101", "1111001", "0110011",
                                    "1011011", "1011111", "1110000", "1111111", "1111011"};
    const QStringList segments{"a", "b", "c", "d", "e", "f", "g"};
    CheckCombinational("Decoders and Selectors/bcd7seg.tvm", Bus("D"), segments, [&](const TLevels& in) {
        const int code = Word(in, "D");
        TLevels out;
        for (int s = 0; s < 7; ++s)
            out[segments[s]] = code < 10 && digits[code][s] == '1' ? 1 : 0;
        return out;
    });
}

// Clocked parts: the clock is low on odd steps and rises on even ones, and each generator holds a
// bit for one clock cycle. The state expected after each rising edge is computed from the inputs
// of that cycle; CLR empties the part at once.
class ClockedPart : public PartsLibrary {
protected:
    void Check(const QString& file, const QStringList& inputs, const QStringList& outputs,
               const std::map<QString, int>& percentHigh,
               const std::function<int(int state, const TLevels& in)>& next,
               const std::function<TLevels(int state, const TLevels& in)>& shown) {
        std::mt19937 random(7);
        std::map<QString, QString> sequences;
        for (const auto& [name, percent] : percentHigh)
            for (int cycle = 0; cycle < 200; ++cycle)
                sequences[name] += QLatin1Char(static_cast<int>(random() % 100) < percent ? '1' : '0');
        const std::vector<TLevels> trace = Run(file, inputs, outputs, sequences);
        int state = 0;
        int cleared = 0;
        for (size_t step = 1; step < trace.size(); step += 2) {
            const TLevels& in = trace[step];
            ASSERT_EQ(in.at("CLK"), 1) << step;
            state = in.at("CLR") ? 0 : next(state, in);
            cleared += in.at("CLR");
            for (const auto& [name, level] : shown(state, in))
                ASSERT_EQ(in.at(name), level)
                    << file.toStdString() << " step " << step + 1 << " " << name.toStdString();
        }
        EXPECT_GT(cleared, 0);
    }
};

TEST_F(ClockedPart, RegisterLoadsHoldsAndClears) {
    Check(
        "Registers and Counters/register4.tvm", Bus("D") + QStringList{"LOAD", "CLK", "CLR"}, Bus("Q"),
        {{"D0", 50}, {"D1", 50}, {"D2", 50}, {"D3", 50}, {"LOAD", 40}, {"CLR", 8}},
        [](int state, const TLevels& in) { return in.at("LOAD") ? Word(in, "D") : state; },
        [](int state, const TLevels&) { return Bits("Q", state); });
}

TEST_F(ClockedPart, CounterCountsWhileEnabled) {
    Check(
        "Registers and Counters/counter4.tvm", {"EN", "CLK", "CLR"}, Bus("Q") + QStringList{"CO"},
        {{"EN", 85}, {"CLR", 3}},
        [](int state, const TLevels& in) { return in.at("EN") ? (state + 1) & 15 : state; },
        [](int state, const TLevels& in) {
            TLevels out = Bits("Q", state);
            out["CO"] = in.at("EN") && state == 15 ? 1 : 0;
            return out;
        });
}

TEST_F(ClockedPart, ShiftRegisterShifts) {
    Check(
        "Registers and Counters/shift4.tvm", {"SI", "CLK", "CLR"}, Bus("Q"), {{"SI", 50}, {"CLR", 5}},
        [](int state, const TLevels& in) { return ((state << 1) | in.at("SI")) & 15; },
        [](int state, const TLevels&) { return Bits("Q", state); });
}

} // namespace
