#include "model/StreamClasses.h"

#include "model/Connect.h"
#include "model/FlipFlops.h"
#include "model/Gates.h"
#include "model/Macro.h"
#include "model/TagDevice.h"

void RegisterModelClasses() {
    TClassRegistry& registry = TClassRegistry::Instance();
    registry.Add<TPin>();
    registry.Add<TMacroPin>();
    registry.Add<TWire>();
    registry.Add<TSolder>();
    registry.Add<TDevice>();
    registry.Add<TTextDevice>();
    registry.Add<THistoryDevice>();
    registry.Add<TTriState>();
    registry.Add<TNotGate>();
    registry.Add<T2AndGate>();
    registry.Add<T3AndGate>();
    registry.Add<T4AndGate>();
    registry.Add<T2NandGate>();
    registry.Add<T3NandGate>();
    registry.Add<T4NandGate>();
    registry.Add<T2OrGate>();
    registry.Add<T3OrGate>();
    registry.Add<T4OrGate>();
    registry.Add<T2NorGate>();
    registry.Add<T3NorGate>();
    registry.Add<T4NorGate>();
    registry.Add<T2XorGate>();
    registry.Add<T2XnorGate>();
    registry.Add<TRSFlipFlop>();
    registry.Add<TDFlipFlop>();
    registry.Add<TJKFlipFlop>();
    registry.Add<TTagDevice>();
    registry.Add<TMacro>();
}
