#include "TestCircuit.h"

#include "devices/InputDevice.h"
#include "devices/Interactive.h"
#include "devices/OutputDevice.h"
#include "model/Gates.h"
#include "model/TagDevice.h"

#include <gtest/gtest.h>

TEST(Settle, EmptyMacroSettlesAtOnce) {
    TTestCircuit circuit;
    circuit.Reset();
    const TCalcResult result = circuit.Step();
    EXPECT_FALSE(result.Changed || result.Race || result.Contention || result.Halt);
    EXPECT_EQ(result.Device, nullptr);
}

TEST(Settle, CombinationalLogicSettles) {
    // A full adder of two half adders: sum = a xor b xor c, carry = majority.
    for (unsigned bits = 0; bits < 8; ++bits) {
        TTestCircuit circuit;
        std::vector<TNotGate*> sources;
        std::vector<TNotGate*> inverters;
        for (int i = 0; i < 3; ++i) {
            // An inverter of an inverter whose input is open drives 0; one inverter drives 1.
            auto* first = circuit.Add<TNotGate>(-200, 100.0f * static_cast<float>(i));
            if ((bits >> i) & 1) {
                sources.push_back(first);
            } else {
                auto* second = circuit.Add<TNotGate>(-150, 100.0f * static_cast<float>(i));
                circuit.Wire(first->Pin(0), second->Pin(1));
                sources.push_back(second);
            }
        }
        auto* x1 = circuit.Add<T2XorGate>(0, 0);
        auto* x2 = circuit.Add<T2XorGate>(100, 0);
        auto* a1 = circuit.Add<T2AndGate>(0, 100);
        auto* a2 = circuit.Add<T2AndGate>(100, 100);
        auto* carry = circuit.Add<T2OrGate>(200, 100);
        circuit.Joint({sources[0]->Pin(0), x1->Pin(1), a1->Pin(1)});
        circuit.Joint({sources[1]->Pin(0), x1->Pin(2), a1->Pin(2)});
        circuit.Joint({x1->Pin(0), x2->Pin(1), a2->Pin(1)});
        circuit.Joint({sources[2]->Pin(0), x2->Pin(2), a2->Pin(2)});
        circuit.Wire(a1->Pin(0), carry->Pin(1));
        circuit.Wire(a2->Pin(0), carry->Pin(2));
        circuit.Reset();
        const TCalcResult result = circuit.Step();
        EXPECT_FALSE(result.Race || result.Contention) << bits;
        const int ones = std::popcount(bits);
        EXPECT_EQ(x2->Pin(0)->Level, ones & 1) << bits;
        EXPECT_EQ(carry->Pin(0)->Level, ones >= 2 ? 1 : 0) << bits;
    }
}

TEST(Settle, InverterRingIsARaceAtTheInverter) {
    TTestCircuit circuit;
    TNotGate* ring = circuit.AddRing();
    circuit.Reset();
    const TCalcResult result = circuit.Step();
    EXPECT_TRUE(result.Race);
    EXPECT_FALSE(result.Contention);
    EXPECT_EQ(result.Device, ring);
}

TEST(Settle, TwoEnabledBuffersAreContentionAtTheLaterOne) {
    TTestCircuit circuit;
    auto [a, b] = circuit.AddBusFight();
    circuit.Reset();
    const TCalcResult result = circuit.Step();
    EXPECT_TRUE(result.Contention);
    EXPECT_TRUE(result.Changed);
    EXPECT_FALSE(result.Race);
    const auto& order = circuit.Root->CalcOrder;
    const auto posA = std::find(order.begin(), order.end(), a);
    const auto posB = std::find(order.begin(), order.end(), b);
    EXPECT_EQ(result.Device, posA < posB ? static_cast<TDevice*>(b) : a);
    EXPECT_TRUE(static_cast<TTriState*>(result.Device)->Contended);
}

TEST(Settle, TwoGatesFightingIsARace) {
    TTestCircuit circuit;
    auto* high = circuit.Add<TNotGate>(0, 0);
    auto* low = circuit.Add<T2AndGate>(0, 100);
    auto* sink = circuit.Add<T2OrGate>(100, 50);
    circuit.Joint({high->Pin(0), low->Pin(0), sink->Pin(1)});
    circuit.Reset();
    const TCalcResult result = circuit.Step();
    EXPECT_TRUE(result.Race);
    EXPECT_FALSE(result.Contention);
    EXPECT_TRUE(result.Device == high || result.Device == low);
}

TEST(Settle, FaultsNameTheDeviceOnlyAtTheShownLevel) {
    // A ring inside a closed macro part, shown from the root: the message points at the part.
    TTestCircuit circuit;
    TNotGate* inner = nullptr;
    TMacro* part = circuit.AddInverterMacro(0, 0, &inner);
    TTestCircuit inside(part);
    inside.AddRing(0, 200);
    circuit.Reset();
    TCalcResult result = circuit.Step();
    EXPECT_TRUE(result.Race);
    EXPECT_EQ(result.Device, part);

    // The same fault while the part is the level shown names the inverter inside.
    circuit.Root->Displayed = false;
    part->Displayed = true;
    circuit.Reset();
    circuit.Root->Displayed = false;
    part->Displayed = true;
    result = circuit.Step();
    EXPECT_TRUE(result.Race);
    ASSERT_NE(result.Device, nullptr);
    EXPECT_NE(result.Device, part);
    EXPECT_TRUE(IsA<TNotGate>(result.Device));

    // A fault in the root while a nested level is shown has no device: "at higher level".
    TTestCircuit other;
    TMacro* shown = other.AddInverterMacro(0, 0);
    other.AddRing(0, 200);
    other.Reset();
    other.Root->Displayed = false;
    shown->Displayed = true;
    result = other.Step();
    EXPECT_TRUE(result.Race);
    EXPECT_EQ(result.Device, nullptr);
}

TEST(Settle, MacroPartPassesLevelsThroughItsTags) {
    TTestCircuit circuit;
    auto* source = circuit.Add<TNotGate>(-100, 0); // drives 1
    TMacro* part = circuit.AddInverterMacro(0, 0);
    auto* sink = circuit.Add<T2OrGate>(100, 0);
    circuit.Wire(source->Pin(0), part->Pin(0));
    circuit.Wire(part->Pin(1), sink->Pin(1));
    circuit.Reset();
    EXPECT_EQ(part->Pin(0)->Kind, TPinKind::Input)
        << "the tag on an input classifies its outline pin as input";
    EXPECT_EQ(part->Pin(1)->Kind, TPinKind::Output);
    TCalcResult result = circuit.Step();
    EXPECT_FALSE(result.Race || result.Contention);
    EXPECT_EQ(sink->Pin(1)->Level, 0);
    // Drive the input low through a second inverter and the output follows.
    auto* again = circuit.Add<TNotGate>(-200, 0);
    circuit.Root->Wires->DeleteChild(source->Pin(0)->Wire);
    circuit.Wire(source->Pin(0), again->Pin(1));
    circuit.Wire(again->Pin(0), part->Pin(0));
    circuit.Reset();
    result = circuit.Step();
    EXPECT_EQ(sink->Pin(1)->Level, 1);
}

TEST(Settle, NestedOscillatorsStopAtTheStepBudget) {
    // Rings nested four levels deep would take 201^4 passes; the step gives up and reports a race.
    TTestCircuit circuit;
    TMacro* level = circuit.Root;
    for (int depth = 0; depth < 4; ++depth) {
        auto* macro = new TMacro;
        macro->Nested = true;
        macro->Closed = true;
        TTestCircuit inside(macro);
        inside.AddRing();
        level->AddObject(macro);
        level = macro;
    }
    circuit.Reset();
    const TCalcResult result = circuit.Step();
    EXPECT_TRUE(result.Race);
}

TEST(Settle, CalculationOrderPutsDriversFirst) {
    TTestCircuit circuit;
    // Placed in reverse: the sink first, then the gate driving it, then that gate's driver.
    auto* last = circuit.Add<T2OrGate>(200, 0);
    auto* middle = circuit.Add<TNotGate>(100, 0);
    auto* first = circuit.Add<TNotGate>(0, 0);
    circuit.Wire(first->Pin(0), middle->Pin(1));
    circuit.Wire(middle->Pin(0), last->Pin(1));
    circuit.Reset();
    const auto& order = circuit.Root->CalcOrder;
    ASSERT_EQ(order.size(), 3u);
    EXPECT_LT(std::find(order.begin(), order.end(), middle), std::find(order.begin(), order.end(), last));
}

TEST(Settle, ClearInputs) {
    TTestCircuit circuit;
    auto* inverter = circuit.Add<TNotGate>();
    auto* sink = circuit.Add<T2OrGate>(100, 0);
    TWire* wire = circuit.Wire(inverter->Pin(0), sink->Pin(1));
    circuit.Reset();
    circuit.Step();
    EXPECT_EQ(wire->Level, 1);
    circuit.Root->ClearInputs(1);
    EXPECT_EQ(sink->Pin(1)->Level, 0) << "a macro clears its devices' inputs to 0";
    EXPECT_EQ(sink->Pin(1)->Driver, nullptr);
    EXPECT_EQ(inverter->Pin(0)->Level, 1) << "outputs keep their levels";
}

TEST(Settle, DeletingADeviceTakesItOutOfTheOrder) {
    TTestCircuit circuit;
    auto* inverter = circuit.Add<TNotGate>();
    auto* sink = circuit.Add<T2OrGate>(100, 0);
    circuit.Wire(inverter->Pin(0), sink->Pin(1));
    circuit.Reset();
    circuit.Step();
    circuit.Root->DeleteChild(inverter);
    EXPECT_EQ(std::count(circuit.Root->CalcOrder.begin(), circuit.Root->CalcOrder.end(), inverter), 0);
    circuit.Root->BuildCalcOrder();
    EXPECT_EQ(circuit.Root->CalcOrder.size(), 1u);
    circuit.Step();
}

// A level keeps the levels and drivers of its pins and wires in arrays of its own once its order
// is built; objects deleted, cut away or outliving their level must not lose or corrupt them.
TEST(Settle, LevelsFollowObjectsOutOfTheLevelThatKeptThem) {
    auto circuit = std::make_unique<TTestCircuit>();
    auto* first = circuit->Add<TNotGate>();
    auto* second = circuit->Add<TNotGate>(100, 0);
    auto* third = circuit->Add<TNotGate>(200, 0);
    circuit->Wire(first->Pin(0), second->Pin(1));
    TWire* last = circuit->Wire(second->Pin(0), third->Pin(1));
    circuit->Reset();
    circuit->Step();
    EXPECT_EQ(third->Pin(1)->Level, 0);
    EXPECT_EQ(last->Driver, second);

    // A wire deleted between steps: the next step floods what is left and keeps the rest.
    circuit->Root->DeleteChild(last);
    EXPECT_FALSE(circuit->Step().Race);
    EXPECT_EQ(third->Pin(1)->Level, 0);
    EXPECT_EQ(third->Pin(0)->Level, 1);

    // A gate cut out of its level keeps its levels when the level goes.
    circuit->Root->Devices->Children->Remove(first);
    circuit.reset();
    std::unique_ptr<TNotGate> cut(first);
    EXPECT_EQ(cut->Pin(0)->Level, 1);
    EXPECT_EQ(cut->Pin(0)->Driver, cut.get());

    // Pasted into another circuit it works there.
    TTestCircuit other;
    other.Root->AddObject(cut.release());
    auto* sink = other.Add<TNotGate>(100, 0);
    other.Wire(first->Pin(0), sink->Pin(1));
    other.Reset();
    other.Steps(2);
    EXPECT_EQ(sink->Pin(1)->Level, 1);
    EXPECT_EQ(sink->Pin(0)->Level, 0);
    EXPECT_EQ(sink->Pin(1)->Driver, first);
}

TEST(Settle, PassThroughMacroPassesLevelsFromTheFirstStep) {
    // A part that only routes signals: each input tag is wired straight to an output tag. One
    // output reaches its LED directly, the other two LEDs through a joint.
    auto* macro = new TMacro;
    macro->Closed = false;
    TTestCircuit inside(macro);
    std::vector<TTagDevice*> tags;
    for (int i = 0; i < 4; ++i) {
        tags.push_back(
            inside.Add<TTagDevice>(static_cast<float>(50 * (i % 2)), static_cast<float>(50 * (i / 2))));
        TTestCircuit::AddOutlinePin(macro, tags.back(), {i % 2 ? 20 : -20, 20 * (i / 2)}, i);
    }
    inside.Wire(tags[0]->GetPin(), tags[1]->GetPin());
    inside.Wire(tags[2]->GetPin(), tags[3]->GetPin());
    TTagDevice::ClassifyTags(macro);
    macro->Closed = true;
    macro->Nested = true;

    TTestCircuit circuit;
    circuit.Root->AddObject(macro);
    circuit.Wire(circuit.Add<TSupply>(-100, 0)->Pin(0), macro->Pin(0));
    circuit.Wire(circuit.Add<TSupply>(-100, 20)->Pin(0), macro->Pin(2));
    auto* direct = circuit.Add<TLEDDevice>(100, 0);
    circuit.Wire(macro->Pin(1), direct->Pin(0));
    auto* joined1 = circuit.Add<TLEDDevice>(100, 40);
    auto* joined2 = circuit.Add<TLEDDevice>(100, 60);
    circuit.Joint({macro->Pin(3), joined1->Pin(0), joined2->Pin(0)});
    circuit.Reset();
    const TCalcResult result = circuit.Step();
    EXPECT_FALSE(result.Race || result.Contention);
    EXPECT_EQ(direct->LastLevel, 1);
    EXPECT_EQ(joined1->LastLevel, 1);
    EXPECT_EQ(joined2->LastLevel, 1);
    EXPECT_EQ(tags[0]->Direction, TTagDirection::Input);
    EXPECT_EQ(tags[3]->Direction, TTagDirection::Output);
}

TEST(Settle, ARaceAfterAResetIsNotReportedAsContention) {
    // A tri-state buffer enabled only before Vcc first drives (an inverter of Vcc enables it) shares
    // its net with a gate; a NAND ring starts oscillating when an interactive input is switched on.
    TTestCircuit circuit;
    auto* enable = circuit.Add<TNotGate>(0, 200);
    auto* fixed = circuit.Add<T2AndGate>(0, 0);
    auto* buffer = circuit.Add<TTriState>(0, 100);
    circuit.Wire(circuit.Add<TSupply>(-100, 200)->Pin(0), enable->Pin(1));
    circuit.Wire(enable->Pin(0), buffer->Pin(2));
    circuit.Joint({fixed->Pin(0), buffer->Pin(1), circuit.Add<T2OrGate>(100, 50)->Pin(1)});
    auto* ring = circuit.Add<T2NandGate>(0, 300);
    auto* start = circuit.Add<TInteractiveInput>(-100, 300);
    circuit.Wire(start->Pin(0), ring->Pin(1));
    circuit.Wire(ring->Pin(0), ring->Pin(2));
    circuit.Reset();
    EXPECT_FALSE(circuit.Steps(3).Race);
    start->InteractiveDown();
    const TCalcResult result = circuit.Step();
    EXPECT_TRUE(result.Race);
    EXPECT_FALSE(result.Contention);
    EXPECT_EQ(result.Device, ring);
}

TEST(Settle, LimitsOfTheLoop) {
    // A ring gives up after exactly the bound's passes: one calculation per pass.
    {
        TTestCircuit circuit;
        circuit.AddRing();
        circuit.Reset();
        const int64_t before = TMacro::CalculationCount();
        EXPECT_TRUE(circuit.Step().Race);
        EXPECT_EQ(TMacro::CalculationCount() - before, TMacro::kMaxPasses + 1);
    }
    // An oscillation through a part's tags (its output wired back to its input) is stopped by the
    // step budget long before the bound.
    {
        TTestCircuit circuit;
        TMacro* part = circuit.AddInverterMacro(0, 0);
        circuit.Wire(part->Pin(1), part->Pin(0));
        circuit.Root->StepBudget = 60;
        circuit.Reset();
        const int64_t before = TMacro::CalculationCount();
        const TCalcResult result = circuit.Step();
        EXPECT_TRUE(result.Race);
        EXPECT_EQ(result.Device, part);
        EXPECT_LT(TMacro::CalculationCount() - before, 2 * circuit.Root->StepBudget);
    }
    // Contention inside a closed part, shown from the root, names the part.
    {
        TTestCircuit circuit;
        TMacro* part = circuit.AddInverterMacro(0, 0);
        TTestCircuit(part).AddBusFight();
        circuit.Reset();
        const TCalcResult result = circuit.Step();
        EXPECT_TRUE(result.Contention);
        EXPECT_EQ(result.Device, part);
    }
}

TEST(Settle, ChainsWithoutFeedbackSettleWhateverTheirOrder) {
    // 300 inverters placed from the last to the first: each pass moves the change one gate on.
    TTestCircuit circuit;
    auto* led = circuit.Add<TLEDDevice>(0, 0);
    TPin* next = led->Pin(0);
    std::vector<TNotGate*> chain;
    for (int i = 0; i < 300; ++i) {
        chain.push_back(circuit.Add<TNotGate>(static_cast<float>(-60 * i), 100));
        circuit.Wire(chain.back()->Pin(0), next);
        next = chain.back()->Pin(1);
    }
    auto* clock = circuit.Add<TClockDevice>(-20000, 100);
    circuit.Wire(clock->Pin(0), next);
    circuit.Reset();
    for (int step = 1; step <= 4; ++step) {
        const TCalcResult result = circuit.Step();
        EXPECT_FALSE(result.Race || result.Contention) << step;
        // The clock drives 0, 1, 0, 1; an even number of inverters passes it on.
        EXPECT_EQ(led->LastLevel, (step + 1) % 2) << step;
    }
    // A ring next to the chain is still a race at the ring, found at the bound.
    TNotGate* ring = circuit.AddRing(0, 300);
    circuit.Reset();
    const int64_t before = TMacro::CalculationCount();
    const TCalcResult result = circuit.Step();
    EXPECT_TRUE(result.Race);
    EXPECT_EQ(TMacro::CalculationCount() - before, (TMacro::kMaxPasses + 1) * 301 + 1 + 1);
    EXPECT_TRUE(result.Device == ring || std::find(chain.begin(), chain.end(), result.Device) != chain.end());
}

TEST(Settle, DeeplyNestedPartsBuildTheirOrdersAndPassLevelsThrough) {
    // 500 parts, each inside the next between an input and an output tag; an inverter at the bottom.
    std::unique_ptr<TMacro> inner;
    for (int level = 0; level < 500; ++level) {
        TTestCircuit inside;
        auto* in = inside.Add<TTagDevice>(-100, 0);
        auto* out = inside.Add<TTagDevice>(100, 0);
        if (inner) {
            TMacro* part = inner.release();
            part->Closed = true;
            part->Nested = true;
            inside.Root->AddObject(part);
            inside.Wire(in->GetPin(), part->Pin(0));
            inside.Wire(part->Pin(1), out->GetPin());
        } else {
            auto* gate = inside.Add<TNotGate>(0, 0);
            inside.Wire(in->GetPin(), gate->Pin(1));
            inside.Wire(gate->Pin(0), out->GetPin());
        }
        TTestCircuit::AddOutlinePin(inside.Root, in, {-20, 0}, 0);
        TTestCircuit::AddOutlinePin(inside.Root, out, {20, 0}, 1);
        TTagDevice::ClassifyTags(inside.Root);
        inner = inside.Release();
    }
    TTestCircuit circuit;
    TMacro* part = inner.release();
    part->Closed = true;
    part->Nested = true;
    circuit.Root->AddObject(part);
    auto* input = circuit.Add<TInteractiveInput>(-100, 0);
    auto* led = circuit.Add<TLEDDevice>(100, 0);
    circuit.Wire(input->Pin(0), part->Pin(0));
    circuit.Wire(part->Pin(1), led->Pin(0));
    circuit.Reset();
    // The trial run leaves the inverted level at the top, and the step keeps it.
    EXPECT_EQ(part->Pin(1)->Level, 1);
    EXPECT_FALSE(circuit.Step().Race);
    EXPECT_EQ(led->LastLevel, 1);
    input->InteractiveDown();
    EXPECT_FALSE(circuit.Step().Race);
    EXPECT_EQ(led->LastLevel, 0);
    // Every level built its order.
    TMacro* bottom = part;
    while (TMacro* next = KindCast<TMacro>(bottom->Devices->Child(0)))
        bottom = next;
    ASSERT_EQ(bottom->CalcOrder.size(), 1u);
    EXPECT_TRUE(IsA<TNotGate>(bottom->CalcOrder[0]));
    EXPECT_EQ(circuit.Root->CalcOrder, std::vector<TDevice*>{part});
}
