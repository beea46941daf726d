#include "model/Macro.h"

#include "drawing/SafeFile.h"
#include "model/Connect.h"
#include "model/FlipFlops.h"
#include "model/Gates.h"
#include "model/TagDevice.h"

#include <QFile>
#include <QPainter>

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace {

constexpr int32_t kTemplateFileType = 60697;
constexpr uint8_t kTemplateVersion = 20;
constexpr uint32_t kLowWireColour = RGBColour(192, 192, 192);

// Black high, light grey low; a wire without a level keeps its colour.
void ColourByLevel(TWire* wire) {
    if (wire->Level > 0)
        wire->SetColour(kColourBlack);
    else if (wire->Level == 0)
        wire->SetColour(kLowWireColour);
}

// Every device calculation made by any step, for measuring.
int64_t g_calculations = 0;

// Read lists must hold what the class rule files into them.
void CheckListClasses(TSerializeReader& reader, const TMacro& macro, TGraphicList* list) {
    for (TGraphicObject* child : list->Items())
        if (macro.ListFor(child) != list)
            reader.Fail("a macro list holds an object of another list's class");
}

} // namespace

TMacro::TMacro()
    : Devices(std::make_unique<TGraphicList>()), Tags(std::make_unique<TGraphicList>()),
      Wires(std::make_unique<TGraphicList>()), Solders(std::make_unique<TGraphicList>()),
      Inputs(std::make_unique<TGraphicList>()), Outputs(std::make_unique<TGraphicList>()) {
    AddKind(kKind);
    Transformed = true;
    Sizeable = false;
    AddPolygon({{-20, -10}, {20, -10}, {20, 10}, {-20, 10}});
    AddText(QStringLiteral("macro"), 0, 0, 7);
    ShowPins = true;
    UpdateVertices();
}

TMacro::~TMacro() = default;

std::array<TGraphicList*, 6> TMacro::DrawOrder() const {
    return {Devices.get(), Tags.get(), Wires.get(), Solders.get(), Inputs.get(), Outputs.get()};
}

std::array<TGraphicList*, 6> TMacro::HitOrder() const {
    return {Devices.get(), Tags.get(), Inputs.get(), Outputs.get(), Solders.get(), Wires.get()};
}

void TMacro::Write(TSerializeWriter& writer) {
    TDevice::Write(writer);
    writer.WriteString(Datasheet);
    writer.WriteInteger(0);
    writer.WriteBoolean(Closed);
    writer.WriteBoolean(Nested);
    for (TGraphicList* list :
         {Devices.get(), Tags.get(), Inputs.get(), Outputs.get(), Solders.get(), Wires.get()})
        writer.WriteObject(list);
}

void TMacro::Read(TSerializeReader& reader) {
    CalcOrder.clear();
    m_clockedFlipFlops.clear();
    m_foreign.clear();
    m_gates.clear();
    m_macros.clear();
    m_strayPins.clear();
    m_driverCounts.fill(-1);
    TDevice::Read(reader);
    // Outline pins are partnered with tags; a plain pin there could not be deleted as one.
    for (TSerialize* item : *Pins->Children)
        if (!KindCast<TMacroPin>(item))
            reader.Fail("a macro outline pin that is not a macro pin");
    Datasheet = reader.ReadString();
    HelpTopic = QString::number(reader.ReadInteger());
    Closed = reader.ReadBoolean();
    Nested = reader.ReadBoolean();
    for (std::unique_ptr<TGraphicList>* list : {&Devices, &Tags, &Inputs, &Outputs, &Solders, &Wires}) {
        list->reset(reader.ReadOwned<TGraphicList>());
        CheckListClasses(reader, *this, list->get());
    }
}

TGraphicList* TMacro::ListFor(const TGraphicObject* object) const {
    if (IsA<TWire>(object))
        return Wires.get();
    if (IsA<TOutputDevice>(object))
        return Outputs.get();
    if (IsA<TInputDevice>(object))
        return Inputs.get();
    if (IsA<TSolder>(object))
        return Solders.get();
    if (IsA<TTagDevice>(object))
        return Tags.get();
    return Devices.get();
}

void TMacro::AddObject(TGraphicObject* object) {
    ListFor(object)->AddChild(object);
}

// ---------------------------------------------------------------------------------------------------
// Container behaviour

void TMacro::Clear() {
    if (Closed) {
        TDevice::Clear();
        return;
    }
    Datasheet.clear();
    HitChild = nullptr;
    HitPin = nullptr;
    CalcOrder.clear();
    m_clockedFlipFlops.clear();
    m_foreign.clear();
    m_gates.clear();
    m_macros.clear();
    m_strayPins.clear();
    m_driverCounts.fill(-1);
    for (TGraphicList* list :
         {Devices.get(), Tags.get(), Inputs.get(), Outputs.get(), Solders.get(), Wires.get()})
        list->Clear();
}

bool TMacro::HitTest(int x, int y) {
    if (Closed) {
        TDevice::HitTest(x, y);
        if (!HitChild)
            HitChild = HitPin;
    } else {
        HitChild = nullptr;
        HitPin = nullptr;
        for (TGraphicList* list : HitOrder())
            if (list->HitTest(x, y)) {
                HitChild = list->HitChild;
                break;
            }
    }
    if (TDevice* device = KindCast<TDevice>(HitChild))
        HitPin = device->HitPin;
    return HitChild != nullptr;
}

void TMacro::Draw(QPainter& dc) {
    if (Closed) {
        TDevice::Draw(dc);
        return;
    }
    // Each object keeps its own Dragging state: one of them may be following the mouse.
    for (TGraphicList* list : DrawOrder())
        for (TGraphicObject* child : list->Items())
            child->Draw(dc);
}

void TMacro::Offset(float dx, float dy) {
    if (Closed) {
        TDevice::Offset(dx, dy);
        return;
    }
    for (TGraphicList* list : DrawOrder())
        list->Offset(dx, dy);
}

void TMacro::UpdateVertices() {
    if (Closed) {
        TDevice::UpdateVertices();
        return;
    }
    for (TGraphicList* list : DrawOrder())
        list->UpdateVertices();
}

TRect TMacro::GetBounds() {
    if (Closed)
        return TDevice::GetBounds();
    TRect bounds{2147483647, 2147483647, 0, 0};
    for (TGraphicList* list : DrawOrder())
        bounds = UnionRect(bounds, list->GetBounds());
    return bounds;
}

FloatRect TMacro::GetExtent() {
    if (Closed)
        return TDevice::GetExtent();
    FloatRect extent;
    for (TGraphicList* list : DrawOrder())
        extent.Include(list->GetExtent());
    return extent;
}

void TMacro::DeleteChild(TGraphicObject* child) {
    if (!child)
        return;
    if (Closed) {
        if (Pins->Children->IndexOf(child) >= 0) {
            if (auto* pin = KindCast<TMacroPin>(child))
                if (TTagDevice* tag = FindTagForPin(pin))
                    tag->SetPinNumber(-1);
            if (HitPin == child)
                HitPin = nullptr;
            Pins->DeleteChild(child);
        } else {
            TGraphicList::DeleteChild(child);
        }
        return;
    }
    // The order refers to devices; it must not outlive them until it is rebuilt.
    std::erase(CalcOrder, child);
    std::erase(m_clockedFlipFlops, child);
    std::erase(m_foreign, child);
    std::erase(m_macros, child);
    m_gates.clear();
    m_strayPins.clear();
    m_driverCounts.fill(-1);
    m_withoutFeedback.clear();
    m_settleOrder.clear();
    if (HitChild == child)
        HitChild = nullptr;
    ListFor(child)->DeleteChild(child);
}

bool TMacro::CollectInside(const TRect& r, TGraphicList* target) {
    target->Children->Clear();
    bool found = false;
    if (Closed) {
        found |= TGraphicList::CollectInside(r, target);
        found |= Pins->CollectInside(r, target);
    } else {
        for (TGraphicList* list : HitOrder())
            found |= list->CollectInside(r, target);
    }
    return found;
}

bool TMacro::CollectOutside(const TRect& r, TGraphicList* target) {
    if (Closed)
        return false;
    target->Children->Clear();
    bool found = false;
    for (TGraphicList* list : HitOrder())
        found |= list->CollectOutside(r, target);
    return found;
}

bool TMacro::IsEmpty() const {
    for (TGraphicList* list : DrawOrder())
        if (list->ChildCount() > 0)
            return false;
    return true;
}

TTagDevice* TMacro::FindTagForPin(const TPin* pin) const {
    for (TTagDevice* tag : Tags->Items<TTagDevice>()) {
        if (tag->MacroPin->Partner == pin)
            return tag;
    }
    return nullptr;
}

bool TMacro::FollowWireEnds() {
    bool moved = false;
    for (TWire* wire : Wires->Items<TWire>())
        moved |= wire->FollowEnds();
    return moved;
}

void TMacro::InvalidateMovedWires(const std::function<void(const TRect&)>& invalidate) const {
    for (const TWire* wire : Wires->Items<TWire>()) {
        if (wire->Moved)
            invalidate(wire->DirtyRect);
    }
}

// ---------------------------------------------------------------------------------------------------
// Simulation

void TMacro::SetInputsPending(bool value) {
    InputsPending = value;
    for (TMacro* macro : m_macros)
        macro->SetInputsPending(value);
}

void TMacro::ClearVisited(bool value) {
    for (TWire* wire : Wires->Items<TWire>())
        wire->Visited = value;
    for (TSolder* solder : Solders->Items<TSolder>())
        solder->Visited = value;
    m_stamps.Pass = NextStamp();
    if (value)
        for (TNet& net : m_netStore)
            net.Flooded = m_stamps.Pass;
}

void TMacro::NewPass() {
    if (m_netsGeneration == WiringGeneration())
        m_stamps.Pass = NextStamp();
    else
        ClearVisited(false);
}

bool TMacro::CompileNets() {
    if (m_netsGeneration == WiringGeneration())
        return false;
    m_nets.clear();
    m_netStore.clear();
    m_netsGeneration = 0;
    // This level's wires carry a mark of their own, so a walk that leaves them is caught.
    const uint64_t mine = NextStamp();
    for (TWire* wire : Wires->Items<TWire>()) {
        wire->SetNet(nullptr);
        wire->SearchMark = mine;
    }
    const uint64_t seen = NextStamp();
    std::vector<TWire*> stack;
    for (TWire* start : Wires->Items<TWire>()) {
        if (start->SearchMark == seen)
            continue;
        TNetMembers* net = &m_nets.emplace_back();
        start->SearchMark = seen;
        stack.push_back(start);
        while (!stack.empty()) {
            TWire* wire = stack.back();
            stack.pop_back();
            net->Wires.push_back(wire);
            for (TGraphicObject* end : {wire->EndA, wire->EndB}) {
                if (auto* pin = KindCast<TPin>(end)) {
                    // Links that do not point back are flooded by the walk alone.
                    if (pin->Wire != wire)
                        return true;
                    net->Pins.push_back(pin);
                } else if (auto* solder = KindCast<TSolder>(end)) {
                    if (!solder->HoldsWire(wire))
                        return true;
                    for (TWire* next : {solder->Wire1, solder->Wire2, solder->Wire3}) {
                        if (!next || next->SearchMark == seen)
                            continue;
                        if (next->SearchMark != mine || (next->EndA != solder && next->EndB != solder))
                            return true;
                        next->SearchMark = seen;
                        stack.push_back(next);
                    }
                }
            }
        }
    }
    m_netStore.resize(m_nets.size());
    for (size_t k = 0; k < m_nets.size(); ++k) {
        TNet& net = m_netStore[k];
        net.Stamps = &m_stamps;
        int writers = 0;
        for (TPin* pin : m_nets[k].Pins)
            if (pin->Kind != TPinKind::Input) {
                ++writers;
                net.SoleWriter = pin;
            }
        if (writers != 1)
            net.SoleWriter = nullptr;
        m_nets[k].Net = &net;
        for (TWire* wire : m_nets[k].Wires)
            wire->SetNet(&net);
    }
    m_stamps.Pass = NextStamp();
    m_netsGeneration = WiringGeneration();
    return true;
}

void TMacro::LayOut() {
    m_macros.clear();
    std::vector<TPin*> pins;
    for (TGraphicList* list : {Inputs.get(), Devices.get(), Tags.get(), Outputs.get()})
        for (TSerialize* item : *list->Children) {
            if (TMacro* macro = KindCast<TMacro>(item))
                m_macros.push_back(macro);
            else if (const TDevice* device = KindCast<TDevice>(item))
                for (TPin* pin : device->Pins->Items<TPin>())
                    pins.push_back(pin);
        }
    m_driverCounts = DriverCounts();

    const bool nets = m_netsGeneration == WiringGeneration();
    size_t count = pins.size();
    if (nets)
        for (const TNetMembers& net : m_nets)
            count += net.Wires.size() + net.Pins.size();
    auto kept = std::make_unique<TLevelSlots>(count);
    size_t next = 0;
    if (!nets)
        for (TNet& net : m_netStore)
            net.Kept = nullptr;
    if (nets)
        for (const TNetMembers& members : m_nets) {
            TNet* net = members.Net;
            const size_t first = next;
            for (TWire* wire : members.Wires)
                kept->Keep(*wire, next++);
            net->WireSlots = static_cast<uint32_t>(next - first);
            for (TPin* pin : members.Pins)
                kept->Keep(*pin, next++);
            net->Slots = static_cast<uint32_t>(next - first);
            net->First = static_cast<uint32_t>(first);
            net->Kept = kept.get();
        }
    m_strayPins.clear();
    for (TPin* pin : pins) {
        if (pin->KeptIn(kept.get()))
            continue; // on a net of this level
        if (pin->KeptIn(nullptr) || pin->KeptIn(m_slots.get()))
            kept->Keep(*pin, next++);
        else
            m_strayPins.push_back(pin);
    }
    // The old arrays hand back whatever they still keep.
    m_slots = std::move(kept);
    LayoutChanged();
}

bool TMacro::GatesCompiled() {
    if (m_gates.size() != CalcOrder.size())
        return false;
    if (m_gatesLayout != LayoutGeneration()) {
        for (size_t i = 0; i < m_gates.size(); ++i)
            m_gates[i] = TCompiledGate::Of(CalcOrder[i], m_slots.get());
        m_gatesLayout = LayoutGeneration();
    }
    return true;
}

int64_t TMacro::CalculationCount() {
    return g_calculations;
}

namespace {

// A nested macro takes part in the step that calculates it; any other device calculates alone.
inline void CalculateDevice(TStepState& step, TDevice* device, TCalcResult& result) {
    if (device->Kinds() & kKindMacro)
        static_cast<TMacro*>(device)->Settle(step, result);
    else if (step.Trial)
        device->TrialCalculate(result);
    else
        device->Calculate(result);
}

} // namespace

void TMacro::Calculate(TCalcResult& result) {
    TStepState step{StepBudget, 0, false};
    Settle(step, result);
    g_calculations += step.Calculations;
}

void TMacro::TrialCalculate(TCalcResult& result) {
    TStepState step{StepBudget, 0, true};
    Settle(step, result);
}

void TMacro::Settle(TStepState& step, TCalcResult& result) {
    TCalcResult accumulated;
    if (!step.Trial)
        CalculateInputs(step);
    CalculateInboundTags(step);
    if (Quiet(step) && ForeignIdle(step)) {
        // A pass would change nothing; it only takes its share of the budget.
        NewPass();
        step.Budget -= m_quietCost;
    } else {
        const bool settled = RunPasses(step, accumulated);
        if (step.Build) {
            bool quiet = settled;
            for (TDevice* device : CalcOrder)
                if (device->Kinds() & kKindMacro)
                    quiet = quiet && static_cast<TMacro*>(device)->Quiet(step);
            SetQuiet(step, quiet);
        }
    }
    if (!step.Trial)
        for (TClockedFlipFlop* flipFlop : m_clockedFlipFlops)
            flipFlop->SetSlaveInputs();
    CalculateOutboundTags(step, accumulated);
    if (!step.Trial) {
        TCalcResult scratch;
        for (TDevice* device : Outputs->Items<TDevice>())
            device->Calculate(scratch);
    }
    step.Calculations += Outputs->ChildCount() + Tags->ChildCount();
    result = accumulated;
}

void TMacro::CalculateInputs(TStepState& step) {
    // Once per step, however often the enclosing loops calculate this macro.
    if (!Nested)
        SetInputsPending(true);
    if (!InputsPending)
        return;
    TCalcResult scratch;
    for (TDevice* device : Inputs->Items<TDevice>())
        device->Calculate(scratch);
    step.Calculations += Inputs->ChildCount();
    if (Nested)
        InputsPending = false;
}

void TMacro::CalculateInboundTags(TStepState& step) {
    TCalcResult scratch;
    for (TTagDevice* tag : Tags->Items<TTagDevice>()) {
        if (tag->Direction != TTagDirection::Input && tag->Direction != TTagDirection::Undecided)
            continue;
        const TPin* inside = tag->GetPin();
        const int32_t level = inside->Level;
        const TDevice* driver = inside->Driver;
        CalculateDevice(step, tag, scratch);
        // What comes in anew disturbs a fixed point of the order build.
        if (step.Build && (scratch.Changed || inside->Level != level || inside->Driver != driver))
            SetQuiet(step, false);
    }
}

bool TMacro::RunPasses(TStepState& step, TCalcResult& accumulated) {
    bool stop = false;
    bool exhausted = false;
    // Past the bound, passes go on while every device that changed lies on no feedback path: a
    // circuit without feedback settles, however long its chains and whatever the order of its
    // lists. An oscillation changes a device on a loop in every pass and is caught at the bound.
    bool feedbackChanged = false;
    const int limit = kMaxPasses + 1 + static_cast<int>(CalcOrder.size());
    int passes = 0;
    auto goOn = [&] {
        if (stop || exhausted || !accumulated.Changed)
            return false;
        return passes <= kMaxPasses || (!feedbackChanged && passes <= limit);
    };
    do {
        accumulated.Changed = false;
        accumulated.Device = nullptr;
        feedbackChanged = false;
        NewPass();
        const size_t count = CalcOrder.size();
        const bool known = m_withoutFeedback.size() == count && m_settleOrder.size() == count;
        const bool compiled = GatesCompiled();
        int32_t* levels = m_slots ? m_slots->Levels.data() : nullptr;
        TDevice** drivers = m_slots ? m_slots->Drivers.data() : nullptr;
        // Past the bound the devices go drivers first, so a chain settles in one pass.
        const bool extended = known && passes > kMaxPasses;
        for (size_t k = 0; k < count && !stop; ++k) {
            const size_t i = extended ? m_settleOrder[k] : k;
            if (compiled && m_gates[i].Gate) {
                // A gate is never contended and never halts: only whether it changed counts, and
                // its device is not looked at.
                if (m_gates[i].Calculate(levels, drivers)) {
                    accumulated = {.Device = Displayed ? CalcOrder[i] : nullptr, .Changed = true};
                    if (!known || !m_withoutFeedback[i])
                        feedbackChanged = true;
                }
                continue;
            }
            TDevice* device = CalcOrder[i];
            TCalcResult local;
            CalculateDevice(step, device, local);
            if (local.Changed || local.Race || local.Contention) {
                accumulated = local;
                if (Displayed)
                    accumulated.Device = device;
                stop = local.Race || local.Contention;
                if (!known || !m_withoutFeedback[i] || device->Contended)
                    feedbackChanged = true;
            }
        }
        ++passes;
        step.Calculations += static_cast<int64_t>(count);
        step.Budget -= static_cast<int64_t>(count) + 1;
        if (step.Budget < 0 && !stop && accumulated.Changed) {
            exhausted = true;
            passes = std::max(passes, kMaxPasses + 1);
        }
    } while (goOn());
    if (passes <= kMaxPasses)
        return !stop && !exhausted && !accumulated.Changed;
    if (passes > kMaxPasses + 1 && !exhausted && !stop && !accumulated.Changed)
        return true; // settled after the bound, without feedback

    // The bound: a device that keeps refusing to drive a contended net makes it bus contention;
    // anything else that never settles is a race, shown where the last pass left Device.
    if (accumulated.Contention) {
        accumulated.Race = true;
        return false;
    }
    accumulated.Changed = false;
    const auto contended = std::find_if(CalcOrder.begin(), CalcOrder.end(),
                                        [](const TDevice* device) { return device->Contended; });
    if (contended == CalcOrder.end()) {
        accumulated.Race = true;
        return false;
    }
    accumulated.Device = Displayed ? *contended : nullptr;
    accumulated.Contention = true;
    accumulated.Changed = true;
    return false;
}

void TMacro::CalculateOutboundTags(TStepState& step, TCalcResult& accumulated) {
    for (TTagDevice* tag : Tags->Items<TTagDevice>()) {
        if (tag->Direction != TTagDirection::Output && tag->Direction != TTagDirection::Bidirectional)
            continue;
        TCalcResult local;
        CalculateDevice(step, tag, local);
        if (local.Changed)
            accumulated = local;
        if (tag->Contended)
            Contended = true;
    }
}

void TMacro::Reset() {
    ResetLevel();
    BuildCalcOrder();
}

void TMacro::ResetLevel() {
    TDevice::Reset();
    for (TDevice* device : Inputs->Items<TDevice>())
        device->Reset();
    // Nested levels are reset without building their orders: the build below rebuilds every
    // level's order, so building each level's on the way would cost time that grows with the
    // nesting depth squared, and more.
    for (TSerialize* item : *Devices->Children)
        if (TMacro* macro = KindCast<TMacro>(item))
            macro->ResetLevel();
        else if (TDevice* device = KindCast<TDevice>(item))
            device->Reset();
    for (TWire* wire : Wires->Items<TWire>())
        wire->Level = 0;
    for (TDevice* device : Tags->Items<TDevice>())
        device->Reset();
    for (TDevice* device : Outputs->Items<TDevice>())
        device->Reset();
}

void TMacro::ClearDrivers() {
    ForgetDrivers(false);
}

std::array<int, 4> TMacro::DriverCounts() const {
    return {Inputs->ChildCount(), Devices->ChildCount(), Tags->ChildCount(), Outputs->ChildCount()};
}

void TMacro::ForgetDrivers(bool walk) {
    m_stamps.Step = NextStamp();
    TDevice::ClearDrivers();
    if (!walk && m_slots && m_driverCounts == DriverCounts() && m_netsGeneration == WiringGeneration()) {
        m_slots->ForgetDrivers();
        for (TPin* pin : m_strayPins)
            pin->Driver = nullptr;
        for (TMacro* macro : m_macros)
            macro->ForgetDrivers(false);
        return;
    }
    for (TWire* wire : Wires->Items<TWire>())
        wire->Driver = nullptr;
    for (TDevice* device : Inputs->Items<TDevice>())
        device->ClearDrivers();
    for (TSerialize* item : *Devices->Children)
        if (TMacro* macro = KindCast<TMacro>(item))
            macro->ForgetDrivers(walk);
        else if (TDevice* device = KindCast<TDevice>(item))
            device->ClearDrivers();
    for (TDevice* device : Tags->Items<TDevice>())
        device->ClearDrivers();
    for (TDevice* device : Outputs->Items<TDevice>())
        device->ClearDrivers();
}

void TMacro::ClearInputs(int32_t) {
    TDevice::ClearInputs(0);
    for (TGraphicList* list : {Devices.get(), Tags.get(), Outputs.get()})
        for (TSerialize* item : *list->Children)
            if (TDevice* device = KindCast<TDevice>(item))
                device->ClearInputs(0);
}

void TMacro::BuildCalcOrder() {
    // Drivers recorded before an edit may name devices that no longer exist.
    ForgetDrivers(true);
    TStepState step{StepBudget, 0, true, NextStamp()};
    BuildOrder(step, true);
}

void TMacro::BuildOrder(TStepState& step, bool refreshInner) {
    const bool compiled = CompileNets();
    if (!refreshInner && Fresh(step)) {
        // Nothing here or below changed since the order was built: it would come out the same.
        if (compiled)
            LayOut();
        step.Budget -= m_freshCost;
        return;
    }
    LayOut();
    TrialPass(step, refreshInner);

    // Each device after the devices that drove its inputs, as far as list order allows.
    std::vector<TDevice*> candidates;
    candidates.reserve(static_cast<size_t>(Devices->ChildCount()) * 2);
    size_t eligible = 0;
    for (TSerialize* item : *Devices->Children)
        if (TDevice* device = KindCast<TDevice>(item)) {
            device->CollectDrivers(candidates);
            candidates.push_back(device);
            if (!IsA<TInputDevice>(device) && !IsA<TOutputDevice>(device) && !IsA<TTagDevice>(device))
                ++eligible;
        }

    CalcOrder.clear();
    m_clockedFlipFlops.clear();
    std::unordered_set<TDevice*> placed;
    placed.reserve(candidates.size());
    for (TDevice* candidate : candidates) {
        if (IsA<TInputDevice>(candidate) || IsA<TOutputDevice>(candidate) || IsA<TTagDevice>(candidate))
            continue;
        if (!placed.insert(candidate).second)
            continue;
        // A nested macro's order is refreshed after this dry run, but the levels below it keep
        // the order its own build gave them: rebuilding them again at every level would cost time
        // exponential in the nesting depth.
        if (TMacro* macro = KindCast<TMacro>(candidate))
            macro->BuildOrder(step, false);
        CalcOrder.push_back(candidate);
        if (TClockedFlipFlop* flipFlop = KindCast<TClockedFlipFlop>(candidate))
            m_clockedFlipFlops.push_back(flipFlop);
    }
    FindFeedback();
    m_gates.clear();
    m_gates.reserve(CalcOrder.size());
    for (TDevice* device : CalcOrder)
        m_gates.push_back(TCompiledGate::Of(device, m_slots.get()));
    m_gatesLayout = LayoutGeneration();

    // What the skipped work of a quiet level costs, and whether the order is fresh.
    m_foreign.clear();
    if (CalcOrder.size() != eligible) {
        std::unordered_set<const TSerialize*> here(Devices->Children->begin(), Devices->Children->end());
        for (TDevice* device : CalcOrder)
            if (!here.count(device)) {
                m_foreign.push_back(device);
                // Its own level must drive it in full from now on: see TCompiledGate::Repeats.
                if (auto* gate = KindCast<TGateDevice>(device); gate && !gate->InOtherOrder) {
                    gate->InOtherOrder = true;
                    LayoutChanged();
                }
            }
    }
    m_quietCost = static_cast<int64_t>(CalcOrder.size()) + 1;
    m_freshCost = 0;
    bool fresh = Quiet(step);
    for (TDevice* device : CalcOrder)
        if (device->Kinds() & kKindMacro) {
            auto* macro = static_cast<TMacro*>(device);
            m_quietCost += macro->m_quietCost;
            m_freshCost += macro->m_freshCost;
            fresh = fresh && macro->Fresh(step);
        }
    for (TSerialize* item : *Devices->Children)
        if (TMacro* macro = KindCast<TMacro>(item))
            m_freshCost += macro->m_quietCost;
    m_freshBuild = fresh ? step.Build : 0;
}

void TMacro::TrialPass(TStepState& step, bool refreshInner) {
    ClearVisited(false);
    if (!refreshInner && Quiet(step)) {
        // Calculating the devices again would change nothing.
        for (TSerialize* item : *Devices->Children)
            if (TMacro* macro = KindCast<TMacro>(item))
                step.Budget -= macro->m_quietCost;
        return;
    }
    // Every driven input pin records its driver.
    bool changed = false;
    for (TSerialize* item : *Devices->Children) {
        TCalcResult result;
        if (TMacro* macro = KindCast<TMacro>(item)) {
            if (refreshInner)
                macro->BuildOrder(step, true);
            macro->Settle(step, result);
            changed = changed || !macro->Quiet(step);
        } else if (TDevice* device = KindCast<TDevice>(item)) {
            device->TrialCalculate(result);
        }
        changed = changed || result.Changed || result.Race || result.Contention;
    }
    CheckQuietable(step);
    SetQuiet(step, !changed);
}

void TMacro::SetQuiet(const TStepState& step, bool quiet) {
    // Whatever ran may have changed drivers, so the order is not fresh any more.
    m_freshBuild = 0;
    m_quietBuild = quiet && step.Build != 0 && m_quietableBuild == step.Build ? step.Build : 0;
}

bool TMacro::ForeignIdle(TStepState& step) {
    // A device of another level in the order is calculated in each pass here; a pass may only be
    // skipped when that calculation would change nothing either. It is made, as the pass would.
    for (TDevice* device : m_foreign)
        if (!(device->Kinds() & kKindGateDevice) || !static_cast<TGateDevice*>(device)->Idle())
            return false;
    TCalcResult scratch;
    for (TDevice* device : m_foreign)
        CalculateDevice(step, device, scratch);
    return true;
}

void TMacro::CheckQuietable(const TStepState& step) {
    m_quietableBuild = 0;
    m_passesDrivers = true;
    if (!step.Build || m_netsGeneration != WiringGeneration())
        return;
    // Who may flood each net: every pin that is not an input, except the inner pins of outbound
    // tags, which only ever read.
    std::unordered_map<const TPin*, const TDevice*> writers;
    for (TTagDevice* tag : Tags->Items<TTagDevice>()) {
        if (tag->Direction != TTagDirection::Input && tag->Direction != TTagDirection::Output)
            return;
        if (tag->Direction == TTagDirection::Input)
            writers[tag->GetPin()] = tag;
    }
    for (TSerialize* item : *Devices->Children) {
        // Texts share the list with the devices.
        const auto* device = KindCast<TDevice>(item);
        if (!device)
            return;
        if (const auto* macro = KindCast<TMacro>(device)) {
            if (macro->m_quietableBuild != step.Build)
                return;
        } else if (!(device->Kinds() & (kKindGateDevice | kKindTriState | kKindFlipFlop))) {
            return;
        }
        for (int p = 0; p < device->PinCount(); ++p)
            if (device->Pin(p)->Kind != TPinKind::Input)
                writers[device->Pin(p)] = device;
    }
    for (TSerialize* item : *Inputs->Children) {
        const auto* device = static_cast<const TDevice*>(item);
        for (int p = 0; p < device->PinCount(); ++p)
            if (device->Pin(p)->Kind != TPinKind::Input)
                writers[device->Pin(p)] = device;
    }
    for (TSerialize* item : *Outputs->Children) {
        const auto* device = static_cast<const TDevice*>(item);
        for (int p = 0; p < device->PinCount(); ++p)
            if (device->Pin(p)->Kind != TPinKind::Input)
                return;
    }
    bool passes = false;
    for (const TNetMembers& net : m_nets) {
        const TDevice* writer = nullptr;
        int count = 0;
        bool outbound = false;
        for (const TPin* pin : net.Pins) {
            const auto found = writers.find(pin);
            if (found != writers.end()) {
                writer = found->second;
                ++count;
            } else if (pin->Kind != TPinKind::Input) {
                outbound = true; // only outbound tags' pins are left
            }
        }
        if (count > 1)
            return;
        // A driver of another level reaches an outbound tag through an inbound one, or through
        // a part that passes it on.
        if (outbound && writer &&
            (IsA<TTagDevice>(writer) ||
             (IsA<TMacro>(writer) && static_cast<const TMacro*>(writer)->m_passesDrivers)))
            passes = true;
    }
    for (TSerialize* item : *Devices->Children)
        if (const auto* macro = KindCast<TMacro>(item); macro && macro->m_passesDrivers)
            return; // its drivers change without a change of level
    m_passesDrivers = passes;
    m_quietableBuild = step.Build;
}

void TMacro::FindFeedback() {
    const size_t count = CalcOrder.size();
    m_withoutFeedback.assign(count, 0);
    m_settleOrder.clear();
    if (m_netsGeneration != WiringGeneration())
        return;
    // Which device of the order owns each pin of this level. A flip-flop is a loop of its own (a
    // set-reset flip-flop with both inputs high changes on every pass); a device that drives
    // through a passive or tri-state pin (a macro part's bus, a switch, a buffer, a memory) also
    // reads there; a device of another level (named through a tag) has its pins elsewhere: all of
    // them count as on a loop.
    std::unordered_set<const TGraphicObject*> here;
    for (TSerialize* item : *Devices->Children)
        here.insert(static_cast<const TGraphicObject*>(item));
    std::vector<uint8_t> looped(count, 0);
    std::unordered_map<const TPin*, int> owner;
    for (size_t i = 0; i < count; ++i) {
        TDevice* device = CalcOrder[i];
        if (!here.count(device)) {
            looped[i] = 1;
            continue;
        }
        if (IsA<TFlipFlop>(device))
            looped[i] = 1;
        for (int p = 0; p < device->PinCount(); ++p) {
            TPin* pin = device->Pin(p);
            if (pin->Kind == TPinKind::Passive || pin->Kind == TPinKind::TriState)
                looped[i] = 1;
            owner[pin] = static_cast<int>(i);
        }
    }
    // A writer of a net feeds every other device on it; a device with another pin on a net it
    // writes feeds itself.
    std::vector<std::vector<int>> feeds(count);
    std::vector<int> writers;
    std::vector<int> readers;
    for (const TNetMembers& net : m_nets) {
        writers.clear();
        readers.clear();
        for (const TPin* pin : net.Pins) {
            const auto found = owner.find(pin);
            if (found == owner.end())
                continue;
            (pin->Kind == TPinKind::Input ? readers : writers).push_back(found->second);
        }
        for (int writer : writers) {
            for (int reader : readers) {
                if (reader == writer)
                    looped[static_cast<size_t>(writer)] = 1;
                else
                    feeds[static_cast<size_t>(writer)].push_back(reader);
            }
            for (int other : writers)
                if (other != writer)
                    feeds[static_cast<size_t>(writer)].push_back(other);
        }
    }
    // Devices in a strongly connected group of two or more lie on a loop (Tarjan's method, with a
    // stack of its own: chains can be long).
    std::vector<int> index(count, -1);
    std::vector<int> low(count, 0);
    std::vector<uint8_t> onStack(count, 0);
    std::vector<int> stack;
    std::vector<std::pair<int, size_t>> calls;
    int next = 0;
    for (size_t root = 0; root < count; ++root) {
        if (index[root] >= 0)
            continue;
        calls.push_back({static_cast<int>(root), 0});
        while (!calls.empty()) {
            auto& [v, edge] = calls.back();
            const auto u = static_cast<size_t>(v);
            if (index[u] < 0) {
                index[u] = low[u] = next++;
                stack.push_back(v);
                onStack[u] = 1;
            }
            if (edge < feeds[u].size()) {
                const auto w = static_cast<size_t>(feeds[u][edge++]);
                if (index[w] < 0)
                    calls.push_back({static_cast<int>(w), 0});
                else if (onStack[w])
                    low[u] = std::min(low[u], index[w]);
                continue;
            }
            if (low[u] == index[u]) {
                const auto first = std::find(stack.rbegin(), stack.rend(), v).base() - 1;
                const bool group = stack.end() - first > 1;
                for (auto it = first; it != stack.end(); ++it) {
                    onStack[static_cast<size_t>(*it)] = 0;
                    if (group)
                        looped[static_cast<size_t>(*it)] = 1;
                    m_settleOrder.push_back(static_cast<size_t>(*it));
                }
                stack.erase(first, stack.end());
            }
            calls.pop_back();
            if (!calls.empty()) {
                const auto parent = static_cast<size_t>(calls.back().first);
                low[parent] = std::min(low[parent], low[u]);
            }
        }
    }
    for (size_t i = 0; i < count; ++i)
        m_withoutFeedback[i] = looped[i] ? 0 : 1;
    // Groups come out after every group they feed.
    std::reverse(m_settleOrder.begin(), m_settleOrder.end());
}

void TMacro::SampleValues() {
    if (Closed)
        return;
    for (TInputDevice* input : Inputs->Items<TInputDevice>())
        input->SampleValue();
    for (TOutputDevice* output : Outputs->Items<TOutputDevice>())
        output->SampleValue();
}

void TMacro::RecolourWires(std::vector<TWire*>& changed) {
    if (Closed)
        return;
    for (TWire* wire : Wires->Items<TWire>()) {
        if (wire->Dragging || wire->Level < 0)
            continue;
        const uint32_t colour = wire->Level > 0 ? kColourBlack : kLowWireColour;
        if (wire->GetColour() != colour) {
            wire->SetColour(colour);
            changed.push_back(wire);
        }
    }
}

void TMacro::PaintValues(QPainter& dc) {
    if (Closed)
        return;
    std::vector<TWire*> changed;
    RecolourWires(changed);
    for (TWire* wire : Wires->Items<TWire>())
        if (!wire->Dragging)
            wire->Draw(dc);
    for (TSolder* solder : Solders->Items<TSolder>()) {
        if (!solder->Dragging)
            solder->Draw(dc);
    }
    for (TInputDevice* input : Inputs->Items<TInputDevice>())
        input->PaintValue(dc);
    for (TOutputDevice* output : Outputs->Items<TOutputDevice>())
        output->PaintValue(dc);
}

void TMacro::ColourWires() {
    for (TSerialize* item : *Wires->Children)
        ColourByLevel(static_cast<TWire*>(item));
}

// ---------------------------------------------------------------------------------------------------
// Template files

void TMacro::SaveTemplate(const QString& fileName) {
    TGraphicList pins;
    for (int i = 0; i < PinCount(); ++i) {
        auto* copy = new TMacroPin;
        float cx, cy;
        Pin(i)->GetCentre(cx, cy);
        copy->Offset(cx, cy);
        copy->UpdateVertices();
        pins.AddChild(copy);
    }
    SaveFileSafely(fileName, [&](QIODevice& device) {
        TSerializeWriter writer(&device);
        writer.FileType = kTemplateFileType;
        writer.Version = kTemplateVersion;
        writer.WriteSignature();
        writer.WriteObject(Children.get());
        writer.WriteObject(&pins);
        writer.Finish();
    });
}

void TMacro::LoadTemplate(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EFileError(file.errorString().toStdString());
    LoadTemplateFrom(file);
}

void TMacro::LoadTemplateFrom(QIODevice& device) {
    TSerializeReader reader(&device);
    reader.FileType = kTemplateFileType;
    reader.ReadSignature();
    TSerializeList* outline = reader.ReadRoot<TSerializeList>();
    for (TSerialize* item : *outline)
        if (!KindCast<TGraphicObject>(item))
            reader.Fail("an outline holds something that cannot be drawn");
    TGraphicList* pins = reader.ReadRoot<TGraphicList>();
    for (TSerialize* item : *pins->Children)
        if (!KindCast<TMacroPin>(item))
            reader.Fail("a template pin list holds something that is not a macro pin");
    reader.Commit();
    Children.reset(outline);
    HitChild = nullptr;
    HitPin = nullptr;
    Pins.reset(pins);
}
