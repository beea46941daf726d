#include "model/Connect.h"

#include "drawing/Geometry.h"
#include "model/Device.h"

#include <algorithm>
#include <vector>

namespace {

// Wires and joints waiting to be flooded or searched. Nets can be long chains of joints, so both
// walks keep their own stack instead of recursing. A walk may start another one (a pin reached by a
// flood floods its own wire), so each walk works above the entries it found.
std::vector<TGraphicObject*> g_walkStack;

std::vector<TGraphicObject*>& WalkStack() {
    return g_walkStack;
}

TPin* AsPin(TGraphicObject* end) {
    return KindCast<TPin>(end);
}
TSolder* AsSolder(TGraphicObject* end) {
    return KindCast<TSolder>(end);
}

// Points an end that was attached to one wire at another.
void Repoint(TGraphicObject* end, TWire* from, TWire* to) {
    if (TSolder* solder = AsSolder(end)) {
        solder->DetachWire(from);
        solder->AttachWire(to);
    } else if (TPin* pin = AsPin(end)) {
        pin->DetachWire(from);
        pin->AttachWire(to);
    }
}

} // namespace

uint64_t NextStamp() {
    static uint64_t last = 0;
    return ++last;
}

// ---------------------------------------------------------------------------------------------------

TNetMember::~TNetMember() {
    if (m_slots)
        m_slots->m_owners[m_slot] = nullptr;
}

TLevelSlots::~TLevelSlots() {
    for (TNetMember* member : m_owners) {
        if (!member)
            continue;
        member->Level.KeepHome();
        member->Driver.KeepHome();
        member->m_slots = nullptr;
    }
    LayoutChanged();
}

void TLevelSlots::Keep(TNetMember& member, size_t slot) {
    if (member.m_slots)
        member.m_slots->m_owners[member.m_slot] = nullptr;
    member.Level.KeepAt(&Levels[slot]);
    member.Driver.KeepAt(&Drivers[slot]);
    member.m_slots = this;
    member.m_slot = static_cast<uint32_t>(slot);
    m_owners[slot] = &member;
}

// ---------------------------------------------------------------------------------------------------

TPin::TPin() {
    AddKind(kKind);
    Rotatable = false;
    Sizeable = false;
    AppendPoint(4, 4);
    AppendPoint(4, -4);
    AppendPoint(-4, -4);
    AppendPoint(-4, 4);
    UpdateVertices();
}

TPin::TPin(TPinKind kind) : TPin() {
    Kind = kind;
}

TPin::TPin(TForReading) {
    AddKind(kKind);
    Rotatable = false;
    Sizeable = false;
}

TPin::~TPin() {
    if (Wire)
        Wire->Detach(this);
}

void TPin::Write(TSerializeWriter& writer) {
    TPolygon::Write(writer);
    writer.WriteInteger(static_cast<int32_t>(Kind));
    writer.WriteReference(Wire);
}

void TPin::Read(TSerializeReader& reader) {
    TPolygon::Read(reader);
    const int32_t kind = reader.ReadInteger();
    if (kind < 0 || kind > 3)
        reader.Fail("a pin of an unknown kind");
    Kind = static_cast<TPinKind>(kind);
    reader.ReadReference(Wire);
}

void TPin::VisitReferences(TReferenceVisitor& visit) {
    visit(Wire);
}

int TPin::LinksRead() {
    WiringChanged();
    if (Wire && Wire->EndA != this && Wire->EndB != this) {
        Wire = nullptr;
        return 1;
    }
    return 0;
}

bool TPin::WireVisited() const {
    if (!Wire)
        return false;
    if (const TNet* net = Wire->CompiledNet())
        return net->Visited();
    return Wire->Visited;
}

void TPin::AttachWire(TWire* wire) {
    WiringChanged();
    if (!Wire)
        Wire = wire;
}

void TPin::DetachWire(TWire* wire) {
    WiringChanged();
    if (Wire == wire)
        Wire = nullptr;
}

void TPin::PlaceAt(QPoint p) {
    Offset(static_cast<float>(p.x()), static_cast<float>(p.y()));
    UpdateVertices();
}

// ---------------------------------------------------------------------------------------------------

TMacroPin::TMacroPin() {
    AddKind(kKind);
}

TMacroPin::~TMacroPin() {
    if (Partner && Partner->Partner == this)
        Partner->Partner = nullptr;
}

void TMacroPin::Write(TSerializeWriter& writer) {
    TPin::Write(writer);
    writer.WriteReference(Partner);
}

void TMacroPin::Read(TSerializeReader& reader) {
    TPin::Read(reader);
    reader.ReadReference(Partner);
}

void TMacroPin::VisitReferences(TReferenceVisitor& visit) {
    TPin::VisitReferences(visit);
    visit(Partner);
}

int TMacroPin::LinksRead() {
    WiringChanged();
    int cut = TPin::LinksRead();
    if (Partner && Partner->Partner != this) {
        Partner = nullptr;
        ++cut;
    }
    return cut;
}

// ---------------------------------------------------------------------------------------------------

TSolder::TSolder() {
    AddKind(kKind);
    Rotatable = false;
    Sizeable = false;
    Brush.Colour = kColourBlack;
    AddArc(true, 0, 0, 0, 360, 2, 2);
    UpdateVertices();
}

TSolder::~TSolder() {
    for (TWire* wire : {Wire1, Wire2, Wire3})
        if (wire)
            wire->Detach(this);
}

void TSolder::Write(TSerializeWriter& writer) {
    writer.WriteFloat(X);
    writer.WriteFloat(Y);
    writer.WriteReference(Wire1);
    writer.WriteReference(Wire2);
    writer.WriteReference(Wire3);
}

void TSolder::Read(TSerializeReader& reader) {
    X = reader.ReadFloat();
    Y = reader.ReadFloat();
    TSegment::Offset(X, Y);
    UpdateVertices();
    reader.ReadReference(Wire1);
    reader.ReadReference(Wire2);
    reader.ReadReference(Wire3);
}

void TSolder::VisitReferences(TReferenceVisitor& visit) {
    visit(Wire1);
    visit(Wire2);
    visit(Wire3);
}

int TSolder::LinksRead() {
    WiringChanged();
    // A wire may sit in as many slots as it has ends here, no more.
    int cut = 0;
    TWire** slotRefs[] = {&Wire1, &Wire2, &Wire3};
    for (TWire** slot : slotRefs) {
        TWire* wire = *slot;
        if (!wire)
            continue;
        const int ends = (wire->EndA == this ? 1 : 0) + (wire->EndB == this ? 1 : 0);
        int held = 0;
        for (TWire** other : slotRefs)
            held += *other == wire;
        if (held > ends) {
            *slot = nullptr;
            ++cut;
        }
    }
    return cut;
}

void TSolder::Offset(float dx, float dy) {
    TSegment::Offset(dx, dy);
    X += dx;
    Y += dy;
}

bool TSolder::Propagate(TDevice* driver, int32_t level) {
    // Joints are flooded by their wires' walk; a flood started here floods each wire in turn.
    Visited = true;
    bool changed = false;
    for (TWire* wire : {Wire1, Wire2, Wire3})
        if (wire && !wire->Visited)
            changed |= wire->Propagate(driver, level);
    return changed;
}

TPin* TSolder::FindPin(TPinKind kind) {
    Visited = true;
    for (TWire* wire : {Wire1, Wire2, Wire3})
        if (wire && !wire->Visited)
            if (TPin* pin = wire->FindPin(kind))
                return pin;
    return nullptr;
}

void TSolder::AttachWire(TWire* wire) {
    WiringChanged();
    if (!Wire1)
        Wire1 = wire;
    else if (!Wire2)
        Wire2 = wire;
    else if (!Wire3)
        Wire3 = wire;
}

void TSolder::DetachWire(TWire* wire) {
    WiringChanged();
    if (Wire1 == wire)
        Wire1 = nullptr;
    else if (Wire2 == wire)
        Wire2 = nullptr;
    else if (Wire3 == wire)
        Wire3 = nullptr;
}

int TSolder::WireCount() const {
    return (Wire1 ? 1 : 0) + (Wire2 ? 1 : 0) + (Wire3 ? 1 : 0);
}

// ---------------------------------------------------------------------------------------------------

TWire::TWire() {
    AddKind(kKind);
}

TWire::~TWire() {
    for (TGraphicObject* end : {EndA, EndB}) {
        if (TPin* pin = AsPin(end))
            pin->DetachWire(this);
        else if (TSolder* solder = AsSolder(end))
            solder->DetachWire(this);
    }
}

void TWire::Write(TSerializeWriter& writer) {
    TPolyline::Write(writer);
    writer.WriteInteger(Reserved);
    writer.WriteReference(EndA);
    writer.WriteReference(EndB);
}

void TWire::Read(TSerializeReader& reader) {
    TPolyline::Read(reader);
    Reserved = reader.ReadInteger();
    // Each end is a pin or a joint.
    reader.ReadReference(EndA, TPin::kKind | TSolder::kKind);
    reader.ReadReference(EndB, TPin::kKind | TSolder::kKind);
}

void TWire::VisitReferences(TReferenceVisitor& visit) {
    visit(EndA);
    visit(EndB);
}

int TWire::LinksRead() {
    WiringChanged();
    // A pin holds one wire: an end whose pin holds another wire, or a second end on the same pin,
    // is cut. A joint must hold the wire once for every end of it there.
    int cut = 0;
    for (TGraphicObject** end : {&EndA, &EndB})
        if (TPin* pin = AsPin(*end); pin && pin->Wire != this) {
            *end = nullptr;
            ++cut;
        }
    if (EndB && EndB == EndA && AsPin(EndB)) {
        EndB = nullptr;
        ++cut;
    }
    for (TGraphicObject** end : {&EndB, &EndA}) {
        TSolder* solder = AsSolder(*end);
        if (!solder)
            continue;
        const int ends = (EndA == solder ? 1 : 0) + (EndB == solder ? 1 : 0);
        const int held = (solder->Wire1 == this) + (solder->Wire2 == this) + (solder->Wire3 == this);
        if (ends > held) {
            *end = nullptr;
            ++cut;
        }
    }
    return cut;
}

namespace {

// One end of a wire being flooded: a pin takes the level, a joint not yet flooded hands its other
// wires to the walk.
inline void FloodEnd(TGraphicObject* end, TDevice* driver, int32_t level, bool& changed) {
    if (!end)
        return;
    if (end->Kinds() & kKindPin) {
        changed |= static_cast<TPin*>(end)->SetLevel(driver, level);
        return;
    }
    auto* solder = static_cast<TSolder*>(end);
    if (solder->Visited)
        return;
    solder->Visited = true;
    auto queue = [](TWire* next) {
        if (next && !next->Visited) {
            next->Visited = true;
            g_walkStack.push_back(next);
        }
    };
    queue(solder->Wire1);
    queue(solder->Wire2);
    queue(solder->Wire3);
}

} // namespace

bool TWire::Propagate(TDevice* driver, int32_t level) {
    const size_t base = g_walkStack.size();
    bool changed = false;
    TWire* wire = this;
    Visited = true;
    for (;;) {
        wire->Level = level;
        wire->Driver = driver;
        FloodEnd(wire->EndA, driver, level, changed);
        FloodEnd(wire->EndB, driver, level, changed);
        if (g_walkStack.size() == base)
            return changed;
        wire = static_cast<TWire*>(g_walkStack.back());
        g_walkStack.pop_back();
    }
}

TPin* TWire::FindPin(TPinKind kind) {
    std::vector<TGraphicObject*>& stack = WalkStack();
    const size_t base = stack.size();
    Visited = true;
    stack.push_back(this);
    TPin* found = nullptr;
    while (stack.size() > base && !found) {
        TGraphicObject* item = stack.back();
        stack.pop_back();
        if (TSolder* solder = AsSolder(item)) {
            for (TWire* wire : {solder->Wire3, solder->Wire2, solder->Wire1})
                if (wire && !wire->Visited) {
                    wire->Visited = true;
                    stack.push_back(wire);
                }
            continue;
        }
        auto* wire = static_cast<TWire*>(item);
        for (TGraphicObject* end : {wire->EndA, wire->EndB}) {
            if (TPin* pin = AsPin(end)) {
                if (pin->Kind == kind) {
                    found = pin;
                    break;
                }
            } else if (TSolder* solder = AsSolder(end); solder && !solder->Visited) {
                solder->Visited = true;
                stack.push_back(solder);
            }
        }
    }
    stack.resize(base);
    return found;
}

TPin* TWire::SearchNet(TPinKind kind) {
    // Each search takes a new mark, so nothing needs clearing before or after it.
    const uint64_t mark = NextStamp();
    std::vector<TGraphicObject*>& stack = WalkStack();
    const size_t base = stack.size();
    SearchMark = mark;
    stack.push_back(this);
    TPin* found = nullptr;
    while (stack.size() > base && !found) {
        TGraphicObject* item = stack.back();
        stack.pop_back();
        if (TSolder* solder = AsSolder(item)) {
            for (TWire* wire : {solder->Wire3, solder->Wire2, solder->Wire1})
                if (wire && wire->SearchMark != mark) {
                    wire->SearchMark = mark;
                    stack.push_back(wire);
                }
            continue;
        }
        auto* wire = static_cast<TWire*>(item);
        for (TGraphicObject* end : {wire->EndA, wire->EndB}) {
            if (TPin* pin = AsPin(end)) {
                if (pin->Kind == kind) {
                    found = pin;
                    break;
                }
            } else if (TSolder* solder = AsSolder(end); solder && solder->SearchMark != mark) {
                solder->SearchMark = mark;
                stack.push_back(solder);
            }
        }
    }
    stack.resize(base);
    return found;
}

void TWire::Attach(TGraphicObject* end) {
    WiringChanged();
    if (!AsPin(end) && !AsSolder(end))
        return;
    if (!EndA)
        EndA = end;
    else if (!EndB)
        EndB = end;
}

bool TWire::Connect(TGraphicObject* end) {
    if (ConnectedEnds() == 2)
        return false;
    if (TPin* pin = AsPin(end)) {
        if (pin->Wire)
            return false;
        pin->AttachWire(this);
    } else if (TSolder* solder = AsSolder(end)) {
        if (solder->WireCount() == 3)
            return false;
        solder->AttachWire(this);
    } else {
        return false;
    }
    Attach(end);
    return true;
}

void TWire::Detach(TGraphicObject* end) {
    WiringChanged();
    if (!end)
        return;
    if (EndA == end)
        EndA = nullptr;
    else if (EndB == end)
        EndB = nullptr;
}

void TWire::Split(TWire*& first, TWire*& second) {
    WiringChanged();
    first = new TWire;
    second = new TWire;
    first->SetColour(GetColour());
    second->SetColour(GetColour());
    first->EndA = EndA;
    second->EndB = EndB;
    Repoint(EndA, this, first);
    Repoint(EndB, this, second);

    const int count = Vertices.Count();
    const int s = std::clamp(HitSegment, 0, std::max(count - 2, 0));
    for (int i = 0; i <= s && i < count; ++i)
        first->AppendPoint(static_cast<float>(GetVertex(i).x()), static_cast<float>(GetVertex(i).y()));
    first->AppendPoint(static_cast<float>(HitPoint.x()), static_cast<float>(HitPoint.y()));
    second->AppendPoint(static_cast<float>(HitPoint.x()), static_cast<float>(HitPoint.y()));
    for (int i = s + 1; i < count; ++i)
        second->AppendPoint(static_cast<float>(GetVertex(i).x()), static_cast<float>(GetVertex(i).y()));
    first->UpdateVertices();
    second->UpdateVertices();
}

void TWire::Join(TWire* a, TWire* b) {
    WiringChanged();
    if (a->EndA == b->EndA)
        a->Reverse();
    if (a->EndB == b->EndB)
        b->Reverse();
    if (a->EndA == b->EndB) {
        a->Reverse();
        b->Reverse();
    }
    for (int i = 0; i < a->Vertices.Count(); ++i)
        AppendPoint(static_cast<float>(a->GetVertex(i).x()), static_cast<float>(a->GetVertex(i).y()));
    for (int i = 1; i < b->Vertices.Count(); ++i)
        AppendPoint(static_cast<float>(b->GetVertex(i).x()), static_cast<float>(b->GetVertex(i).y()));
    UpdateVertices();
    EndA = a->EndA;
    EndB = b->EndB;
    Repoint(EndA, a, this);
    Repoint(EndB, b, this);
    SetColour(a->GetColour());
}

void TWire::Reverse() {
    WiringChanged();
    std::vector<TSerialize*> points(Points->begin(), Points->end());
    std::reverse(points.begin(), points.end());
    Points->Clear();
    for (TSerialize* p : points)
        Points->Add(p);
    UpdateVertices();
    std::swap(EndA, EndB);
}

bool TWire::FollowEnds() {
    Moved = false;
    DirtyRect = TRect{};
    const int count = PointCount();
    if (count < 2)
        return false;
    const int grow = 2 * Pen.Width;
    auto follow = [&](TGraphicObject* end, int index, int neighbour) {
        if (!end)
            return;
        const QPoint p = end->RoundedCentre();
        const QPoint old = GetVertex(index);
        if (p == old)
            return;
        const QPoint next = GetVertex(neighbour);
        TRect before = RectFromPoints(old, next);
        TRect after = RectFromPoints(p, next);
        InflateRectBy(before, grow);
        InflateRectBy(after, grow);
        const TRect changed = UnionRect(before, after);
        DirtyRect = Moved ? UnionRect(DirtyRect, changed) : changed;
        SetPoint(p, index);
        Moved = true;
    };
    follow(EndA, 0, 1);
    follow(EndB, count - 1, count - 2);
    return Moved;
}
