#pragma once

// Builds circuits in code for tests: place devices, wire pins, add joints and step the circuit the
// way the editor does.

#include "model/CircuitFile.h"
#include "model/Connect.h"
#include "model/Gates.h"
#include "model/Macro.h"
#include "model/TagDevice.h"

#include <memory>

class TTestCircuit {
public:
    TTestCircuit() : m_owned(std::make_unique<TMacro>()), Root(m_owned.get()) {
        Root->Closed = false;
        Root->Displayed = true;
    }
    // Works on a macro owned elsewhere (a nested one).
    explicit TTestCircuit(TMacro* macro) : Root(macro) {}

    // Places a new device of class T with its origin at (x, y).
    template <class T> T* Add(float x = 0, float y = 0) {
        auto* device = new T;
        device->Offset(x, y);
        device->UpdateVertices();
        Root->AddObject(device);
        return device;
    }

    // A straight wire between two pins (or joints), attached at both ends.
    TWire* Wire(TGraphicObject* a, TGraphicObject* b) {
        auto* wire = new TWire;
        wire->AddPoint(a->RoundedCentre());
        wire->AddPoint(b->RoundedCentre());
        wire->Connect(a);
        wire->Connect(b);
        Root->AddObject(wire);
        return wire;
    }

    // A joint wired to up to three pins or joints.
    TSolder* Joint(std::initializer_list<TGraphicObject*> ends) {
        auto* solder = new TSolder;
        const QPoint at = (*ends.begin())->RoundedCentre() + QPoint(5, 5);
        solder->Offset(static_cast<float>(at.x()), static_cast<float>(at.y()));
        solder->UpdateVertices();
        Root->AddObject(solder);
        for (TGraphicObject* end : ends)
            Wire(solder, end);
        return solder;
    }

    // Power-on state and a fresh calculation order, as after loading.
    void Reset() { PrepareRoot(*Root); }

    // One simulation step as the editor makes it.
    TCalcResult Step() {
        TCalcResult result;
        Root->ClearDrivers();
        Root->Calculate(result);
        return result;
    }

    TCalcResult Steps(int count) {
        TCalcResult result;
        for (int i = 0; i < count; ++i)
            result = Step();
        return result;
    }

    std::unique_ptr<TMacro> Release() { return std::move(m_owned); }

    // An inverter feeding its own input: it never settles.
    TNotGate* AddRing(float x = 0, float y = 0) {
        auto* inverter = Add<TNotGate>(x, y);
        Wire(inverter->Pin(0), inverter->Pin(1));
        return inverter;
    }

    // Two tri-state buffers, both enabled by an inverter with an open input, driving one net.
    std::pair<TTriState*, TTriState*> AddBusFight(float x = 150, float y = 0) {
        auto* enable = Add<TNotGate>(x, y);
        auto* low = Add<T2AndGate>(x, y + 100);
        auto* a = Add<TTriState>(x + 100, y);
        auto* b = Add<TTriState>(x + 100, y + 100);
        auto* sink = Add<T2OrGate>(x + 200, y + 50);
        Joint({enable->Pin(0), a->Pin(2), b->Pin(2)});
        Wire(enable->Pin(0), a->Pin(0));
        Wire(low->Pin(0), b->Pin(0));
        Joint({a->Pin(1), b->Pin(1), sink->Pin(1)});
        return {a, b};
    }

    // Links a tag to a new outline pin of the macro at the given place, as the template editor does.
    static TMacroPin* AddOutlinePin(TMacro* macro, TTagDevice* tag, QPoint at, int number) {
        auto* pin = new TMacroPin;
        pin->PlaceAt(at);
        macro->Pins->AddChild(pin);
        LinkTag(tag, pin);
        tag->SetPinNumber(number);
        return pin;
    }

    static void LinkTag(TTagDevice* tag, TMacroPin* outline) {
        tag->MacroPin->Partner = outline;
        outline->Partner = tag->MacroPin.get();
    }

    // A closed macro part with an input tag, an inverter and an output tag: out = not in.
    TMacro* AddInverterMacro(float x, float y, TNotGate** inner = nullptr) {
        auto* macro = new TMacro;
        macro->Closed = false;
        TTestCircuit inside(macro);
        auto* in = inside.Add<TTagDevice>(-50, 0);
        auto* gate = inside.Add<TNotGate>(0, 0);
        auto* out = inside.Add<TTagDevice>(50, 0);
        inside.Wire(in->GetPin(), gate->Pin(1));
        inside.Wire(gate->Pin(0), out->GetPin());
        AddOutlinePin(macro, in, {-20, 0}, 0);
        AddOutlinePin(macro, out, {20, 0}, 1);
        TTagDevice::ClassifyTags(macro);
        macro->Closed = true;
        macro->Nested = true;
        macro->Offset(x, y);
        macro->UpdateVertices();
        Root->AddObject(macro);
        if (inner)
            *inner = gate;
        return macro;
    }

private:
    std::unique_ptr<TMacro> m_owned;

public:
    TMacro* Root;
};

// One object of every drawable class the registry knows, each on its own spot, neighbouring devices
// wired pin 0 to pin 1, and a joint.
inline std::unique_ptr<TMacro> CircuitOfEveryClass() {
    TTestCircuit circuit;
    TDevice* previous = nullptr;
    int slot = 0;
    for (const std::string& name : TClassRegistry::Instance().Names()) {
        TSerialize* object = TClassRegistry::Instance().Find(QByteArray::fromStdString(name))();
        auto* drawable = KindCast<TGraphicObject>(object);
        if (!drawable || IsA<TPin>(drawable) || IsA<TWire>(drawable) || IsA<TSolder>(drawable)) {
            delete object;
            continue;
        }
        if (auto* segment = KindCast<TSegment>(drawable); segment && segment->PointCount() == 0) {
            segment->AddPoint({0, 0});
            segment->AddPoint({10, 5});
        }
        drawable->Offset(static_cast<float>(100 * (slot % 8)), static_cast<float>(100 * (slot / 8)));
        drawable->UpdateVertices();
        ++slot;
        circuit.Root->AddObject(drawable);
        auto* device = KindCast<TDevice>(drawable);
        if (!device || device->PinCount() == 0 || IsA<TMacro>(device))
            continue;
        if (previous && device->PinCount() > 1 && !device->Pin(1)->Wire && !previous->Pin(0)->Wire)
            circuit.Wire(previous->Pin(0), device->Pin(1));
        previous = device;
    }
    circuit.Root->AddObject(new TSolder);
    return circuit.Release();
}

// A circuit file with damaged wiring, as a faulty writer might leave it: a wire that no list holds
// (only the pins it joins refer to it) and a wire whose second pin does not know it. Reading it drops
// the first wire and cuts the second one's end.
inline QByteArray DamagedWiringBytes() {
    TTestCircuit circuit;
    auto* a = circuit.Add<TNotGate>(0, 0);
    auto* b = circuit.Add<TNotGate>(100, 0);
    auto* c = circuit.Add<TNotGate>(0, 100);
    auto* d = circuit.Add<TNotGate>(100, 100);
    TWire* orphan = circuit.Wire(a->Pin(0), b->Pin(1));
    circuit.Wire(c->Pin(0), d->Pin(1));
    circuit.Root->Wires->Children->Remove(orphan);
    d->Pin(1)->Wire = nullptr;
    const QByteArray bytes = WriteCircuitBytes(circuit.Root, QStringLiteral("damaged"));
    circuit.Root->Wires->AddChild(orphan);
    d->Pin(1)->Wire = c->Pin(0)->Wire;
    return bytes;
}
