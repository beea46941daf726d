#include "model/SettleOracle.h"

#include "model/FlipFlops.h"
#include "model/Macro.h"
#include "model/TagDevice.h"

#include <algorithm>

namespace {

std::vector<TDevice*> DevicesOf(const TGraphicList& list) {
    std::vector<TDevice*> devices;
    for (TSerialize* item : *list.Children)
        if (auto* device = KindCast<TDevice>(item))
            devices.push_back(device);
    return devices;
}

} // namespace

void TSettleOracle::PrepareRoot(TMacro& root) {
    root.Displayed = true;
    root.Nested = false;
    Reset(root);
}

TCalcResult TSettleOracle::Step(TMacro& root) {
    ClearDrivers(root);
    TStep step{root.StepBudget, false};
    TCalcResult result;
    Settle(root, step, result);
    return result;
}

void TSettleOracle::Reset(TMacro& macro) {
    ResetLevels(macro);
    BuildCalcOrder(macro);
}

void TSettleOracle::ResetLevels(TMacro& macro) {
    macro.TDevice::Reset();
    for (TDevice* device : DevicesOf(*macro.Inputs))
        device->Reset();
    for (TDevice* device : DevicesOf(*macro.Devices)) {
        if (auto* inner = KindCast<TMacro>(device))
            ResetLevels(*inner);
        else
            device->Reset();
    }
    for (TSerialize* item : *macro.Wires->Children)
        static_cast<TWire*>(item)->Level = 0;
    for (TDevice* device : DevicesOf(*macro.Tags))
        device->Reset();
    for (TDevice* device : DevicesOf(*macro.Outputs))
        device->Reset();
}

void TSettleOracle::ClearDrivers(TMacro& macro) {
    macro.TDevice::ClearDrivers();
    for (TDevice* device : DevicesOf(*macro.Inputs))
        device->TDevice::ClearDrivers();
    for (TSerialize* item : *macro.Wires->Children)
        static_cast<TWire*>(item)->Driver = nullptr;
    for (TDevice* device : DevicesOf(*macro.Devices)) {
        if (auto* inner = KindCast<TMacro>(device))
            ClearDrivers(*inner);
        else
            device->TDevice::ClearDrivers();
    }
    for (TDevice* device : DevicesOf(*macro.Tags))
        device->TDevice::ClearDrivers();
    for (TDevice* device : DevicesOf(*macro.Outputs))
        device->TDevice::ClearDrivers();
}

void TSettleOracle::ClearVisited(TMacro& macro) {
    for (TSerialize* item : *macro.Wires->Children)
        static_cast<TWire*>(item)->Visited = false;
    for (TSerialize* item : *macro.Solders->Children)
        static_cast<TSolder*>(item)->Visited = false;
}

void TSettleOracle::SetInputsPending(TMacro& macro, bool value) {
    macro.InputsPending = value;
    for (TDevice* device : DevicesOf(*macro.Devices))
        if (auto* inner = KindCast<TMacro>(device))
            SetInputsPending(*inner, value);
}

void TSettleOracle::CalculateDevice(TDevice* device, TStep& step, TCalcResult& result) {
    if (auto* macro = KindCast<TMacro>(device))
        Settle(*macro, step, result);
    else if (step.Trial)
        device->TrialCalculate(result);
    else
        device->Calculate(result);
}

void TSettleOracle::Settle(TMacro& macro, TStep& step, TCalcResult& result) {
    TCalcResult accumulated;
    TCalcResult scratch;
    bool stop = false;
    const TOrder& order = m_orders[&macro];

    if (!step.Trial) {
        if (!macro.Nested)
            SetInputsPending(macro, true);
        if (macro.InputsPending) {
            for (TDevice* device : DevicesOf(*macro.Inputs))
                device->Calculate(scratch);
            Calculations += macro.Inputs->ChildCount();
            if (macro.Nested)
                macro.InputsPending = false;
        }
    }
    for (TDevice* device : DevicesOf(*macro.Tags)) {
        auto* tag = static_cast<TTagDevice*>(device);
        if (tag->Direction == TTagDirection::Input || tag->Direction == TTagDirection::Undecided)
            CalculateDevice(tag, step, scratch);
    }

    int passes = 0;
    do {
        accumulated.Changed = false;
        accumulated.Device = nullptr;
        ClearVisited(macro);
        const size_t count = order.Devices.size();
        for (size_t i = 0; i < count && !stop; ++i) {
            TDevice* device = order.Devices[i];
            TCalcResult local;
            CalculateDevice(device, step, local);
            if (local.Changed) {
                accumulated = local;
                if (macro.Displayed)
                    accumulated.Device = device;
            }
            if (local.Race) {
                accumulated = local;
                if (macro.Displayed)
                    accumulated.Device = device;
                stop = true;
            }
            if (local.Contention) {
                accumulated = local;
                if (macro.Displayed)
                    accumulated.Device = device;
                stop = true;
            }
        }
        ++passes;
        Calculations += static_cast<int64_t>(count);
        step.Budget -= static_cast<int64_t>(count) + 1;
        if (step.Budget < 0 && !stop && accumulated.Changed)
            passes = std::max(passes, TMacro::kMaxPasses + 1);
    } while (!stop && accumulated.Changed && passes <= TMacro::kMaxPasses);

    if (passes > TMacro::kMaxPasses) {
        TDevice* contended = nullptr;
        if (!accumulated.Contention) {
            accumulated.Changed = false;
            for (TDevice* device : order.Devices)
                if (device->Contended) {
                    contended = device;
                    break;
                }
            if (contended)
                accumulated.Device = macro.Displayed ? contended : nullptr;
        }
        if (contended) {
            accumulated.Contention = true;
            accumulated.Changed = true;
        } else {
            accumulated.Race = true;
        }
    }

    if (!step.Trial)
        for (TDevice* device : order.ClockedFlipFlops)
            static_cast<TClockedFlipFlop*>(device)->SetSlaveInputs();

    for (TDevice* device : DevicesOf(*macro.Tags)) {
        auto* tag = static_cast<TTagDevice*>(device);
        if (tag->Direction == TTagDirection::Output || tag->Direction == TTagDirection::Bidirectional) {
            TCalcResult local;
            CalculateDevice(tag, step, local);
            if (local.Changed)
                accumulated = local;
            if (tag->Contended)
                macro.Contended = true;
        }
    }
    if (!step.Trial)
        for (TDevice* device : DevicesOf(*macro.Outputs))
            device->Calculate(scratch);
    Calculations += macro.Outputs->ChildCount() + macro.Tags->ChildCount();
    result = accumulated;
}

void TSettleOracle::BuildCalcOrder(TMacro& macro) {
    ClearDrivers(macro);
    TStep step{macro.StepBudget, true};
    const int64_t calculations = Calculations;
    BuildOrder(macro, step, true);
    Calculations = calculations;
}

void TSettleOracle::BuildOrder(TMacro& macro, TStep& step, bool refreshInner) {
    TCalcResult scratch;
    ClearVisited(macro);
    for (TDevice* device : DevicesOf(*macro.Devices)) {
        if (auto* inner = KindCast<TMacro>(device)) {
            if (refreshInner)
                BuildOrder(*inner, step, true);
            Settle(*inner, step, scratch);
        } else {
            device->TrialCalculate(scratch);
        }
    }

    std::vector<TDevice*> candidates;
    for (TDevice* device : DevicesOf(*macro.Devices)) {
        device->CollectDrivers(candidates);
        candidates.push_back(device);
    }
    TOrder& order = m_orders[&macro];
    order.Devices.clear();
    order.ClockedFlipFlops.clear();
    for (TDevice* candidate : candidates) {
        if (IsA<TInputDevice>(candidate) || IsA<TOutputDevice>(candidate) || IsA<TTagDevice>(candidate))
            continue;
        if (std::find(order.Devices.begin(), order.Devices.end(), candidate) != order.Devices.end())
            continue;
        if (auto* inner = KindCast<TMacro>(candidate))
            BuildOrder(*inner, step, false);
        order.Devices.push_back(candidate);
        if (IsA<TClockedFlipFlop>(candidate))
            order.ClockedFlipFlops.push_back(candidate);
    }
}
