#pragma once

// The nets of a circuit: pins on devices, wires between them and solder joints where wires branch.
// A level driven onto a pin floods through the wires and joints of its net to every pin on it.

#include "drawing/Pool.h"
#include "drawing/Segment.h"
#include "model/Kinds.h"

#include <vector>

class TDevice;
class TWire;
class TPin;

// Bumped by every change of the wiring (an end attached or detached, an object destroyed, a pin's
// kind changed): compiled nets of an older generation are stale and are not used.
namespace wiring {
inline uint64_t g_generation = 1;
}
inline uint64_t WiringGeneration() {
    return wiring::g_generation;
}
inline void WiringChanged() {
    ++wiring::g_generation;
}
// A number never handed out before, for the pass and step stamps.
uint64_t NextStamp();

// A net of a compiled macro level: the wires and pins one flood reaches. Driving a pin of it sets
// the levels and drivers of the whole net and marks it flooded for the pass by its stamp.
struct TNet {
    std::vector<TWire*> Wires;
    std::vector<TPin*> Pins;
    const uint64_t* Pass = nullptr; // the owning macro's stamp of the current pass
    const uint64_t* Step = nullptr; // the owning macro's stamp of the current step
    uint64_t Flooded = 0;           // pass stamp of the last flood
    // The one pin of the net that is not an input, or nil. A flood it starts that would repeat the
    // last flood of the same step changes nothing, so it is only marked.
    TPin* SoleWriter = nullptr;
    uint64_t FloodStep = 0;
    TDevice* FloodDriver = nullptr;
    int32_t FloodLevel = 0;

    bool Visited() const { return Flooded == *Pass; }
    bool Flood(const TPin* from, TDevice* driver, int32_t level);
};

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
    int LinksRead() override;

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
    int LinksRead() override;

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
    int LinksRead() override;
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
    int LinksRead() override;

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

    // The net compiled for this wire, or nil when there is none or the wiring changed since.
    TNet* CompiledNet() const { return m_netGeneration == WiringGeneration() ? m_net : nullptr; }
    void SetNet(TNet* net) {
        m_net = net;
        m_netGeneration = net ? WiringGeneration() : 0;
    }

private:
    TNet* m_net = nullptr; // not owned: the macro that compiled it owns it
    uint64_t m_netGeneration = 0;
};

// Every device calculation drives its outputs through here, so it is inline.
inline bool TPin::SetLevel(TDevice* driver, int32_t level) {
    Driver = driver;
    bool changed = false;
    if (Level != level) {
        Level = level;
        changed = true;
    }
    if (!Wire || Kind == TPinKind::Input)
        return changed;
    if (TNet* net = Wire->CompiledNet()) {
        if (!net->Visited())
            changed |= net->Flood(this, driver, level);
    } else if (!Wire->Visited) {
        changed |= Wire->Propagate(driver, level);
    }
    return changed;
}

// A pin a device drives, with the net it floods while the wiring stays as it was when that was
// looked up: driving it is SetLevel without the hop through the pin's wire.
struct TDrivenPin {
    TPin* Pin = nullptr;
    TNet* Net = nullptr;
    uint64_t Generation = 0; // of the wiring Net belongs to; 0: none known

    // Looks the net up again: the pin's wire's compiled net, when the pin floods one.
    void Refresh() {
        Net = Pin->Wire && Pin->Kind != TPinKind::Input ? Pin->Wire->CompiledNet() : nullptr;
        Generation = Net ? WiringGeneration() : 0;
    }
    // SetLevel(driver, level) on the pin.
    bool Drive(TDevice* driver, int32_t level) {
        if (Generation != WiringGeneration()) {
            Refresh();
            return Pin->SetLevel(driver, level);
        }
        Pin->Driver = driver;
        bool changed = false;
        if (Pin->Level != level) {
            Pin->Level = level;
            changed = true;
        }
        if (!Net->Visited())
            changed |= Net->Flood(Pin, driver, level);
        return changed;
    }
};

inline bool TNet::Flood(const TPin* from, TDevice* driver, int32_t level) {
    Flooded = *Pass;
    if (from == SoleWriter && level == FloodLevel && driver == FloodDriver && FloodStep == *Step)
        return false;
    FloodStep = *Step;
    FloodDriver = driver;
    FloodLevel = level;
    for (TWire* wire : Wires) {
        wire->Level = level;
        wire->Driver = driver;
    }
    bool changed = false;
    for (TPin* pin : Pins) {
        pin->Driver = driver;
        if (pin->Level != level) {
            pin->Level = level;
            changed = true;
        }
    }
    return changed;
}
