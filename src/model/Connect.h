#pragma once

// The nets of a circuit: pins on devices, wires between them and solder joints where wires branch.
// A level driven onto a pin floods through the wires and joints of its net to every pin on it.

#include "drawing/Pool.h"
#include "drawing/Segment.h"
#include "model/Kinds.h"

class TDevice;
class TWire;

// Stored in files as these numbers. Passive pins (tags) and outputs flood their net when set,
// inputs never do; a tri-state output may share a net with other tri-state outputs.
enum class TPinKind : int32_t { Passive = 0, Input = 1, Output = 2, TriState = 3 };

class TPin : public TPolygon {
public:
    TESSIVAR_CLASS(TPin)
    TESSIVAR_KIND(TPin, kKindPin);
    TESSIVAR_POOLED
    TPin();
    explicit TPin(TPinKind kind);
    // Without the square: a pin's points are always stored.
    explicit TPin(TForReading);
    ~TPin() override;

    void Write(TSerializeWriter& writer) override;
    void Read(TSerializeReader& reader) override;
    void VisitReferences(TReferenceVisitor& visit) override;
    void LinksRead() override;

    // Records the driver, stores the level and floods the pin's net unless the pin is an input or
    // the net was already flooded in this pass. True when any pin reached changed level.
    inline bool SetLevel(TDevice* driver, int32_t level);
    bool WireVisited() const;
    void AttachWire(TWire* wire);
    void DetachWire(TWire* wire);
    void PlaceAt(QPoint p);

    TWire* Wire = nullptr; // not owned
    TPinKind Kind = TPinKind::Passive;
    int32_t Level = 0;
    TDevice* Driver = nullptr; // not owned
    int32_t Index = 0;
};

// A pin of a macro's outline, or the link pin of a tag; partners point at each other.
class TMacroPin : public TPin {
public:
    TESSIVAR_CLASS(TMacroPin)
    TESSIVAR_KIND(TMacroPin, kKindMacroPin);
    TMacroPin();
    explicit TMacroPin(TForReading) : TPin(kForReading) { AddKind(kKind); }
    ~TMacroPin() override;

    void Write(TSerializeWriter& writer) override;
    void Read(TSerializeReader& reader) override;
    void VisitReferences(TReferenceVisitor& visit) override;
    void LinksRead() override;

    TMacroPin* Partner = nullptr; // not owned
};

// A solder joint: up to three wires meet here.
class TSolder : public TPolygon {
public:
    TESSIVAR_CLASS(TSolder)
    TESSIVAR_KIND(TSolder, kKindSolder);
    TESSIVAR_POOLED
    TSolder();
    ~TSolder() override;

    void Write(TSerializeWriter& writer) override;
    void Read(TSerializeReader& reader) override;
    void VisitReferences(TReferenceVisitor& visit) override;
    void LinksRead() override;
    void Offset(float dx, float dy) override;

    bool Propagate(TDevice* driver, int32_t level);
    TPin* FindPin(TPinKind kind);
    void AttachWire(TWire* wire);
    void DetachWire(TWire* wire);
    int WireCount() const;
    bool HoldsWire(const TWire* wire) const { return Wire1 == wire || Wire2 == wire || Wire3 == wire; }

    TWire* Wire1 = nullptr; // not owned
    TWire* Wire2 = nullptr;
    TWire* Wire3 = nullptr;
    bool Visited = false;
    float X = 0;
    float Y = 0;
    uint64_t SearchMark = 0; // see TWire::SearchNet
};

// A wire runs from end A (its first point) to end B (its last point); each end is a pin or a joint.
class TWire : public TPolyline {
public:
    TESSIVAR_CLASS(TWire)
    TESSIVAR_KIND(TWire, kKindWire);
    TESSIVAR_POOLED
    TWire();
    ~TWire() override;

    void Write(TSerializeWriter& writer) override;
    void Read(TSerializeReader& reader) override;
    void VisitReferences(TReferenceVisitor& visit) override;
    void LinksRead() override;

    bool Propagate(TDevice* driver, int32_t level);
    // Searches the net from this wire for a pin of the given kind; leaves the Visited marks set.
    TPin* FindPin(TPinKind kind);
    // The same search over the whole net with marks of its own: the Visited marks, which stop the
    // floods of the current pass, are neither read nor changed.
    TPin* SearchNet(TPinKind kind);
    // Only pins and solder joints attach. These set this wire's side of the link alone.
    void Attach(TGraphicObject* end);
    void Detach(TGraphicObject* end);
    // Links a free end of this wire and a pin or joint on both sides, or on neither (and returns
    // false) when end is neither, the pin holds a wire, the joint three, or both ends are taken.
    bool Connect(TGraphicObject* end);
    int ConnectedEnds() const { return (EndA ? 1 : 0) + (EndB ? 1 : 0); }
    uint32_t GetColour() const { return Pen.Colour; }
    void SetColour(uint32_t colour) { Pen.Colour = colour; }

    // Cuts the wire at the point of its last HitTest into two new wires, each keeping one end.
    void Split(TWire*& first, TWire*& second);
    // Fills this new wire with A followed by B, which meet at a joint being removed.
    void Join(TWire* a, TWire* b);
    void Reverse();
    // Moves the end vertices onto the centres of what the ends are attached to.
    bool FollowEnds();

    TDevice* Driver = nullptr; // not owned
    int32_t Level = 0;
    int32_t Reserved = 0;
    TGraphicObject* EndA = nullptr; // a TPin or a TSolder; not owned
    TGraphicObject* EndB = nullptr;
    bool Visited = false;
    TRect DirtyRect;
    bool Moved = false;
    uint64_t SearchMark = 0;
};

// Every device calculation drives its outputs through here, so it is inline.
inline bool TPin::SetLevel(TDevice* driver, int32_t level) {
    Driver = driver;
    bool changed = false;
    if (Level != level) {
        Level = level;
        changed = true;
    }
    if (Wire && !Wire->Visited && Kind != TPinKind::Input)
        changed |= Wire->Propagate(driver, level);
    return changed;
}
