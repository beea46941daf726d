#pragma once

// The nets of a circuit: pins on devices, wires between them and solder joints where wires branch.
// A level driven onto a pin floods through the wires and joints of its net to every pin on it.

#include "drawing/Pool.h"
#include "drawing/Segment.h"
#include "model/Kinds.h"

#include <algorithm>
#include <type_traits>
#include <vector>

class TDevice;
class TWire;
class TPin;

// Bumped by every change of the wiring (an end attached or detached, an object destroyed, a pin's
// kind changed): compiled nets of an older generation are stale and are not used. The layout
// generation is also bumped whenever levels and drivers move between objects and the flat arrays
// of a level (TLevelSlots), so addresses of them kept by the settling loop are looked up again.
namespace wiring {
inline uint64_t g_generation = 1;
inline uint64_t g_layout = 1;
} // namespace wiring
inline uint64_t WiringGeneration() {
    return wiring::g_generation;
}
inline uint64_t LayoutGeneration() {
    return wiring::g_layout;
}
inline void WiringChanged() {
    ++wiring::g_generation;
    ++wiring::g_layout;
}
inline void LayoutChanged() {
    ++wiring::g_layout;
}
// A number never handed out before, for the pass and step stamps.
uint64_t NextStamp();

// The level or the driver of a pin or wire. It is kept in the object until the macro level that
// holds the object lays its pins and wires out in flat arrays (TLevelSlots), and there from then
// on, so a settling pass reaches it without touching the object. Reading and assigning work the
// same wherever it is kept.
template <typename T> class TCell {
public:
    TCell() = default;
    TCell(const TCell&) = delete;
    TCell& operator=(const TCell& other) {
        *m_at = *other.m_at;
        return *this;
    }
    TCell& operator=(T value) {
        *m_at = value;
        return *this;
    }
    operator T() const { return *m_at; }
    T operator->() const requires std::is_pointer_v<T> { return *m_at; }
    // Where the value is kept now; valid until the layout generation changes.
    T* Address() { return m_at; }
    const T* Address() const { return m_at; }

private:
    friend class TLevelSlots;
    void KeepAt(T* slot) {
        *slot = *m_at;
        m_at = slot;
    }
    void KeepHome() {
        m_own = *m_at;
        m_at = &m_own;
    }

    T m_own{};
    T* m_at = &m_own;
};

class TLevelSlots;

// What a step leaves on a pin or a wire: its level, and the device that drove it in this step.
class TNetMember {
public:
    TNetMember() = default;
    TNetMember(const TNetMember&) = delete;
    TNetMember& operator=(const TNetMember&) = delete;

    TCell<int32_t> Level;
    TCell<TDevice*> Driver; // not owned

    bool KeptIn(const TLevelSlots* where) const { return m_slots == where; }
    // The slot where the level and driver are kept, while KeptIn those slots.
    uint32_t Slot() const { return m_slot; }

protected:
    ~TNetMember();

private:
    friend class TLevelSlots;
    TLevelSlots* m_slots = nullptr;
    uint32_t m_slot = 0;
};

// The levels and drivers of one macro level's wires and pins, side by side in flat arrays: a
// step forgets every driver at once, and a net floods a run of neighbouring slots.
class TLevelSlots {
public:
    explicit TLevelSlots(size_t count)
        : Levels(count, 0), Drivers(count, nullptr), m_owners(count, nullptr) {}
    TLevelSlots(const TLevelSlots&) = delete;
    TLevelSlots& operator=(const TLevelSlots&) = delete;
    // Every member still kept here takes its level and driver back.
    ~TLevelSlots();

    // Moves the level and driver of member into the slot, from wherever they were kept.
    void Keep(TNetMember& member, size_t slot);
    void ForgetDrivers() { std::fill(Drivers.begin(), Drivers.end(), nullptr); }

    std::vector<int32_t> Levels;
    std::vector<TDevice*> Drivers;

private:
    friend class TNetMember;
    std::vector<TNetMember*> m_owners;
};

// The stamps of a macro level's current pass and step.
struct TStamps {
    uint64_t Pass = NextStamp();
    uint64_t Step = NextStamp();
};

// A net of a compiled macro level: the wires and pins one flood reaches. Driving a pin of it sets
// the levels and drivers of the whole net and marks it flooded for the pass by its stamp. It fills
// one cache line; the macro that compiled it keeps its wires and pins for building.
struct alignas(64) TNet {
    uint64_t Flooded = 0;            // pass stamp of the last flood
    const TStamps* Stamps = nullptr; // the owning macro's
    // The one pin of the net that is not an input, or nil. A flood it starts that would repeat the
    // last flood of the same step changes nothing, so it is only marked.
    TPin* SoleWriter = nullptr;
    uint64_t FloodStep = 0;
    TDevice* FloodDriver = nullptr;
    // Where the level keeps the net's levels and drivers: from slot First on, its wires', then its
    // pins'. The macro lays the net out before anything floods it.
    TLevelSlots* Kept = nullptr;
    int32_t FloodLevel = 0;
    uint32_t First = 0;
    uint32_t WireSlots = 0;
    uint32_t Slots = 0;

    bool Visited() const { return Flooded == Stamps->Pass; }
    // Floods the net from a pin; sole: that pin is SoleWriter.
    bool Flood(bool sole, TDevice* driver, int32_t level);
};
static_assert(sizeof(TNet) == 64);

// Stored in files as these numbers. Passive pins (tags) and outputs flood their net when set,
// inputs never do; a tri-state output may share a net with other tri-state outputs.
enum class TPinKind : int32_t { Passive = 0, Input = 1, Output = 2, TriState = 3 };

class TPin : public TPolygon, public TNetMember {
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
class TWire : public TPolyline, public TNetMember {
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
            changed |= net->Flood(this == net->SoleWriter, driver, level);
    } else if (!Wire->Visited) {
        changed |= Wire->Propagate(driver, level);
    }
    return changed;
}

// A pin a device drives, with where its level and driver are kept and the net it floods, as they
// were when last looked up: driving it is SetLevel without the hops through the pin and its wire.
struct TDrivenPin {
    TPin* Pin = nullptr;
    TNet* Net = nullptr; // nil: the pin floods no compiled net
    int32_t* Level = nullptr;
    TDevice** Driver = nullptr;
    uint64_t Layout = 0; // the layout generation these were looked up in; 0: never
    bool Floods = false; // the pin is wired and not an input

    void Refresh() {
        Floods = Pin->Wire && Pin->Kind != TPinKind::Input;
        Net = Floods ? Pin->Wire->CompiledNet() : nullptr;
        Level = Pin->Level.Address();
        Driver = Pin->Driver.Address();
        Layout = LayoutGeneration();
    }
    // SetLevel(driver, level) on the pin.
    bool Drive(TDevice* driver, int32_t level) {
        if (Layout != LayoutGeneration())
            Refresh();
        if (Floods && !Net)
            return Pin->SetLevel(driver, level); // the wiring changed since the nets were compiled
        *Driver = driver;
        bool changed = false;
        if (*Level != level) {
            *Level = level;
            changed = true;
        }
        if (Net && !Net->Visited())
            changed |= Net->Flood(Pin == Net->SoleWriter, driver, level);
        return changed;
    }
};

inline bool TNet::Flood(bool sole, TDevice* driver, int32_t level) {
    Flooded = Stamps->Pass;
    if (sole && level == FloodLevel && driver == FloodDriver && FloodStep == Stamps->Step)
        return false;
    FloodStep = Stamps->Step;
    FloodDriver = driver;
    FloodLevel = level;
    int32_t* levels = Kept->Levels.data() + First;
    TDevice** drivers = Kept->Drivers.data() + First;
    for (uint32_t i = 0; i < WireSlots; ++i) {
        levels[i] = level;
        drivers[i] = driver;
    }
    bool changed = false;
    for (uint32_t i = WireSlots; i < Slots; ++i) {
        drivers[i] = driver;
        if (levels[i] != level) {
            levels[i] = level;
            changed = true;
        }
    }
    return changed;
}
