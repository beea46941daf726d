#include "TestCircuit.h"
#include "TestSupport.h"

#include "devices/InputDevice.h"
#include "devices/Interactive.h"
#include "model/CircuitFile.h"
#include "model/Gates.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

using testsupport::Bytes;

TEST(InteractiveInput, ClickFlipsStateAndPresetForTheNextStep) {
    TInteractiveInput input;
    EXPECT_TRUE(input.Interactive);
    EXPECT_EQ(input.Pin(0)->RoundedCentre(), QPoint(0, 0));
    TCalcResult result;
    input.Calculate(result);
    EXPECT_FALSE(result.Changed);

    input.InteractiveDown();
    input.InteractiveUp();
    EXPECT_EQ(input.Preset, 0xFFFF);
    EXPECT_EQ(input.State, 1);
    EXPECT_EQ(input.Pin(0)->Level, 0) << "the click reaches the circuit at the next step";
    input.Calculate(result);
    EXPECT_TRUE(result.Changed);
    EXPECT_EQ(input.Pin(0)->Level, 1);

    input.Reset();
    EXPECT_EQ(input.State, 0xFFFF);
    input.Calculate(result);
    EXPECT_EQ(input.Pin(0)->Level, 65535);
    input.InteractiveDown();
    EXPECT_EQ(input.State, 0);
    EXPECT_EQ(input.Preset, 0);
}

TEST(InteractiveInput, ClickedOnceSavesPresetHighAndDrivesHighAfterReading) {
    TTestCircuit circuit;
    auto* input = circuit.Add<TInteractiveInput>();
    auto* inverter = circuit.Add<TNotGate>(60, 0);
    circuit.Wire(input->Pin(0), inverter->Pin(1));
    circuit.Reset();
    input->InteractiveDown();
    input->InteractiveUp();

    TCircuit copy = ReadCircuitBytes(WriteCircuitBytes(circuit.Root, QStringLiteral("input")));
    PrepareRoot(*copy.Root);
    ASSERT_EQ(copy.Root->Inputs->ChildCount(), 1);
    auto* loaded = KindCast<TInteractiveInput>(copy.Root->Inputs->Child(0));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->Preset, 65535);
    EXPECT_EQ(loaded->State, 65535);
    TTestCircuit(copy.Root.get()).Step();
    EXPECT_EQ(loaded->Pin(0)->Level, 65535);
    auto* loadedInverter = KindCast<TNotGate>(copy.Root->Devices->Child(0));
    ASSERT_TRUE(loadedInverter);
    EXPECT_EQ(loadedInverter->Pin(0)->Level, 0) << "65535 reads high";
}

TEST(InteractiveInput, PulseModeFlipsEverySecondStep) {
    TTestCircuit circuit;
    auto* input = circuit.Add<TInteractiveInput>();
    input->Pulse = true;
    circuit.Reset();
    QImage image(50, 50, QImage::Format_ARGB32);
    QPainter painter(&image);
    for (int i = 0; i < 6; ++i) {
        circuit.Step();
        circuit.Root->PaintValues(painter);
    }
    EXPECT_EQ(input->History, "110011");
    EXPECT_EQ(input->ShapeChild<TPolygon>(1)->Brush.Colour, RGBColour(255, 0, 0));
    circuit.Step();
    circuit.Root->PaintValues(painter);
    EXPECT_EQ(input->ShapeChild<TPolygon>(1)->Brush.Colour, kColourWhite);
}

TEST(InteractiveInputStream, PresetIsStoredAsSixteenBits) {
    TInteractiveInput input;
    input.Pulse = true;
    input.InteractiveDown();
    const QByteArray bytes = testsupport::WriteTree(&input);
    EXPECT_TRUE(bytes.endsWith(Bytes({0x09, 0x04, 0xFF, 0xFF, 0x00, 0x00}))) << "Pulse, then Preset 65535";
    auto copy = testsupport::ReadTree<TInteractiveInput>(bytes);
    EXPECT_TRUE(copy->Pulse);
    EXPECT_EQ(copy->State, 0xFFFF);
    EXPECT_EQ(testsupport::WriteTree(copy.get()), bytes);

    // Only the low 16 bits of a stored preset count.
    QByteArray wide = bytes;
    wide.chop(4);
    wide.append(Bytes({0x01, 0x00, 0x03, 0x00}));
    auto trimmed = testsupport::ReadTree<TInteractiveInput>(wide);
    EXPECT_EQ(trimmed->Preset, 1);
    EXPECT_EQ(trimmed->State, 1);
}

TEST(InteractiveSwitch, ShapeAndSwitchTypes) {
    TInteractiveSwitch sw;
    EXPECT_EQ(sw.ChildCount(), 6);
    ASSERT_EQ(sw.PinCount(), 2);
    EXPECT_EQ(sw.Pin(0)->RoundedCentre(), QPoint(0, -15));
    EXPECT_EQ(sw.Pin(1)->RoundedCentre(), QPoint(0, 15));
    EXPECT_EQ(sw.Pin(1)->Kind, TPinKind::TriState);
    EXPECT_EQ(sw.SwitchType, TInteractiveSwitch::kToggle);

    const struct {
        int32_t Type;
        bool Rest;
        bool Pressed;
        bool Released;
    } cases[] = {
        {TInteractiveSwitch::kPushToMake, false, true, false},
        {TInteractiveSwitch::kPushToBreak, true, false, true},
        {TInteractiveSwitch::kToggle, false, true, true},
    };
    for (const auto& c : cases) {
        sw.IsClosed = !c.Rest;
        sw.SetSwitchType(c.Type);
        EXPECT_EQ(sw.IsClosed, c.Rest) << c.Type;
        sw.InteractiveDown();
        EXPECT_EQ(sw.IsClosed, c.Pressed) << c.Type;
        sw.InteractiveUp();
        EXPECT_EQ(sw.IsClosed, c.Released) << c.Type;
    }

    QImage image(50, 50, QImage::Format_ARGB32);
    QPainter painter(&image);
    sw.Draw(painter);
    EXPECT_EQ(sw.ShapeChild<TPolygon>(1)->Brush.Colour, kColourWhite);
    EXPECT_EQ(sw.ShapeChild<TPolygon>(2)->Brush.Colour, kColourBlack);
}

// A supply wired to one side of a toggle switch and an inverter's input to the other; the
// parameter says whether the supply sits on pin 0 or pin 1.
class SwitchCircuit : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        sw = circuit.Add<TInteractiveSwitch>(100, 0);
        auto* supply = circuit.Add<TSupply>(0, 0);
        inverter = circuit.Add<TNotGate>(200, 0);
        circuit.Wire(supply->Pin(0), sw->Pin(GetParam()));
        sinkWire = circuit.Wire(sw->Pin(1 - GetParam()), inverter->Pin(1));
        circuit.Reset();
    }

    TTestCircuit circuit;
    TInteractiveSwitch* sw = nullptr;
    TNotGate* inverter = nullptr;
    TWire* sinkWire = nullptr;
};

TEST_P(SwitchCircuit, ClosedCarriesTheLevelAcrossAndOpenPullsLow) {
    circuit.Step();
    EXPECT_EQ(sinkWire->Level, 0);
    EXPECT_EQ(inverter->Pin(0)->Level, 1);

    sw->InteractiveDown();
    TCalcResult result = circuit.Step();
    EXPECT_FALSE(result.Race);
    EXPECT_EQ(sinkWire->Level, 1) << "in the same step";
    EXPECT_EQ(inverter->Pin(0)->Level, 0);

    circuit.Step();
    EXPECT_EQ(sinkWire->Level, 1);

    sw->InteractiveDown();
    result = circuit.Step();
    EXPECT_FALSE(result.Race);
    EXPECT_EQ(sinkWire->Level, 0);
    EXPECT_EQ(inverter->Pin(0)->Level, 1);
}

INSTANTIATE_TEST_SUITE_P(BothSides, SwitchCircuit, ::testing::Values(0, 1));

TEST(InteractiveSwitch, TwoDriversThroughAClosedSwitchNeverSettle) {
    TTestCircuit circuit;
    auto* sw = circuit.Add<TInteractiveSwitch>(100, 0);
    auto* supply = circuit.Add<TSupply>(0, 0);
    auto* ground = circuit.Add<TGround>(200, 0);
    circuit.Wire(supply->Pin(0), sw->Pin(0));
    circuit.Wire(ground->Pin(0), sw->Pin(1));
    sw->SetSwitchType(TInteractiveSwitch::kPushToBreak);
    circuit.Reset();
    TCalcResult result = circuit.Step();
    EXPECT_TRUE(result.Race);
    EXPECT_EQ(result.Device, sw);

    // Not the shown level: the message must not point into it.
    circuit.Reset();
    circuit.Root->Displayed = false;
    result = circuit.Step();
    EXPECT_TRUE(result.Race);
    EXPECT_EQ(result.Device, nullptr);
}

TEST(InteractiveStream, RoundTripsAndRebuildsTheShape) {
    std::vector<std::unique_ptr<TDevice>> devices;
    auto input = std::make_unique<TInteractiveInput>();
    input->InHistory = true;
    input->SetLabel(QStringLiteral("start"));
    devices.push_back(std::move(input));
    auto sw = std::make_unique<TInteractiveSwitch>();
    sw->SetSwitchType(TInteractiveSwitch::kPushToMake);
    sw->InteractiveDown();
    devices.push_back(std::move(sw));
    for (const auto& original : devices) {
        original->Offset(-30, 45);
        original->UpdateVertices();
        const QByteArray first = testsupport::WriteTree(original.get());
        EXPECT_FALSE(first.contains("TPolygon")) << original->ClassName();
        auto copy = testsupport::ReadTree<TDevice>(first);
        EXPECT_STREQ(copy->ClassName(), original->ClassName());
        EXPECT_TRUE(copy->Interactive);
        ASSERT_EQ(copy->ChildCount(), original->ChildCount());
        for (int i = 0; i < copy->ChildCount(); ++i)
            EXPECT_EQ(copy->Child(i)->GetBounds(), original->Child(i)->GetBounds()) << original->ClassName();
        EXPECT_EQ(testsupport::WriteTree(copy.get()), first) << original->ClassName();
    }
    auto copy = testsupport::ReadTree<TInteractiveSwitch>(testsupport::WriteTree(devices[1].get()));
    EXPECT_TRUE(copy->IsClosed);
    EXPECT_EQ(copy->SwitchType, TInteractiveSwitch::kPushToMake);
}

TEST(InteractiveStream, TransformedShapesOfAnyFormAreSafe) {
    TInteractiveSwitch sw;
    TInteractiveInput input;
    for (TDevice* device : std::initializer_list<TDevice*>{&sw, &input}) {
        device->Rotate(180);
        while (device->ChildCount() > 1)
            device->DeleteChild(device->Child(device->ChildCount() - 1));
        device->UpdateVertices();
    }
    auto swCopy = testsupport::ReadTree<TInteractiveSwitch>(testsupport::WriteTree(&sw));
    auto inputCopy = testsupport::ReadTree<TInteractiveInput>(testsupport::WriteTree(&input));
    QImage image(50, 50, QImage::Format_ARGB32);
    QPainter painter(&image);
    swCopy->Draw(painter);
    inputCopy->Draw(painter);
    inputCopy->PaintValue(painter);
    EXPECT_EQ(swCopy->ChildCount(), 1);
    EXPECT_EQ(inputCopy->History, "0");
}
