#include "devices/MemoryDevice.h"

#include <algorithm>

TMemoryDevice::TMemoryDevice() {
    AddKind(kKind);
    HelpTopic = QStringLiteral("MemoryOverview.htm");
    Rotatable = false;
    Sizeable = false;
    Transformed = true;
    Configure(true, 8, 8);
}

void TMemoryDevice::Configure(bool isRAM, int32_t addressBits, int32_t dataBits) {
    Q_ASSERT(ValidAddressBits(addressBits) && ValidDataBits(dataBits));
    IsRAM = isRAM;
    AddressBits = addressBits;
    DataBits = dataBits;
    Clear();
    // The shape is rebuilt around the origin, and a smaller memory may not hold the old address.
    X = 0;
    Y = 0;
    LastAddress = 0;

    const int r = std::max(addressBits, dataBits) * 10 / 2;
    const auto fr = static_cast<float>(r);
    auto caption = [this](const QString& text, float dx, float dy, bool overline = false) {
        TGraphicText* label = AddText(text, dx, dy);
        label->ShowOutline = false;
        label->Overline = overline;
    };

    AddPolygon({{-25, -fr - 10}, {25, -fr - 10}, {25, fr}, {-25, fr}});
    caption(SizeText(), 0, -10);
    caption(isRAM ? QStringLiteral("RAM") : QStringLiteral("ROM"), 0, 2);
    caption(QStringLiteral("A%1").arg(addressBits - 1), -15, -fr - 2);
    for (int i = 0; i < addressBits; ++i) {
        const int y = -r + 10 * i;
        AddPin(TPinKind::Input, -30, y);
        AddLine({{-30, static_cast<float>(y)}, {-25, static_cast<float>(y)}});
    }
    caption(QStringLiteral("D%1").arg(dataBits - 1), 16, -fr - 2);
    for (int j = 0; j < dataBits; ++j) {
        const int y = -r + 10 * j;
        AddPin(TPinKind::TriState, 30, y);
        AddLine({{30, static_cast<float>(y)}, {25, static_cast<float>(y)}});
    }
    AddPin(TPinKind::Input, 15, r + 5);
    AddLine({{15, fr + 5}, {15, fr}});
    caption(QStringLiteral("cs"), 16, fr - 6, true);
    if (isRAM) {
        AddPin(TPinKind::Input, -15, r + 5);
        AddLine({{-15, fr + 5}, {-15, fr}});
        caption(QStringLiteral("r /"), -17, fr - 6);
        caption(QStringLiteral("w"), -7, fr - 6, true);
    }
    UpdateVertices();

    SetWordCount(1 << addressBits);
    ClearWords();
}

QString TMemoryDevice::SizeText() const {
    const int32_t words = 1 << AddressBits;
    if (words <= 512)
        return QStringLiteral("%1 x %2").arg(words).arg(DataBits);
    return QStringLiteral("%1K x %2").arg(words / 1024).arg(DataBits);
}

void TMemoryDevice::SetWordCount(int32_t count) {
    Words.assign(static_cast<size_t>(std::max(count, 0)), 0);
    WordCount = static_cast<int32_t>(Words.size());
}

void TMemoryDevice::ClearWords() {
    std::fill(Words.begin(), Words.end(), uint16_t(0));
}

uint32_t TMemoryDevice::GetWord(int32_t index) const {
    return index >= 0 && index < WordCount ? Words[static_cast<size_t>(index)] : 0;
}

void TMemoryDevice::SetWord(int32_t index, uint32_t value) {
    if (index >= 0 && index < WordCount)
        Words[static_cast<size_t>(index)] = static_cast<uint16_t>(value & 0xFFFF);
}

int32_t TMemoryDevice::ReadAddress() const {
    int32_t address = 0;
    for (int i = 0; i < AddressBits; ++i)
        address = (address << 1) | Bit0(Pin(i)->Level);
    return address;
}

int32_t TMemoryDevice::ReadData() const {
    int32_t data = 0;
    for (int j = 0; j < DataBits; ++j)
        data = (data << 1) | Bit0(Pin(AddressBits + j)->Level);
    return data;
}

void TMemoryDevice::DriveData(uint32_t word, TCalcResult& result) {
    // Every data pin is processed, also after a conflict.
    for (int k = 0; k < DataBits; ++k) {
        TPin* pin = Pin(AddressBits + DataBits - 1 - k);
        if (pin->Driver && pin->Driver != this) {
            result.Changed = true;
            result.Device = this;
            Contended = true;
        } else if (pin->SetLevel(this, static_cast<int32_t>((word >> k) & 1))) {
            result.Changed = true;
        }
    }
}

void TMemoryDevice::Calculate(TCalcResult& result) {
    result = TCalcResult{};
    if (Bit0(Pin(ChipSelectIndex())->Level))
        return;
    const bool reading = !IsRAM || Bit0(Pin(ReadWriteIndex())->Level);
    LastAddress = ReadAddress();
    uint16_t& word = Words[static_cast<size_t>(LastAddress)];
    if (reading)
        DriveData(word, result);
    else
        word = static_cast<uint16_t>(ReadData());
}

void TMemoryDevice::TrialCalculate(TCalcResult& result) {
    result = TCalcResult{};
    if (Bit0(Pin(ChipSelectIndex())->Level))
        return;
    if (IsRAM && !Bit0(Pin(ReadWriteIndex())->Level))
        return;
    const bool contended = Contended;
    DriveData(Words[static_cast<size_t>(ReadAddress())], result);
    Contended = contended;
}

void TMemoryDevice::Write(TSerializeWriter& writer) {
    TDevice::Write(writer);
    writer.WriteInteger(DataBits);
    writer.WriteInteger(AddressBits);
    writer.WriteBoolean(IsRAM);
    writer.WriteBoolean(false);
    writer.WriteInteger(WordCount);
    for (uint16_t word : Words)
        writer.WriteInteger(word);
}

void TMemoryDevice::Read(TSerializeReader& reader) {
    TDevice::Read(reader);
    DataBits = reader.ReadInteger();
    AddressBits = reader.ReadInteger();
    IsRAM = reader.ReadBoolean();
    reader.ReadBoolean();
    const int32_t count = reader.ReadInteger();
    // Calculate addresses words and pins from these values without checks, so whatever contradicts
    // them is refused, before anything is allocated from the stored count.
    if (!ValidAddressBits(AddressBits) || !ValidDataBits(DataBits))
        reader.Fail("a memory of an impossible size");
    if (count != 1 << AddressBits)
        reader.Fail("a memory whose word count does not match its address lines");
    if (PinCount() != ExpectedPinCount())
        reader.Fail("a memory whose pins do not match its size");
    SetWordCount(count);
    for (uint16_t& word : Words)
        word = static_cast<uint16_t>(reader.ReadInteger() & 0xFFFF);
    LastAddress = 0;
}
