// Template files, as the template editor loads them into a macro's outline.
#include "FuzzSupport.h"

#include <QBuffer>

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    InitFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TMacro macro;
    try {
        macro.LoadTemplateFrom(buffer);
    } catch (const EReadError&) {
        return 0;
    }
    ExerciseDrawing(macro);
    macro.Closed = false;
    ExerciseCircuit(macro, QString());
    return 0;
}
