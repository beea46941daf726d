#include "TestCircuit.h"
#include "TestSupport.h"

#include "devices/OutputDevice.h"
#include "model/Gates.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

QByteArray WriteStream(TSerialize* object, uint8_t version) {
    QByteArray bytes;
    TSerializeWriter writer(&bytes);
    writer.FileType = kCircuitFileType;
    writer.Version = version;
    writer.WriteSignature();
    writer.WriteObject(object);
    writer.Finish();
    return bytes;
}

template <class T> std::unique_ptr<T> ReadStream(const QByteArray& bytes) {
    TSerializeReader reader(bytes);
    reader.FileType = kCircuitFileType;
    reader.ReadSignature();
    T* root = reader.ReadRoot<T>();
    reader.Commit();
    return std::unique_ptr<T>(root);
}

// Writes, reads back and writes again; the two streams must be the same bytes.
template <class T> std::unique_ptr<T> RoundTrip(T& device) {
    const QByteArray first = WriteStream(&device, kCircuitVersion);
    auto copy = ReadStream<T>(first);
    EXPECT_EQ(WriteStream(copy.get(), kCircuitVersion), first);
    return copy;
}

struct TCanvas {
    QImage Image{300, 300, QImage::Format_ARGB32};
    QPainter Painter{&Image};
};

// Sets the input lines to the low bits of lines and calculates.
TCalcResult Feed(TDevice& device, uint32_t lines) {
    for (int i = 0; i < device.PinCount(); ++i)
        device.Pin(i)->Level = static_cast<int32_t>((lines >> i) & 1);
    TCalcResult result;
    device.Calculate(result);
    return result;
}

uint32_t LampColour(const TLEDDevice* led) {
    return led->ShapeChild<TPolygon>(0)->Brush.Colour;
}

} // namespace

TEST(LEDDevice, LampTellsDrivenFromUndrivenLevels) {
    TTestCircuit circuit;
    auto* high = circuit.Add<TNotGate>(0, 0); // unconnected input: drives 1
    auto* buffer = circuit.Add<TTriState>(80, 0);
    auto* led = circuit.Add<TLEDDevice>(160, 0);
    auto* low = circuit.Add<TNotGate>(0, 100);
    auto* lowLed = circuit.Add<TLEDDevice>(160, 100);
    auto* idle = circuit.Add<TLEDDevice>(160, 200);
    circuit.Wire(high->Pin(0), buffer->Pin(0));
    circuit.Wire(buffer->Pin(1), led->Pin(0));
    circuit.Wire(low->Pin(0), lowLed->Pin(0));
    circuit.Reset();
    low->Pin(1)->Level = 1;
    TCanvas canvas;

    circuit.Step();
    circuit.Root->PaintValues(canvas.Painter);
    EXPECT_EQ(LampColour(idle), kUndrivenLowColour);
    EXPECT_EQ(LampColour(led), kUndrivenLowColour);
    EXPECT_EQ(LampColour(lowLed), kColourWhite);

    buffer->Pin(2)->Level = 1;
    circuit.Step();
    circuit.Root->PaintValues(canvas.Painter);
    EXPECT_EQ(LampColour(led), 255u);

    // The buffer lets go: the net keeps its high level, but nobody drives it.
    buffer->Pin(2)->Level = 0;
    circuit.Step();
    circuit.Root->PaintValues(canvas.Painter);
    EXPECT_EQ(led->LastLevel, 1);
    EXPECT_EQ(LampColour(led), kUndrivenHighColour);
    EXPECT_EQ(led->History, QStringLiteral("011"));
}

TEST(LEDDevice, CalculateComparesTheWholeLevelAndNegativeLevelsKeepTheFill) {
    TLEDDevice led;
    TCalcResult result;
    led.Pin(0)->Level = 65535;
    led.Calculate(result);
    EXPECT_TRUE(result.Changed);
    EXPECT_TRUE(Feed(led, 1).Changed);
    EXPECT_FALSE(Feed(led, 1).Changed);
    TCanvas canvas;
    led.Draw(canvas.Painter);
    led.Pin(0)->Level = -1;
    led.Calculate(result);
    led.PaintValue(canvas.Painter);
    EXPECT_EQ(LampColour(&led), kUndrivenHighColour);
    EXPECT_EQ(led.History, QStringLiteral("1"));
}

TEST(LEDSegmentDevice, SegmentsFollowTheirPinsForBothCommons) {
    TLEDSegmentDevice display;
    EXPECT_TRUE(Feed(display, 0b1000001).Changed); // pin 0 lights a, pin 6 lights g
    EXPECT_EQ(display.Segments, (std::array<bool, 7>{true, false, false, false, false, false, true}));
    EXPECT_FALSE(Feed(display, 0b1000001).Changed);

    display.CommonCathode = false;
    Feed(display, 0);
    EXPECT_EQ(display.Segments, (std::array<bool, 7>{true, true, true, true, true, true, true}));
    Feed(display, 0b0000010);
    EXPECT_EQ(display.Segments, (std::array<bool, 7>{true, false, true, true, true, true, true}));
    TCanvas canvas;
    display.Draw(canvas.Painter);
    EXPECT_EQ(display.ShapeChild<TPolygon>(0)->Brush.Colour, 255u);
    EXPECT_EQ(display.ShapeChild<TPolygon>(1)->Brush.Colour, kColourWhite);
}

TEST(LEDSegmentDevice, CommonFlagIsReadOnlyFromVersions30And34) {
    TLEDSegmentDevice display;
    display.CommonCathode = false;
    auto copy = RoundTrip(display);
    EXPECT_FALSE(copy->CommonCathode);
    EXPECT_FALSE(ReadStream<TLEDSegmentDevice>(WriteStream(&display, 30))->CommonCathode);

    // Streams of other versions end the device before the flag: dropping it from a version 20
    // stream must leave a stream that reads to its end with the default.
    for (uint8_t version : {uint8_t(20), uint8_t(33)}) {
        QByteArray bytes = WriteStream(&display, version);
        ASSERT_EQ(bytes.back(), char(8));
        bytes.chop(1);
        bytes.append(testsupport::Bytes({0x02, 0x0F}));
        TSerializeReader reader(bytes);
        reader.FileType = kCircuitFileType;
        reader.ReadSignature();
        auto* read = reader.ReadRoot<TLEDSegmentDevice>();
        EXPECT_EQ(reader.ReadObject(), nullptr);
        EXPECT_EQ(reader.Remaining(), 0);
        reader.Commit();
        EXPECT_TRUE(std::unique_ptr<TLEDSegmentDevice>(read)->CommonCathode);
    }
}

TEST(NumericDisplayText, FormatsEveryBase) {
    using D = TNumericDevice;
    const struct {
        uint32_t Lines;
        int32_t Count;
        int32_t Format;
        const char* Expected;
    } cases[] = {
        {0b1000, 4, D::kDecimal | D::kTwosComplement, "00-8"},
        {0b0111, 4, D::kDecimal | D::kTwosComplement, "0007"},
        {0b10, 2, D::kDecimal | D::kTwosComplement, "-2"},
        {0xFFFF, 16, D::kDecimal | D::kTwosComplement, "00000000000000-1"},
        {0b1111, 4, D::kDecimal, "0015"},
        {0xFFFF, 16, D::kDecimal, "0000000000065535"},
        {0b1000, 4, D::kTwosComplement, "1000"}, // complement alone means nothing
        {0xFF, 8, D::kHexadecimal, "000000FF"},
        {0b11, 2, D::kHexadecimal, "03"},
        {0xABCD, 16, D::kHexadecimal | D::kBinary, "000000000000ABCD"},
        {0b0101, 4, 0, "0101"},
        {0x1F0, 4, D::kBinary, "0000"}, // lines above the count are ignored
    };
    for (const auto& c : cases)
        EXPECT_EQ(NumericDisplayText(c.Lines, c.Count, c.Format), QString::fromLatin1(c.Expected))
            << c.Lines << " on " << c.Count << " lines, format " << c.Format;
}

TEST(NumericDevice, SuppressionDimsLeadingZerosUpToTheFirstOtherCharacter) {
    using D = TNumericDevice;
    const struct {
        int32_t Count;
        uint32_t Lines;
        int32_t Format;
        const char* Dim; // per cell, leftmost first
    } cases[] = {
        {4, 0b1000, D::kDecimal | D::kTwosComplement | D::kSuppressZeros, "DD.."},
        {4, 0b0111, D::kDecimal | D::kTwosComplement | D::kSuppressZeros, "DDD."},
        {4, 0b0000, D::kDecimal | D::kSuppressZeros, "DDDD"},
        {4, 0b0000, D::kDecimal, "...."},
        {8, 0xFF, D::kHexadecimal | D::kSuppressZeros, "DDDDDD.."},
        {4, 0b0101, D::kBinary | D::kSuppressZeros, "D..."},
    };
    for (const auto& c : cases) {
        TNumericDevice display;
        display.SetLineCount(c.Count);
        display.Format = c.Format;
        display.DimColour = 0x123456;
        Feed(display, c.Lines);
        TCanvas canvas;
        display.Draw(canvas.Painter);
        const QString text = display.DisplayText();
        for (int i = 0; i < c.Count; ++i) {
            const TGraphicText* cell = display.ShapeChild<TGraphicText>(c.Count - i);
            EXPECT_EQ(cell->Text, text.mid(i, 1));
            EXPECT_EQ(cell->TextColor, c.Dim[i] == 'D' ? 0x123456u : display.Colour)
                << "cell " << i << " of " << text.toStdString();
            EXPECT_FALSE(cell->Transparent);
        }
    }
}

TEST(NumericDevice, PinsMoveToTheBottomKeepingTheirOrder) {
    TNumericDevice display;
    display.SetLineCount(3);
    EXPECT_EQ(display.PinCount(), 4);
    display.SetLineCount(8);
    TPin* first = display.Pin(0);
    EXPECT_EQ(first->RoundedCentre(), QPoint(35, -10)); // pin 0 is the rightmost
    display.SetPinsAtBottom(true);
    display.SetPinsAtBottom(true);
    EXPECT_EQ(display.Pin(0), first);
    EXPECT_EQ(first->RoundedCentre(), QPoint(35, 15));
    EXPECT_EQ(display.ShapeChild<TGraphicObject>(9)->GetExtent().MinY, 10);
    display.SetPinsAtBottom(false);
    EXPECT_EQ(first->RoundedCentre(), QPoint(35, -10));
}

TEST(NumericDevice, ExampleShowsAllOnesInTheChosenFormat) {
    EXPECT_EQ(NumericFormat(TNumericBase::Hexadecimal, true, false), 4);
    EXPECT_EQ(NumericFormat(TNumericBase::Decimal, true, true), 26);

    const struct {
        TNumericBase Base;
        bool Complement;
        const char* Expected;
    } cases[] = {
        {TNumericBase::Binary, true, "1111"},
        {TNumericBase::Hexadecimal, true, "000F"},
        {TNumericBase::Decimal, false, "0015"},
        {TNumericBase::Decimal, true, "00-1"},
    };
    for (const auto& c : cases) {
        auto example =
            MakeNumericExample(4, true, NumericFormat(c.Base, c.Complement, true), QPoint(100, 20));
        EXPECT_EQ(example->DisplayText(), QString::fromLatin1(c.Expected));
        EXPECT_TRUE(example->PinsAtBottom);
        EXPECT_EQ(example->Pin(0)->RoundedCentre(), QPoint(115, 35));
    }
}

TEST(OutputDeviceStream, EveryClassRoundTripsByteForByte) {
    TLEDDevice led;
    led.Colour = 65280;
    led.SetLabel(QStringLiteral("carry"));
    led.InHistory = true;
    led.Offset(40, 30);
    EXPECT_EQ(RoundTrip(led)->Pin(0)->RoundedCentre(), QPoint(40, 30));

    TLEDSegmentDevice display;
    display.Colour = 16711680;
    RoundTrip(display);

    // Distinct values in every field, so fields read into one another change the bytes.
    TNumericDevice numeric;
    numeric.SetLineCount(16);
    numeric.SetPinsAtBottom(true);
    numeric.Format = TNumericDevice::kHexadecimal;
    numeric.BackColour = 0x102030;
    numeric.DimColour = 0x405060;
    EXPECT_EQ(RoundTrip(numeric)->LineCount, 16);
}

TEST(OutputDeviceStream, RefusesLineCountsAndPinsThatDoNotFit) {
    TNumericDevice numeric;
    numeric.LineCount = 3;
    EXPECT_THROW(ReadStream<TNumericDevice>(WriteStream(&numeric, kCircuitVersion)), EReadError);
    numeric.LineCount = 32;
    EXPECT_THROW(ReadStream<TNumericDevice>(WriteStream(&numeric, kCircuitVersion)), EReadError);
    numeric.LineCount = 8; // four pins stored
    EXPECT_THROW(ReadStream<TNumericDevice>(WriteStream(&numeric, kCircuitVersion)), EReadError);

    TLEDDevice led;
    led.Pins->AddChild(new TPin(TPinKind::Input));
    EXPECT_THROW(ReadStream<TLEDDevice>(WriteStream(&led, kCircuitVersion)), EReadError);

    TLEDSegmentDevice display;
    display.Pins->DeleteChild(display.Pin(6));
    EXPECT_THROW(ReadStream<TLEDSegmentDevice>(WriteStream(&display, kCircuitVersion)), EReadError);
}

TEST(OutputDeviceStream, TransformedDevicesOfAnyShapeDrawAndRun) {
    TLEDDevice led;
    TLEDSegmentDevice display;
    TNumericDevice numeric;
    for (TDevice* device : std::initializer_list<TDevice*>{&led, &display, &numeric}) {
        device->Transformed = true;
        device->Children->FreeAll();
        device->AddChild(new TPolyline);
    }
    auto ledCopy = ReadStream<TLEDDevice>(WriteStream(&led, kCircuitVersion));
    auto displayCopy = ReadStream<TLEDSegmentDevice>(WriteStream(&display, kCircuitVersion));
    auto numericCopy = ReadStream<TNumericDevice>(WriteStream(&numeric, kCircuitVersion));
    TCanvas canvas;
    for (TOutputDevice* device :
         std::initializer_list<TOutputDevice*>{ledCopy.get(), displayCopy.get(), numericCopy.get()}) {
        Feed(*device, 0xFFFF);
        device->Draw(canvas.Painter);
        device->PaintValue(canvas.Painter);
        device->Reset();
    }
    numericCopy->SetPinsAtBottom(true);
    EXPECT_EQ(numericCopy->Pin(0)->RoundedCentre(), QPoint(15, 15));
}
