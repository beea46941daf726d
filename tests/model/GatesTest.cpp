#include "TestCircuit.h"

#include "model/Gates.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct TGateCase {
    const char* Name;
    std::function<TGateDevice*()> Make;
    int Inputs;
    std::function<int(unsigned)> Expected; // bit i of the argument is input i + 1
};

int All(unsigned bits, int n) {
    return bits == (1u << n) - 1 ? 1 : 0;
}
int Any(unsigned bits) {
    return bits != 0 ? 1 : 0;
}

const TGateCase kGates[] = {
    {"TNotGate", [] { return new TNotGate; }, 1, [](unsigned b) { return 1 - static_cast<int>(b & 1); }},
    {"T2AndGate", [] { return new T2AndGate; }, 2, [](unsigned b) { return All(b, 2); }},
    {"T3AndGate", [] { return new T3AndGate; }, 3, [](unsigned b) { return All(b, 3); }},
    {"T4AndGate", [] { return new T4AndGate; }, 4, [](unsigned b) { return All(b, 4); }},
    {"T2NandGate", [] { return new T2NandGate; }, 2, [](unsigned b) { return 1 - All(b, 2); }},
    {"T3NandGate", [] { return new T3NandGate; }, 3, [](unsigned b) { return 1 - All(b, 3); }},
    {"T4NandGate", [] { return new T4NandGate; }, 4, [](unsigned b) { return 1 - All(b, 4); }},
    {"T2OrGate", [] { return new T2OrGate; }, 2, [](unsigned b) { return Any(b); }},
    {"T3OrGate", [] { return new T3OrGate; }, 3, [](unsigned b) { return Any(b); }},
    {"T4OrGate", [] { return new T4OrGate; }, 4, [](unsigned b) { return Any(b); }},
    {"T2NorGate", [] { return new T2NorGate; }, 2, [](unsigned b) { return 1 - Any(b); }},
    {"T3NorGate", [] { return new T3NorGate; }, 3, [](unsigned b) { return 1 - Any(b); }},
    {"T4NorGate", [] { return new T4NorGate; }, 4, [](unsigned b) { return 1 - Any(b); }},
    {"T2XorGate", [] { return new T2XorGate; }, 2,
     [](unsigned b) { return static_cast<int>((b ^ (b >> 1)) & 1); }},
    {"T2XnorGate", [] { return new T2XnorGate; }, 2,
     [](unsigned b) { return 1 - static_cast<int>((b ^ (b >> 1)) & 1); }},
};

} // namespace

TEST(Gates, TruthTablesReadBitZeroOnly) {
    for (const TGateCase& c : kGates) {
        std::unique_ptr<TGateDevice> gate(c.Make());
        EXPECT_STREQ(gate->ClassName(), c.Name);
        ASSERT_EQ(gate->PinCount(), c.Inputs + 1) << c.Name;
        EXPECT_EQ(gate->InputCount, c.Inputs);
        for (unsigned bits = 0; bits < (1u << c.Inputs); ++bits) {
            for (int i = 0; i < c.Inputs; ++i)
                // Levels with other bits set count by bit 0 only: 2 is low, 3 is high.
                gate->Pin(i + 1)->Level = ((bits >> i) & 1) ? 3 : 2;
            TCalcResult result;
            gate->Calculate(result);
            EXPECT_EQ(gate->Pin(0)->Level, c.Expected(bits)) << c.Name << " inputs " << bits;
            EXPECT_EQ(gate->Pin(0)->Driver, gate.get());
            EXPECT_FALSE(result.Contention || result.Race || result.Halt);
            EXPECT_EQ(result.Device, nullptr);
        }
    }
}

TEST(Gates, PinsAreWhereTheFileFormatSaysAndGatesPointRight) {
    const std::map<int, std::vector<QPoint>> inputs = {
        {2, {{-30, 10}, {-30, -10}}},
        {3, {{-30, 10}, {-30, 0}, {-30, -10}}},
        {4, {{-30, 15}, {-30, 5}, {-30, -5}, {-30, -15}}},
    };
    for (const TGateCase& c : kGates) {
        std::unique_ptr<TGateDevice> gate(c.Make());
        EXPECT_EQ(gate->Pin(0)->RoundedCentre(), QPoint(30, 0)) << c.Name;
        EXPECT_EQ(gate->Pin(0)->Kind, TPinKind::Output);
        EXPECT_FALSE(gate->Sizeable);
        EXPECT_FALSE(gate->Transformed);
        const std::vector<QPoint> expected =
            c.Inputs == 1 ? std::vector<QPoint>{{-20, 0}} : inputs.at(c.Inputs);
        for (int i = 0; i < c.Inputs; ++i) {
            EXPECT_EQ(gate->Pin(i + 1)->RoundedCentre(), expected[static_cast<size_t>(i)])
                << c.Name << " pin " << i + 1;
            EXPECT_EQ(gate->Pin(i + 1)->Kind, TPinKind::Input);
        }
        // Body, one lead per input, the output lead (and the bubble or the XOR arc).
        EXPECT_GE(gate->ChildCount(), c.Inputs + 2) << c.Name;
        EXPECT_FALSE(gate->HelpTopic.isEmpty());
    }
    T2XnorGate xnor;
    ASSERT_EQ(xnor.ChildCount(), 6);
    EXPECT_TRUE(IsA<TPolygon>(xnor.Child(1))) << "the bubble";
    EXPECT_TRUE(IsA<TPolyline>(xnor.Child(2)) && !IsA<TPolygon>(xnor.Child(2))) << "the XOR arc is a line";
    EXPECT_EQ(static_cast<TSegment*>(xnor.Child(3))->GetVertex(1), QPoint(-21, 10));
    EXPECT_EQ(static_cast<TSegment*>(xnor.Child(5))->GetVertex(0), QPoint(26, 0));
    T4OrGate or4;
    EXPECT_EQ(static_cast<TSegment*>(or4.Child(2))->GetVertex(1), QPoint(-15, 5))
        << "middle inputs end at -15";
    EXPECT_EQ(static_cast<TSegment*>(or4.Child(1))->GetVertex(1), QPoint(-17, 15));
}

TEST(Gates, UnconnectedInputsAreLow) {
    TTestCircuit circuit;
    auto* inverter = circuit.Add<TNotGate>();
    auto* nand = circuit.Add<T2NandGate>(0, 100);
    auto* andGate = circuit.Add<T2AndGate>(0, 200);
    circuit.Reset();
    circuit.Step();
    EXPECT_EQ(inverter->Pin(0)->Level, 1);
    EXPECT_EQ(nand->Pin(0)->Level, 1);
    EXPECT_EQ(andGate->Pin(0)->Level, 0);
}

TEST(Gates, RecalculatingFloodsAgainWithoutReportingAChange) {
    TTestCircuit circuit;
    auto* inverter = circuit.Add<TNotGate>();
    auto* andGate = circuit.Add<T2AndGate>(100, 0);
    TWire* wire = circuit.Wire(inverter->Pin(0), andGate->Pin(1));
    TCalcResult first;
    inverter->Calculate(first);
    EXPECT_TRUE(first.Changed);
    EXPECT_EQ(andGate->Pin(1)->Level, 1);
    andGate->Pin(1)->Driver = nullptr;
    wire->Visited = false;
    TCalcResult second;
    inverter->Calculate(second);
    EXPECT_FALSE(second.Changed);
    EXPECT_EQ(andGate->Pin(1)->Driver, inverter) << "the net is flooded again";
}

TEST(TriState, DrivesWhileEnabledAndHoldsOtherwise) {
    TTestCircuit circuit;
    auto* buffer = circuit.Add<TTriState>();
    EXPECT_EQ(buffer->Pin(0)->RoundedCentre(), QPoint(-20, 0));
    EXPECT_EQ(buffer->Pin(1)->RoundedCentre(), QPoint(20, 0));
    EXPECT_EQ(buffer->Pin(1)->Kind, TPinKind::TriState);
    EXPECT_EQ(buffer->Pin(2)->RoundedCentre(), QPoint(0, 10));
    auto* data = circuit.Add<TNotGate>(-100, 0);     // drives 1
    auto* enable = circuit.Add<TNotGate>(-100, 100); // drives 1 until its input is driven
    auto* sink = circuit.Add<T2OrGate>(100, 0);
    circuit.Wire(data->Pin(0), buffer->Pin(0));
    circuit.Wire(enable->Pin(0), buffer->Pin(2));
    circuit.Wire(buffer->Pin(1), sink->Pin(1));
    circuit.Reset();
    circuit.Step();
    EXPECT_EQ(sink->Pin(1)->Level, 1);
    EXPECT_EQ(buffer->Pin(1)->Driver, nullptr) << "the buffer forgets its own drive";

    // Disabled, the net keeps its last level.
    buffer->Pin(2)->Level = 0;
    TCalcResult result;
    buffer->Pin(0)->Level = 0;
    buffer->Calculate(result);
    EXPECT_FALSE(result.Changed);
    EXPECT_EQ(sink->Pin(1)->Level, 1);
}
