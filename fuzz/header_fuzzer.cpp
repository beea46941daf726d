// The header reader the parts centre uses to list a folder of circuits.
#include "FuzzSupport.h"

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    InitFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        ReadCircuitHeaderBytes(bytes);
    } catch (const ECircuitFile&) {
    }
    return 0;
}
