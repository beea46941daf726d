#pragma once

// The input devices: ground, the supply, the clock and the sequence generator. Each drives its one
// output pin (pin 0) from outside the logic; a macro calculates them once per step.

#include "model/Device.h"

enum TInputDeviceKind : uint32_t {
    kKindSeqInputDevice = 1u << 24,
};

// Drives 0.
class TGround : public TInputDevice {
public:
    TESSIVAR_CLASS(TGround)
    TGround();
    void Calculate(TCalcResult& result) override;

protected:
    int RequiredPinCount() const override { return 1; }
};

// Drives 1.
class TSupply : public TInputDevice {
public:
    TESSIVAR_CLASS(TSupply)
    TSupply();
    void Calculate(TCalcResult& result) override;

protected:
    int RequiredPinCount() const override { return 1; }
};

// Plays a string of bits, one character per Advance. Shape child 0 is the indicator, filled with
// OnColour while the device drives high.
class TSeqInputDevice : public TInputDevice {
public:
    TESSIVAR_KIND(TSeqInputDevice, kKindSeqInputDevice);

    void Write(TSerializeWriter& writer) override;
    void Read(TSerializeReader& reader) override;
    void Draw(QPainter& dc) override;
    void Calculate(TCalcResult& result) override;
    void Reset() override;
    void SampleValue() override;
    void DrawValue(QPainter& dc) override;

    // Starts the sequence over: Position 1, Phase false, Value 0.
    void SetSequence(const QString& sequence);
    // Flips Phase and takes the character at Position into Value.
    void Advance();

    bool Phase = false;
    int32_t Position = 1; // 1-based index of the next character to play
    QString Sequence;
    int32_t Value = 0;
    uint32_t OnColour = 0;

protected:
    // Only the clock and the generator are placed in circuits.
    TSeqInputDevice();
    int RequiredPinCount() const override { return 1; }
    void Drive(int32_t level) { Pin(0)->SetLevel(this, level); }

private:
    void ShowValue();
};

// Alternates 0 and 1 on every step, starting low.
class TClockDevice : public TSeqInputDevice {
public:
    TESSIVAR_CLASS(TClockDevice)
    TClockDevice();
};

// Holds each bit of its sequence for two steps.
class TBitGenerator : public TSeqInputDevice {
public:
    TESSIVAR_CLASS(TBitGenerator)
    TBitGenerator();
    void Calculate(TCalcResult& result) override;
};
