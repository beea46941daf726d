#include "TestCircuit.h"
#include "TestSupport.h"

#include "model/Gates.h"
#include "model/Macro.h"

#include <gtest/gtest.h>

TEST(Device, UntransformedDevicesAreStoredByPosition) {
    T2AndGate gate;
    gate.Offset(100, 50);
    gate.Rotate(0);
    gate.Scale(2, 2);
    EXPECT_FALSE(gate.Transformed);
    gate.Scale(0.5f, 0.5f);
    gate.UpdateVertices();
    const QByteArray bytes = testsupport::WriteTree(&gate);
    EXPECT_EQ(bytes.count("TPolygon"), 0) << "the shape is rebuilt by the constructor";
    auto copy = testsupport::ReadTree<T2AndGate>(bytes);
    EXPECT_EQ(copy->X, 100);
    EXPECT_EQ(copy->Y, 50);
    EXPECT_EQ(copy->Pin(0)->RoundedCentre(), QPoint(130, 50));
    EXPECT_EQ(static_cast<TSegment*>(copy->Child(0))->GetVertex(0), QPoint(83, 65)) << "the body moved too";
    EXPECT_EQ(testsupport::WriteTree(copy.get()), bytes);
}

TEST(Device, TransformedDevicesStoreTheirShape) {
    T2AndGate gate;
    gate.Offset(100, 50);
    gate.Rotate(90);
    gate.UpdateVertices();
    EXPECT_TRUE(gate.Transformed);
    const QByteArray bytes = testsupport::WriteTree(&gate);
    auto copy = testsupport::ReadTree<T2AndGate>(bytes);
    EXPECT_EQ(copy->X, 0) << "a transformed device is stored without its position";
    EXPECT_EQ(copy->Y, 0);
    EXPECT_EQ(copy->Pin(0)->RoundedCentre(), gate.Pin(0)->RoundedCentre());
    EXPECT_EQ(copy->ChildCount(), gate.ChildCount());
    EXPECT_EQ(testsupport::WriteTree(copy.get()), bytes);
}

TEST(Device, PinsAndHitTesting) {
    T2AndGate gate;
    EXPECT_EQ(gate.Pin(1)->Level, 0) << "never calculated: every pin is low";
    EXPECT_TRUE(gate.HitTest(0, 0));
    EXPECT_EQ(gate.HitPin, nullptr);
    EXPECT_TRUE(gate.HitTest(30, 0));
    EXPECT_EQ(gate.HitPin, gate.Pin(0));
    EXPECT_EQ(gate.Pin(0)->Index, 0);
    // Overlapping pins: the first in index order wins.
    gate.Pin(2)->Offset(0, 20);
    gate.Pin(2)->UpdateVertices();
    EXPECT_TRUE(gate.HitTest(-30, 10));
    EXPECT_EQ(gate.HitPin, gate.Pin(1));
    EXPECT_FALSE(gate.AnyPinWired());
}

TEST(Device, CollectDriversAndClearDrivers) {
    TTestCircuit circuit;
    auto* a = circuit.Add<TNotGate>();
    auto* b = circuit.Add<TNotGate>(0, 100);
    auto* sink = circuit.Add<T2AndGate>(100, 0);
    circuit.Wire(a->Pin(0), sink->Pin(1));
    circuit.Wire(b->Pin(0), sink->Pin(2));
    EXPECT_TRUE(sink->AnyPinWired());
    TCalcResult r;
    a->Calculate(r);
    b->Calculate(r);
    std::vector<TDevice*> drivers;
    sink->CollectDrivers(drivers);
    EXPECT_EQ(drivers, (std::vector<TDevice*>{a, b}));
    sink->ClearDrivers();
    drivers.clear();
    sink->CollectDrivers(drivers);
    EXPECT_TRUE(drivers.empty());
}

TEST(TextDevice, LabelsAreStoredOnlyWithText) {
    TTextDevice device;
    EXPECT_EQ(testsupport::WriteTree(&device).count("TGraphicText"), 0);
    device.SetLabel("count");
    const QByteArray bytes = testsupport::WriteTree(&device);
    EXPECT_EQ(bytes.count("TGraphicText"), 1);
    auto copy = testsupport::ReadTree<TTextDevice>(bytes);
    EXPECT_EQ(copy->GetLabel(), "count");
    EXPECT_EQ(testsupport::WriteTree(copy.get()), bytes);
}

TEST(TextDevice, LabelPositions) {
    for (int position = 0; position < 4; ++position) {
        THistoryDevice device;
        auto* body = new TPolygon;
        body->AddPoint({-20, -10});
        body->AddPoint({20, -10});
        body->AddPoint({20, 10});
        body->AddPoint({-20, 10});
        device.AddChild(body);
        device.LabelPosition = static_cast<TLabelPosition>(position);
        device.SetLabel("Q0");
        device.SetLabelOverline(true);
        device.SetLabelPosition(static_cast<TLabelPosition>(position));
        EXPECT_TRUE(device.GetLabelOverline());
        const FloatRect label = device.Label->GetExtent();
        switch (position) {
        case 0:
            EXPECT_NEAR(label.MaxX, -20, 1) << "left: the label's right edge touches the device";
            break;
        case 1:
            EXPECT_NEAR(label.MinX, 22, 1);
            break;
        case 2:
            EXPECT_NEAR(label.MaxY, -8, 1) << "top: the bottom edge 2 inside the device's top";
            break;
        case 3:
            EXPECT_NEAR(label.MinY, 10, 1);
            break;
        }
    }
}

TEST(HistoryDevice, HistoryStopsAt1024Samples) {
    THistoryDevice device;
    for (int i = 0; i < 1500; ++i)
        device.AppendHistory(i & 1);
    EXPECT_EQ(device.History.size(), 1024);
    EXPECT_TRUE(device.History.startsWith("0101"));
    device.Reset();
    EXPECT_TRUE(device.History.isEmpty());
}

TEST(DeviceStream, MalformedDevicesAreReadErrors) {
    // A gate whose pin list holds a polygon, and a gate with one pin too few.
    T2AndGate gate;
    const QByteArray bytes = testsupport::WriteTree(&gate);
    QByteArray wrongClass = bytes;
    wrongClass.replace("\x06\x04TPin", 6, "\x06\x08TPolygon", 10);
    {
        TSerializeReader reader(wrongClass);
        EXPECT_THROW(reader.ReadRoot<T2AndGate>(), EReadError);
    }
    // A pin of a kind no pin has.
    {
        T2AndGate odd;
        odd.Pin(1)->Kind = static_cast<TPinKind>(4);
        TSerializeReader reader(testsupport::WriteTree(&odd));
        EXPECT_THROW(reader.ReadRoot<T2AndGate>(), EReadError);
    }
    // A plain pin among a macro's outline pins, which must be macro pins.
    {
        TMacro macro;
        macro.Pins->AddChild(new TPin);
        TSerializeReader reader(testsupport::WriteTree(&macro));
        EXPECT_THROW(reader.ReadRoot<TMacro>(), EReadError);
    }
    T3AndGate three;
    QByteArray mismatched = testsupport::WriteTree(&three);
    mismatched.replace("T3AndGate", "T2AndGate");
    {
        TSerializeReader reader(mismatched);
        EXPECT_THROW(reader.ReadRoot<T2AndGate>(), EReadError);
    }
}
