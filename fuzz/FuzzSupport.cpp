#include "FuzzSupport.h"

#include "devices/StreamClasses.h"

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
