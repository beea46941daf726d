#pragma once

// Circuits the benchmarks run, generated with the core library: counters, ripple-carry adders, an
// inverter chain, adders of nested full-adder macros and a memory written through its pins.

#include "TestCircuit.h"

#include "devices/Interactive.h"
#include "devices/MemoryDevice.h"
#include "model/FlipFlops.h"

#include <vector>

// Connects the first object (usually a driving pin) with all the others through a chain of joints.
void Net(TTestCircuit& circuit, const std::vector<TGraphicObject*>& ends);

struct TCounter {
    std::vector<TJKFlipFlop*> Stages;  // least significant first
    TGraphicObject* CarryIn = nullptr; // the J and K of stage 0 (fed by Vcc unless replaced)
};

// A synchronous counter of JK flip-flops and AND gates. Its clock net is driven by clock (a pin);
// when countEnable is given it replaces Vcc on the first stage.
TCounter AddCounter(TTestCircuit& circuit, int bits, QPointF at, TPin* clock, TPin* countEnable = nullptr);

// A counter with a clock of its own.
TCounter AddClockedCounter(TTestCircuit& circuit, int bits, QPointF at);

// A ripple-carry adder of XOR, AND and OR gates adding two counters (the second counts at half the
// rate of the first), its sum and carry on LEDs. Returns the number of devices placed.
int AddCountingAdder(TTestCircuit& circuit, int bits, QPointF at);

// The same adder built from full-adder macros, each wrapped in further macros to the given depth.
int AddNestedAdder(TTestCircuit& circuit, int bits, int depth, QPointF at);

// A chain of inverters driven by a clock, ending in an LED.
void AddInverterChain(TTestCircuit& circuit, int length, QPointF at);
// The same chain with its inverters listed from the last to the first.
void AddReversedChain(TTestCircuit& circuit, int length, QPointF at);
// A circuit of macro parts nested depth levels deep, each passing a level through an inverter at the
// bottom: an interactive input in, an LED out.
std::unique_ptr<TMacro> NestedLevels(int depth);

// A RAM whose address lines follow a counter and whose data lines are driven, through tri-state
// buffers, by the same counter while Write is high; read/write follows Write inverted.
struct TMemoryBench {
    TMemoryDevice* Memory = nullptr;
    TInteractiveInput* Write = nullptr;
};
TMemoryBench AddMemoryBench(TTestCircuit& circuit, int addressBits, int dataBits);

// Counts the objects of a circuit's lists, nested macros not opened.
int ObjectCount(const TMacro& macro);
int DeviceCount(const TMacro& macro);
