// tessivar-cli render: draw a circuit as the editor shows it into a PNG, SVG or PDF file.

#include "cli/CommandLine.h"

#include "drawing/SafeFile.h"

#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <cmath>

namespace {

const char* const kUsage =
    "Usage: tessivar-cli render FILE.tvm --out OUT.png|OUT.svg|OUT.pdf [--scale S]\n"
    "\n"
    "Draws the circuit as the editor shows it after loading, on white and without the grid, into\n"
    "a PNG image, an SVG drawing or a one-page PDF document, as the extension of OUT says. The\n"
    "picture covers the whole circuit with a margin of 10 units; at scale 1 one unit is one pixel\n"
    "(a PDF page is sized at 96 pixels per inch).\n"
    "\n"
    "Options:\n"
    "  --out OUT     the file to write\n"
    "  --scale S     enlarge (above 1) or shrink (below 1) the picture; from 0.01 to 100,\n"
    "                default 1; the picture may be at most 16384 pixels on a side\n"
    "  -h, --help    show this text\n"
    "\n";

constexpr int kMargin = 10;
constexpr double kMinScale = 0.01;
constexpr double kMaxScale = 100;
constexpr double kMaxSide = 16384;
constexpr double kPointsPerPixel = 72.0 / 96.0;

enum class TFormat { Png, Svg, Pdf };

std::optional<TFormat> FormatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png"))
        return TFormat::Png;
    if (suffix == QLatin1String("svg"))
        return TFormat::Svg;
    if (suffix == QLatin1String("pdf"))
        return TFormat::Pdf;
    return std::nullopt;
}

// Fills the picture white and draws the circuit's area into it.
void Paint(QPainter& painter, TMacro& root, const QRectF& area, double scale, QSize size) {
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    painter.scale(scale, scale);
    painter.translate(-area.left(), -area.top());
    root.Draw(painter);
}

// Draws into the device; false when the picture could not be made or written.
bool Render(TFormat format, QIODevice& out, TMacro& root, const QRectF& area, double scale, QSize size,
            const QString& title) {
    QPainter painter;
    switch (format) {
    case TFormat::Png: {
        QImage image(size, QImage::Format_RGB32);
        if (image.isNull() || !painter.begin(&image))
            return false;
        Paint(painter, root, area, scale, size);
        painter.end();
        return image.save(&out, "PNG");
    }
    case TFormat::Svg: {
        QSvgGenerator generator;
        generator.setOutputDevice(&out);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        generator.setTitle(title);
        if (!painter.begin(&generator))
            return false;
        Paint(painter, root, area, scale, size);
        return painter.end();
    }
    case TFormat::Pdf: {
        QPdfWriter writer(&out);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("tessivar-cli"));
        writer.setResolution(96);
        writer.setPageSize(QPageSize(QSizeF(size.width() * kPointsPerPixel, size.height() * kPointsPerPixel),
                                     QPageSize::Point, QString(), QPageSize::ExactMatch));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        if (!painter.begin(&writer))
            return false;
        Paint(painter, root, area, scale, size);
        return painter.end();
    }
    }
    return false;
}

} // namespace

int RenderCommand(const QStringList& args) {
    TCommandLine line;
    if (!line.Parse(args, {{"--out", true}, {"--scale", true}}))
        return UsageError("render", line.Error);
    if (line.Help) {
        Out(QLatin1String(kUsage) + QLatin1String(kExitCodesText));
        return kExitOk;
    }
    if (line.Positional.size() != 1)
        return UsageError("render", line.Positional.isEmpty() ? QStringLiteral("no circuit file given")
                                                              : QStringLiteral("one circuit file expected"));
    const QString out = line.Value("--out");
    if (out.isEmpty())
        return UsageError("render", QStringLiteral("'--out OUT.png|OUT.svg|OUT.pdf' is needed"));
    const std::optional<TFormat> format = FormatOf(out);
    if (!format)
        return UsageError("render", QStringLiteral("'%1' does not end in .png, .svg or .pdf").arg(out));
    double scale = 1;
    if (line.Has("--scale")) {
        bool ok = false;
        scale = line.Value("--scale").toDouble(&ok);
        if (!ok || !(scale >= kMinScale && scale <= kMaxScale))
            return UsageError("render", QStringLiteral("'--scale' needs a number from 0.01 to 100"));
    }

    std::optional<TCircuit> circuit = LoadCircuit(line.Positional.first());
    if (!circuit)
        return kExitUsage;
    TMacro& root = *circuit->Root;
    PrepareRoot(root);
    // The editor paints the level it shows open, whatever the file says.
    root.Closed = false;
    const TRect bounds = root.GetBounds();
    QRectF area = bounds.IsEmpty() ? QRectF()
                                   : QRectF(bounds.Left, bounds.Top, double(bounds.Right) - bounds.Left,
                                            double(bounds.Bottom) - bounds.Top);
    area.adjust(-kMargin, -kMargin, kMargin, kMargin);
    const double width = std::ceil(area.width() * scale);
    const double height = std::ceil(area.height() * scale);
    if (width > kMaxSide || height > kMaxSide)
        return UsageError("render",
                          QStringLiteral("the picture would be %1 by %2 pixels; choose a smaller '--scale'")
                              .arg(QString::number(width, 'f', 0), QString::number(height, 'f', 0)));
    const QSize size(static_cast<int>(width), static_cast<int>(height));

    const QString title =
        circuit->Name.isEmpty() ? QFileInfo(line.Positional.first()).completeBaseName() : circuit->Name;
    try {
        TSafeFile file(out);
        QIODevice& device = file.Open();
        if (!Render(*format, device, root, area, scale, size, title))
            throw EFileWriteError(out, device.errorString().isEmpty()
                                           ? QStringLiteral("The picture could not be made")
                                           : device.errorString());
        file.Commit();
    } catch (const EWriteError& error) {
        return WriteError("render", out, error);
    }
    return kExitOk;
}
