#pragma once

// A plain settling loop kept as the reference for the fast one: every pass clears the marks of all
// wires and joints, every step forgets the drivers of every pin and wire, floods walk wire by wire
// (the circuits it runs on never have their nets compiled) and the calculation order is built by
// the trial run exactly as described for the system. A reset puts every level into its power-on
// state before any order is built, so no level's trial run sees a level around it half reset, and
// then builds the orders once, from the macro reset. Device calculations are the devices' own.

#include "model/Device.h"

#include <map>
#include <vector>

class TMacro;

class TSettleOracle {
public:
    // Makes the macro a root as loading does (shown, not nested) and resets it.
    void PrepareRoot(TMacro& root);
    // One step as the editor makes it. Calculations counts every device calculation of the step.
    TCalcResult Step(TMacro& root);
    void Reset(TMacro& macro);

    int64_t Calculations = 0;

private:
    struct TOrder {
        std::vector<TDevice*> Devices;
        std::vector<TDevice*> ClockedFlipFlops;
    };
    struct TStep {
        int64_t Budget = 0;
        bool Trial = false;
    };

    void ResetLevels(TMacro& macro);
    void Settle(TMacro& macro, TStep& step, TCalcResult& result);
    void CalculateDevice(TDevice* device, TStep& step, TCalcResult& result);
    void BuildCalcOrder(TMacro& macro);
    void BuildOrder(TMacro& macro, TStep& step, bool refreshInner);
    void ClearDrivers(TMacro& macro);
    static void ClearVisited(TMacro& macro);
    static void SetInputsPending(TMacro& macro, bool value);

    std::map<const TMacro*, TOrder> m_orders;
};
