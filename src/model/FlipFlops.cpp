#include "model/FlipFlops.h"

#include <algorithm>

TFlipFlop::TFlipFlop() {
    AddKind(kKind);
    Rotatable = false;
    Sizeable = false;
    AddPolygon({{-23, 15}, {23, 15}, {23, -15}, {-23, -15}});
    AddLine({{23, 10}, {30, 10}});
    AddLine({{23, -10}, {30, -10}});
    AddCaption(QStringLiteral("Q"), 15, -8);
    AddCaption(QStringLiteral("Q"), 15, 10)->Overline = true;
    AddPin(TPinKind::Output, 30, -10);
    AddPin(TPinKind::Output, 30, 10);
}

TGraphicText* TFlipFlop::AddCaption(const QString& text, float dx, float dy) {
    TGraphicText* caption = AddText(text, dx, dy);
    caption->ShowOutline = false;
    return caption;
}

void TFlipFlop::Read(TSerializeReader& reader) {
    TDevice::Read(reader);
    GatherPins();
}

void TFlipFlop::GatherPins() {
    m_q = {PinCount() > kPinQ ? Pin(kPinQ) : nullptr};
    m_qBar = {PinCount() > kPinQBar ? Pin(kPinQBar) : nullptr};
    m_levelsLayout = 0;
}

void TFlipFlop::GatherLevels() const {
    m_levels.fill(nullptr);
    const int count = std::min(PinCount(), kMaxPins);
    for (int i = 0; i < count; ++i)
        m_levels[static_cast<size_t>(i)] = Pin(i)->Level.Address();
    m_levelsLayout = LayoutGeneration();
}

void TFlipFlop::Reset() {
    TDevice::Reset();
    Q = 0;
    QBar = 1;
}

void TFlipFlop::TrialCalculate(TCalcResult& result) {
    const int32_t q = Q;
    const int32_t qBar = QBar;
    TDevice::TrialCalculate(result);
    Q = q;
    QBar = qBar;
}

void TFlipFlop::DriveOutputs(int32_t q, int32_t qBar, TCalcResult& result) {
    if (m_q.Drive(this, q))
        result.Changed = true;
    if (m_qBar.Drive(this, qBar))
        result.Changed = true;
}

void TFlipFlop::HoldOutputs(TCalcResult& result) {
    DriveOutputs(LevelOf(kPinQ), LevelOf(kPinQBar), result);
}

// ---------------------------------------------------------------------------------------------------

TRSFlipFlop::TRSFlipFlop() {
    HelpTopic = QStringLiteral("FlipFlopRS.htm");
    AddLine({{-30, 10}, {-23, 10}});
    AddLine({{-30, -10}, {-23, -10}});
    AddCaption(QStringLiteral("R"), -15, -8);
    AddCaption(QStringLiteral("S"), -15, 10);
    AddPin(TPinKind::Input, -30, -10);
    AddPin(TPinKind::Input, -30, 10);
    UpdateVertices();
    GatherPins();
}

void TRSFlipFlop::Calculate(TCalcResult& result) {
    result = TCalcResult{};
    // Each input is read when it is tested: an output wired back to an input counts at once.
    bool driven = false;
    if (InputHigh(kPinS)) {
        Q = 1;
        QBar = 0;
        DriveOutputs(Q, QBar, result);
        driven = true;
    }
    if (InputHigh(kPinR)) {
        Q = 0;
        QBar = 1;
        DriveOutputs(Q, QBar, result);
        driven = true;
    }
    if (!driven)
        DriveOutputs(Q, QBar, result);
}

// ---------------------------------------------------------------------------------------------------

TClockedFlipFlop::TClockedFlipFlop() {
    AddKind(kKind);
    AddLine({{-30, 0}, {-23, 0}});
    AddLine({{-30, -10}, {-23, -10}});
    AddLine({{-20, 15}, {-20, 20}});
    AddLine({{-10, 15}, {-10, 20}});
    AddCaption(QStringLiteral("clock"), -8, 1);
    AddPin(TPinKind::Input, -30, -10);
    AddPin(TPinKind::Input, -30, 0);
    AddPin(TPinKind::Input, -20, 20);
    AddPin(TPinKind::Input, -10, 20);
}

void TClockedFlipFlop::Reset() {
    TFlipFlop::Reset();
    SlaveQ = 0;
    SlaveQBar = 1;
    PowerOnClear = true;
}

void TClockedFlipFlop::TrialCalculate(TCalcResult& result) {
    const int32_t slaveQ = SlaveQ;
    const int32_t slaveQBar = SlaveQBar;
    const bool powerOnClear = PowerOnClear;
    TFlipFlop::TrialCalculate(result);
    SlaveQ = slaveQ;
    SlaveQBar = slaveQBar;
    PowerOnClear = powerOnClear;
}

void TClockedFlipFlop::Calculate(TCalcResult& result) {
    result = TCalcResult{};
    // Preset wins over clear, and leaves a pending power-on clear pending.
    if (InputHigh(kPinPreset)) {
        SlaveQ = 1;
        SlaveQBar = 0;
        DriveOutputs(SlaveQ, SlaveQBar, result);
    } else if (InputHigh(kPinClear) || PowerOnClear) {
        SlaveQ = 0;
        SlaveQBar = 1;
        PowerOnClear = false;
        DriveOutputs(SlaveQ, SlaveQBar, result);
    }
}

// ---------------------------------------------------------------------------------------------------

TDFlipFlop::TDFlipFlop() {
    HelpTopic = QStringLiteral("FlipFlopDType.htm");
    AddCaption(QStringLiteral("D"), -15, -8);
    UpdateVertices();
    GatherPins();
}

void TDFlipFlop::Calculate(TCalcResult& result) {
    TClockedFlipFlop::Calculate(result);
    if (result.Changed)
        return;
    if (InputHigh(kPinClock))
        DriveOutputs(SlaveQ, SlaveQBar, result);
    else
        HoldOutputs(result);
}

bool TDFlipFlop::SetSlaveInputs() {
    if (ClearOrPresetHigh() || InputHigh(kPinClock))
        return false;
    SlaveQ = InputHigh(kPinData) ? 1 : 0;
    SlaveQBar = SlaveQ ^ 1;
    return true;
}

// ---------------------------------------------------------------------------------------------------

TJKFlipFlop::TJKFlipFlop() {
    HelpTopic = QStringLiteral("FlipFlopJK.htm");
    AddLine({{-30, 10}, {-23, 10}});
    AddCaption(QStringLiteral("J"), -15, -8);
    AddCaption(QStringLiteral("K"), -15, 10);
    AddPin(TPinKind::Input, -30, 10);
    UpdateVertices();
    GatherPins();
}

void TJKFlipFlop::Calculate(TCalcResult& result) {
    TClockedFlipFlop::Calculate(result);
    if (result.Changed)
        return;
    if (InputHigh(kPinClock))
        HoldOutputs(result);
    else
        DriveOutputs(SlaveQ, SlaveQBar, result);
}

bool TJKFlipFlop::SetSlaveInputs() {
    if (ClearOrPresetHigh() || !InputHigh(kPinClock))
        return false;
    const bool j = InputHigh(kPinData);
    const bool k = InputHigh(kPinK);
    if (j && k) {
        // Computed from the present outputs, which hold while the clock stays high: one toggle per
        // clock cycle however many steps the clock is high.
        SlaveQ = Bit0(LevelOf(kPinQ)) ^ 1;
        SlaveQBar = Bit0(LevelOf(kPinQBar)) ^ 1;
        return true;
    }
    if (j || k) {
        SlaveQ = j ? 1 : 0;
        SlaveQBar = SlaveQ ^ 1;
        return true;
    }
    return false;
}
