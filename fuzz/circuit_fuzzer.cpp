// Circuit files as the editor and the command-line runner open them.
#include "FuzzSupport.h"

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    InitFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        TCircuit circuit = ReadCircuitBytes(bytes);
        ExerciseCircuit(*circuit.Root, circuit.Name);
    } catch (const ECircuitFile&) {
    }
    return 0;
}
