#pragma once

// The sequential parts. Clocked flip-flops work as master and slave: during a step they drive their
// outputs from the slave state, and after the circuit settled the macro calls SetSlaveInputs, which
// samples the inputs into the slave state.

#include "model/Device.h"

#include <array>

// The common body: a box with the outputs Q (pin 0) and Q-bar (pin 1) on the right.
class TFlipFlop : public TDevice {
public:
    TESSIVAR_KIND(TFlipFlop, kKindFlipFlop);
    TFlipFlop();
    void TrialCalculate(TCalcResult& result) override;
    void Reset() override;

    int32_t Q = 0;
    int32_t QBar = 1;

    enum : int { kPinQ = 0, kPinQBar = 1 };

    void Read(TSerializeReader& reader) override;

protected:
    // The level of pin index, read where it is kept.
    int32_t LevelOf(int index) const {
        if (m_levelsLayout != LayoutGeneration())
            GatherLevels();
        return *m_levels[static_cast<size_t>(index)];
    }
    bool InputHigh(int index) const { return Bit0(LevelOf(index)) != 0; }
    // Called by each concrete constructor once its pins are added; reading calls it again.
    void GatherPins();
    // Drives Q and Q-bar; a change on either is reported in the result.
    void DriveOutputs(int32_t q, int32_t qBar, TCalcResult& result);
    // Drives each output with its present level, so the outputs hold and their nets flood again.
    void HoldOutputs(TCalcResult& result);
    // Adds a caption of the body (captions are not outlined while the device is dragged).
    TGraphicText* AddCaption(const QString& text, float dx, float dy);

private:
    static constexpr int kMaxPins = 7;
    // Where the levels of the pins are kept, in pin order, as of the layout generation
    // m_levelsLayout: a calculation reads them without touching the pins.
    void GatherLevels() const;
    mutable std::array<const int32_t*, kMaxPins> m_levels{};
    mutable uint64_t m_levelsLayout = 0;
    TDrivenPin m_q;
    TDrivenPin m_qBar;
};

// Reset (pin 2) wins over set (pin 3) within one calculation; both high never settles.
class TRSFlipFlop : public TFlipFlop {
public:
    TESSIVAR_CLASS(TRSFlipFlop)
    TRSFlipFlop();
    void Calculate(TCalcResult& result) override;

    enum : int { kPinR = 2, kPinS = 3 };

protected:
    int RequiredPinCount() const override { return 4; }
};

// The master-slave base of the D and JK flip-flops, with asynchronous clear and preset. Calculate
// applies preset, clear and the pending power-on clear; the subclasses add the clocked part.
class TClockedFlipFlop : public TFlipFlop {
public:
    TESSIVAR_KIND(TClockedFlipFlop, kKindClockedFlipFlop);
    TClockedFlipFlop();
    void Calculate(TCalcResult& result) override;
    void TrialCalculate(TCalcResult& result) override;
    void Reset() override;
    // Samples the inputs into the slave state; true when it was loaded.
    virtual bool SetSlaveInputs() = 0;

    int32_t SlaveQ = 0;
    int32_t SlaveQBar = 1;
    bool PowerOnClear = true;

    enum : int { kPinData = 2, kPinClock = 3, kPinClear = 4, kPinPreset = 5 };

protected:
    bool ClearOrPresetHigh() const { return InputHigh(kPinClear) || InputHigh(kPinPreset); }
};

// Samples D while the clock is low and shows the sample while it is high: the outputs change when
// the clock rises.
class TDFlipFlop : public TClockedFlipFlop {
public:
    TESSIVAR_CLASS(TDFlipFlop)
    TDFlipFlop();
    void Calculate(TCalcResult& result) override;
    bool SetSlaveInputs() override;

protected:
    int RequiredPinCount() const override { return 6; }
};

// Samples J and K while the clock is high and shows the sample while it is low: the outputs change
// when the clock falls. J is pin 2, K pin 6.
class TJKFlipFlop : public TClockedFlipFlop {
public:
    TESSIVAR_CLASS(TJKFlipFlop)
    TJKFlipFlop();
    void Calculate(TCalcResult& result) override;
    bool SetSlaveInputs() override;

    enum : int { kPinK = 6 };

protected:
    int RequiredPinCount() const override { return 7; }
};
