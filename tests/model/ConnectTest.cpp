#include "TestCircuit.h"
#include "TestSupport.h"

#include "model/Gates.h"

#include <gtest/gtest.h>

TEST(Net, SetLevelRecordsTheDriverAndFloodsTheNet) {
    TTestCircuit circuit;
    auto* gate = circuit.Add<TNotGate>();
    auto* a = circuit.Add<T2AndGate>(100, 0);
    auto* b = circuit.Add<T2AndGate>(100, 100);
    TSolder* joint = circuit.Joint({gate->Pin(0), a->Pin(1), b->Pin(2)});
    (void)joint;
    TPin* out = gate->Pin(0);
    EXPECT_TRUE(out->SetLevel(gate, 1));
    EXPECT_EQ(a->Pin(1)->Level, 1);
    EXPECT_EQ(b->Pin(2)->Level, 1);
    EXPECT_EQ(b->Pin(2)->Driver, gate) << "input pins reached by a flood record the driver";
    EXPECT_EQ(out->Wire->Driver, gate);
    EXPECT_EQ(out->Wire->Level, 1);

    // The same level again: no change, but an unvisited net is flooded and drivers recorded anew.
    circuit.Root->ClearVisited(false);
    b->Pin(2)->Driver = nullptr;
    EXPECT_FALSE(out->SetLevel(gate, 1));
    EXPECT_EQ(b->Pin(2)->Driver, gate);

    // A visited net is not flooded a second time in the same pass: only the pin itself changes.
    b->Pin(2)->Driver = nullptr;
    EXPECT_TRUE(out->SetLevel(gate, 0));
    EXPECT_EQ(b->Pin(2)->Driver, nullptr);
    EXPECT_EQ(a->Pin(1)->Level, 1);
    EXPECT_EQ(out->Level, 0);
}

TEST(Net, InputsAndLonePinsChangeAlone) {
    TTestCircuit circuit;
    auto* gate = circuit.Add<TNotGate>();
    auto* sink = circuit.Add<T2AndGate>(100, 0);
    circuit.Wire(gate->Pin(0), sink->Pin(1));
    EXPECT_TRUE(sink->Pin(1)->SetLevel(nullptr, 1));
    EXPECT_EQ(gate->Pin(0)->Level, 0) << "an input pin never floods its wire";
    EXPECT_FALSE(gate->Pin(0)->Wire->Visited);
    TPin lone(TPinKind::Output);
    EXPECT_TRUE(lone.SetLevel(gate, 1));
    EXPECT_FALSE(lone.SetLevel(gate, 1));
}

TEST(Net, LoopsFloodEachWireOnce) {
    // Two joints joined by two wires: a loop. The flood ends, every pin gets the level.
    TTestCircuit circuit;
    auto* gate = circuit.Add<TNotGate>();
    auto* sinkA = circuit.Add<T2AndGate>(100, 0);
    auto* sinkB = circuit.Add<T2AndGate>(100, 100);
    auto* left = new TSolder;
    auto* right = new TSolder;
    circuit.Root->AddObject(left);
    circuit.Root->AddObject(right);
    circuit.Wire(gate->Pin(0), left);
    circuit.Wire(left, right);
    circuit.Wire(left, right);
    circuit.Wire(right, sinkA->Pin(1));
    EXPECT_EQ(left->WireCount(), 3);
    EXPECT_EQ(right->WireCount(), 3);
    TWire* fourth = circuit.Wire(right, sinkB->Pin(1));
    EXPECT_EQ(right->WireCount(), 3) << "a full joint takes no fourth wire";
    EXPECT_FALSE(right->HoldsWire(fourth));
    EXPECT_TRUE(gate->Pin(0)->SetLevel(gate, 1));
    EXPECT_EQ(sinkA->Pin(1)->Level, 1);
    EXPECT_EQ(sinkB->Pin(1)->Level, 0);
}

TEST(Net, LongChainsOfJointsFloodWithoutRecursion) {
    TTestCircuit circuit;
    auto* gate = circuit.Add<TNotGate>();
    auto* sink = circuit.Add<T2AndGate>(100, 0);
    TGraphicObject* previous = gate->Pin(0);
    for (int i = 0; i < 200000; ++i) {
        auto* joint = new TSolder;
        circuit.Root->AddObject(joint);
        circuit.Wire(previous, joint);
        previous = joint;
    }
    circuit.Wire(previous, sink->Pin(1));
    EXPECT_TRUE(gate->Pin(0)->SetLevel(gate, 1));
    EXPECT_EQ(sink->Pin(1)->Level, 1);
    circuit.Root->ClearVisited(false);
    EXPECT_EQ(gate->Pin(0)->Wire->FindPin(TPinKind::Input), sink->Pin(1));
}

TEST(Net, FindPinSearchesTheWholeNet) {
    TTestCircuit circuit;
    auto* gate = circuit.Add<TNotGate>();
    auto* a = circuit.Add<T2AndGate>(100, 0);
    auto* b = circuit.Add<TTriState>(100, 100);
    circuit.Joint({a->Pin(1), gate->Pin(0), b->Pin(1)});
    TWire* fromInput = a->Pin(1)->Wire;
    circuit.Root->ClearVisited(false);
    EXPECT_EQ(fromInput->FindPin(TPinKind::Output), gate->Pin(0));
    circuit.Root->ClearVisited(false);
    EXPECT_EQ(fromInput->FindPin(TPinKind::TriState), b->Pin(1));
    circuit.Root->ClearVisited(false);
    EXPECT_EQ(fromInput->FindPin(TPinKind::Passive), nullptr);
}

TEST(Wire, ConnectLinksBothSidesOrNeither) {
    TPin output(TPinKind::Output), input(TPinKind::Input);
    TSolder joint;
    TPolygon shape;
    TWire a, b, c, d;
    ASSERT_TRUE(a.Connect(&output));
    EXPECT_EQ(output.Wire, &a);
    EXPECT_EQ(a.EndA, &output);

    EXPECT_FALSE(b.Connect(&output)) << "a pin holds one wire";
    EXPECT_EQ(output.Wire, &a);
    EXPECT_EQ(b.ConnectedEnds(), 0);

    ASSERT_TRUE(a.Connect(&joint));
    EXPECT_EQ(a.EndB, &joint);
    EXPECT_FALSE(a.Connect(&input)) << "a wire has two ends";
    EXPECT_EQ(input.Wire, nullptr);

    ASSERT_TRUE(b.Connect(&joint));
    ASSERT_TRUE(c.Connect(&joint));
    EXPECT_FALSE(d.Connect(&joint)) << "a joint holds three wires";
    EXPECT_FALSE(joint.HoldsWire(&d));
    EXPECT_FALSE(d.Connect(&shape));
    EXPECT_FALSE(d.Connect(nullptr));
    EXPECT_EQ(d.ConnectedEnds(), 0);
}

TEST(Wire, SplitJoinAndReverse) {
    TPin left(TPinKind::Output), right(TPinKind::Input);
    auto* wire = new TWire;
    for (QPoint p : {QPoint(0, 0), QPoint(100, 0), QPoint(100, 100)})
        wire->AddPoint(p);
    wire->Attach(&left);
    left.AttachWire(wire);
    wire->Attach(&right);
    right.AttachWire(wire);
    ASSERT_TRUE(wire->HitTest(40, 1));
    TWire* first = nullptr;
    TWire* second = nullptr;
    wire->Split(first, second);
    delete wire; // as the editor does; the pieces keep the ends
    std::unique_ptr<TWire> a(first), b(second);
    ASSERT_EQ(first->PointCount(), 2);
    EXPECT_EQ(first->GetVertex(0), QPoint(0, 0));
    EXPECT_EQ(first->GetVertex(1), QPoint(40, 0));
    ASSERT_EQ(second->PointCount(), 3);
    EXPECT_EQ(second->GetVertex(0), QPoint(40, 0));
    EXPECT_EQ(second->GetVertex(2), QPoint(100, 100));
    EXPECT_EQ(first->EndA, &left);
    EXPECT_EQ(first->EndB, nullptr);
    EXPECT_EQ(second->EndB, &right);
    EXPECT_EQ(left.Wire, first);
    EXPECT_EQ(right.Wire, second);

    // Joining back through a joint the two pieces would meet at: the ends are re-pointed.
    TSolder joint;
    first->Attach(&joint);
    joint.AttachWire(first);
    second->Reverse();
    EXPECT_EQ(second->EndA, &right);
    second->Attach(&joint);
    joint.AttachWire(second);
    TWire joined;
    joined.Join(first, second);
    ASSERT_EQ(joined.PointCount(), 4);
    EXPECT_EQ(joined.GetVertex(0), QPoint(0, 0));
    EXPECT_EQ(joined.GetVertex(3), QPoint(100, 100));
    EXPECT_EQ(joined.EndA, &left);
    EXPECT_EQ(joined.EndB, &right);
    EXPECT_EQ(left.Wire, &joined);
    EXPECT_EQ(right.Wire, &joined);
    joined.Detach(&left);
    joined.Detach(&right);
    left.DetachWire(&joined);
    right.DetachWire(&joined);
}

TEST(Wire, FollowEndsMovesOnlyEndsThatMoved) {
    TTestCircuit circuit;
    auto* gate = circuit.Add<TNotGate>();
    auto* sink = circuit.Add<T2AndGate>(100, 0);
    TWire* wire = circuit.Wire(gate->Pin(0), sink->Pin(1));
    EXPECT_FALSE(wire->FollowEnds());
    EXPECT_EQ(wire->DirtyRect, TRect{});
    sink->Offset(0, 20);
    sink->UpdateVertices();
    EXPECT_TRUE(wire->FollowEnds());
    EXPECT_EQ(wire->LastVertex(), sink->Pin(1)->RoundedCentre());
    EXPECT_EQ(wire->FirstVertex(), gate->Pin(0)->RoundedCentre());
    EXPECT_FALSE(wire->DirtyRect.IsEmpty());
    EXPECT_TRUE(circuit.Root->FollowWireEnds() == false);
}

TEST(Net, DestroyingAnObjectUnhooksItsLinks) {
    TTestCircuit circuit;
    auto* gate = circuit.Add<TNotGate>();
    auto* a = circuit.Add<T2AndGate>(100, 0);
    auto* b = circuit.Add<T2AndGate>(100, 100);
    TSolder* joint = circuit.Joint({gate->Pin(0), a->Pin(1), b->Pin(1)});
    TWire* toA = a->Pin(1)->Wire;
    circuit.Root->DeleteChild(a);
    EXPECT_EQ(toA->EndB, nullptr);
    circuit.Root->DeleteChild(joint);
    EXPECT_EQ(toA->EndA, nullptr);
    EXPECT_EQ(toA->ConnectedEnds(), 0);
    TWire* toGate = gate->Pin(0)->Wire;
    ASSERT_NE(toGate, nullptr);
    circuit.Root->DeleteChild(toGate);
    EXPECT_EQ(gate->Pin(0)->Wire, nullptr);
}

TEST(NetStream, CyclesBetweenPinsWiresAndJointsRoundTrip) {
    TTestCircuit circuit;
    auto* gate = circuit.Add<TNotGate>(10, 20);
    auto* a = circuit.Add<T2AndGate>(100, 0);
    auto* b = circuit.Add<T3OrGate>(100, 100);
    circuit.Joint({gate->Pin(0), a->Pin(1), b->Pin(3)});
    const QByteArray bytes = testsupport::WriteTree(circuit.Root);
    std::unique_ptr<TMacro> copy = testsupport::ReadTree<TMacro>(bytes);
    EXPECT_EQ(testsupport::WriteTree(copy.get()), bytes);
    ASSERT_EQ(copy->Solders->ChildCount(), 1);
    auto* joint = static_cast<TSolder*>(copy->Solders->Child(0));
    EXPECT_EQ(joint->WireCount(), 3);
    EXPECT_EQ(joint->X, static_cast<TSolder*>(circuit.Root->Solders->Child(0))->X);
    auto* gateCopy = static_cast<TNotGate*>(copy->Devices->Child(0));
    ASSERT_NE(gateCopy->Pin(0)->Wire, nullptr);
    EXPECT_TRUE(gateCopy->Pin(0)->Wire->EndA == gateCopy->Pin(0) ||
                gateCopy->Pin(0)->Wire->EndB == gateCopy->Pin(0));
    copy->Displayed = true;
    PrepareRoot(*copy);
    TCalcResult result;
    copy->ClearDrivers();
    copy->Calculate(result);
    EXPECT_EQ(static_cast<TDevice*>(copy->Devices->Child(2))->Pin(3)->Level, 1);
}
