#include "model/TagDevice.h"

#include "model/Macro.h"

TPinKind PinKindOf(TTagDirection direction) {
    switch (direction) {
    case TTagDirection::Input:
        return TPinKind::Input;
    case TTagDirection::Output:
        return TPinKind::Output;
    case TTagDirection::Bidirectional:
        return TPinKind::TriState;
    default:
        return TPinKind::Passive;
    }
}

TTagDevice::TTagDevice() : MacroPin(std::make_unique<TMacroPin>()) {
    AddKind(kKind);
    HelpTopic = QStringLiteral("devicetag.htm");
    AddText(QString(), -12, 0, 7);
    TPin* pin = AddPin(TPinKind::Passive, 0, 0);
    pin->Brush.Colour = RGBColour(255, 250, 238);
    Transformed = true;
    ShowPins = true;
    Rotatable = false;
    Sizeable = false;
    UpdateVertices();
}

TTagDevice::~TTagDevice() = default;

void TTagDevice::Write(TSerializeWriter& writer) {
    TDevice::Write(writer);
    writer.WriteInteger(static_cast<int32_t>(LabelPosition));
    writer.WriteInteger(static_cast<int32_t>(Direction));
    writer.WriteObject(MacroPin.get());
}

void TTagDevice::Read(TSerializeReader& reader) {
    TDevice::Read(reader);
    LabelPosition = static_cast<TLabelPosition>(reader.ReadInteger());
    Direction = static_cast<TTagDirection>(reader.ReadInteger());
    MacroPin.reset(reader.ReadOwned<TMacroPin>());
}

TGraphicText* TTagDevice::NumberLabel() const {
    return ShapeChild<TGraphicText>(0);
}

TPin* TTagDevice::FindOnNet(TPinKind kind) {
    TPin* pin = GetPin();
    return pin->Wire ? pin->Wire->FindPin(kind) : nullptr;
}

int32_t TTagDevice::GetPinNumber() const {
    const TGraphicText* label = NumberLabel();
    if (!label || label->Text.isEmpty())
        return -1;
    bool ok = false;
    const int number = label->Text.toInt(&ok);
    return ok ? number : -1;
}

void TTagDevice::SetPinNumber(int32_t number) {
    if (TGraphicText* label = NumberLabel())
        label->SetText(number < 0 ? QString() : QString::number(number));
}

void TTagDevice::SetLabelPosition(TLabelPosition position) {
    LabelPosition = position;
    TGraphicText* label = NumberLabel();
    if (!label)
        return;
    float px, py, lx, ly;
    GetPin()->GetCentre(px, py);
    label->GetCentre(lx, ly);
    label->Offset(px - lx, py - ly);
    switch (position) {
    case TLabelPosition::Left:
        label->Offset(-12, 0);
        break;
    case TLabelPosition::Right:
        label->Offset(12, 0);
        break;
    case TLabelPosition::Top:
        label->Offset(0, -12);
        break;
    case TLabelPosition::Bottom:
        label->Offset(0, 12);
        break;
    default:
        break;
    }
    label->UpdateVertices();
}

bool TTagDevice::DetermineDirection() {
    TMacroPin* outline = MacroPin->Partner;
    if (!outline || Direction != TTagDirection::Undecided || !outline->Wire)
        return false;
    // Searched with marks of its own: the outside net may still have to be flooded in this pass,
    // and the second search must see the whole net again.
    if (outline->Wire->SearchNet(TPinKind::Output)) {
        Direction = TTagDirection::Input;
        return true;
    }
    if (outline->Wire->SearchNet(TPinKind::Input)) {
        Direction = TTagDirection::Output;
        return true;
    }
    return false;
}

void TTagDevice::ClassifyTags(TMacro* macro) {
    for (TTagDevice* tag : macro->Tags->Items<TTagDevice>()) {
        tag->Direction = TTagDirection::Undecided;
        macro->ClearVisited(false);
        if (tag->FindOnNet(TPinKind::Output)) {
            tag->Direction = TTagDirection::Output;
        } else {
            macro->ClearVisited(false);
            if (tag->FindOnNet(TPinKind::TriState)) {
                tag->Direction = TTagDirection::Bidirectional;
            } else {
                macro->ClearVisited(false);
                if (tag->FindOnNet(TPinKind::Input))
                    tag->Direction = TTagDirection::Input;
            }
        }
        if (tag->MacroPin->Partner)
            tag->MacroPin->Partner->Kind = PinKindOf(tag->Direction);
    }
    // Compiled nets know which of their pins drive.
    WiringChanged();
}

void TTagDevice::Calculate(TCalcResult& result) {
    result = TCalcResult{};
    TMacroPin* outside = MacroPin->Partner;
    if (!outside)
        return;
    TPin* inside = GetPin();
    result.Changed = DetermineDirection();
    switch (Direction) {
    case TTagDirection::Output:
        if (outside->SetLevel(inside->Driver, Bit0(inside->Level)))
            result.Changed = true;
        break;
    case TTagDirection::Input:
        if (inside->SetLevel(outside->Driver, Bit0(outside->Level)))
            result.Changed = true;
        break;
    case TTagDirection::Bidirectional:
        if (inside->Driver && outside->Driver) {
            result.Changed = true;
            Contended = true;
            inside->Driver = nullptr;
            outside->Driver = nullptr;
        } else if (inside->WireVisited()) {
            if (outside->SetLevel(inside->Driver, Bit0(inside->Level)))
                result.Changed = true;
            outside->Driver = nullptr;
        } else if (outside->Driver) {
            if (inside->SetLevel(outside->Driver, Bit0(outside->Level)))
                result.Changed = true;
            inside->Driver = nullptr;
        }
        break;
    default:
        break;
    }
}
