#include "TestCircuit.h"

#include "devices/InputDevice.h"
#include "devices/OutputDevice.h"
#include "model/Gates.h"
#include "model/TagDevice.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A macro file with three terminals: pin 0 into an inverter whose output leaves on pin 1, and pin 2,
// a tri-state bus: inside, a buffer drives it from the inverter while the enable input (pin 3) is
// high, and an OR gate listens to it and leaves its reading on pin 4. With ring set, an inverter ring
// sits inside as well.
QString WriteMacroFile(const QDir& dir, bool ring) {
    TTestCircuit inside;
    auto* in = inside.Add<TTagDevice>(-100, 0);
    auto* out = inside.Add<TTagDevice>(100, 0);
    auto* bus = inside.Add<TTagDevice>(100, 100);
    auto* enable = inside.Add<TTagDevice>(-100, 100);
    auto* heard = inside.Add<TTagDevice>(100, 200);
    auto* inverter = inside.Add<TNotGate>(0, 0);
    auto* buffer = inside.Add<TTriState>(0, 100);
    auto* listener = inside.Add<T2OrGate>(50, 200);
    inside.Wire(in->GetPin(), inverter->Pin(1));
    inside.Joint({inverter->Pin(0), out->GetPin(), buffer->Pin(0)});
    inside.Wire(enable->GetPin(), buffer->Pin(2));
    inside.Joint({buffer->Pin(1), bus->GetPin(), listener->Pin(1)});
    inside.Wire(listener->Pin(0), heard->GetPin());
    if (ring) {
        auto* looped = inside.Add<TNotGate>(0, 300);
        inside.Wire(looped->Pin(0), looped->Pin(1));
    }
    TMacro* macro = inside.Root;
    TTestCircuit::AddOutlinePin(macro, in, {-20, -20}, 0);
    TTestCircuit::AddOutlinePin(macro, out, {20, -20}, 1);
    TTestCircuit::AddOutlinePin(macro, bus, {20, 0}, 2);
    TTestCircuit::AddOutlinePin(macro, enable, {-20, 0}, 3);
    TTestCircuit::AddOutlinePin(macro, heard, {20, 20}, 4);
    TTagDevice::ClassifyTags(macro);
    const QString path = dir.filePath(ring ? "ring.tvm" : "part.tvm");
    WriteCircuit(path, macro, "part");
    return path;
}

// Reads a macro file as a closed part centred on the point, as dropping it on the canvas does.
TMacro* InsertPart(TTestCircuit& circuit, const QString& path, QPoint at) {
    TCircuit read = ReadCircuit(path);
    TMacro* part = read.Root.release();
    PrepareMacroPart(*part, at,
                     [](QPoint p) { return QPoint((p.x() + 5) / 10 * 10, (p.y() + 5) / 10 * 10); });
    circuit.Root->AddObject(part);
    return part;
}

// An input wired to a pin: a supply (high) or a ground (low).
void Drive(TTestCircuit& circuit, TPin* pin, bool high, float y) {
    TInputDevice* source = high ? static_cast<TInputDevice*>(circuit.Add<TSupply>(-300, y))
                                : static_cast<TInputDevice*>(circuit.Add<TGround>(-300, y));
    circuit.Wire(source->Pin(0), pin);
}

} // namespace

TEST(MacroPart, TagsClassifyTheOutlinePins) {
    QTemporaryDir dir;
    TTestCircuit circuit;
    TMacro* part = InsertPart(circuit, WriteMacroFile(QDir(dir.path()), false), {200, 200});
    EXPECT_TRUE(part->Closed);
    EXPECT_TRUE(part->Nested);
    EXPECT_FALSE(part->Displayed);
    EXPECT_EQ(part->Pin(0)->Kind, TPinKind::Input);
    EXPECT_EQ(part->Pin(1)->Kind, TPinKind::Output);
    EXPECT_EQ(part->Pin(2)->Kind, TPinKind::TriState);
    // The outline, pins not counted, is centred on the snapped point.
    part->ShowPins = false;
    float x, y;
    part->GetCentre(x, y);
    part->ShowPins = true;
    EXPECT_NEAR(x, 200, 5);
    EXPECT_NEAR(y, 200, 5);
}

TEST(MacroPart, LevelsCrossInEveryDirection) {
    QTemporaryDir dir;
    const QString path = WriteMacroFile(QDir(dir.path()), false);
    for (const bool input : {false, true}) {
        TTestCircuit circuit;
        TMacro* part = InsertPart(circuit, path, {0, 0});
        Drive(circuit, part->Pin(0), input, 0);
        auto* out = circuit.Add<TLEDDevice>(300, 0);
        circuit.Wire(part->Pin(1), out->Pin(0));
        // The inner buffer drives the bus out of the macro.
        Drive(circuit, part->Pin(3), true, 100);
        auto* busLed = circuit.Add<TLEDDevice>(300, 100);
        circuit.Wire(part->Pin(2), busLed->Pin(0));
        circuit.Reset();
        const TCalcResult result = circuit.Steps(2);
        EXPECT_FALSE(result.Race || result.Contention);
        EXPECT_EQ(out->LastLevel & 1, input ? 0 : 1) << "in, through the inverter, and out";
        EXPECT_EQ(busLed->LastLevel & 1, input ? 0 : 1) << "out over the bidirectional terminal";
    }
    for (const bool level : {false, true}) {
        // The inner buffer is disabled; a buffer outside drives the bus into the macro.
        TTestCircuit circuit;
        TMacro* part = InsertPart(circuit, path, {0, 0});
        Drive(circuit, part->Pin(0), false, 0);
        Drive(circuit, part->Pin(3), false, 100);
        auto* outside = circuit.Add<TTriState>(-200, 200);
        Drive(circuit, outside->Pin(0), level, 200);
        Drive(circuit, outside->Pin(2), true, 300);
        circuit.Wire(outside->Pin(1), part->Pin(2));
        auto* heard = circuit.Add<TLEDDevice>(300, 200);
        circuit.Wire(part->Pin(4), heard->Pin(0));
        circuit.Reset();
        const TCalcResult result = circuit.Steps(3);
        EXPECT_FALSE(result.Race || result.Contention);
        EXPECT_EQ(heard->LastLevel & 1, level ? 1 : 0) << "in over the bidirectional terminal";
    }
}

TEST(MacroPart, BothSidesDrivingTheBusIsContentionAtThePart) {
    QTemporaryDir dir;
    TTestCircuit circuit;
    TMacro* part = InsertPart(circuit, WriteMacroFile(QDir(dir.path()), false), {0, 0});
    Drive(circuit, part->Pin(0), false, 0);
    Drive(circuit, part->Pin(3), true, 100);
    auto* outside = circuit.Add<TTriState>(-200, 200);
    Drive(circuit, outside->Pin(2), true, 300);
    circuit.Wire(outside->Pin(1), part->Pin(2));
    circuit.Reset();
    const TCalcResult result = circuit.Step();
    EXPECT_TRUE(result.Contention);
    EXPECT_TRUE(result.Device == part || result.Device == outside);
}

TEST(MacroPart, AFaultInsideIsReportedAtThePart) {
    QTemporaryDir dir;
    TTestCircuit circuit;
    TMacro* part = InsertPart(circuit, WriteMacroFile(QDir(dir.path()), true), {0, 0});
    circuit.Reset();
    const TCalcResult result = circuit.Step();
    EXPECT_TRUE(result.Race);
    EXPECT_EQ(result.Device, part);
}

TEST(MacroPart, AClockInsideAdvancesOncePerStep) {
    TTestCircuit circuit;
    auto* part = new TMacro;
    part->Closed = false;
    TTestCircuit inside(part);
    auto* clock = inside.Add<TClockDevice>(0, 0);
    auto* tag = inside.Add<TTagDevice>(100, 0);
    inside.Wire(clock->Pin(0), tag->GetPin());
    TTestCircuit::AddOutlinePin(part, tag, {20, 0}, 0);
    TTagDevice::ClassifyTags(part);
    part->Closed = true;
    part->Nested = true;
    circuit.Root->AddObject(part);
    auto* led = circuit.Add<TLEDDevice>(200, 0);
    circuit.Wire(part->Pin(0), led->Pin(0));
    // Something outside that needs several passes, so the macro is calculated many times a step.
    auto* a = circuit.Add<TNotGate>(0, 200);
    auto* b = circuit.Add<TNotGate>(100, 200);
    circuit.Wire(a->Pin(0), b->Pin(1));
    circuit.Reset();
    std::vector<int> levels;
    for (int i = 0; i < 4; ++i) {
        circuit.Step();
        levels.push_back(led->LastLevel & 1);
    }
    EXPECT_EQ(levels, (std::vector<int>{0, 1, 0, 1}));
}
