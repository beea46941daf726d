#pragma once

// The sequential parts. Clocked flip-flops work as master and slave: during a step they drive their
// outputs from the slave state, and after the circuit settled the macro calls SetSlaveInputs, which
// samples the inputs into the slave state.

#include "model/Device.h"

class TFlipFlop : public TDevice {
public:
    TESSIVAR_KIND(TFlipFlop, kKindFlipFlop);
    TFlipFlop();
    void Reset() override;

    int32_t Q = 0;
    int32_t QBar = 1;
};

class TClockedFlipFlop : public TFlipFlop {
public:
    TESSIVAR_KIND(TClockedFlipFlop, kKindClockedFlipFlop);
    TClockedFlipFlop();
    void Reset() override;
    // Samples the inputs into the slave state; true when it was loaded.
    virtual bool SetSlaveInputs() = 0;

    int32_t SlaveQ = 0;
    int32_t SlaveQBar = 1;
    bool PowerOnClear = true;
};
