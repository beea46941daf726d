#pragma once

// Kind bits of the model and device layers (see TESSIVAR_KIND).

#include <cstdint>

enum TModelKind : uint32_t {
    kKindPin = 1u << 9,
    kKindMacroPin = 1u << 10,
    kKindWire = 1u << 11,
    kKindSolder = 1u << 12,
    kKindDevice = 1u << 13,
    kKindTextDevice = 1u << 14,
    kKindHistoryDevice = 1u << 15,
    kKindGateDevice = 1u << 16,
    kKindTriState = 1u << 17,
    kKindFlipFlop = 1u << 18,
    kKindClockedFlipFlop = 1u << 19,
    kKindTagDevice = 1u << 20,
    kKindMacro = 1u << 21,
    kKindInputDevice = 1u << 22,
    kKindOutputDevice = 1u << 23,
    // Bits 24 to 31 belong to the device layer.
};
