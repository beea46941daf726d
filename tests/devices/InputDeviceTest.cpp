#include "TestCircuit.h"
#include "TestSupport.h"

#include "devices/InputDevice.h"
#include "model/Gates.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

// The levels a device drives on the given number of steps after a reset, read off the wire of its
// pin as the rest of the circuit sees it.
std::vector<int32_t> Played(TTestCircuit& circuit, TDevice* device, int steps) {
    TNotGate* sink = circuit.Add<TNotGate>(200, 200);
    TWire* wire = circuit.Wire(device->Pin(0), sink->Pin(1));
    circuit.Reset();
    std::vector<int32_t> levels;
    for (int i = 0; i < steps; ++i) {
        circuit.Step();
        levels.push_back(wire->Level);
    }
    return levels;
}

uint32_t IndicatorFill(const TDevice& device) {
    return device.ShapeChild<TPolygon>(0)->Brush.Colour;
}

} // namespace

TEST(InputDeviceShape, PinsAndLabels) {
    EXPECT_EQ(TGround().Pin(0)->RoundedCentre(), QPoint(0, -10));
    EXPECT_EQ(TSupply().Pin(0)->RoundedCentre(), QPoint(10, 0));
    TClockDevice clock;
    EXPECT_EQ(clock.Pin(0)->RoundedCentre(), QPoint(15, 0));
    EXPECT_EQ(clock.ShapeChild<TPolygon>(0)->PointCount(), 31);
    EXPECT_EQ(clock.GetLabel(), "clock");
    EXPECT_EQ(TBitGenerator().GetLabel(), "sequence");
}

TEST(InputDevice, GroundAndSupplyReportOnlyRealChanges) {
    TGround ground;
    TSupply supply;
    TCalcResult result;
    ground.Calculate(result);
    EXPECT_FALSE(result.Changed) << "ground drives the reset level";
    supply.Calculate(result);
    EXPECT_TRUE(result.Changed);
    EXPECT_EQ(supply.Pin(0)->Level, 1);
    EXPECT_EQ(supply.Pin(0)->Driver, &supply);
    supply.Calculate(result);
    EXPECT_FALSE(result.Changed);
}

TEST(InputDevice, ClockPlays0101AndRecordsIt) {
    TTestCircuit circuit;
    auto* clock = circuit.Add<TClockDevice>();
    EXPECT_EQ(Played(circuit, clock, 5), (std::vector<int32_t>{0, 1, 0, 1, 0}));

    circuit.Reset();
    QImage image(200, 200, QImage::Format_ARGB32);
    QPainter painter(&image);
    for (int i = 0; i < 4; ++i) {
        circuit.Step();
        circuit.Root->PaintValues(painter);
        EXPECT_EQ(IndicatorFill(*clock), i % 2 ? clock->OnColour : kColourWhite);
    }
    EXPECT_EQ(clock->History, "0101");
}

TEST(InputDevice, GeneratorHoldsEachBitForTwoSteps) {
    TTestCircuit circuit;
    auto* generator = circuit.Add<TBitGenerator>();
    generator->SetSequence(QStringLiteral("0110"));
    EXPECT_EQ(Played(circuit, generator, 10), (std::vector<int32_t>{0, 0, 1, 1, 1, 1, 0, 0, 0, 0}));
}

TEST(InputDevice, ShortSequences) {
    TTestCircuit circuit;
    auto* empty = circuit.Add<TBitGenerator>();
    EXPECT_EQ(Played(circuit, empty, 3), (std::vector<int32_t>{0, 0, 0}));
    QImage image(50, 50, QImage::Format_ARGB32);
    QPainter painter(&image);
    empty->PaintValue(painter);
    EXPECT_EQ(IndicatorFill(*empty), kColourWhite);

    TTestCircuit other;
    auto* one = other.Add<TBitGenerator>();
    one->SetSequence(QStringLiteral("1"));
    EXPECT_EQ(Played(other, one, 4), (std::vector<int32_t>{1, 1, 1, 1}));
    EXPECT_EQ(one->Position, 1);
}

TEST(InputDevice, SequenceReplacedBehindItsBackStaysInRange) {
    TClockDevice clock;
    TCalcResult result;
    clock.Calculate(result);
    clock.Calculate(result);
    clock.Sequence = QStringLiteral("1");
    clock.Position = 7;
    clock.Calculate(result);
    EXPECT_EQ(clock.Value, 1);
    EXPECT_EQ(clock.Position, 1);
}

TEST(InputDeviceStream, RoundTripsAndRebuildsTheShape) {
    const std::vector<std::function<TInputDevice*()>> factories = {
        [] { return new TGround; },
        [] { return new TSupply; },
        [] { return new TClockDevice; },
        [] {
            auto* generator = new TBitGenerator;
            generator->SetSequence(QStringLiteral("0010111"));
            generator->OnColour = 0x123456;
            generator->InHistory = true;
            generator->SetLabel(QStringLiteral("data"));
            return generator;
        },
    };
    for (const auto& make : factories) {
        std::unique_ptr<TInputDevice> original(make());
        original->Offset(60, 80);
        original->UpdateVertices();
        const QByteArray first = testsupport::WriteTree(original.get());
        EXPECT_FALSE(first.contains("TPolygon") || first.contains("TPolyline")) << original->ClassName();
        auto copy = testsupport::ReadTree<TInputDevice>(first);
        EXPECT_STREQ(copy->ClassName(), original->ClassName());
        ASSERT_EQ(copy->ChildCount(), original->ChildCount());
        for (int i = 0; i < copy->ChildCount(); ++i)
            EXPECT_EQ(copy->Child(i)->GetBounds(), original->Child(i)->GetBounds()) << original->ClassName();
        EXPECT_EQ(copy->InHistory, original->InHistory);
        EXPECT_EQ(testsupport::WriteTree(copy.get()), first) << original->ClassName();
    }
}

TEST(InputDeviceStream, LoadingStartsTheSequenceOver) {
    TBitGenerator generator;
    generator.SetSequence(QStringLiteral("1101"));
    TCalcResult result;
    for (int i = 0; i < 3; ++i)
        generator.Calculate(result);
    auto copy = testsupport::ReadTree<TBitGenerator>(testsupport::WriteTree(&generator));
    EXPECT_EQ(copy->Sequence, "1101");
    EXPECT_EQ(copy->Position, 1);
    EXPECT_EQ(copy->Value, 0);
    EXPECT_FALSE(copy->Phase);
}

TEST(InputDeviceStream, ForeignCharactersPlayAsZeroAndAreKept) {
    TBitGenerator generator;
    generator.SetSequence(QStringLiteral("1x3"));
    const QByteArray bytes = testsupport::WriteTree(&generator);
    auto copy = testsupport::ReadTree<TBitGenerator>(bytes);
    EXPECT_EQ(copy->Sequence, "1x3");
    std::vector<int32_t> played;
    TCalcResult result;
    for (int i = 0; i < 8; ++i) {
        copy->Calculate(result);
        played.push_back(copy->Pin(0)->Level);
    }
    EXPECT_EQ(played, (std::vector<int32_t>{1, 1, 0, 0, 0, 0, 1, 1}));
    EXPECT_EQ(testsupport::WriteTree(copy.get()), bytes);
}

TEST(InputDeviceStream, TransformedShapeWithoutIndicatorIsSafe) {
    TClockDevice clock;
    clock.Rotate(90);
    clock.DeleteChild(clock.Child(0));
    clock.UpdateVertices();
    auto copy = testsupport::ReadTree<TClockDevice>(testsupport::WriteTree(&clock));
    ASSERT_TRUE(copy->Transformed);
    EXPECT_EQ(copy->ShapeChild<TPolygon>(0), nullptr);
    TCalcResult result;
    copy->Calculate(result);
    copy->Calculate(result);
    QImage image(50, 50, QImage::Format_ARGB32);
    QPainter painter(&image);
    copy->PaintValue(painter);
    copy->Draw(painter);
    EXPECT_EQ(copy->History, "1");
}

TEST(InputDeviceStream, WrongPinCountIsAReadError) {
    TSupply supply;
    supply.Pins->AddChild(new TPin(TPinKind::Output));
    const QByteArray bytes = testsupport::WriteTree(&supply);
    TSerializeReader reader(bytes);
    EXPECT_THROW(reader.ReadRoot<TDevice>(), EReadError);
}
