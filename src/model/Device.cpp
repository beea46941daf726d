#include "model/Device.h"

#include "model/Connect.h"

#include <QPainter>

TDevice::TDevice() : Pins(std::make_unique<TGraphicList>()) {
    AddKind(kKind);
}

TDevice::~TDevice() = default;

void TDevice::Write(TSerializeWriter& writer) {
    writer.WriteBoolean(Transformed);
    if (Transformed)
        TGraphicList::Write(writer);
    writer.WriteBoolean(Interactive);
    writer.WriteBoolean(ShowPins);
    writer.WriteObject(Pins.get());
    if (!Transformed) {
        writer.WriteFloat(X);
        writer.WriteFloat(Y);
    }
}

void TDevice::Read(TSerializeReader& reader) {
    // The constructor has built the default shape and pins around the origin. A transformed
    // device replaces the shape with the stored one; every device replaces its pins, which are
    // stored at their absolute positions.
    Transformed = reader.ReadBoolean();
    if (Transformed)
        TGraphicList::Read(reader);
    Interactive = reader.ReadBoolean();
    ShowPins = reader.ReadBoolean();
    HitPin = nullptr;
    Pins.reset(reader.ReadOwned<TGraphicList>());
    for (TSerialize* item : *Pins->Children)
        if (!KindCast<TPin>(item))
            reader.Fail("a pin list holds something that is not a pin");
    const int required = RequiredPinCount();
    if (required >= 0 && PinCount() != required)
        reader.Fail("a device with the wrong number of pins");
    if (!Transformed) {
        X = reader.ReadFloat();
        Y = reader.ReadFloat();
        TGraphicList::Offset(X, Y);
        TGraphicList::UpdateVertices();
    }
}

void TDevice::Clear() {
    TGraphicList::Clear();
    HitPin = nullptr;
    Pins->Clear();
}

bool TDevice::HitTest(int x, int y) {
    const bool shapeHit = TGraphicList::HitTest(x, y);
    HitPin = nullptr;
    for (int i = 0; i < PinCount(); ++i) {
        TPin* pin = Pin(i);
        if (pin->HitTest(x, y)) {
            HitPin = pin;
            pin->Index = i;
            break;
        }
    }
    return shapeHit || HitPin;
}

void TDevice::Draw(QPainter& dc) {
    TGraphicList::Draw(dc);
    if (ShowPins) {
        Pins->Dragging = Dragging;
        Pins->Draw(dc);
    }
}

void TDevice::Rotate(float angle) {
    TGraphicList::Rotate(angle);
    Pins->Rotate(angle);
    if (angle != 0)
        Transformed = true;
}

void TDevice::Scale(float sx, float sy) {
    TGraphicList::Scale(sx, sy);
    Pins->Scale(sx, sy);
    if (sx != sy)
        Transformed = true;
}

void TDevice::Offset(float dx, float dy) {
    TGraphicList::Offset(dx, dy);
    Pins->Offset(dx, dy);
    X += dx;
    Y += dy;
}

void TDevice::UpdateVertices() {
    TGraphicList::UpdateVertices();
    Pins->UpdateVertices();
}

TRect TDevice::DeviceBounds() {
    TRect bounds = TGraphicList::GetBounds();
    if (ShowPins)
        bounds = UnionRect(bounds, Pins->GetBounds());
    return bounds;
}

FloatRect TDevice::DeviceExtent() {
    FloatRect extent = TGraphicList::GetExtent();
    if (ShowPins)
        extent.Include(Pins->GetExtent());
    return extent;
}

TRect TDevice::GetBounds() {
    return DeviceBounds();
}

FloatRect TDevice::GetExtent() {
    return DeviceExtent();
}

void TDevice::CentreOn(QPoint p) {
    TGraphicList::CentreOn(p);
    X = static_cast<float>(p.x());
    Y = static_cast<float>(p.y());
}

void TDevice::Calculate(TCalcResult& result) {
    result = TCalcResult{};
}

void TDevice::TrialCalculate(TCalcResult& result) {
    const bool contended = Contended;
    Calculate(result);
    Contended = contended;
}

void TDevice::Reset() {
    for (TPin* pin : Pins->Items<TPin>())
        pin->Level = 0;
    Contended = false;
}

void TDevice::ClearInputs(int32_t level) {
    for (TPin* pin : Pins->Items<TPin>()) {
        pin->Driver = nullptr;
        if (pin->Kind == TPinKind::Input)
            pin->Level = level;
    }
}

void TDevice::CollectDrivers(std::vector<TDevice*>& list) {
    for (TPin* pin : Pins->Items<TPin>()) {
        if (pin->Kind == TPinKind::Input && pin->Driver)
            list.push_back(pin->Driver);
    }
}

void TDevice::ClearDrivers() {
    for (TPin* pin : Pins->Items<TPin>())
        pin->Driver = nullptr;
}

bool TDevice::AnyPinWired() const {
    for (TPin* pin : Pins->Items<TPin>())
        if (pin->Wire)
            return true;
    return false;
}

TPolygon* TDevice::AddPolygon(std::initializer_list<QPointF> points) {
    auto* polygon = new TPolygon;
    for (const QPointF& p : points)
        polygon->AppendPoint(static_cast<float>(p.x()), static_cast<float>(p.y()));
    AddChild(polygon);
    return polygon;
}

TPolyline* TDevice::AddLine(std::initializer_list<QPointF> points) {
    auto* line = new TPolyline;
    for (const QPointF& p : points)
        line->AppendPoint(static_cast<float>(p.x()), static_cast<float>(p.y()));
    AddChild(line);
    return line;
}

TGraphicText* TDevice::AddText(const QString& text, float dx, float dy, int32_t fontSize) {
    auto* label = new TGraphicText(text, fontSize);
    label->Offset(dx, dy);
    AddChild(label);
    return label;
}

TPin* TDevice::AddPin(TPinKind kind, int x, int y) {
    auto* pin = new TPin(kind);
    pin->PlaceAt(QPoint(x, y));
    Pins->AddChild(pin);
    return pin;
}

// ---------------------------------------------------------------------------------------------------

TTextDevice::TTextDevice() : Label(std::make_unique<TGraphicText>(QString())) {
    AddKind(kKind);
    SetLabelPosition(TLabelPosition::Left);
}

TTextDevice::~TTextDevice() = default;

void TTextDevice::Write(TSerializeWriter& writer) {
    TDevice::Write(writer);
    const bool hasLabel = !Label->Text.isEmpty();
    writer.WriteBoolean(hasLabel);
    if (hasLabel) {
        writer.WriteInteger(static_cast<int32_t>(LabelPosition));
        writer.WriteObject(Label.get());
    }
}

void TTextDevice::Read(TSerializeReader& reader) {
    TDevice::Read(reader);
    if (reader.ReadBoolean()) {
        LabelPosition = static_cast<TLabelPosition>(reader.ReadInteger());
        Label.reset(reader.ReadOwned<TGraphicText>());
    }
}

void TTextDevice::Clear() {
    TDevice::Clear();
    Label->Clear();
}

bool TTextDevice::HitTest(int x, int y) {
    const bool hit = TDevice::HitTest(x, y);
    if (!hit && Label->HitTest(x, y)) {
        HitChild = this;
        return true;
    }
    return hit;
}

void TTextDevice::DrawTextDevice(QPainter& dc) {
    TDevice::Draw(dc);
    Label->Dragging = Dragging;
    Label->Draw(dc);
}

void TTextDevice::Draw(QPainter& dc) {
    DrawTextDevice(dc);
}

void TTextDevice::Offset(float dx, float dy) {
    TDevice::Offset(dx, dy);
    Label->Offset(dx, dy);
}

void TTextDevice::UpdateVertices() {
    TDevice::UpdateVertices();
    Label->UpdateVertices();
}

TRect TTextDevice::GetBounds() {
    TRect bounds = TDevice::GetBounds();
    if (!Label->Text.isEmpty())
        bounds = UnionRect(bounds, Label->GetBounds());
    return bounds;
}

FloatRect TTextDevice::GetExtent() {
    FloatRect extent = TDevice::GetExtent();
    if (!Label->Text.isEmpty())
        extent.Include(Label->GetExtent());
    return extent;
}

void TTextDevice::CentreOn(QPoint p) {
    // The label counts in the centre, and the position accumulates the move.
    TGraphicList::CentreOn(p);
}

void TTextDevice::SetLabel(const QString& text) {
    Label->SetText(text);
    SetLabelPosition(LabelPosition);
}

void TTextDevice::SetLabelOverline(bool overline) {
    Label->Overline = overline;
}

void TTextDevice::SetLabelPosition(TLabelPosition position) {
    LabelPosition = position;
    if (Label->Text.isEmpty())
        return;
    const QString text = Label->Text;
    const bool overline = Label->Overline;
    Label = std::make_unique<TGraphicText>(text);

    const FloatRect e = TDevice::GetExtent();
    const int32_t w = Label->TextWidth() / 2;
    const int32_t h = -Label->TextHeight() / 2;
    const float cx = e.MinX + (e.MaxX - e.MinX) / 2;
    const float cy = e.MinY + (e.MaxY - e.MinY) / 2;
    float x = 0, y = 0;
    bool place = true;
    switch (position) {
    case TLabelPosition::Left:
        x = e.MinX - static_cast<float>(w);
        y = cy;
        break;
    case TLabelPosition::Right:
        x = e.MaxX + static_cast<float>(w) + 2;
        y = cy;
        break;
    case TLabelPosition::Top:
        x = cx;
        y = e.MinY - static_cast<float>(h) + 2;
        break;
    case TLabelPosition::Bottom:
        x = cx;
        y = e.MaxY + static_cast<float>(h);
        break;
    default:
        place = false;
        break;
    }
    if (place) {
        float lx, ly;
        Label->GetCentre(lx, ly);
        Label->Offset(x - lx, y - ly);
    }
    Label->Overline = overline;
    Label->UpdateVertices();
}

// ---------------------------------------------------------------------------------------------------

THistoryDevice::THistoryDevice() {
    AddKind(kKind);
}

void THistoryDevice::Write(TSerializeWriter& writer) {
    TTextDevice::Write(writer);
    writer.WriteBoolean(InHistory);
}

void THistoryDevice::Read(TSerializeReader& reader) {
    TTextDevice::Read(reader);
    InHistory = reader.ReadBoolean();
}

void THistoryDevice::Clear() {
    TTextDevice::Clear();
    History.clear();
}

void THistoryDevice::Reset() {
    TTextDevice::Reset();
    History.clear();
}

void THistoryDevice::AppendHistory(int32_t value) {
    if (History.size() < kMaxHistory)
        History.append(QString::number(value));
}

// ---------------------------------------------------------------------------------------------------

void TOutputDevice::Write(TSerializeWriter& writer) {
    THistoryDevice::Write(writer);
    writer.WriteInteger(static_cast<int32_t>(Colour));
}

void TOutputDevice::Read(TSerializeReader& reader) {
    THistoryDevice::Read(reader);
    Colour = static_cast<uint32_t>(reader.ReadInteger());
}
