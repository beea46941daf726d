#pragma once

// The combinational parts: inverter, AND, NAND, OR, NOR with two to four inputs, XOR and XNOR, and
// the tri-state buffer. Gates point right: inputs at x = -30, the output pin 0 at x = 30.

#include "model/Connect.h"
#include "model/Device.h"

class TGateDevice : public TDevice {
public:
    TESSIVAR_KIND(TGateDevice, kKindGateDevice);
    explicit TGateDevice(int32_t inputCount);
    void Calculate(TCalcResult& result) override;
    // The output level the inputs call for.
    virtual int32_t Output() const = 0;
    // True when calculating the gate again would change nothing: its output already holds that
    // level, and its net, which nothing else drives, was flooded with it by this gate in this step.
    bool Idle() const;

    int32_t InputCount = 0;

protected:
    int RequiredPinCount() const override { return InputCount + 1; }
    // Pin 0 is driven with the result; a change is reported in the result.
    void Drive(int32_t level, TCalcResult& result) {
        if (Pin(0)->SetLevel(this, level))
            result.Changed = true;
    }
    bool AllInputsHigh() const;
    bool AnyInputHigh() const;
    bool InputsDiffer() const;

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

class TNotGate : public TGateDevice {
public:
    TESSIVAR_CLASS(TNotGate)
    TNotGate();
    int32_t Output() const override;
};

class TAndGate : public TGateDevice {
public:
    explicit TAndGate(int32_t inputCount);
    int32_t Output() const override;
};

class TNandGate : public TGateDevice {
public:
    explicit TNandGate(int32_t inputCount);
    int32_t Output() const override;
};

class TOrGate : public TGateDevice {
public:
    explicit TOrGate(int32_t inputCount);
    int32_t Output() const override;
};

class TNorGate : public TGateDevice {
public:
    explicit TNorGate(int32_t inputCount);
    int32_t Output() const override;
};

class TXorGate : public TGateDevice {
public:
    TXorGate();
    int32_t Output() const override;
};

class TXnorGate : public TGateDevice {
public:
    TXnorGate();
    int32_t Output() const override;
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
