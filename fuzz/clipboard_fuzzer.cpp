// Clipboard contents: a circuit of copied objects, or a group of copied outline shapes.
#include "FuzzSupport.h"

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    InitFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        std::unique_ptr<TGraphicObject> object = ReadClipboardBytes(bytes);
        if (auto* macro = KindCast<TMacro>(object.get())) {
            macro->Closed = false;
            ExerciseCircuit(*macro, QString());
        } else {
            ExerciseDrawing(*object);
            object->Offset(20, 20);
            object->UpdateVertices();
            const QByteArray saved = WriteClipboardBytes(object.get());
            const std::unique_ptr<TGraphicObject> again = ReadClipboardBytes(saved);
            if (WriteClipboardBytes(again.get()) != saved)
                std::abort();
        }
    } catch (const ECircuitFile&) {
    }
    return 0;
}
