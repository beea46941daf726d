// Draws the program's icon, an AND gate drawn by the gate's own code, as PNG images of the usual
// sizes and as an SVG drawing, into an icon theme folder:
//
//   tessivar-icons FOLDER    writes FOLDER/hicolor/NxN/apps/tessivar.png and
//                            FOLDER/hicolor/scalable/apps/tessivar.svg

#include "drawing/SafeFile.h"
#include "model/Gates.h"
#include "picture/PictureWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>

#include <cstdio>

namespace {

// The drawn square, in gate units: a power of two, so that every size divides it exactly.
constexpr double kSide = 64;
constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
constexpr int32_t kLineWidth = 4;
constexpr uint32_t kBodyColour = 0x50C8FF; // amber, red in the low byte

void Write(const QString& path, TPictureFormat format, double scale, TGraphicObject& gate,
           const QRectF& area) {
    QDir().mkpath(QFileInfo(path).path());
    TPictureOptions options;
    options.Scale = scale;
    options.Transparent = true;
    options.Title = QStringLiteral("Tessivar");
    WritePicture(path, format, area, options, [&gate](QPainter& painter) {
        painter.setRenderHint(QPainter::Antialiasing);
        gate.Draw(painter);
    });
}

} // namespace

int main(int argc, char* argv[]) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int appArgc = 1;
    QGuiApplication app(appArgc, argv);
    if (argc != 2) {
        std::fputs("Usage: tessivar-icons FOLDER\n", stderr);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));

    T2AndGate gate;
    // Bold lines and a filled body read at 16 pixels too.
    for (TGraphicObject* child : gate.Items())
        if (auto* segment = KindCast<TSegment>(child)) {
            segment->Pen.Width = kLineWidth;
            if (auto* polygon = KindCast<TPolygon>(child))
                polygon->Brush.Colour = kBodyColour;
        }
    gate.UpdateVertices();
    const QRectF bounds = gate.GetBounds().ToQRect();
    const QRectF area(bounds.center() - QPointF(kSide / 2, kSide / 2), QSizeF(kSide, kSide));

    try {
        for (int size : kSizes)
            Write(folder.filePath(QStringLiteral("hicolor/%1x%1/apps/tessivar.png").arg(size)),
                  TPictureFormat::Png, size / kSide, gate, area);
        Write(folder.filePath(QStringLiteral("hicolor/scalable/apps/tessivar.svg")), TPictureFormat::Svg, 4,
              gate, area);
    } catch (const EFileWriteError& error) {
        std::fprintf(stderr, "tessivar-icons: %s: %s\n", qPrintable(error.Path), qPrintable(error.Reason));
        return 1;
    }
    return 0;
}
