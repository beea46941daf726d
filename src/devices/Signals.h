#pragma once

// The values the runner reports for the devices of a root circuit: what each output device shows,
// and the signals that a trace or a value change dump records.

#include "model/Macro.h"

#include <QString>

#include <vector>

// A device's label, or "[untitled]" when it is empty or the device has none.
QString DeviceName(const TDevice* device);

// What an output device shows: "0" or "1" for an LED (bit 0 of its last level), the segments a to
// g as seven 0/1 characters for a 7-segment display, the digits of a numeric display. Empty for
// any other device.
QString OutputText(TOutputDevice* device);

// One recorded signal of the root circuit.
struct TSignal {
    THistoryDevice* Device = nullptr; // not owned
    QString Name;                     // as DeviceName gives it
    int Width = 1;                    // bits

    // The value as Width 0/1 characters, in the order a dump writes a vector: segment a first for
    // a 7-segment display, the highest input line first for a numeric display.
    QString Bits() const;
    // The value as a trace shows it: the bits, or the digits of a numeric display.
    QString Text() const;
};

// The signals of a circuit: its clocks, sequence generators and interactive inputs in the order
// of its inputs (ground and the supply never change and are left out), then its LEDs, 7-segment
// and numeric displays in the order of its outputs. Nested macros are not looked into.
std::vector<TSignal> HistorySignals(const TMacro& root);
