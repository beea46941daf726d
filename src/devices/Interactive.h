#pragma once

// Devices the user operates with the mouse in interact mode: an input whose level each click flips,
// and a switch between two pins. A click changes only the device's own state; the circuit sees it
// at the next step.

#include "model/Device.h"

enum TInteractiveKind : uint32_t {
    kKindInteractiveInput = 1u << 25,
    kKindInteractiveSwitch = 1u << 26,
};

// Drives pin 0 with State. Preset, the state a reset restores, is stored as 0 or 65535, so a preset
// high input drives 65535 until it is first flipped. In pulse mode it also flips itself on every
// second step. Shape child 1 is the indicator.
class TInteractiveInput : public TInputDevice {
public:
    TESSIVAR_CLASS(TInteractiveInput)
    TESSIVAR_KIND(TInteractiveInput, kKindInteractiveInput);
    TInteractiveInput();

    void Write(TSerializeWriter& writer) override;
    void Read(TSerializeReader& reader) override;
    void Draw(QPainter& dc) override;
    void InteractiveDown() override;
    void InteractiveUp() override {}
    void Calculate(TCalcResult& result) override;
    void Reset() override;
    void SampleValue() override;
    void DrawValue(QPainter& dc) override;

    uint16_t State = 0;
    uint16_t Preset = 0;
    bool Pulse = false;
    bool PulsePhase = false; // in pulse mode: State flipped on the last step

protected:
    int RequiredPinCount() const override { return 1; }

private:
    void ShowState();
};

// Passes levels between its pins (0 and 1, both tri-state) while closed: the driven side's level
// goes to the undriven side. Open, it pulls the undriven side low while the other side is driven.
// Shape children 1 and 2 are the rocker halves, filled to show the state.
class TInteractiveSwitch : public TTextDevice {
public:
    TESSIVAR_CLASS(TInteractiveSwitch)
    TESSIVAR_KIND(TInteractiveSwitch, kKindInteractiveSwitch);
    TInteractiveSwitch();

    void Write(TSerializeWriter& writer) override;
    void Read(TSerializeReader& reader) override;
    void Draw(QPainter& dc) override;
    void InteractiveDown() override;
    void InteractiveUp() override;
    void Calculate(TCalcResult& result) override;

    enum Types : int32_t { kPushToMake = 0, kPushToBreak = 1, kToggle = 2 };

    // Also puts the switch in its rest state: closed for push to break, open otherwise.
    void SetSwitchType(int32_t type);

    int32_t SwitchType = kToggle;
    bool IsClosed = false;

protected:
    int RequiredPinCount() const override { return 2; }
};
