#include "devices/Signals.h"

#include "devices/InputDevice.h"
#include "devices/Interactive.h"
#include "devices/OutputDevice.h"

namespace {

QString SegmentBits(const TLEDSegmentDevice& display) {
    QString bits;
    for (bool lit : display.Segments)
        bits.append(lit ? QLatin1Char('1') : QLatin1Char('0'));
    return bits;
}

QString LineBits(const TNumericDevice& display) {
    QString bits;
    for (int i = display.LineCount - 1; i >= 0; --i)
        bits.append(display.Bits[static_cast<size_t>(i)] ? QLatin1Char('1') : QLatin1Char('0'));
    return bits;
}

QString Bit(int32_t level) {
    return Bit0(level) ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

QString DeviceName(const TDevice* device) {
    const auto* labelled = KindCast<TTextDevice>(device);
    const QString label = labelled ? labelled->GetLabel() : QString();
    return label.isEmpty() ? QStringLiteral("[untitled]") : label;
}

QString OutputText(TOutputDevice* device) {
    if (const auto* led = KindCast<TLEDDevice>(device))
        return Bit(led->LastLevel);
    if (const auto* segments = KindCast<TLEDSegmentDevice>(device))
        return SegmentBits(*segments);
    if (const auto* numeric = KindCast<TNumericDevice>(device))
        return numeric->DisplayText();
    return QString();
}

QString TSignal::Bits() const {
    // The values the editor samples into a device's history after each step.
    if (const auto* sequence = KindCast<TSeqInputDevice>(Device))
        return Bit(sequence->Value);
    if (const auto* input = KindCast<TInteractiveInput>(Device))
        return Bit(input->State);
    if (const auto* led = KindCast<TLEDDevice>(Device))
        return Bit(led->LastLevel);
    if (const auto* segments = KindCast<TLEDSegmentDevice>(Device))
        return SegmentBits(*segments);
    if (const auto* numeric = KindCast<TNumericDevice>(Device))
        return LineBits(*numeric);
    return QString(Width, QLatin1Char('0'));
}

QString TSignal::Text() const {
    if (auto* numeric = KindCast<TNumericDevice>(Device))
        return numeric->DisplayText();
    return Bits();
}

std::vector<TSignal> HistorySignals(const TMacro& root) {
    std::vector<TSignal> signalList;
    for (THistoryDevice* device : root.Inputs->Items<THistoryDevice>()) {
        if (IsA<TSeqInputDevice>(device) || IsA<TInteractiveInput>(device))
            signalList.push_back({device, DeviceName(device), 1});
    }
    for (THistoryDevice* device : root.Outputs->Items<THistoryDevice>()) {
        if (IsA<TLEDDevice>(device))
            signalList.push_back({device, DeviceName(device), 1});
        else if (IsA<TLEDSegmentDevice>(device))
            signalList.push_back({device, DeviceName(device), TLEDSegmentDevice::kSegmentCount});
        else if (auto* numeric = KindCast<TNumericDevice>(device))
            signalList.push_back({device, DeviceName(device), numeric->LineCount});
    }
    return signalList;
}
