#pragma once

// A tag: the terminal through which a circuit talks to the outside when it is used as a macro. Its
// link pin is partnered with one outline pin of the enclosing macro, and the tag copies levels
// between its own pin (inside) and that outline pin (outside).

#include "model/Connect.h"
#include "model/Device.h"

class TMacro;

class TTagDevice : public TDevice {
public:
    TESSIVAR_CLASS(TTagDevice)
    TESSIVAR_KIND(TTagDevice, kKindTagDevice);
    TTagDevice();
    ~TTagDevice() override;

    void Write(TSerializeWriter& writer) override;
    void Read(TSerializeReader& reader) override;
    void Calculate(TCalcResult& result) override;

    enum Directions : int32_t { kUndecided = 0, kIn = 1, kOut = 2, kBidirectional = 3 };

    TPin* GetPin() const { return Pin(0); }
    TPin* FindOnNet(int32_t kind);
    int32_t GetPinNumber() const;
    void SetPinNumber(int32_t number);
    void SetLabelPosition(int32_t position);
    bool DetermineDirection();
    // Decides every tag's direction from what its inner net holds; outline pins follow.
    static void ClassifyTags(TMacro* macro);

    int32_t LabelPosition = 0;
    int32_t Direction = kUndecided;
    std::unique_ptr<TMacroPin> MacroPin; // the link pin; owned, never null

protected:
    int RequiredPinCount() const override { return 1; }

private:
    TGraphicText* NumberLabel() const;
};
