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
    // The output for the input levels kept at inputs[0] to inputs[count - 1].
    static int32_t Evaluate(TCombine combine, int32_t invert, const int32_t* const* inputs, int count) {
        int32_t level = 0;
        switch (combine) {
        case TCombine::All:
            level = 1;
            for (int i = 0; i < count; ++i)
                level &= *inputs[i];
            break;
        case TCombine::Any:
            for (int i = 0; i < count; ++i)
                level |= *inputs[i];
            break;
        case TCombine::Differ:
            level = *inputs[0] ^ *inputs[1];
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

// A gate's pins gathered once, so the settling loop calculates it without walking its lists or
// touching its pins. Valid while the gate keeps its pins (the calculation order that holds it is
// rebuilt after every edit) and the layout generation stays as it was.
struct TCompiledGate {
    TGateDevice* Gate = nullptr; // nil: not a gate, calculate the device itself
    TDrivenPin Output;
    std::array<const int32_t*, 4> Inputs{}; // where the input levels are kept
    int32_t Count = 0;
    int32_t Invert = 0;
    TGateDevice::TCombine Combine = TGateDevice::TCombine::All;

    // The gate's Calculate: true when a level changed.
    bool Calculate() {
        return Output.Drive(Gate, TGateDevice::Evaluate(Combine, Invert, Inputs.data(), Count));
    }
    static TCompiledGate Of(TDevice* device);
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
