#include "devices/Interactive.h"

#include <QPainter>

namespace {

constexpr uint32_t kColourRed = RGBColour(255, 0, 0);

} // namespace

TInteractiveInput::TInteractiveInput() {
    AddKind(kKind);
    HelpTopic = QStringLiteral("interactiveinput.htm");
    Rotatable = false;
    Sizeable = false;
    Interactive = true;
    AddPolygon({{-5, -5}, {5, -5}, {5, 5}, {-5, 5}});
    AddPolygon({})->AddArc(true, 0, 0, 0, 360, 3, 3);
    AddPin(TPinKind::Output, 0, 0);
    UpdateVertices();
}

void TInteractiveInput::Write(TSerializeWriter& writer) {
    THistoryDevice::Write(writer);
    writer.WriteBoolean(Pulse);
    writer.WriteInteger(Preset);
}

void TInteractiveInput::Read(TSerializeReader& reader) {
    THistoryDevice::Read(reader);
    Pulse = reader.ReadBoolean();
    Preset = static_cast<uint16_t>(reader.ReadInteger() & 0xFFFF);
    State = Preset;
}

void TInteractiveInput::InteractiveDown() {
    Preset = static_cast<uint16_t>(~Preset);
    State = static_cast<uint16_t>(~State & 1);
}

void TInteractiveInput::Calculate(TCalcResult& result) {
    result = TCalcResult{};
    if (Pulse) {
        if (!PulsePhase)
            State = static_cast<uint16_t>(~State & 1);
        PulsePhase = !PulsePhase;
    }
    if (Pin(0)->SetLevel(this, State))
        result.Changed = true;
}

void TInteractiveInput::Reset() {
    THistoryDevice::Reset();
    PulsePhase = false;
    State = Preset;
}

void TInteractiveInput::ShowState() {
    if (Dragging)
        return;
    if (TPolygon* indicator = ShapeChild<TPolygon>(1))
        indicator->Brush.Colour = State != 0 ? kColourRed : kColourWhite;
}

void TInteractiveInput::SampleValue() {
    AppendHistory(State & 1);
}

void TInteractiveInput::DrawValue(QPainter& dc) {
    ShowState();
    if (TPolygon* indicator = ShapeChild<TPolygon>(1))
        indicator->Draw(dc);
}

void TInteractiveInput::Draw(QPainter& dc) {
    ShowState();
    DrawTextDevice(dc);
}

// ---------------------------------------------------------------------------------------------------

TInteractiveSwitch::TInteractiveSwitch() {
    AddKind(kKind);
    HelpTopic = QStringLiteral("deviceswitch.htm");
    Rotatable = false;
    Sizeable = false;
    Interactive = true;
    AddPolygon({{-5, -10}, {5, -10}, {5, 10}, {-5, 10}});
    AddPolygon({{-3, -8}, {3, -8}, {3, 0}, {-3, 0}})->Brush.Colour = kColourBlack;
    AddPolygon({{-3, 0}, {3, 0}, {3, 8}, {-3, 8}});
    AddPolygon({{-1, 3}, {1, 3}, {1, 5}, {-1, 5}})->Brush.Colour = kColourBlack;
    AddLine({{0, -10}, {0, -15}});
    AddPin(TPinKind::TriState, 0, -15);
    AddLine({{0, 10}, {0, 15}});
    AddPin(TPinKind::TriState, 0, 15);
    UpdateVertices();
}

void TInteractiveSwitch::Write(TSerializeWriter& writer) {
    TTextDevice::Write(writer);
    writer.WriteInteger(SwitchType);
    writer.WriteBoolean(IsClosed);
}

void TInteractiveSwitch::Read(TSerializeReader& reader) {
    TTextDevice::Read(reader);
    // Any other type acts as a toggle switch; it is kept as stored.
    SwitchType = reader.ReadInteger();
    IsClosed = reader.ReadBoolean();
}

void TInteractiveSwitch::SetSwitchType(int32_t type) {
    SwitchType = type;
    IsClosed = type == kPushToBreak;
}

void TInteractiveSwitch::InteractiveDown() {
    IsClosed = !IsClosed;
}

void TInteractiveSwitch::InteractiveUp() {
    if (SwitchType == kPushToMake || SwitchType == kPushToBreak)
        IsClosed = !IsClosed;
}

void TInteractiveSwitch::Draw(QPainter& dc) {
    if (TPolygon* upper = ShapeChild<TPolygon>(1))
        upper->Brush.Colour = IsClosed ? kColourWhite : kColourBlack;
    if (TPolygon* lower = ShapeChild<TPolygon>(2))
        lower->Brush.Colour = IsClosed ? kColourBlack : kColourWhite;
    DrawTextDevice(dc);
}

void TInteractiveSwitch::Calculate(TCalcResult& result) {
    result = TCalcResult{};
    TPin* p = Pin(0);
    TPin* q = Pin(1);
    TDevice* const dq = q->Driver;
    // A side the switch sets keeps the other side's driver on its net, but the switch's own pin
    // forgets it, so that on the next pass that side still counts as undriven.
    if (IsClosed) {
        if (p->Driver && dq) {
            // Two devices drive the two sides through the closed switch: it never settles. Where
            // to report it is left to the macro, which names the switch when its level is shown.
            if (p->Driver != dq)
                result.Changed = true;
            return;
        }
        if (!p->Driver && dq) {
            if (p->SetLevel(dq, Bit0(q->Level)))
                result.Changed = true;
            p->Driver = nullptr;
        }
        if (p->Driver && !dq) {
            if (q->SetLevel(p->Driver, Bit0(p->Level)))
                result.Changed = true;
            q->Driver = nullptr;
        }
    } else {
        if (!p->Driver && dq) {
            if (p->SetLevel(dq, 0))
                result.Changed = true;
            p->Driver = nullptr;
        }
        if (p->Driver && !dq) {
            if (q->SetLevel(p->Driver, 0))
                result.Changed = true;
            q->Driver = nullptr;
        }
    }
}
