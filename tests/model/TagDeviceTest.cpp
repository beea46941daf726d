#include "TestCircuit.h"

#include "model/Gates.h"
#include "model/TagDevice.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(Tag, ClassifyLooksForOutputsThenTriStatesThenInputs) {
    TTestCircuit circuit;
    auto* toOutput = circuit.Add<TTagDevice>(0, 0);
    auto* toTriState = circuit.Add<TTagDevice>(0, 100);
    auto* toInput = circuit.Add<TTagDevice>(0, 200);
    auto* toTag = circuit.Add<TTagDevice>(0, 300);
    auto* other = circuit.Add<TTagDevice>(0, 400);
    auto* gate = circuit.Add<T2AndGate>(100, 0);
    auto* sink = circuit.Add<T2AndGate>(100, 50);
    auto* buffer = circuit.Add<TTriState>(100, 100);
    auto* input = circuit.Add<T2OrGate>(100, 200);
    circuit.Joint({toOutput->GetPin(), gate->Pin(0), sink->Pin(1)});
    circuit.Wire(toTriState->GetPin(), buffer->Pin(1));
    circuit.Wire(toInput->GetPin(), input->Pin(1));
    circuit.Wire(toTag->GetPin(), other->GetPin());
    std::vector<std::unique_ptr<TMacroPin>> outline;
    for (TTagDevice* tag : {toOutput, toTriState, toInput, toTag}) {
        outline.push_back(std::make_unique<TMacroPin>());
        TTestCircuit::LinkTag(tag, outline.back().get());
    }
    TTagDevice::ClassifyTags(circuit.Root);
    EXPECT_EQ(toOutput->Direction, TTagDirection::Output) << "an output and an input on one net: output";
    EXPECT_EQ(toTriState->Direction, TTagDirection::Bidirectional);
    EXPECT_EQ(toInput->Direction, TTagDirection::Input);
    EXPECT_EQ(toTag->Direction, TTagDirection::Undecided);
    EXPECT_EQ(outline[0]->Kind, TPinKind::Output);
    EXPECT_EQ(outline[1]->Kind, TPinKind::TriState);
    EXPECT_EQ(outline[2]->Kind, TPinKind::Input);
    EXPECT_EQ(outline[3]->Kind, TPinKind::Passive);
}

TEST(Tag, UnlinkedTagsDoNothing) {
    TTagDevice tag;
    tag.Direction = TTagDirection::Input;
    tag.GetPin()->Level = 1;
    TCalcResult result;
    tag.Calculate(result);
    EXPECT_FALSE(result.Changed);
}

TEST(Tag, PinNumbers) {
    TTagDevice tag;
    EXPECT_EQ(tag.GetPinNumber(), -1);
    tag.SetPinNumber(0);
    EXPECT_EQ(tag.GetPinNumber(), 0);
    EXPECT_EQ(static_cast<TGraphicText*>(tag.Child(0))->Text, "0");
    tag.SetPinNumber(12);
    EXPECT_EQ(tag.GetPinNumber(), 12);
    tag.SetPinNumber(-1);
    EXPECT_EQ(tag.GetPinNumber(), -1);
    EXPECT_TRUE(static_cast<TGraphicText*>(tag.Child(0))->Text.isEmpty());

    // The number sits left of the pin until moved.
    tag.SetPinNumber(7);
    float x, y;
    tag.Child(0)->GetCentre(x, y);
    EXPECT_NEAR(x, -12, 1);
    tag.SetLabelPosition(TLabelPosition::Top);
    tag.Child(0)->GetCentre(x, y);
    EXPECT_NEAR(x, 0, 1);
    EXPECT_NEAR(y, -12, 1);
}

TEST(Tag, BidirectionalTagDrivenFromBothSidesIsContended) {
    TTagDevice tag;
    TMacroPin outline;
    TTestCircuit::LinkTag(&tag, &outline);
    tag.Direction = TTagDirection::Bidirectional;
    TNotGate inside, outside;
    tag.GetPin()->Driver = &inside;
    outline.Driver = &outside;
    TCalcResult result;
    tag.Calculate(result);
    EXPECT_TRUE(result.Changed);
    EXPECT_TRUE(tag.Contended);
    EXPECT_EQ(tag.GetPin()->Driver, nullptr);
    EXPECT_EQ(outline.Driver, nullptr);
    tag.MacroPin->Partner = nullptr;
    outline.Partner = nullptr;
}

TEST(Tag, DeletingAnOutlinePinEmptiesItsTagsNumber) {
    TMacro macro;
    auto* tag = new TTagDevice;
    macro.AddObject(tag);
    auto* pin = new TMacroPin;
    macro.Pins->AddChild(pin);
    TTestCircuit::LinkTag(tag, pin);
    tag->SetPinNumber(1);
    ASSERT_TRUE(macro.Closed);
    macro.DeleteChild(pin);
    EXPECT_EQ(tag->GetPinNumber(), -1);
    EXPECT_EQ(tag->MacroPin->Partner, nullptr) << "the link pin forgets its destroyed partner";
    EXPECT_EQ(macro.PinCount(), 0);
}

TEST(MacroContainer, HitTestingFavoursDevicesOverWires) {
    TTestCircuit circuit;
    auto* gate = circuit.Add<T2AndGate>(0, 0);
    auto* sink = circuit.Add<T2AndGate>(200, 0);
    // A wire running straight through the gate's body.
    auto* wire = new TWire;
    wire->AddPoint({-50, 0});
    wire->AddPoint({50, 0});
    circuit.Root->AddObject(wire);
    circuit.Wire(gate->Pin(0), sink->Pin(1));
    EXPECT_TRUE(circuit.Root->HitTest(0, 0));
    EXPECT_EQ(circuit.Root->HitChild, gate);
    EXPECT_TRUE(circuit.Root->HitTest(-45, 0));
    EXPECT_EQ(circuit.Root->HitChild, wire);
    EXPECT_TRUE(circuit.Root->HitTest(200 - 30, 10));
    EXPECT_EQ(circuit.Root->HitChild, sink);
    EXPECT_EQ(circuit.Root->HitPin, sink->Pin(1));
}

TEST(MacroContainer, CollectingAndTheClassRule) {
    TTestCircuit circuit;
    auto* gate = circuit.Add<T2AndGate>(0, 0);
    auto* tag = circuit.Add<TTagDevice>(100, 0);
    EXPECT_EQ(circuit.Root->Devices->Child(0), gate);
    EXPECT_EQ(circuit.Root->Tags->Child(0), tag);
    TGraphicList found(kReferencesOnly);
    EXPECT_TRUE(circuit.Root->CollectInside({-100, -100, 50, 50}, &found));
    ASSERT_EQ(found.ChildCount(), 1);
    EXPECT_EQ(found.Child(0), gate);
    EXPECT_TRUE(circuit.Root->CollectOutside({-100, -100, 50, 50}, &found));
    ASSERT_EQ(found.ChildCount(), 1);
    EXPECT_EQ(found.Child(0), tag);
    TMacro closed;
    EXPECT_FALSE(closed.CollectOutside({0, 0, 10, 10}, &found));
    EXPECT_EQ(found.ChildCount(), 1) << "a closed macro leaves the list alone";
    EXPECT_FALSE(circuit.Root->IsEmpty());
    circuit.Root->Clear();
    EXPECT_TRUE(circuit.Root->IsEmpty());
}

TEST(MacroContainer, TemplatesHoldTheOutlineAndUnlinkedPins) {
    QTemporaryDir dir;
    const QString path = dir.filePath("three.tvt");
    TMacro macro;
    std::vector<QPoint> centres = {{-20, 0}, {20, -5}, {20, 5}};
    std::vector<std::unique_ptr<TTagDevice>> tags;
    for (QPoint c : centres) {
        auto* pin = new TMacroPin;
        pin->PlaceAt(c);
        pin->Kind = TPinKind::Output;
        macro.Pins->AddChild(pin);
        tags.push_back(std::make_unique<TTagDevice>());
        TTestCircuit::LinkTag(tags.back().get(), pin);
    }
    macro.SaveTemplate(path);

    TMacro other;
    other.LoadTemplate(path);
    ASSERT_EQ(other.PinCount(), 3);
    for (int i = 0; i < 3; ++i) {
        auto* pin = KindCast<TMacroPin>(other.Pin(i));
        ASSERT_NE(pin, nullptr);
        EXPECT_EQ(pin->RoundedCentre(), centres[static_cast<size_t>(i)]);
        EXPECT_EQ(pin->Kind, TPinKind::Passive);
        EXPECT_EQ(pin->Partner, nullptr);
        EXPECT_EQ(pin->Wire, nullptr);
    }
    EXPECT_EQ(other.ChildCount(), macro.ChildCount());

    // A circuit file is not a template: the macro keeps what it had.
    const QString circuitPath = dir.filePath("circuit.tvm");
    WriteCircuit(circuitPath, &macro, "x");
    EXPECT_THROW(other.LoadTemplate(circuitPath), EInvalidFileType);
    EXPECT_EQ(other.PinCount(), 3);
    QFile truncated(dir.filePath("short.tvt"));
    QFile full(path);
    ASSERT_TRUE(full.open(QIODevice::ReadOnly) && truncated.open(QIODevice::WriteOnly));
    truncated.write(full.readAll().left(30));
    truncated.close();
    EXPECT_THROW(other.LoadTemplate(truncated.fileName()), EReadError);
    EXPECT_EQ(other.PinCount(), 3);
}
