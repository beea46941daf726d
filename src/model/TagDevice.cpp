#include "model/TagDevice.h"

#include "model/Macro.h"

TTagDevice::TTagDevice() : MacroPin(std::make_unique<TMacroPin>()) {
    AddKind(kKind);
    HelpTopic = QStringLiteral("devicetag.htm");
    AddText(QString(), -12, 0, 7);
    TPin* pin = AddPin(static_cast<int32_t>(TPinKind::Passive), 0, 0);
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
    writer.WriteInteger(LabelPosition);
    writer.WriteInteger(Direction);
    writer.WriteObject(MacroPin.get());
}

void TTagDevice::Read(TSerializeReader& reader) {
    TDevice::Read(reader);
    LabelPosition = reader.ReadInteger();
    Direction = reader.ReadInteger();
    MacroPin.reset(reader.ReadOwned<TMacroPin>());
}

TGraphicText* TTagDevice::NumberLabel() const {
    return ShapeChild<TGraphicText>(0);
}

TPin* TTagDevice::FindOnNet(int32_t kind) {
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

void TTagDevice::SetLabelPosition(int32_t position) {
    LabelPosition = position;
    TGraphicText* label = NumberLabel();
    if (!label)
        return;
    float px, py, lx, ly;
    GetPin()->GetCentre(px, py);
    label->GetCentre(lx, ly);
    label->Offset(px - lx, py - ly);
    switch (position) {
    case 0:
        label->Offset(-12, 0);
        break;
    case 1:
        label->Offset(12, 0);
        break;
    case 2:
        label->Offset(0, -12);
        break;
    case 3:
        label->Offset(0, 12);
        break;
    default:
        break;
    }
    label->UpdateVertices();
}

bool TTagDevice::DetermineDirection() {
    TMacroPin* outline = MacroPin->Partner;
    if (!outline || Direction != kUndecided || !outline->Wire)
        return false;
    // Searched with marks of its own: the outside net may still have to be flooded in this pass,
    // and the second search must see the whole net again.
    if (outline->Wire->SearchNet(static_cast<int32_t>(TPinKind::Output))) {
        Direction = kIn;
        return true;
    }
    if (outline->Wire->SearchNet(static_cast<int32_t>(TPinKind::Input))) {
        Direction = kOut;
        return true;
    }
    return false;
}

void TTagDevice::ClassifyTags(TMacro* macro) {
    for (TSerialize* item : *macro->Tags->Children) {
        auto* tag = static_cast<TTagDevice*>(item);
        tag->Direction = kUndecided;
        macro->ClearVisited(false);
        if (tag->FindOnNet(static_cast<int32_t>(TPinKind::Output))) {
            tag->Direction = kOut;
        } else {
            macro->ClearVisited(false);
            if (tag->FindOnNet(static_cast<int32_t>(TPinKind::TriState))) {
                tag->Direction = kBidirectional;
            } else {
                macro->ClearVisited(false);
                if (tag->FindOnNet(static_cast<int32_t>(TPinKind::Input)))
                    tag->Direction = kIn;
            }
        }
        if (tag->MacroPin->Partner)
            tag->MacroPin->Partner->Kind = tag->Direction;
    }
}

void TTagDevice::Calculate(TCalcResult& result) {
    result = TCalcResult{};
    TMacroPin* outside = MacroPin->Partner;
    if (!outside)
        return;
    TPin* inside = GetPin();
    result.Changed = DetermineDirection();
    switch (Direction) {
    case kOut:
        if (outside->SetLevel(inside->Driver, Bit0(inside->Level)))
            result.Changed = true;
        break;
    case kIn:
        if (inside->SetLevel(outside->Driver, Bit0(outside->Level)))
            result.Changed = true;
        break;
    case kBidirectional:
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
