#pragma once

// A tag: the terminal through which a circuit talks to the outside when it is used as a macro. Its
// link pin is partnered with one outline pin of the enclosing macro, and the tag copies levels
// between its own pin (inside) and that outline pin (outside).

#include "model/Connect.h"
#include "model/Device.h"

class TMacro;

// Which way a tag passes levels, stored in files as these numbers: undecided, into the macro (the
// outside drives the inside), out of it, or both ways for a tri-state bus.
enum class TTagDirection : int32_t { Undecided = 0, Input = 1, Output = 2, Bidirectional = 3 };

// The kind of the outline pin linked to a tag of this direction.
TPinKind PinKindOf(TTagDirection direction);

class TTagDevice : public TDevice {
public:
    TESSIVAR_CLASS(TTagDevice)
    TESSIVAR_KIND(TTagDevice, kKindTagDevice);
    TTagDevice();
    ~TTagDevice() override;

    void Write(TSerializeWriter& writer) override;
    void Read(TSerializeReader& reader) override;
    void Calculate(TCalcResult& result) override;

    TPin* GetPin() const { return Pin(0); }
    TPin* FindOnNet(TPinKind kind);
    int32_t GetPinNumber() const;
    void SetPinNumber(int32_t number);
    void SetLabelPosition(TLabelPosition position);
    bool DetermineDirection();
    // Decides every tag's direction from what its inner net holds; outline pins follow.
    static void ClassifyTags(TMacro* macro);

    TLabelPosition LabelPosition = TLabelPosition::Left;
    TTagDirection Direction = TTagDirection::Undecided;
    std::unique_ptr<TMacroPin> MacroPin; // the link pin; owned, never null

protected:
    int RequiredPinCount() const override { return 1; }

private:
    TGraphicText* NumberLabel() const;
};
