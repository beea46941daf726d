#include "CliProcess.h"

#include "devices/InputDevice.h"
#include "devices/Interactive.h"
#include "devices/OutputDevice.h"
#include "model/FlipFlops.h"
#include "model/Gates.h"

namespace {

// A clock "CLK" and four D flip-flops counting its rising edges, each Q shown on an LED "Q0" to
// "Q3", lowest bit first.
void BuildCounter(TTestCircuit& circuit) {
    auto* clock = circuit.Add<TClockDevice>(0, 0);
    clock->SetLabel(QStringLiteral("CLK"));
    TGraphicObject* previous = clock->Pin(0);
    for (int i = 0; i < 4; ++i) {
        const float x = 100.0f * static_cast<float>(i + 1);
        auto* d = circuit.Add<TDFlipFlop>(x, 0);
        circuit.Wire(previous, d->Pin(TClockedFlipFlop::kPinClock));
        previous = circuit.Joint({d->Pin(TFlipFlop::kPinQBar), d->Pin(TClockedFlipFlop::kPinData)});
        auto* led = circuit.Add<TLEDDevice>(x + 50, -60);
        led->SetLabel(QStringLiteral("Q%1").arg(i));
        circuit.Wire(d->Pin(TFlipFlop::kPinQ), led->Pin(0));
    }
}

// Interactive inputs "A" and "B" into an AND gate whose output lights the LED "Y".
void BuildAndGate(TTestCircuit& circuit, const QString& a = QStringLiteral("A"),
                  const QString& b = QStringLiteral("B")) {
    auto* inputA = circuit.Add<TInteractiveInput>(-60, -10);
    auto* inputB = circuit.Add<TInteractiveInput>(-60, 10);
    inputA->SetLabel(a);
    inputB->SetLabel(b);
    auto* gate = circuit.Add<T2AndGate>(0, 0);
    auto* led = circuit.Add<TLEDDevice>(60, 0);
    led->SetLabel(QStringLiteral("Y"));
    circuit.Wire(inputA->Pin(0), gate->Pin(1));
    circuit.Wire(inputB->Pin(0), gate->Pin(2));
    circuit.Wire(gate->Pin(0), led->Pin(0));
}

// Four interactive inputs with the given labels drive both a 7-segment display (segments a to d,
// unlabelled) and a numeric display labelled "value".
void BuildDisplays(TTestCircuit& circuit, const QStringList& inputLabels) {
    auto* segments = circuit.Add<TLEDSegmentDevice>(200, 0);
    auto* digits = circuit.Add<TNumericDevice>(200, 150);
    digits->SetLabel(QStringLiteral("value"));
    for (int i = 0; i < 4; ++i) {
        auto* input = circuit.Add<TInteractiveInput>(0, 40.0f * static_cast<float>(i));
        input->SetLabel(inputLabels[i]);
        circuit.Joint({input->Pin(0), segments->Pin(i), digits->Pin(i)});
    }
}

} // namespace

TEST_F(CliTest, CounterLedsShowTheCountAfterEachNumberOfSteps) {
    TTestCircuit circuit;
    BuildCounter(circuit);
    const QString file = Save(circuit, QStringLiteral("counter.tvm"));
    // The count rises on every second step, the clock's rising edge.
    for (int steps : {0, 1, 2, 11, 30, 35}) {
        const int count = (steps / 2) % 16;
        QString expected;
        for (int i = 0; i < 4; ++i)
            expected += QStringLiteral("Q%1=%2\n").arg(i).arg((count >> i) & 1);
        const TCliResult result = RunCli({"run", file, "--steps", QString::number(steps)});
        EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        EXPECT_EQ(result.Out, expected) << steps << " steps";
    }
    // The default is one step.
    EXPECT_EQ(RunCli({"run", file}).Out, "Q0=0\nQ1=0\nQ2=0\nQ3=0\n");
}

TEST_F(CliTest, PresetsDriveTheInteractiveInputs) {
    TTestCircuit circuit;
    BuildAndGate(circuit);
    const QString file = Save(circuit, QStringLiteral("and.tvm"));
    EXPECT_EQ(RunCli({"run", file}).Out, "Y=0\n");
    EXPECT_EQ(RunCli({"run", file, "--set", "A=1"}).Out, "Y=0\n");
    EXPECT_EQ(RunCli({"run", file, "--set", "A=1", "--set=B=1"}).Out, "Y=1\n");
    EXPECT_EQ(RunCli({"run", file, "--set", "A=1", "--set", "B=1", "--set", "B=0"}).Out, "Y=0\n");

    // A preset saved high in the file is lowered by --set.
    TTestCircuit high;
    BuildAndGate(high);
    for (TInteractiveInput* input : high.Root->Inputs->Items<TInteractiveInput>())
        input->InteractiveDown();
    const QString highFile = Save(high, QStringLiteral("high.tvm"));
    EXPECT_EQ(RunCli({"run", highFile}).Out, "Y=1\n");
    EXPECT_EQ(RunCli({"run", highFile, "--set", "B=0"}).Out, "Y=0\n");
}

TEST_F(CliTest, DisplaysShowTheirSegmentsAndDigits) {
    TTestCircuit circuit;
    BuildDisplays(circuit, {"b0", "b1", "b2", "b3"});
    const QString file = Save(circuit, QStringLiteral("displays.tvm"));
    EXPECT_EQ(RunCli({"run", file}).Out, "[untitled]=0000000\nvalue=0000\n");
    // 1011 in two's complement is -5; segments a to d follow b0 to b3.
    const TCliResult result = RunCli({"run", file, "--set", "b0=1", "--set", "b1=1", "--set", "b3=1"});
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Out, "[untitled]=1101000\nvalue=00-5\n");
}

TEST_F(CliTest, BadArgumentsExitWithTwo) {
    TTestCircuit circuit;
    BuildAndGate(circuit);
    const QString file = Save(circuit, QStringLiteral("and.tvm"));
    const std::vector<std::pair<QStringList, QString>> cases = {
        {{"run", file, "--set", "C=1"}, "no interactive input labelled 'C'"},
        {{"run", file, "--set", "A=2"}, "'--set A=2' is not NAME=0 or NAME=1"},
        {{"run", file, "--set", "=1"}, "is not NAME=0 or NAME=1"},
        {{"run", file, "--steps", "-1"}, "'--steps' needs a whole number"},
        {{"run", file, "--steps", "many"}, "'--steps' needs a whole number"},
        {{"run", file, "--steps"}, "option '--steps' needs a value"},
        {{"run", file, "--trace=yes"}, "option '--trace' takes no value"},
        {{"run", file, "--fast"}, "unknown option '--fast'"},
        {{"run"}, "no circuit file given"},
        {{"run", file, file}, "one circuit file expected"},
        {{"simulate", file}, "unknown command 'simulate'"},
        {{}, "no command given"},
    };
    for (const auto& [args, message] : cases) {
        const TCliResult result = RunCli(args);
        EXPECT_EQ(result.ExitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(result.Err.contains(message)) << result.Err.toStdString();
        EXPECT_TRUE(result.Out.isEmpty()) << args.join(' ').toStdString();
    }
}

TEST_F(CliTest, UnreadableFilesExitWithTwoAndTheEditorsTexts) {
    TTestCircuit circuit;
    BuildAndGate(circuit);
    const QByteArray bytes = WriteCircuitBytes(circuit.Root, QStringLiteral("and"));
    QByteArray later = bytes;
    later[3] = 35;
    QByteArray otherType = bytes;
    otherType[1] = 0x19;
    otherType[2] = static_cast<char>(0xED);
    const std::vector<std::pair<QString, QString>> cases = {
        {Path(QStringLiteral("gone.tvm")), "Unable to locate the Tessivar file 'gone.tvm'"},
        {WriteBytes(QStringLiteral("later.tvm"), later),
         "You need a later version of Tessivar to read this file."},
        {WriteBytes(QStringLiteral("template.tvt"), otherType), "This is not a valid Tessivar file."},
        {WriteBytes(QStringLiteral("cut.tvm"), bytes.left(bytes.size() / 2)),
         "An error has occurred trying to read this Tessivar file."},
        // Endless input is read up to the size limit, not until memory runs out.
        {QStringLiteral("/dev/zero"), "An error has occurred trying to read this Tessivar file."},
    };
    for (const auto& [file, text] : cases) {
        for (const char* command : {"run", "info"}) {
            const TCliResult result = RunCli({command, file});
            EXPECT_EQ(result.ExitCode, 2) << command << " " << text.toStdString();
            EXPECT_EQ(result.Err, text + '\n');
        }
    }
}

TEST_F(CliTest, AnInverterRingHaltsWithARaceAtTheStepItStarts) {
    // The clock opens the AND gate on step 2, and the inverter behind it then feeds itself.
    TTestCircuit circuit;
    // Placed first, the inverter comes last in the calculation order, and so is the device that
    // changed last when the step gives up.
    auto* inverter = circuit.Add<TNotGate>(100, 0);
    auto* clock = circuit.Add<TClockDevice>(-100, 0);
    auto* gate = circuit.Add<T2AndGate>(0, 0);
    auto* led = circuit.Add<TLEDDevice>(200, 0);
    led->SetLabel(QStringLiteral("X"));
    circuit.Wire(clock->Pin(0), gate->Pin(1));
    circuit.Wire(gate->Pin(0), inverter->Pin(1));
    circuit.Joint({inverter->Pin(0), gate->Pin(2), led->Pin(0)});
    const QString file = Save(circuit, QStringLiteral("ring.tvm"));

    EXPECT_EQ(RunCli({"run", file}).ExitCode, 0);
    const TCliResult result = RunCli({"run", file, "--steps", "5"});
    EXPECT_EQ(result.ExitCode, 3);
    EXPECT_TRUE(result.Out.isEmpty());
    EXPECT_EQ(result.Err, "Race condition, process halted (step 2, TNotGate \"[untitled]\")\n");

    // A trace ends with the halted step.
    const TCliResult trace = RunCli({"run", file, "--steps", "5", "--trace"});
    EXPECT_EQ(trace.ExitCode, 3);
    EXPECT_EQ(trace.Out.count('\n'), 3) << trace.Out.toStdString();
}

TEST_F(CliTest, TwoEnabledTriStatesHaltWithBusContention) {
    // Both buffers are enabled by an inverter with an open input and drive one net.
    TTestCircuit circuit;
    auto* enable = circuit.Add<TNotGate>(-100, 0);
    auto* low = circuit.Add<T2AndGate>(-100, 100);
    auto* a = circuit.Add<TTriState>(0, 0);
    auto* b = circuit.Add<TTriState>(0, 100);
    auto* led = circuit.Add<TLEDDevice>(100, 50);
    circuit.Joint({enable->Pin(0), a->Pin(2), b->Pin(2)});
    circuit.Wire(enable->Pin(0), a->Pin(0));
    circuit.Wire(low->Pin(0), b->Pin(0));
    circuit.Joint({a->Pin(1), b->Pin(1), led->Pin(0)});
    const QString file = Save(circuit, QStringLiteral("bus.tvm"));

    const TCliResult result = RunCli({"run", file, "--steps", "3"});
    EXPECT_EQ(result.ExitCode, 3);
    EXPECT_TRUE(result.Out.isEmpty());
    EXPECT_TRUE(result.Err.startsWith("Bus contention, process halted (step 1, TTriState"))
        << result.Err.toStdString();
}

TEST_F(CliTest, TraceHasAColumnPerSignalAndARowPerStep) {
    TTestCircuit circuit;
    BuildCounter(circuit);
    circuit.Add<TSupply>(0, 200); // constant: left out
    const QString file = Save(circuit, QStringLiteral("counter.tvm"));
    const TCliResult result = RunCli({"run", file, "--steps", "4", "--trace"});
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Out, "step  CLK  Q0  Q1  Q2  Q3\n"
                          "1     0    0   0   0   0\n"
                          "2     1    1   0   0   0\n"
                          "3     0    1   0   0   0\n"
                          "4     1    0   1   0   0\n");
}

TEST_F(CliTest, VcdRecordsTheInitialValuesAndEveryChange) {
    TTestCircuit circuit;
    BuildCounter(circuit);
    const QString file = Save(circuit, QStringLiteral("counter.tvm"), QStringLiteral("4-bit counter"));
    const QString vcd = Path(QStringLiteral("counter.vcd"));
    const TCliResult result = RunCli({"run", file, "--steps", "4", "--vcd", vcd});
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Out, "Q0=0\nQ1=1\nQ2=0\nQ3=0\n");
    EXPECT_EQ(QString::fromUtf8(ReadBytes(vcd)), "$version tessivar-cli $end\n"
                                                 "$timescale 1 ns $end\n"
                                                 "$scope module _4_bit_counter $end\n"
                                                 "$var wire 1 ! CLK $end\n"
                                                 "$var wire 1 \" Q0 $end\n"
                                                 "$var wire 1 # Q1 $end\n"
                                                 "$var wire 1 $ Q2 $end\n"
                                                 "$var wire 1 % Q3 $end\n"
                                                 "$upscope $end\n"
                                                 "$enddefinitions $end\n"
                                                 "#0\n$dumpvars\n0!\n0\"\n0#\n0$\n0%\n$end\n"
                                                 "#2\n1!\n1\"\n"
                                                 "#3\n0!\n"
                                                 "#4\n1!\n0\"\n1#\n"
                                                 "#5\n");
}

TEST_F(CliTest, VcdDeclaresDisplaysAsVectorsUnderSafeDistinctNames) {
    TTestCircuit circuit;
    BuildDisplays(circuit, {"in put", "in put", "b2", "b3"});
    const QString file = Save(circuit, QStringLiteral("displays.tvm"));
    const QString vcd = Path(QStringLiteral("displays.vcd"));
    ASSERT_EQ(RunCli({"run", file, "--set", "in put=1", "--set", "b3=1", "--vcd", vcd}).ExitCode, 0);
    const QStringList lines = QString::fromUtf8(ReadBytes(vcd)).split('\n');
    EXPECT_TRUE(lines.contains("$scope module displays $end"));
    EXPECT_TRUE(lines.contains("$var wire 1 ! in_put $end"));
    EXPECT_TRUE(lines.contains("$var wire 1 \" in_put_2 $end"));
    EXPECT_TRUE(lines.contains("$var wire 7 % _untitled_ [0:6] $end"));
    EXPECT_TRUE(lines.contains("$var wire 4 & value [3:0] $end"));
    // The presets show from time 0 on; the displays follow at step 1.
    const qsizetype dump = lines.indexOf("$dumpvars");
    ASSERT_GE(dump, 0);
    EXPECT_EQ(lines.mid(dump + 1, 7),
              QStringList({"1!", "1\"", "0#", "1$", "b0000000 %", "b0000 &", "$end"}));
    EXPECT_EQ(lines.mid(dump + 8), QStringList({"#1", "b1101000 %", "b1011 &", "#2", ""}));
}

TEST_F(CliTest, EveryCommandExplainsItself) {
    for (const char* command : {"run", "info", "render", "resave"}) {
        const TCliResult result = RunCli({command, "--help"});
        EXPECT_EQ(result.ExitCode, 0) << command;
        EXPECT_TRUE(result.Out.startsWith(QStringLiteral("Usage: tessivar-cli %1 ").arg(command)));
        EXPECT_TRUE(result.Out.contains("3 the simulation halted"));
        EXPECT_EQ(RunCli({"help", command}).Out, result.Out);
    }
    EXPECT_TRUE(RunCli({"--help"}).Out.contains("Commands:"));
}
