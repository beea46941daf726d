#include "model/Gates.h"

namespace {

// The y positions of the input pins, in pin order.
std::vector<int> InputRows(int32_t inputCount) {
    switch (inputCount) {
    case 1:
        return {0};
    case 2:
        return {10, -10};
    case 3:
        return {10, 0, -10};
    default:
        return {15, 5, -5, -15};
    }
}

} // namespace

TGateDevice::TGateDevice(int32_t inputCount) : InputCount(inputCount) {
    AddKind(kKind);
    Sizeable = false;
}

void TGateDevice::Calculate(TCalcResult& result) {
    result = TCalcResult{};
    Drive(Output(), result);
}

bool TGateDevice::Idle() const {
    const TPin* output = Pin(0);
    const int32_t level = Output();
    if (output->Level != level || output->Driver != this)
        return false;
    if (!output->Wire)
        return true;
    const TNet* net = output->Wire->CompiledNet();
    return net && net->SoleWriter == output && net->FloodStep == *net->Step && net->FloodLevel == level &&
           net->FloodDriver == this;
}

bool TGateDevice::AllInputsHigh() const {
    int32_t all = 1;
    for (int i = 1; i < PinCount(); ++i)
        all &= Pin(i)->Level;
    return Bit0(all);
}

bool TGateDevice::AnyInputHigh() const {
    int32_t any = 0;
    for (int i = 1; i < PinCount(); ++i)
        any |= Pin(i)->Level;
    return Bit0(any);
}

bool TGateDevice::InputsDiffer() const {
    return Bit0(Pin(1)->Level ^ Pin(2)->Level);
}

void TGateDevice::AddAndBody() {
    TPolygon* body = AddPolygon({{-17, 15}, {-17, -15}});
    body->AddArc(true, 2, 0, 270, 450, 15, 15);
}

void TGateDevice::AddOrBody() {
    TPolygon* body = AddPolygon({});
    body->AddArc(true, -9, 0, 270, 350, 25, 15);
    body->AppendPoint(17, 0);
    body->AddArc(true, -9, 0, 375, 450, 25, 15);
    body->AddArc(false, -38, 0, 318, 402, 23, 23);
}

void TGateDevice::AddBubble() {
    AddPolygon({})->AddArc(true, 21, 0, 0, 360, 5, 5);
}

void TGateDevice::AddXorArc() {
    AddLine({})->AddArc(false, -42, 0, 318, 402, 23, 23);
}

void TGateDevice::AddInputLeads(float outerEnd, float middleEnd) {
    const std::vector<int> rows = InputRows(InputCount);
    for (size_t i = 0; i < rows.size(); ++i) {
        const bool outer = i == 0 || i + 1 == rows.size();
        const auto y = static_cast<float>(rows[i]);
        AddLine({{-30, y}, {outer ? outerEnd : middleEnd, y}});
    }
}

void TGateDevice::AddOutputLeadAndPins(float leadStart) {
    AddLine({{leadStart, 0}, {30, 0}});
    AddPin(TPinKind::Output, 30, 0);
    for (int y : InputRows(InputCount))
        AddPin(TPinKind::Input, -30, y);
    UpdateVertices();
}

// ---------------------------------------------------------------------------------------------------

TNotGate::TNotGate() : TGateDevice(1) {
    HelpTopic = QStringLiteral("GateInverter.htm");
    AddPolygon({{10, 0}, {-10, -8}, {-10, 8}});
    AddPolygon({})->AddArc(true, 15, 0, 0, 360, 5, 5);
    AddLine({{-20, 0}, {-10, 0}});
    AddLine({{20, 0}, {30, 0}});
    AddPin(TPinKind::Output, 30, 0);
    AddPin(TPinKind::Input, -20, 0);
    UpdateVertices();
}

int32_t TNotGate::Output() const {
    return Bit0(Pin(1)->Level) ^ 1;
}

TAndGate::TAndGate(int32_t inputCount) : TGateDevice(inputCount) {
    HelpTopic = QStringLiteral("GateAND.htm");
    AddAndBody();
    AddInputLeads(-17, -17);
    AddOutputLeadAndPins(17);
}

int32_t TAndGate::Output() const {
    return AllInputsHigh() ? 1 : 0;
}

TNandGate::TNandGate(int32_t inputCount) : TGateDevice(inputCount) {
    HelpTopic = QStringLiteral("GateNAND.htm");
    AddAndBody();
    AddBubble();
    AddInputLeads(-17, -17);
    AddOutputLeadAndPins(26);
}

int32_t TNandGate::Output() const {
    return AllInputsHigh() ? 0 : 1;
}

TOrGate::TOrGate(int32_t inputCount) : TGateDevice(inputCount) {
    HelpTopic = QStringLiteral("GateOR.htm");
    AddOrBody();
    AddInputLeads(-17, -15);
    AddOutputLeadAndPins(17);
}

int32_t TOrGate::Output() const {
    return AnyInputHigh() ? 1 : 0;
}

TNorGate::TNorGate(int32_t inputCount) : TGateDevice(inputCount) {
    HelpTopic = QStringLiteral("GateNOR.htm");
    AddOrBody();
    AddBubble();
    AddInputLeads(-17, -15);
    AddOutputLeadAndPins(26);
}

int32_t TNorGate::Output() const {
    return AnyInputHigh() ? 0 : 1;
}

TXorGate::TXorGate() : TGateDevice(2) {
    HelpTopic = QStringLiteral("GateXOR.htm");
    AddOrBody();
    AddXorArc();
    AddInputLeads(-21, -21);
    AddOutputLeadAndPins(17);
}

int32_t TXorGate::Output() const {
    return InputsDiffer() ? 1 : 0;
}

TXnorGate::TXnorGate() : TGateDevice(2) {
    HelpTopic = QStringLiteral("GateXNOR.htm");
    AddOrBody();
    AddBubble();
    AddXorArc();
    AddInputLeads(-21, -21);
    AddOutputLeadAndPins(26);
}

int32_t TXnorGate::Output() const {
    return InputsDiffer() ? 0 : 1;
}

// ---------------------------------------------------------------------------------------------------

TTriState::TTriState() {
    AddKind(kKind);
    HelpTopic = QStringLiteral("tristate.htm");
    Sizeable = false;
    AddPolygon({{-15, -10}, {15, 0}, {-15, 10}});
    AddLine({{-15, 0}, {-20, 0}});
    AddLine({{15, 0}, {20, 0}});
    AddLine({{0, 5}, {0, 10}});
    AddPin(TPinKind::Input, -20, 0);
    AddPin(TPinKind::TriState, 20, 0);
    AddPin(TPinKind::Input, 0, 10);
    UpdateVertices();
}

void TTriState::Calculate(TCalcResult& result) {
    result = TCalcResult{};
    if (!Bit0(Pin(2)->Level))
        return;
    TPin* output = Pin(1);
    if (output->Driver && output->Driver != this) {
        result.Changed = true;
        Contended = true;
    } else if (output->SetLevel(this, Bit0(Pin(0)->Level))) {
        result.Changed = true;
    }
    // So that its own drive does not count as another driver on the next pass.
    output->Driver = nullptr;
}
