#pragma once

// The devices that show levels: the LED, the 7-segment display and the numeric display. A macro
// calculates them once per step after settling; the canvas then samples and repaints them with PaintValue.

#include "model/Device.h"

#include <QPoint>
#include <QString>

#include <array>
#include <memory>

enum TOutputKind : uint32_t {
    kKindLEDDevice = 1u << 27,
    kKindLEDSegmentDevice = 1u << 28,
    kKindNumericDevice = 1u << 29,
};

// Colours of the LED lamp when nothing drives its input in the current step.
constexpr uint32_t kUndrivenHighColour = 0x528CE4;
constexpr uint32_t kUndrivenLowColour = 0xD9E6F9;

// A lamp (child 0) lit in Colour while its input (pin 0) is high.
class TLEDDevice : public TOutputDevice {
public:
    TESSIVAR_CLASS(TLEDDevice)
    TESSIVAR_KIND(TLEDDevice, kKindLEDDevice);
    TLEDDevice();

    void Draw(QPainter& dc) override;
    void Calculate(TCalcResult& result) override;
    void Reset() override;
    void SampleValue() override;
    void DrawValue(QPainter& dc) override;

    int32_t LastLevel = 0;

protected:
    int RequiredPinCount() const override { return 1; }

private:
    void ApplyFill();
};

// Seven segment polygons (children 0 to 6, a to g), each lit by the input pin of the same index.
class TLEDSegmentDevice : public TOutputDevice {
public:
    TESSIVAR_CLASS(TLEDSegmentDevice)
    TESSIVAR_KIND(TLEDSegmentDevice, kKindLEDSegmentDevice);
    TLEDSegmentDevice();

    void Write(TSerializeWriter& writer) override;
    // The common-cathode flag is in the stream only from versions 30 and 34 on; older streams
    // leave the default.
    void Read(TSerializeReader& reader) override;
    void Draw(QPainter& dc) override;
    void Calculate(TCalcResult& result) override;
    void Reset() override;
    void DrawValue(QPainter& dc) override;

    static constexpr int kSegmentCount = 7;
    std::array<bool, kSegmentCount> Segments{true, true, true, true, true, true, false};
    // False: common anode, a segment lights while its input is low.
    bool CommonCathode = true;

protected:
    int RequiredPinCount() const override { return kSegmentCount; }

private:
    void ApplyFills();
};

// The characters a numeric display shows, leftmost cell first, for the input lines held in the low
// lineCount bits of lines (bit 0 is line 0, the least significant) and a TNumericDevice format.
QString NumericDisplayText(uint32_t lines, int32_t lineCount, int32_t format);

// 2, 4, 8 or 16 input lines shown as binary, hexadecimal or decimal digits. Child 0 is the body,
// children 1 to N the digit cells from right to left, N + 1 to 2N the leads; pin 0 is the rightmost
// and least significant line.
class TNumericDevice : public TOutputDevice {
public:
    TESSIVAR_CLASS(TNumericDevice)
    TESSIVAR_KIND(TNumericDevice, kKindNumericDevice);
    TNumericDevice();

    void Write(TSerializeWriter& writer) override;
    void Read(TSerializeReader& reader) override;
    void Draw(QPainter& dc) override;
    void Calculate(TCalcResult& result) override;
    void Reset() override;
    void DrawValue(QPainter& dc) override;

    // Rebuilds the shape and pins for 2, 4, 8 or 16 lines (any other count is ignored), with the
    // pins at the top whatever PinsAtBottom says: call it on a new device only.
    void SetLineCount(int32_t count);
    void SetPinsAtBottom(bool atBottom);
    // What the cells show for the last calculated inputs.
    QString DisplayText() const;
    static bool ValidLineCount(int32_t count) {
        return count == 2 || count == 4 || count == 8 || count == 16;
    }

    enum Formats : int32_t {
        kBinary = 1,
        kDecimal = 2,
        kHexadecimal = 4,
        kTwosComplement = 8, // only together with kDecimal
        kSuppressZeros = 16, // leading zeros drawn in DimColour
    };

    static constexpr int kMaxLines = 16;
    int32_t LineCount = 0;
    std::array<bool, kMaxLines> Bits{};
    int32_t Format = kDecimal | kTwosComplement | kSuppressZeros;
    uint32_t BackColour = 0;
    uint32_t DimColour = 0x808080;
    bool PinsAtBottom = false;
};

enum class TNumericBase { Binary, Hexadecimal, Decimal };

// The format a set of display choices stands for; the complement choice counts only for decimal.
int32_t NumericFormat(TNumericBase base, bool twosComplement, bool suppressZeros);

// A display showing the all-ones value with the given choices, calculated and moved so that its
// origin lies on centre: what a format chooser shows as its example.
std::unique_ptr<TNumericDevice> MakeNumericExample(int32_t lineCount, bool pinsAtBottom, int32_t format,
                                                   QPoint centre);
