#include "model/Gates.h"

#include <algorithm>

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

TGateDevice::TGateDevice(int32_t inputCount, TCombine combine, int32_t invert)
    : InputCount(inputCount), Combine(combine), Invert(invert) {
    AddKind(kKind);
    Sizeable = false;
}

void TGateDevice::Calculate(TCalcResult& result) {
    result = TCalcResult{};
    if (Pin(0)->SetLevel(this, Output()))
        result.Changed = true;
}

int32_t TGateDevice::Output() const {
    const int count = std::min(PinCount() - 1, 4);
    return Evaluate(Combine, Invert, count,
                    [this](int i) { return static_cast<int32_t>(Pin(i + 1)->Level); });
}

TCompiledGate TCompiledGate::Of(TDevice* device, const TLevelSlots* kept) {
    auto* gate = KindCast<TGateDevice>(device);
    if (!gate || !kept || gate->PinCount() < (gate->Combine == TGateDevice::TCombine::Differ ? 3 : 2) ||
        gate->PinCount() > 5)
        return {};
    for (const TPin* pin : gate->Pins->Items<TPin>())
        if (!pin->KeptIn(kept))
            return {};
    TPin* output = gate->Pin(0);
    const bool floods = output->Wire && output->Kind != TPinKind::Input;
    TNet* net = floods ? output->Wire->CompiledNet() : nullptr;
    if (floods && !net)
        return {}; // the wiring changed since the nets were compiled: the walk floods it
    TCompiledGate compiled;
    compiled.Gate = gate;
    compiled.Net = net;
    compiled.Sole = net && net->SoleWriter == output;
    compiled.Repeats = !net || (compiled.Sole && !gate->InOtherOrder);
    compiled.Output = output->Slot();
    compiled.Count = static_cast<uint8_t>(gate->PinCount() - 1);
    for (int i = 0; i < compiled.Count; ++i)
        compiled.Inputs[static_cast<size_t>(i)] = gate->Pin(i + 1)->Slot();
    compiled.Invert = gate->Invert != 0;
    compiled.Combine = gate->Combine;
    return compiled;
}

bool TGateDevice::Idle() const {
    const TPin* output = Pin(0);
    const int32_t level = Output();
    if (output->Level != level || output->Driver != this)
        return false;
    if (!output->Wire)
        return true;
    const TNet* net = output->Wire->CompiledNet();
    return net && net->SoleWriter == output && net->FloodStep == net->Stamps->Step &&
           net->FloodLevel == level && net->FloodDriver == this;
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

TNotGate::TNotGate() : TGateDevice(1, TCombine::All, 1) {
    HelpTopic = QStringLiteral("GateInverter.htm");
    AddPolygon({{10, 0}, {-10, -8}, {-10, 8}});
    AddPolygon({})->AddArc(true, 15, 0, 0, 360, 5, 5);
    AddLine({{-20, 0}, {-10, 0}});
    AddLine({{20, 0}, {30, 0}});
    AddPin(TPinKind::Output, 30, 0);
    AddPin(TPinKind::Input, -20, 0);
    UpdateVertices();
}

TAndGate::TAndGate(int32_t inputCount) : TGateDevice(inputCount, TCombine::All, 0) {
    HelpTopic = QStringLiteral("GateAND.htm");
    AddAndBody();
    AddInputLeads(-17, -17);
    AddOutputLeadAndPins(17);
}

TNandGate::TNandGate(int32_t inputCount) : TGateDevice(inputCount, TCombine::All, 1) {
    HelpTopic = QStringLiteral("GateNAND.htm");
    AddAndBody();
    AddBubble();
    AddInputLeads(-17, -17);
    AddOutputLeadAndPins(26);
}

TOrGate::TOrGate(int32_t inputCount) : TGateDevice(inputCount, TCombine::Any, 0) {
    HelpTopic = QStringLiteral("GateOR.htm");
    AddOrBody();
    AddInputLeads(-17, -15);
    AddOutputLeadAndPins(17);
}

TNorGate::TNorGate(int32_t inputCount) : TGateDevice(inputCount, TCombine::Any, 1) {
    HelpTopic = QStringLiteral("GateNOR.htm");
    AddOrBody();
    AddBubble();
    AddInputLeads(-17, -15);
    AddOutputLeadAndPins(26);
}

TXorGate::TXorGate() : TGateDevice(2, TCombine::Differ, 0) {
    HelpTopic = QStringLiteral("GateXOR.htm");
    AddOrBody();
    AddXorArc();
    AddInputLeads(-21, -21);
    AddOutputLeadAndPins(17);
}

TXnorGate::TXnorGate() : TGateDevice(2, TCombine::Differ, 1) {
    HelpTopic = QStringLiteral("GateXNOR.htm");
    AddOrBody();
    AddBubble();
    AddXorArc();
    AddInputLeads(-21, -21);
    AddOutputLeadAndPins(26);
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
