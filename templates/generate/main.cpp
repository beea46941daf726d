// Writes the shipped templates: outlines that a circuit can start from in the template editor,
// each with its outline pins in the order they are numbered.
//
//   tessivar-templates FOLDER

#include "devices/StreamClasses.h"
#include "drawing/GraphicText.h"
#include "model/Connect.h"
#include "model/Macro.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>
#include <initializer_list>

namespace {

// Room between neighbouring pins, and how far a pin's centre lies outside the edge it sits on.
constexpr int kPitch = 20;
constexpr int kPinOut = 4;

// A macro whose outline is empty, to be drawn on.
class TOutline {
public:
    TOutline() {
        m_macro.Children->FreeAll();
        m_macro.Pins->Children->FreeAll();
    }
    void Polygon(std::initializer_list<QPoint> corners) {
        auto* shape = new TPolygon;
        for (QPoint corner : corners)
            shape->AddPoint(corner);
        m_macro.AddChild(shape);
    }
    void Polyline(std::initializer_list<QPoint> points) {
        auto* shape = new TPolyline;
        for (QPoint point : points)
            shape->AddPoint(point);
        m_macro.AddChild(shape);
    }
    void Arc(QPoint centre, float radius, float from, float to, bool closed) {
        TSegment* shape = closed ? static_cast<TSegment*>(new TPolygon) : new TPolyline;
        shape->AddArc(true, static_cast<float>(centre.x()), static_cast<float>(centre.y()), from, to, radius,
                      radius);
        shape->Rotatable = false;
        shape->UpdateVertices();
        m_macro.AddChild(shape);
    }
    void Text(const QString& text, QPoint centre, int size = 8) {
        auto* caption = new TGraphicText(text, size);
        caption->Offset(static_cast<float>(centre.x()), static_cast<float>(centre.y()));
        caption->UpdateVertices();
        caption->ShowOutline = false;
        m_macro.AddChild(caption);
    }
    void Pin(QPoint centre) {
        auto* pin = new TMacroPin;
        pin->PlaceAt(centre);
        m_macro.Pins->AddChild(pin);
    }
    bool Save(const QDir& folder, const QString& name) {
        try {
            m_macro.SaveTemplate(folder.filePath(name + QStringLiteral(".tvt")));
            return true;
        } catch (const std::exception& error) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(name), error.what());
            return false;
        }
    }

private:
    TMacro m_macro;
};

// A dual in-line package lying on its side: pin 1 at the bottom left, counting anticlockwise, the
// notch on the left edge.
bool WriteDip(const QDir& folder, int pins) {
    TOutline outline;
    const int perSide = pins / 2;
    const int width = perSide * kPitch;
    const int height = 50;
    outline.Polygon({{0, 0}, {width, 0}, {width, height}, {0, height}});
    outline.Arc({0, height / 2}, 6, 270, 450, false);
    outline.Text(QStringLiteral("DIP %1").arg(pins), {width / 2, height / 2});
    for (int i = 0; i < perSide; ++i)
        outline.Pin({kPitch / 2 + i * kPitch, height + kPinOut});
    for (int i = perSide - 1; i >= 0; --i)
        outline.Pin({kPitch / 2 + i * kPitch, -kPinOut});
    return outline.Save(folder, QStringLiteral("DIP %1").arg(pins));
}

// A box with pins on its left (numbered first, top down) and on its right (top down).
bool WriteBlock(const QDir& folder, int left, int right) {
    TOutline outline;
    const int rows = std::max(left, right);
    const int width = 60;
    const int height = rows * kPitch;
    outline.Polygon({{0, 0}, {width, 0}, {width, height}, {0, height}});
    for (int i = 0; i < left; ++i)
        outline.Pin({-kPinOut, kPitch / 2 + i * kPitch});
    for (int i = 0; i < right; ++i)
        outline.Pin({width + kPinOut, kPitch / 2 + i * kPitch});
    return outline.Save(folder, QStringLiteral("Block %1 by %2").arg(left).arg(right));
}

// A buffer's triangle, with a bubble at its tip when it inverts; pin 1 in, pin 2 out.
bool WriteTriangle(const QDir& folder, bool inverting) {
    TOutline outline;
    outline.Polygon({{0, 0}, {40, 20}, {0, 40}});
    int tip = 40;
    if (inverting) {
        outline.Arc({45, 20}, 5, 0, 360, true);
        tip = 50;
    }
    outline.Pin({-kPinOut, 20});
    outline.Pin({tip + kPinOut, 20});
    return outline.Save(folder, inverting ? QStringLiteral("Inverter") : QStringLiteral("Buffer"));
}

} // namespace

int main(int argc, char* argv[]) {
    // Texts are measured with fonts, which need a platform, not a screen.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tessivar-templates FOLDER\n");
        return 2;
    }
    RegisterStreamClasses();
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot make %s\n", argv[1]);
        return 1;
    }
    bool written = true;
    for (int pins : {8, 14, 16})
        written &= WriteDip(folder, pins);
    written &= WriteBlock(folder, 2, 1);
    written &= WriteBlock(folder, 4, 4);
    written &= WriteTriangle(folder, false);
    written &= WriteTriangle(folder, true);
    return written ? 0 : 1;
}
