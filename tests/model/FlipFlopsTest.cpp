#include "TestCircuit.h"
#include "TestSupport.h"

#include "devices/InputDevice.h"
#include "model/CircuitFile.h"
#include "model/FlipFlops.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

int32_t Level(const TDevice* device, int pin) {
    return device->Pin(pin)->Level;
}

void SetInput(TDevice* device, int pin, int32_t level) {
    device->Pin(pin)->Level = level;
}

// One step of a flip-flop on its own, the way the macro runs it: calculate until nothing changes,
// then let the slave take its inputs.
void Settle(TClockedFlipFlop& flipFlop) {
    TCalcResult result;
    do
        flipFlop.Calculate(result);
    while (result.Changed);
    flipFlop.SetSlaveInputs();
}

} // namespace

TEST(FlipFlopShape, PinsOfTheJKFlipFlop) {
    // The JK flip-flop has every pin of the family: Q, Q-bar, J, clock, clear, preset, K.
    TJKFlipFlop jk;
    const QPoint at[] = {{30, -10}, {30, 10}, {-30, -10}, {-30, 0}, {-20, 20}, {-10, 20}, {-30, 10}};
    ASSERT_EQ(jk.PinCount(), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(jk.Pin(i)->RoundedCentre(), at[i]) << "pin " << i;
        EXPECT_EQ(jk.Pin(i)->Kind, i < 2 ? TPinKind::Output : TPinKind::Input);
    }
    EXPECT_EQ(TRSFlipFlop().Pin(TRSFlipFlop::kPinS)->RoundedCentre(), QPoint(-30, 10));
}

TEST(RSFlipFlop, SetResetAndHold) {
    TRSFlipFlop rs;
    TCalcResult result;
    rs.Calculate(result);
    EXPECT_EQ(Level(&rs, 0), 0);
    EXPECT_EQ(Level(&rs, 1), 1);
    EXPECT_TRUE(result.Changed); // Q-bar rose from the reset level 0

    SetInput(&rs, TRSFlipFlop::kPinS, 1);
    rs.Calculate(result);
    EXPECT_EQ(Level(&rs, 0), 1);
    EXPECT_EQ(Level(&rs, 1), 0);

    SetInput(&rs, TRSFlipFlop::kPinS, 0);
    rs.Calculate(result);
    EXPECT_FALSE(result.Changed);
    EXPECT_EQ(Level(&rs, 0), 1);

    SetInput(&rs, TRSFlipFlop::kPinR, 3); // bit 0 counts
    rs.Calculate(result);
    EXPECT_EQ(Level(&rs, 0), 0);
    EXPECT_EQ(Level(&rs, 1), 1);
}

TEST(RSFlipFlop, BothInputsHighEndInARaceAtTheFlipFlop) {
    TTestCircuit circuit;
    auto* rs = circuit.Add<TRSFlipFlop>(100, 100);
    auto* supply = circuit.Add<TSupply>(20, 100);
    circuit.Joint({supply->Pin(0), rs->Pin(TRSFlipFlop::kPinR), rs->Pin(TRSFlipFlop::kPinS)});
    circuit.Reset();
    const TCalcResult result = circuit.Step();
    EXPECT_TRUE(result.Race);
    EXPECT_FALSE(result.Contention);
    EXPECT_EQ(result.Device, rs);
}

TEST(DFlipFlop, TakesDOnTheRisingClockOnly) {
    TDFlipFlop d;
    SetInput(&d, TClockedFlipFlop::kPinData, 1);
    Settle(d); // power-on clear; clock low: D is sampled but not shown
    EXPECT_EQ(Level(&d, 0), 0);
    EXPECT_EQ(Level(&d, 1), 1);
    Settle(d);
    EXPECT_EQ(Level(&d, 0), 0) << "a clock held low never drives new values";

    SetInput(&d, TClockedFlipFlop::kPinClock, 1);
    Settle(d);
    EXPECT_EQ(Level(&d, 0), 1) << "the rising clock shows the D of the step before";
    EXPECT_EQ(Level(&d, 1), 0);

    SetInput(&d, TClockedFlipFlop::kPinData, 0);
    Settle(d);
    Settle(d);
    EXPECT_EQ(Level(&d, 0), 1) << "D is ignored while the clock stays high";

    SetInput(&d, TClockedFlipFlop::kPinClock, 0);
    Settle(d);
    EXPECT_EQ(Level(&d, 0), 1);
    SetInput(&d, TClockedFlipFlop::kPinClock, 1);
    Settle(d);
    EXPECT_EQ(Level(&d, 0), 0);
}

TEST(DFlipFlop, ClearAndPresetActAtOnceAndPresetWins) {
    TDFlipFlop d;
    SetInput(&d, TClockedFlipFlop::kPinClear, 1);
    SetInput(&d, TClockedFlipFlop::kPinPreset, 1);
    Settle(d);
    EXPECT_EQ(Level(&d, 0), 1);
    EXPECT_EQ(Level(&d, 1), 0);
    EXPECT_TRUE(d.PowerOnClear) << "the power-on clear waits for preset to go low";

    SetInput(&d, TClockedFlipFlop::kPinClear, 0);
    SetInput(&d, TClockedFlipFlop::kPinPreset, 0);
    SetInput(&d, TClockedFlipFlop::kPinData, 1);
    Settle(d);
    EXPECT_EQ(Level(&d, 0), 0) << "the pending power-on clear";
    EXPECT_FALSE(d.PowerOnClear);

    SetInput(&d, TClockedFlipFlop::kPinPreset, 1);
    Settle(d);
    EXPECT_EQ(Level(&d, 0), 1);
    SetInput(&d, TClockedFlipFlop::kPinPreset, 0);
    SetInput(&d, TClockedFlipFlop::kPinClear, 1);
    Settle(d);
    EXPECT_EQ(Level(&d, 0), 0);
    EXPECT_EQ(Level(&d, 1), 1);

    // No sampling while clear is held, though the clock is low and D high.
    EXPECT_EQ(d.SlaveQ, 0);
    EXPECT_FALSE(d.SetSlaveInputs());

    d.Reset();
    EXPECT_TRUE(d.PowerOnClear);
    EXPECT_EQ(Level(&d, 1), 0);
}

TEST(JKFlipFlop, SetResetHoldOnTheFallingClock) {
    TJKFlipFlop jk;
    Settle(jk);
    const struct {
        int J;
        int K;
        int Q;
    } cases[] = {{1, 0, 1}, {0, 0, 1}, {0, 1, 0}, {0, 0, 0}, {1, 0, 1}};
    for (const auto& c : cases) {
        SetInput(&jk, TClockedFlipFlop::kPinData, c.J);
        SetInput(&jk, TJKFlipFlop::kPinK, c.K);
        SetInput(&jk, TClockedFlipFlop::kPinClock, 1);
        Settle(jk);
        SetInput(&jk, TClockedFlipFlop::kPinClock, 0);
        Settle(jk);
        EXPECT_EQ(Level(&jk, 0), c.Q) << "J " << c.J << " K " << c.K;
        EXPECT_EQ(Level(&jk, 1), c.Q ^ 1);
    }
}

TEST(JKFlipFlop, TogglesOncePerClockCycle) {
    TTestCircuit circuit;
    auto* jk = circuit.Add<TJKFlipFlop>(100, 100);
    auto* clock = circuit.Add<TClockDevice>(20, 100);
    auto* supply = circuit.Add<TSupply>(20, 60);
    circuit.Wire(clock->Pin(0), jk->Pin(TClockedFlipFlop::kPinClock));
    circuit.Joint({supply->Pin(0), jk->Pin(TClockedFlipFlop::kPinData), jk->Pin(TJKFlipFlop::kPinK)});
    circuit.Reset();
    const int expected[] = {0, 0, 1, 1, 0, 0, 1, 1, 0, 0};
    for (int step = 0; step < 10; ++step) {
        const TCalcResult result = circuit.Step();
        ASSERT_FALSE(result.Race || result.Contention);
        EXPECT_EQ(Level(jk, 0), expected[step]) << "step " << step + 1;
        EXPECT_EQ(Level(jk, 1), expected[step] ^ 1) << "step " << step + 1;
    }
}

TEST(JKFlipFlop, ClockHeldHighTogglesOnlyOnce) {
    TJKFlipFlop jk;
    SetInput(&jk, TClockedFlipFlop::kPinData, 1);
    SetInput(&jk, TJKFlipFlop::kPinK, 1);
    Settle(jk);
    SetInput(&jk, TClockedFlipFlop::kPinClock, 1);
    for (int i = 0; i < 5; ++i)
        Settle(jk);
    SetInput(&jk, TClockedFlipFlop::kPinClock, 0);
    Settle(jk);
    EXPECT_EQ(Level(&jk, 0), 1);
}

class DCounter : public ::testing::Test {
protected:
    // Four D flip-flops, each Q-bar fed back to its D and on to the next stage's clock.
    void SetUp() override {
        auto* clock = circuit.Add<TClockDevice>(0, 0);
        TGraphicObject* previous = clock->Pin(0);
        for (int i = 0; i < 4; ++i) {
            auto* d = circuit.Add<TDFlipFlop>(100.0f * static_cast<float>(i + 1), 0);
            circuit.Wire(previous, d->Pin(TClockedFlipFlop::kPinClock));
            previous = circuit.Joint({d->Pin(TFlipFlop::kPinQBar), d->Pin(TClockedFlipFlop::kPinData)});
            stages.push_back(d);
        }
        circuit.Reset();
    }

    int Count() const {
        int count = 0;
        for (int i = 0; i < 4; ++i)
            count |= Bit0(Level(stages[static_cast<size_t>(i)], 0)) << i;
        return count;
    }

    TTestCircuit circuit;
    std::vector<TDFlipFlop*> stages;
};

TEST_F(DCounter, CountsOnEveryRisingClock) {
    for (int step = 1; step <= 40; ++step) {
        const TCalcResult result = circuit.Step();
        ASSERT_FALSE(result.Race || result.Contention) << "step " << step;
        EXPECT_EQ(Count(), (step / 2) % 16) << "step " << step;
    }
}

TEST_F(DCounter, ReadBackStartsCleared) {
    circuit.Steps(11);
    ASSERT_EQ(Count(), 5);
    TCircuit copy = ReadCircuitBytes(WriteCircuitBytes(circuit.Root, QStringLiteral("counter")));
    PrepareRoot(*copy.Root);
    TTestCircuit loaded(copy.Root.get());
    std::vector<TDFlipFlop*> flipFlops;
    for (TSerialize* item : *copy.Root->Devices->Children)
        if (auto* d = KindCast<TDFlipFlop>(item))
            flipFlops.push_back(d);
    ASSERT_EQ(flipFlops.size(), 4u);
    for (int step = 1; step <= 6; ++step) {
        loaded.Step();
        int count = 0;
        for (int i = 0; i < 4; ++i)
            count |= Bit0(Level(flipFlops[static_cast<size_t>(i)], 0)) << i;
        EXPECT_EQ(count, step / 2) << "step " << step;
    }
}

TEST(FlipFlopStream, RoundTripsAndRebuildsTheShape) {
    const std::vector<std::function<TDevice*()>> factories = {
        [] { return new TRSFlipFlop; }, [] { return new TDFlipFlop; }, [] { return new TJKFlipFlop; }};
    for (const auto& make : factories) {
        std::unique_ptr<TDevice> original(make());
        original->Offset(120, -40);
        original->UpdateVertices();
        const QByteArray first = testsupport::WriteTree(original.get());
        // Untransformed: the shape is not stored but built again around the stored position.
        EXPECT_FALSE(first.contains("TPolygon")) << original->ClassName();
        auto copy = testsupport::ReadTree<TDevice>(first);
        EXPECT_STREQ(copy->ClassName(), original->ClassName());
        EXPECT_EQ(copy->X, 120);
        EXPECT_EQ(copy->Y, -40);
        EXPECT_EQ(copy->GetBounds(), original->GetBounds()) << original->ClassName();
        EXPECT_EQ(testsupport::WriteTree(copy.get()), first) << original->ClassName();
    }
}

TEST(FlipFlopStream, WrongPinCountIsAReadError) {
    TJKFlipFlop jk;
    jk.Pins->DeleteChild(jk.Pin(TJKFlipFlop::kPinK));
    const QByteArray bytes = testsupport::WriteTree(&jk);
    TSerializeReader reader(bytes);
    EXPECT_THROW(reader.ReadRoot<TDevice>(), EReadError);
}
