#include "devices/OutputDevice.h"

#include <QPainter>

#include <algorithm>

namespace {

void DrawChild(TGraphicObject* child, bool dragging, QPainter& dc) {
    if (!child)
        return;
    child->Dragging = dragging;
    child->Draw(dc);
}

} // namespace

TLEDDevice::TLEDDevice() {
    AddKind(kKind);
    HelpTopic = QStringLiteral("outputLED.htm");
    Rotatable = false;
    Sizeable = false;
    Colour = 255;
    AddPolygon({})->AddArc(true, 0, 0, 0, 360, 5, 5);
    AddPin(TPinKind::Input, 0, 0);
    UpdateVertices();
}

void TLEDDevice::ApplyFill() {
    TPolygon* lamp = ShapeChild<TPolygon>(0);
    if (!lamp || LastLevel < 0)
        return;
    // A level nobody drives in this step is shown in a tint of its own, so a released net stands out.
    const bool driven = Pin(0)->Driver != nullptr;
    if (LastLevel > 0)
        lamp->Brush.Colour = driven ? Colour : kUndrivenHighColour;
    else
        lamp->Brush.Colour = driven ? kColourWhite : kUndrivenLowColour;
}

void TLEDDevice::Calculate(TCalcResult& result) {
    result = TCalcResult{};
    const int32_t level = Pin(0)->Level;
    if (level != LastLevel)
        result.Changed = true;
    LastLevel = level;
}

void TLEDDevice::Reset() {
    THistoryDevice::Reset();
    LastLevel = 0;
}

void TLEDDevice::SampleValue() {
    AppendHistory(LastLevel & 1);
}

void TLEDDevice::DrawValue(QPainter& dc) {
    ApplyFill();
    if (TGraphicObject* lamp = ShapeChild<TGraphicObject>(0))
        lamp->Draw(dc);
}

void TLEDDevice::Draw(QPainter& dc) {
    ApplyFill();
    DrawChild(ShapeChild<TGraphicObject>(0), Dragging, dc);
    DrawTextDevice(dc);
}

// ---------------------------------------------------------------------------------------------------

TLEDSegmentDevice::TLEDSegmentDevice() {
    AddKind(kKind);
    HelpTopic = QStringLiteral("output7segment.htm");
    Rotatable = false;
    Sizeable = false;
    Colour = 255;
    // Segments a to g; a white outline does not show on an unlit segment.
    AddPolygon({{-20, -40}, {20, -40}, {10, -30}, {-10, -30}});
    AddPolygon({{10, -30}, {20, -40}, {20, 0}, {10, -5}});
    AddPolygon({{10, 5}, {20, 0}, {20, 40}, {10, 30}});
    AddPolygon({{10, 30}, {20, 40}, {-20, 40}, {-10, 30}});
    AddPolygon({{-20, 0}, {-10, 5}, {-10, 30}, {-20, 40}});
    AddPolygon({{-20, -40}, {-10, -30}, {-10, -5}, {-20, 0}});
    AddPolygon({{-20, 0}, {-10, -5}, {10, -5}, {20, 0}, {10, 5}, {-10, 5}});
    for (int i = 0; i < kSegmentCount; ++i)
        ShapeChild<TPolygon>(i)->Pen.Colour = kColourWhite;
    AddLine({{-25, -45}, {25, -45}, {25, 45}, {-25, 45}, {-25, -45}});
    for (int i = 0; i < kSegmentCount; ++i) {
        const auto x = static_cast<float>(-15 + 5 * i);
        AddLine({{x, 45}, {x, 50}});
    }
    for (int i = 0; i < kSegmentCount; ++i) {
        // Smaller pins than usual: seven of them sit 5 units apart.
        auto* pin = new TPin(TPinKind::Input);
        pin->Clear();
        pin->AppendPoint(2, 2);
        pin->AppendPoint(2, -2);
        pin->AppendPoint(-2, -2);
        pin->AppendPoint(-2, 2);
        pin->PlaceAt(QPoint(-15 + 5 * i, 50));
        Pins->AddChild(pin);
    }
    UpdateVertices();
}

void TLEDSegmentDevice::Write(TSerializeWriter& writer) {
    TOutputDevice::Write(writer);
    writer.WriteBoolean(CommonCathode);
}

void TLEDSegmentDevice::Read(TSerializeReader& reader) {
    TOutputDevice::Read(reader);
    if (reader.Version == 30 || reader.Version == 34)
        CommonCathode = reader.ReadBoolean();
}

void TLEDSegmentDevice::Calculate(TCalcResult& result) {
    result = TCalcResult{};
    for (int i = 0; i < kSegmentCount; ++i) {
        const bool high = Bit0(Pin(i)->Level) != 0;
        const bool lit = CommonCathode ? high : !high;
        if (lit != Segments[static_cast<size_t>(i)]) {
            Segments[static_cast<size_t>(i)] = lit;
            result.Changed = true;
        }
    }
}

void TLEDSegmentDevice::Reset() {
    // The base reset too, so an input nobody drives reads low after a reset, as on every device.
    THistoryDevice::Reset();
    Segments.fill(false);
}

void TLEDSegmentDevice::ApplyFills() {
    for (int i = 0; i < kSegmentCount; ++i)
        if (TPolygon* segment = ShapeChild<TPolygon>(i))
            segment->Brush.Colour = Segments[static_cast<size_t>(i)] ? Colour : kColourWhite;
}

void TLEDSegmentDevice::DrawValue(QPainter& dc) {
    if (Dragging)
        return;
    ApplyFills();
    for (int i = 0; i < kSegmentCount; ++i)
        if (TGraphicObject* segment = ShapeChild<TGraphicObject>(i))
            segment->Draw(dc);
}

void TLEDSegmentDevice::Draw(QPainter& dc) {
    ApplyFills();
    DrawTextDevice(dc);
}

// ---------------------------------------------------------------------------------------------------

QString NumericDisplayText(uint32_t lines, int32_t lineCount, int32_t format) {
    Q_ASSERT(lineCount >= 1 && lineCount <= TNumericDevice::kMaxLines);
    const uint32_t value = lines & ((1u << lineCount) - 1);
    if (format & TNumericDevice::kDecimal) {
        int64_t number = value;
        if ((format & TNumericDevice::kTwosComplement) && ((value >> (lineCount - 1)) & 1))
            number -= int64_t(1) << lineCount;
        return QString::number(number).rightJustified(lineCount, QLatin1Char('0'));
    }
    if (format & TNumericDevice::kHexadecimal)
        return QString::number(value, 16).toUpper().rightJustified(lineCount, QLatin1Char('0'));
    return QString::number(value, 2).rightJustified(lineCount, QLatin1Char('0'));
}

TNumericDevice::TNumericDevice() {
    AddKind(kKind);
    HelpTopic = QStringLiteral("DeviceNumericOutput.htm");
    Rotatable = false;
    Sizeable = false;
    Transformed = true;
    Colour = kColourWhite;
    SetLineCount(4);
}

void TNumericDevice::SetLineCount(int32_t count) {
    if (!ValidLineCount(count))
        return;
    THistoryDevice::Clear();
    LineCount = count;
    Bits.fill(false);

    const int h = 5 * count;
    const auto fh = static_cast<float>(h);
    AddPolygon({{-fh, -5}, {fh, -5}, {fh, 10}, {-fh, 10}, {-fh, -5}})->Brush.Colour = BackColour;
    auto column = [h](int k) { return static_cast<float>(h - 5 - 10 * (k - 1)); };
    for (int k = 1; k <= count; ++k)
        AddText(QStringLiteral("0"), column(k), 3, 10)->TextColor = Colour;
    for (int k = 1; k <= count; ++k)
        AddLine({{column(k), -10}, {column(k), -5}});
    for (int k = 1; k <= count; ++k)
        AddPin(TPinKind::Input, static_cast<int>(column(k)), -10);
    UpdateVertices();
}

void TNumericDevice::SetPinsAtBottom(bool atBottom) {
    if (atBottom == PinsAtBottom)
        return;
    PinsAtBottom = atBottom;
    const float leadShift = atBottom ? 20 : -20;
    const float pinShift = atBottom ? 25 : -25;
    for (int k = LineCount + 1; k <= 2 * LineCount; ++k) {
        if (TGraphicObject* lead = ShapeChild<TGraphicObject>(k)) {
            lead->Offset(0, leadShift);
            lead->UpdateVertices();
        }
    }
    for (int i = 0; i < PinCount(); ++i) {
        Pin(i)->Offset(0, pinShift);
        Pin(i)->UpdateVertices();
    }
}

void TNumericDevice::Write(TSerializeWriter& writer) {
    TOutputDevice::Write(writer);
    writer.WriteInteger(LineCount);
    writer.WriteInteger(Format);
    writer.WriteInteger(static_cast<int32_t>(BackColour));
    writer.WriteInteger(static_cast<int32_t>(DimColour));
    writer.WriteBoolean(PinsAtBottom);
}

void TNumericDevice::Read(TSerializeReader& reader) {
    TOutputDevice::Read(reader);
    // Calculate reads one pin per line and Bits holds at most 16: anything else is refused.
    LineCount = reader.ReadInteger();
    if (!ValidLineCount(LineCount))
        reader.Fail("a numeric display with an impossible number of lines");
    if (PinCount() != LineCount)
        reader.Fail("a numeric display whose pins do not match its lines");
    Format = reader.ReadInteger();
    BackColour = static_cast<uint32_t>(reader.ReadInteger());
    DimColour = static_cast<uint32_t>(reader.ReadInteger());
    PinsAtBottom = reader.ReadBoolean();
    Bits.fill(false);
}

void TNumericDevice::Calculate(TCalcResult& result) {
    result = TCalcResult{};
    for (int i = 0; i < LineCount; ++i) {
        const bool bit = Bit0(Pin(i)->Level) != 0;
        if (bit != Bits[static_cast<size_t>(i)]) {
            Bits[static_cast<size_t>(i)] = bit;
            result.Changed = true;
        }
    }
}

void TNumericDevice::Reset() {
    // The base reset too, so an input nobody drives reads low after a reset, as on every device.
    THistoryDevice::Reset();
    Bits.fill(false);
}

QString TNumericDevice::DisplayText() const {
    uint32_t lines = 0;
    for (int i = 0; i < LineCount; ++i)
        if (Bits[static_cast<size_t>(i)])
            lines |= 1u << i;
    return NumericDisplayText(lines, LineCount, Format);
}

void TNumericDevice::DrawValue(QPainter& dc) {
    const QString text = DisplayText();
    const int count = std::min(static_cast<int>(text.size()), LineCount);
    bool inZeros = true;
    for (int i = 0; i < count; ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('0'))
            inZeros = false;
        // The first character goes to the leftmost cell, child LineCount.
        TGraphicText* cell = ShapeChild<TGraphicText>(LineCount - i);
        if (!cell)
            continue;
        cell->Text = c;
        cell->BackColor = BackColour;
        cell->Transparent = false;
        cell->TextColor = inZeros && (Format & kSuppressZeros) ? DimColour : Colour;
        cell->FontName = QStringLiteral("Courier New");
        cell->Dragging = Dragging;
        cell->Draw(dc);
    }
}

void TNumericDevice::Draw(QPainter& dc) {
    DrawChild(ShapeChild<TGraphicObject>(0), Dragging, dc);
    DrawValue(dc);
    for (int k = LineCount + 1; k <= 2 * LineCount; ++k)
        DrawChild(ShapeChild<TGraphicObject>(k), Dragging, dc);
    // The pins are never drawn.
    DrawChild(Label.get(), Dragging, dc);
}

// ---------------------------------------------------------------------------------------------------

int32_t NumericFormat(TNumericBase base, bool twosComplement, bool suppressZeros) {
    int32_t format = suppressZeros ? TNumericDevice::kSuppressZeros : 0;
    switch (base) {
    case TNumericBase::Binary:
        format += TNumericDevice::kBinary;
        break;
    case TNumericBase::Hexadecimal:
        format += TNumericDevice::kHexadecimal;
        break;
    case TNumericBase::Decimal:
        format += TNumericDevice::kDecimal;
        if (twosComplement)
            format += TNumericDevice::kTwosComplement;
        break;
    }
    return format;
}

std::unique_ptr<TNumericDevice> MakeNumericExample(int32_t lineCount, bool pinsAtBottom, int32_t format,
                                                   QPoint centre) {
    auto device = std::make_unique<TNumericDevice>();
    device->SetLineCount(lineCount);
    device->SetPinsAtBottom(pinsAtBottom);
    device->Format = format;
    for (int i = 0; i < device->PinCount(); ++i)
        device->Pin(i)->Level = 1;
    TCalcResult result;
    device->Calculate(result);
    device->Offset(static_cast<float>(centre.x()), static_cast<float>(centre.y()));
    device->UpdateVertices();
    return device;
}
