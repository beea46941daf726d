#include "GuiFixture.h"
#include "TestSupport.h"

#include "canvas/DigitalDrawing.h"
#include "devices/OutputDevice.h"

#include <gtest/gtest.h>

namespace {

// A failed load must not wait for someone to close its message box.
class Examples : public TGuiTest {
protected:
    void TearDown() override {
        EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
        TGuiTest::TearDown();
    }
};

// The LEDs and the display of the counter example, read after each step.
TEST_F(Examples, CounterCountsOnItsDisplay) {
    TDigitalDrawing drawing;
    ASSERT_TRUE(drawing.LoadFromFile(testsupport::ExamplePath("counter.tvm")));
    std::vector<TLEDDevice*> bits;
    TLEDSegmentDevice* display = nullptr;
    for (TSerialize* item : *drawing.CurrentMacro->Outputs->Children) {
        if (auto* led = KindCast<TLEDDevice>(item))
            bits.push_back(led);
        else if (auto* segments = KindCast<TLEDSegmentDevice>(item))
            display = segments;
    }
    ASSERT_EQ(bits.size(), 4u);
    ASSERT_NE(display, nullptr);

    // Segments a to g of each hexadecimal digit.
    const char* const digits[16] = {"1111110", "0110000", "1101101", "1111001", "0110011", "1011011",
                                    "1011111", "1110000", "1111111", "1111011", "1110111", "0011111",
                                    "1001110", "0111101", "1001111", "1000111"};
    int previous = -1;
    for (int step = 0; step < 40; ++step) {
        TCalcResult result;
        drawing.Step(result);
        ASSERT_FALSE(result.Contention || result.Race) << step;
        int count = 0;
        for (size_t n = 0; n < bits.size(); ++n)
            count |= (bits[n]->LastLevel & 1) << n;
        QString shown;
        for (bool lit : display->Segments)
            shown += lit ? QLatin1Char('1') : QLatin1Char('0');
        EXPECT_EQ(shown, QString::fromLatin1(digits[count])) << step;
        // The count moves on once per clock cycle, every second step.
        if (step % 2 == 1) {
            if (previous >= 0) {
                EXPECT_EQ(count, (previous + 1) % 16) << step;
            }
            previous = count;
        }
    }
}

TEST_F(Examples, EveryExampleLoadsAndRuns) {
    for (const char* name : {"counter.tvm", "adder.tvm", "sequence.tvm"}) {
        TDigitalDrawing drawing;
        ASSERT_TRUE(drawing.LoadFromFile(testsupport::ExamplePath(QString::fromLatin1(name)))) << name;
        EXPECT_FALSE(drawing.MacroName.isEmpty()) << name;
        TCalcResult result;
        for (int step = 0; step < 8; ++step)
            drawing.Step(result);
        EXPECT_FALSE(result.Contention || result.Race) << name;
    }
}

} // namespace
