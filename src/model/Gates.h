#pragma once

// The combinational parts: inverter, AND, NAND, OR, NOR with two to four inputs, XOR and XNOR, and
// the tri-state buffer. Gates point right: inputs at x = -30, the output pin 0 at x = 30.

#include "model/Connect.h"
#include "model/Device.h"

#include <array>

class TGateDevice : public TDevice {
public:
    TESSIVAR_KIND(TGateDevice, kKindGateDevice);
    // How the inputs combine: all high, any high, or the two differ; the output is that, inverted
    // when invert is 1.
    enum class TCombine : uint8_t { All, Any, Differ };
    TGateDevice(int32_t inputCount, TCombine combine, int32_t invert);
    void Calculate(TCalcResult& result) override;
    // The output level the inputs call for.
    int32_t Output() const;
    // The output for the input levels input(0) to input(count - 1).
    template <typename TInput>
    static int32_t Evaluate(TCombine combine, int32_t invert, int count, TInput input) {
        int32_t level = 0;
        switch (combine) {
        case TCombine::All:
            level = 1;
            for (int i = 0; i < count; ++i)
                level &= input(i);
            break;
        case TCombine::Any:
            for (int i = 0; i < count; ++i)
                level |= input(i);
            break;
        case TCombine::Differ:
            level = input(0) ^ input(1);
            break;
        }
        return Bit0(level) ^ invert;
    }
    // True when calculating the gate again would change nothing: its output already holds that
    // level, and its net, which nothing else drives, was flooded with it by this gate in this step.
    bool Idle() const;

    int32_t InputCount = 0;
    const TCombine Combine;
    const int32_t Invert;
    // The order of another level calculates this gate too (it drives through a tag there); once
    // set, it stays.
    bool InOtherOrder = false;

protected:
    int RequiredPinCount() const override { return InputCount + 1; }

    // Shape building, in the order the constructors use: body, input leads, output lead; then the
    // output pin and the input pins.
    void AddAndBody();
    void AddOrBody();
    void AddBubble();
    void AddXorArc();
    // Input leads from x = -30 to x = outerEnd (outer inputs) or middleEnd (middle inputs).
    void AddInputLeads(float outerEnd, float middleEnd);
    void AddOutputLeadAndPins(float leadStart);
};

// A gate of a level's calculation order whose pins the level keeps in its slots, compiled so a pass
// calculates it there without touching the gate or its pins. Valid while the gate keeps its pins
// (the order is rebuilt after every edit) and the layout generation stays as it was.
struct TCompiledGate {
    TGateDevice* Gate = nullptr;      // nil: calculate the device itself
    TNet* Net = nullptr;              // the net the output floods, or nil when it floods none
    std::array<uint32_t, 4> Inputs{}; // the slots of the inputs
    uint32_t Output = 0;              // the slot of the output
    uint8_t Count = 0;
    TGateDevice::TCombine Combine = TGateDevice::TCombine::All;
    bool Invert : 1 = false;
    bool Sole : 1 = false; // the output is the one pin that floods Net
    // Driving the output with what it already holds, after this gate drove it in this step,
    // changes nothing anyone can see: the output floods no net, or a net no other pin floods and
    // that only this level's passes drive (once each), so the net holds that level and driver
    // and its flood would be skipped as a repeat.
    bool Repeats : 1 = false;

    // The gate's Calculate, on the slots of its level: true when a level changed.
    bool Calculate(int32_t* levels, TDevice** drivers) const {
        const int32_t level = TGateDevice::Evaluate(
            Combine, Invert, Count, [&](int i) { return levels[Inputs[static_cast<size_t>(i)]]; });
        if (Repeats && levels[Output] == level && drivers[Output] == Gate)
            return false;
        drivers[Output] = Gate;
        bool changed = false;
        if (levels[Output] != level) {
            levels[Output] = level;
            changed = true;
        }
        if (Net && !Net->Visited())
            changed |= Net->Flood(Sole, Gate, level);
        return changed;
    }
    // The compiled gate, or one without Gate when the device is no gate, or kept does not keep
    // all its pins, or its output's net is not compiled.
    static TCompiledGate Of(TDevice* device, const TLevelSlots* kept);
};

class TNotGate : public TGateDevice {
public:
    TESSIVAR_CLASS(TNotGate)
    TNotGate();
};

class TAndGate : public TGateDevice {
public:
    explicit TAndGate(int32_t inputCount);
};

class TNandGate : public TGateDevice {
public:
    explicit TNandGate(int32_t inputCount);
};

class TOrGate : public TGateDevice {
public:
    explicit TOrGate(int32_t inputCount);
};

class TNorGate : public TGateDevice {
public:
    explicit TNorGate(int32_t inputCount);
};

class TXorGate : public TGateDevice {
public:
    TXorGate();
};

class TXnorGate : public TGateDevice {
public:
    TXnorGate();
};

#define TESSIVAR_GATE(Name, Family, Inputs)                                                                  \
    class Name : public Family {                                                                             \
    public:                                                                                                  \
        TESSIVAR_CLASS(Name)                                                                                 \
        Name() : Family(Inputs) {}                                                                           \
    }

TESSIVAR_GATE(T2AndGate, TAndGate, 2);
TESSIVAR_GATE(T3AndGate, TAndGate, 3);
TESSIVAR_GATE(T4AndGate, TAndGate, 4);
TESSIVAR_GATE(T2NandGate, TNandGate, 2);
TESSIVAR_GATE(T3NandGate, TNandGate, 3);
TESSIVAR_GATE(T4NandGate, TNandGate, 4);
TESSIVAR_GATE(T2OrGate, TOrGate, 2);
TESSIVAR_GATE(T3OrGate, TOrGate, 3);
TESSIVAR_GATE(T4OrGate, TOrGate, 4);
TESSIVAR_GATE(T2NorGate, TNorGate, 2);
TESSIVAR_GATE(T3NorGate, TNorGate, 3);
TESSIVAR_GATE(T4NorGate, TNorGate, 4);

#undef TESSIVAR_GATE

class T2XorGate : public TXorGate {
public:
    TESSIVAR_CLASS(T2XorGate)
};

class T2XnorGate : public TXnorGate {
public:
    TESSIVAR_CLASS(T2XnorGate)
};

// Drives its output (pin 1, tri-state) from the data input (pin 0) while enable (pin 2) is high;
// it refuses to drive a net another device drove in this step.
class TTriState : public TDevice {
public:
    TESSIVAR_CLASS(TTriState)
    TESSIVAR_KIND(TTriState, kKindTriState);
    TTriState();
    void Calculate(TCalcResult& result) override;

protected:
    int RequiredPinCount() const override { return 3; }
};
