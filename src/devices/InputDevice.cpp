#include "devices/InputDevice.h"

#include <QPainter>

TGround::TGround() {
    HelpTopic = QStringLiteral("powersupply.htm");
    Rotatable = false;
    Sizeable = false;
    AddLine({{0, 0}, {0, -10}});
    AddLine({{-10, 0}, {10, 0}});
    AddLine({{-6, 5}, {6, 5}});
    AddLine({{-2, 10}, {2, 10}});
    AddPin(TPinKind::Output, 0, -10);
    UpdateVertices();
}

void TGround::Calculate(TCalcResult& result) {
    result = TCalcResult{};
    if (Pin(0)->SetLevel(this, 0))
        result.Changed = true;
}

TSupply::TSupply() {
    HelpTopic = QStringLiteral("powersupply.htm");
    Rotatable = false;
    Sizeable = false;
    AddText(QStringLiteral("Vcc"), -5, 0, 7);
    AddLine({{5, 0}, {10, 0}});
    AddPin(TPinKind::Output, 10, 0);
    UpdateVertices();
}

void TSupply::Calculate(TCalcResult& result) {
    result = TCalcResult{};
    if (Pin(0)->SetLevel(this, 1))
        result.Changed = true;
}

// ---------------------------------------------------------------------------------------------------

TSeqInputDevice::TSeqInputDevice() {
    AddKind(kKind);
    Rotatable = false;
    Sizeable = false;
    AddPolygon({})->AddArc(true, 0, 0, 0, 360, 3, 3);
    AddLine({{7, 0}, {15, 0}});
    AddPin(TPinKind::Output, 15, 0);
    UpdateVertices();
}

void TSeqInputDevice::Write(TSerializeWriter& writer) {
    THistoryDevice::Write(writer);
    writer.WriteString(Sequence);
    writer.WriteInteger(static_cast<int32_t>(OnColour));
}

void TSeqInputDevice::Read(TSerializeReader& reader) {
    THistoryDevice::Read(reader);
    // The running state is not stored: a loaded sequence starts over.
    SetSequence(reader.ReadString());
    OnColour = static_cast<uint32_t>(reader.ReadInteger());
}

void TSeqInputDevice::SetSequence(const QString& sequence) {
    Position = 1;
    Phase = false;
    Sequence = sequence;
    Value = 0;
}

void TSeqInputDevice::Advance() {
    Phase = !Phase;
    if (Sequence.isEmpty())
        return;
    // Sequence is a public field and may have been replaced without SetSequence.
    if (Position < 1 || Position > Sequence.size())
        Position = 1;
    // The sequence editor admits only "0" and "1". A file may hold other characters: they play as
    // 0 and are kept as stored, so such a circuit still loads and saves unchanged.
    Value = Sequence[Position - 1] == QLatin1Char('1') ? 1 : 0;
    ++Position;
    if (Position > Sequence.size())
        Position = 1;
}

void TSeqInputDevice::Calculate(TCalcResult& result) {
    result = TCalcResult{};
    Advance();
    Drive(Value);
}

void TSeqInputDevice::Reset() {
    THistoryDevice::Reset();
    Position = 1;
    Value = 0;
    Phase = false;
}

void TSeqInputDevice::ShowValue() {
    if (Dragging)
        return;
    if (TPolygon* indicator = ShapeChild<TPolygon>(0))
        indicator->Brush.Colour = Value <= 0 ? kColourWhite : OnColour;
}

void TSeqInputDevice::SampleValue() {
    AppendHistory(Bit0(Value));
}

void TSeqInputDevice::DrawValue(QPainter& dc) {
    ShowValue();
    if (TPolygon* indicator = ShapeChild<TPolygon>(0))
        indicator->Draw(dc);
}

void TSeqInputDevice::Draw(QPainter& dc) {
    ShowValue();
    DrawTextDevice(dc);
}

// ---------------------------------------------------------------------------------------------------

TClockDevice::TClockDevice() {
    HelpTopic = QStringLiteral("deviceclock.htm");
    OnColour = RGBColour(0, 255, 0);
    SetSequence(QStringLiteral("01"));
    SetLabel(QStringLiteral("clock"));
}

TBitGenerator::TBitGenerator() {
    HelpTopic = QStringLiteral("sequencegenerator.htm");
    OnColour = RGBColour(255, 0, 0);
    SetLabel(QStringLiteral("sequence"));
}

void TBitGenerator::Calculate(TCalcResult& result) {
    if (Phase) {
        result = TCalcResult{};
        Phase = false;
        Drive(Value);
    } else {
        TSeqInputDevice::Calculate(result);
    }
}
