#include "canvas/Cursors.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

#include <map>

// Resources compiled into a static library need a reference to be linked in.
static void InitCursorResources() {
    Q_INIT_RESOURCE(tessivar_cursors);
}

namespace {

constexpr int kCursorSize = 32;

struct TCursorImage {
    int Number;
    const char* Name;
    int HotX; // the pixel that points
    int HotY;
};

// Arrows and probes point with their upper-left tip, hands with the fingertip, the wiring cursors
// with the centre of the cross-hair.
constexpr TCursorImage kCursorImages[] = {
    {kCursorDigitalArrow, "DIGITALARROW", 1, 1},
    {kCursorDigitalHand, "DIGITALHAND", 11, 5},
    {kCursorHand, "HAND", 12, 1},
    {kCursorProbeFloat, "PROBEFLOAT", 1, 1},
    {kCursorProbeOn, "PROBEON", 1, 1},
    {kCursorProbeOff, "PROBEOFF", 1, 1},
    {kCursorPartDrag, "PARTDRAG", 1, 1},
    {kCursorWireDefault, "WIREDEFAULT", 15, 15},
    {kCursorWireConnect, "WIRECONNECT", 15, 15},
    {kCursorWireIsWiring, "WIREISWIRING", 15, 15},
};

const TCursorImage* FindImage(const QString& name) {
    for (const TCursorImage& image : kCursorImages) {
        if (name.compare(QLatin1String(image.Name), Qt::CaseInsensitive) == 0)
            return &image;
    }
    return nullptr;
}

QCursor MakeCursor(const TCursorImage& image) {
    static const bool resourcesReady = [] {
        InitCursorResources();
        return true;
    }();
    Q_UNUSED(resourcesReady);
    QSvgRenderer renderer(QStringLiteral(":/cursors/%1.svg").arg(QString::fromLatin1(image.Name).toLower()));
    if (!renderer.isValid())
        return QCursor(Qt::ArrowCursor);
    QPixmap pixmap(kCursorSize, kCursorSize);
    pixmap.fill(Qt::transparent);
    QPainter dc(&pixmap);
    renderer.render(&dc);
    dc.end();
    return QCursor(pixmap, image.HotX, image.HotY);
}

} // namespace

QCursor LoadCursor(const QString& resourceName) {
    const TCursorImage* image = FindImage(resourceName);
    if (!image)
        return QCursor(Qt::ArrowCursor);
    // Rendered once: the probe changes its cursor after every step.
    static std::map<const TCursorImage*, QCursor> made;
    auto it = made.find(image);
    if (it == made.end())
        it = made.emplace(image, MakeCursor(*image)).first;
    return it->second;
}

QCursor CursorForNumber(int number) {
    const QString name = CursorResourceName(number);
    return name.isEmpty() ? QCursor(Qt::ArrowCursor) : LoadCursor(name);
}

QString CursorResourceName(int number) {
    for (const TCursorImage& image : kCursorImages) {
        if (image.Number == number)
            return QString::fromLatin1(image.Name);
    }
    return {};
}
