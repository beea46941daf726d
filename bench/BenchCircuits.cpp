#include "BenchCircuits.h"

#include "devices/InputDevice.h"
#include "devices/OutputDevice.h"
#include "model/Gates.h"
#include "model/TagDevice.h"

namespace {

constexpr int kQ = TFlipFlop::kPinQ;
constexpr int kJ = TClockedFlipFlop::kPinData;
constexpr int kClock = TClockedFlipFlop::kPinClock;
constexpr int kK = TJKFlipFlop::kPinK;

TSolder* NewJoint(TTestCircuit& circuit, QPoint at) {
    auto* joint = new TSolder;
    joint->Offset(static_cast<float>(at.x()), static_cast<float>(at.y()));
    joint->UpdateVertices();
    circuit.Root->AddObject(joint);
    return joint;
}

// Splices a new joint into the net of pin q (or wires q to it) and returns the joint, which has one
// free slot.
TSolder* Tap(TTestCircuit& circuit, TPin* q, QPoint at) {
    TSolder* joint = NewJoint(circuit, at);
    if (TWire* old = q->Wire) {
        TGraphicObject* far = old->EndA == q ? old->EndB : old->EndA;
        circuit.Root->DeleteChild(old);
        circuit.Wire(q, joint);
        circuit.Wire(joint, far);
    } else {
        circuit.Wire(q, joint);
    }
    return joint;
}

// Outline pins for the tags of a finished inner circuit: inputs on the left, outputs on the right.
TMacro* CloseAsPart(TMacro* macro, const std::vector<TTagDevice*>& inputs,
                    const std::vector<TTagDevice*>& outputs) {
    int number = 1;
    auto link = [&](TTagDevice* tag, QPoint at) {
        auto* pin = new TMacroPin;
        pin->PlaceAt(at);
        macro->Pins->AddChild(pin);
        pin->Partner = tag->MacroPin.get();
        tag->MacroPin->Partner = pin;
        tag->SetPinNumber(number++);
    };
    for (size_t i = 0; i < inputs.size(); ++i)
        link(inputs[i], QPoint(-30, -20 + 20 * static_cast<int>(i)));
    for (size_t i = 0; i < outputs.size(); ++i)
        link(outputs[i], QPoint(30, -20 + 20 * static_cast<int>(i)));
    TTagDevice::ClassifyTags(macro);
    macro->Closed = true;
    macro->Nested = true;
    return macro;
}

// A full adder: inputs A, B, carry in; outputs sum, carry out.
TMacro* FullAdderMacro() {
    auto* macro = new TMacro;
    macro->Closed = false;
    TTestCircuit inside(macro);
    auto* a = inside.Add<TTagDevice>(-100, 0);
    auto* b = inside.Add<TTagDevice>(-100, 40);
    auto* c = inside.Add<TTagDevice>(-100, 80);
    auto* x1 = inside.Add<T2XorGate>(0, 0);
    auto* x2 = inside.Add<T2XorGate>(100, 0);
    auto* n1 = inside.Add<T2AndGate>(0, 80);
    auto* n2 = inside.Add<T2AndGate>(100, 80);
    auto* carry = inside.Add<T2OrGate>(200, 80);
    auto* sum = inside.Add<TTagDevice>(300, 0);
    auto* carryOut = inside.Add<TTagDevice>(300, 80);
    Net(inside, {a->GetPin(), x1->Pin(1), n1->Pin(1)});
    Net(inside, {b->GetPin(), x1->Pin(2), n1->Pin(2)});
    Net(inside, {x1->Pin(0), x2->Pin(1), n2->Pin(1)});
    Net(inside, {c->GetPin(), x2->Pin(2), n2->Pin(2)});
    Net(inside, {x2->Pin(0), sum->GetPin()});
    Net(inside, {n1->Pin(0), carry->Pin(1)});
    Net(inside, {n2->Pin(0), carry->Pin(2)});
    Net(inside, {carry->Pin(0), carryOut->GetPin()});
    return CloseAsPart(macro, {a, b, c}, {sum, carryOut});
}

// A macro holding one part and passing its three inputs and two outputs through tags.
TMacro* WrapPart(TMacro* part) {
    auto* macro = new TMacro;
    macro->Closed = false;
    TTestCircuit inside(macro);
    inside.Root->AddObject(part);
    std::vector<TTagDevice*> inputs, outputs;
    for (int i = 0; i < 3; ++i) {
        inputs.push_back(inside.Add<TTagDevice>(-100, static_cast<float>(40 * i)));
        Net(inside, {inputs.back()->GetPin(), part->Pin(i)});
    }
    for (int i = 0; i < 2; ++i) {
        outputs.push_back(inside.Add<TTagDevice>(100, static_cast<float>(40 * i)));
        Net(inside, {part->Pin(3 + i), outputs.back()->GetPin()});
    }
    return CloseAsPart(macro, inputs, outputs);
}

} // namespace

void Net(TTestCircuit& circuit, const std::vector<TGraphicObject*>& ends) {
    if (ends.size() < 2)
        return;
    if (ends.size() == 2) {
        circuit.Wire(ends[0], ends[1]);
        return;
    }
    // Joint k carries ends[k + 1]; the first joint also takes ends[0], the last also the final end.
    TGraphicObject* previous = ends[0];
    for (size_t k = 1; k + 1 < ends.size(); ++k) {
        TSolder* joint = NewJoint(circuit, ends[k]->RoundedCentre() + QPoint(0, 5));
        circuit.Wire(previous, joint);
        circuit.Wire(joint, ends[k]);
        previous = joint;
    }
    circuit.Wire(previous, ends.back());
}

TCounter AddCounter(TTestCircuit& circuit, int bits, QPointF at, TPin* clock, TPin* countEnable) {
    TCounter counter;
    std::vector<TGraphicObject*> clockNet = {clock};
    for (int i = 0; i < bits; ++i) {
        auto* stage =
            circuit.Add<TJKFlipFlop>(static_cast<float>(at.x() + 120 * i), static_cast<float>(at.y()));
        counter.Stages.push_back(stage);
        clockNet.push_back(stage->Pin(kClock));
    }
    Net(circuit, clockNet);
    TPin* enable = countEnable;
    if (!enable) {
        auto* vcc = circuit.Add<TSupply>(static_cast<float>(at.x() - 60), static_cast<float>(at.y() - 40));
        enable = vcc->Pin(0);
    }
    // Stage i toggles when every stage below it is high: T(i) = T(i-1) and Q(i-1).
    TPin* toggle = enable;
    for (int i = 0; i < bits; ++i) {
        TJKFlipFlop* stage = counter.Stages[static_cast<size_t>(i)];
        std::vector<TGraphicObject*> net = {toggle, stage->Pin(kJ), stage->Pin(kK)};
        TPin* next = nullptr;
        if (i + 1 < bits) {
            if (i == 0) {
                next = stage->Pin(kQ);
            } else {
                auto* gate = circuit.Add<T2AndGate>(static_cast<float>(at.x() + 120 * i + 60),
                                                    static_cast<float>(at.y() + 60));
                net.push_back(gate->Pin(1));
                circuit.Wire(stage->Pin(kQ), gate->Pin(2));
                next = gate->Pin(0);
            }
        }
        Net(circuit, net);
        toggle = next;
    }
    counter.CarryIn = enable;
    return counter;
}

TCounter AddClockedCounter(TTestCircuit& circuit, int bits, QPointF at) {
    auto* clock = circuit.Add<TClockDevice>(static_cast<float>(at.x() - 60), static_cast<float>(at.y()));
    return AddCounter(circuit, bits, at, clock->Pin(0));
}

int AddCountingAdder(TTestCircuit& circuit, int bits, QPointF at) {
    auto* clock = circuit.Add<TClockDevice>(static_cast<float>(at.x() - 60), static_cast<float>(at.y()));
    // A's stages also feed the adder, so their Q nets are built here rather than by the counter.
    TCounter a = AddCounter(circuit, bits, at, clock->Pin(0));
    TCounter b = AddCounter(circuit, bits, at + QPointF(0, 200), clock->Pin(0));
    auto* ground = circuit.Add<TGround>(static_cast<float>(at.x() - 60), static_cast<float>(at.y() + 400));
    TPin* carry = ground->Pin(0);
    int devices = 2 + 2 * (2 * bits - 1) + 1;
    for (int i = 0; i < bits; ++i) {
        const auto x = static_cast<float>(at.x() + 120 * i);
        const auto y = static_cast<float>(at.y() + 400);
        auto* x1 = circuit.Add<T2XorGate>(x, y);
        auto* x2 = circuit.Add<T2XorGate>(x + 60, y);
        auto* n1 = circuit.Add<T2AndGate>(x, y + 60);
        auto* n2 = circuit.Add<T2AndGate>(x + 60, y + 60);
        auto* carryOut = circuit.Add<T2OrGate>(x + 90, y + 120);
        auto* sum = circuit.Add<TLEDDevice>(x + 60, y + 180);
        // The counters' own Q nets exist already: the adder taps them.
        Net(circuit, {Tap(circuit, a.Stages[static_cast<size_t>(i)]->Pin(kQ), x1->Pin(1)->RoundedCentre()),
                      x1->Pin(1), n1->Pin(1)});
        Net(circuit, {Tap(circuit, b.Stages[static_cast<size_t>(i)]->Pin(kQ), x1->Pin(2)->RoundedCentre()),
                      x1->Pin(2), n1->Pin(2)});
        Net(circuit, {x1->Pin(0), x2->Pin(1), n2->Pin(1)});
        Net(circuit, {carry, x2->Pin(2), n2->Pin(2)});
        Net(circuit, {x2->Pin(0), sum->Pin(0)});
        Net(circuit, {n1->Pin(0), carryOut->Pin(1)});
        Net(circuit, {n2->Pin(0), carryOut->Pin(2)});
        carry = carryOut->Pin(0);
        devices += 6;
    }
    auto* carryLed =
        circuit.Add<TLEDDevice>(static_cast<float>(at.x() + 120 * bits), static_cast<float>(at.y() + 500));
    circuit.Wire(carry, carryLed->Pin(0));
    return devices + 1;
}

int AddNestedAdder(TTestCircuit& circuit, int bits, int depth, QPointF at) {
    auto* clock = circuit.Add<TClockDevice>(static_cast<float>(at.x() - 60), static_cast<float>(at.y()));
    TCounter a = AddCounter(circuit, bits, at, clock->Pin(0));
    TCounter b = AddCounter(circuit, bits, at + QPointF(0, 200), clock->Pin(0));
    auto* ground = circuit.Add<TGround>(static_cast<float>(at.x() - 60), static_cast<float>(at.y() + 400));
    TPin* carry = ground->Pin(0);
    for (int i = 0; i < bits; ++i) {
        TMacro* part = FullAdderMacro();
        for (int level = 1; level < depth; ++level)
            part = WrapPart(part);
        part->Offset(static_cast<float>(at.x() + 120 * i), static_cast<float>(at.y() + 400));
        part->UpdateVertices();
        circuit.Root->AddObject(part);
        for (int input = 0; input < 2; ++input) {
            TPin* q = (input == 0 ? a : b).Stages[static_cast<size_t>(i)]->Pin(kQ);
            circuit.Wire(Tap(circuit, q, part->Pin(input)->RoundedCentre()), part->Pin(input));
        }
        circuit.Wire(carry, part->Pin(2));
        auto* sum =
            circuit.Add<TLEDDevice>(static_cast<float>(at.x() + 120 * i), static_cast<float>(at.y() + 500));
        circuit.Wire(part->Pin(3), sum->Pin(0));
        carry = part->Pin(4);
    }
    auto* carryLed =
        circuit.Add<TLEDDevice>(static_cast<float>(at.x() + 120 * bits), static_cast<float>(at.y() + 500));
    circuit.Wire(carry, carryLed->Pin(0));
    return DeviceCount(*circuit.Root);
}

void AddInverterChain(TTestCircuit& circuit, int length, QPointF at) {
    auto* clock = circuit.Add<TClockDevice>(static_cast<float>(at.x()), static_cast<float>(at.y()));
    TPin* previous = clock->Pin(0);
    for (int i = 0; i < length; ++i) {
        auto* inverter = circuit.Add<TNotGate>(static_cast<float>(at.x() + 60 * (i % 50) + 60),
                                               static_cast<float>(at.y() + 40 * (i / 50)));
        circuit.Wire(previous, inverter->Pin(1));
        previous = inverter->Pin(0);
    }
    auto* led = circuit.Add<TLEDDevice>(static_cast<float>(at.x()), static_cast<float>(at.y() - 40));
    circuit.Wire(previous, led->Pin(0));
}

void AddReversedChain(TTestCircuit& circuit, int length, QPointF at) {
    auto* led = circuit.Add<TLEDDevice>(static_cast<float>(at.x()), static_cast<float>(at.y() - 40));
    TPin* next = led->Pin(0);
    for (int i = length - 1; i >= 0; --i) {
        auto* inverter = circuit.Add<TNotGate>(static_cast<float>(at.x() + 60 * (i % 50) + 60),
                                               static_cast<float>(at.y() + 40 * (i / 50)));
        circuit.Wire(inverter->Pin(0), next);
        next = inverter->Pin(1);
    }
    auto* clock = circuit.Add<TClockDevice>(static_cast<float>(at.x()), static_cast<float>(at.y()));
    circuit.Wire(clock->Pin(0), next);
}

std::unique_ptr<TMacro> NestedLevels(int depth) {
    // Built from the inside out: each level wraps the one below between an input and an output tag.
    std::unique_ptr<TMacro> inner;
    for (int level = 0; level < depth; ++level) {
        auto macro = std::make_unique<TMacro>();
        macro->Closed = false;
        TTestCircuit inside(macro.get());
        auto* in = inside.Add<TTagDevice>(-100, 0);
        auto* out = inside.Add<TTagDevice>(100, 0);
        if (inner) {
            TMacro* part = inner.release();
            part->Closed = true;
            part->Nested = true;
            macro->AddObject(part);
            inside.Wire(in->GetPin(), part->Pin(0));
            inside.Wire(part->Pin(1), out->GetPin());
        } else {
            auto* gate = inside.Add<TNotGate>(0, 0);
            inside.Wire(in->GetPin(), gate->Pin(1));
            inside.Wire(gate->Pin(0), out->GetPin());
        }
        TTestCircuit::AddOutlinePin(macro.get(), in, {-20, 0}, 0);
        TTestCircuit::AddOutlinePin(macro.get(), out, {20, 0}, 1);
        TTagDevice::ClassifyTags(macro.get());
        inner = std::move(macro);
    }
    TTestCircuit circuit;
    TMacro* part = inner.release();
    part->Closed = true;
    part->Nested = true;
    circuit.Root->AddObject(part);
    circuit.Wire(circuit.Add<TInteractiveInput>(-100, 0)->Pin(0), part->Pin(0));
    circuit.Wire(part->Pin(1), circuit.Add<TLEDDevice>(100, 0)->Pin(0));
    return circuit.Release();
}

TMemoryBench AddMemoryBench(TTestCircuit& circuit, int addressBits, int dataBits) {
    TMemoryBench bench;
    bench.Memory = circuit.Add<TMemoryDevice>(0, 0);
    bench.Memory->Configure(true, addressBits, dataBits);
    bench.Memory->Offset(2000, 0);
    bench.Memory->UpdateVertices();
    TCounter counter = AddClockedCounter(circuit, addressBits, QPointF(0, -400));
    bench.Write = circuit.Add<TInteractiveInput>(-100, 200);
    auto* ground = circuit.Add<TGround>(1900, 300);
    auto* readWrite = circuit.Add<TNotGate>(1800, 300);
    circuit.Wire(ground->Pin(0), bench.Memory->Pin(bench.Memory->ChipSelectIndex()));
    std::vector<TGraphicObject*> enableNet = {bench.Write->Pin(0), readWrite->Pin(1)};
    for (int a = 0; a < addressBits; ++a) {
        // Address pin 0 is the most significant bit.
        const int bit = addressBits - 1 - a;
        TPin* q = counter.Stages[static_cast<size_t>(bit)]->Pin(kQ);
        TSolder* joint = Tap(circuit, q, bench.Memory->Pin(a)->RoundedCentre() + QPoint(-20, 0));
        if (bit < dataBits) {
            // Data bit i follows address bit i, so each word holds its own address.
            auto* buffer = circuit.Add<TTriState>(1900, static_cast<float>(40 * a));
            Net(circuit, {joint, bench.Memory->Pin(a), buffer->Pin(0)});
            circuit.Wire(buffer->Pin(1), bench.Memory->Pin(addressBits + (dataBits - 1 - bit)));
            enableNet.push_back(buffer->Pin(2));
        } else {
            circuit.Wire(joint, bench.Memory->Pin(a));
        }
    }
    Net(circuit, enableNet);
    circuit.Wire(readWrite->Pin(0), bench.Memory->Pin(bench.Memory->ReadWriteIndex()));
    return bench;
}

int ObjectCount(const TMacro& macro) {
    int count = 0;
    for (TGraphicList* list : {macro.Devices.get(), macro.Tags.get(), macro.Wires.get(), macro.Solders.get(),
                               macro.Inputs.get(), macro.Outputs.get()})
        count += list->ChildCount();
    return count;
}

int DeviceCount(const TMacro& macro) {
    return macro.Devices->ChildCount() + macro.Inputs->ChildCount() + macro.Outputs->ChildCount();
}
