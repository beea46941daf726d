#include "FuzzSupport.h"

#include "devices/MemoryDevice.h"
#include "devices/MemoryMap.h"
#include "devices/StreamClasses.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdlib>

void InitFuzzing() {
    static QGuiApplication* app = nullptr;
    if (app)
        return;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    app = new QGuiApplication(argc, argv);
    RegisterStreamClasses();
    // Fill the font caches before the first input, so they do not count as leaks of an input.
    TMacro warm;
    QImage image(8, 8, QImage::Format_RGB32);
    QPainter dc(&image);
    warm.Draw(dc);
}

void ExerciseDrawing(TGraphicObject& object) {
    QImage image(48, 48, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter dc(&image);
    object.Draw(dc);
    object.GetBounds();
    object.HitTest(10, 10);
}

void ExerciseCircuit(TMacro& root, const QString& name) {
    PrepareRoot(root);
    for (int i = 0; i < 3; ++i) {
        TCalcResult result;
        root.ClearDrivers();
        root.Calculate(result);
    }
    ExerciseDrawing(root);
    {
        QImage image(48, 48, QImage::Format_RGB32);
        QPainter dc(&image);
        root.PaintValues(dc);
    }
    QByteArray saved;
    try {
        saved = WriteCircuitBytes(&root, name);
    } catch (const EWriteError&) {
        return; // nested deeper than a file may be
    }
    TCircuit again = ReadCircuitBytes(saved);
    if (WriteCircuitBytes(again.Root.get(), again.Name) != saved)
        std::abort();
}

bool FuzzCircuit(const QByteArray& bytes) {
    try {
        TCircuit circuit = ReadCircuitBytes(bytes);
        ExerciseCircuit(*circuit.Root, circuit.Name);
        return true;
    } catch (const ECircuitFile&) {
        return false;
    }
}

bool FuzzHeader(const QByteArray& bytes) {
    try {
        ReadCircuitHeaderBytes(bytes);
        return true;
    } catch (const ECircuitFile&) {
        return false;
    }
}

bool FuzzClipboard(const QByteArray& bytes) {
    std::unique_ptr<TGraphicObject> object;
    try {
        object = ReadClipboardBytes(bytes);
    } catch (const ECircuitFile&) {
        return false;
    }
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
    return true;
}

bool FuzzTemplate(const QByteArray& bytes) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    TMacro macro;
    try {
        macro.LoadTemplateFrom(buffer);
    } catch (const EReadError&) {
        return false;
    }
    ExerciseDrawing(macro);
    macro.Closed = false;
    ExerciseCircuit(macro, QString());
    return true;
}

bool FuzzMemoryMap(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return false;
    static TMemoryDevice* small = nullptr;
    static TMemoryDevice* large = nullptr;
    if (!small) {
        small = new TMemoryDevice;
        small->Configure(false, 4, 1);
        large = new TMemoryDevice;
        large->Configure(true, 14, 16);
    }
    TMemoryDevice& memory = (bytes[0] & 1) ? *large : *small;
    QByteArray file = bytes.mid(1);
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    bool read = true;
    try {
        ReadMemoryMap(buffer, memory);
    } catch (const EReadError&) {
        read = false;
    }
    QByteArray saved;
    QBuffer out(&saved);
    out.open(QIODevice::WriteOnly);
    WriteMemoryMap(out, memory);
    if (saved.size() != 8 + 4 * static_cast<qsizetype>(memory.WordCount))
        std::abort();
    return read;
}
