// tessivar-cli render: draw a circuit as the editor shows it into a PNG, SVG or PDF file.

#include "cli/CommandLine.h"

#include "drawing/SafeFile.h"
#include "picture/PictureWriter.h"

#include <QFileInfo>
#include <QPainter>

#include <cmath>

namespace {

const char* const kUsage =
    "Usage: tessivar-cli render FILE.tvm --out OUT.png|OUT.svg|OUT.pdf [--scale S] [--transparent]\n"
    "\n"
    "Draws the circuit as the editor shows it after loading, without the grid, into\n"
    "a PNG image, an SVG drawing or a one-page PDF document, as the extension of OUT says. The\n"
    "picture covers the whole circuit with a margin of 10 units; at scale 1 one unit is one pixel\n"
    "(a PDF page is sized at 96 pixels per inch).\n"
    "\n"
    "Options:\n"
    "  --out OUT     the file to write\n"
    "  --scale S     enlarge (above 1) or shrink (below 1) the picture; from 0.01 to 100,\n"
    "                default 1; the picture may be at most 16384 pixels on a side\n"
    "  --transparent leave the background transparent instead of white\n"
    "  -h, --help    show this text\n"
    "\n";

} // namespace

int RenderCommand(const QStringList& args) {
    TCommandLine line;
    if (!line.Parse(args, {{"--out", true}, {"--scale", true}, {"--transparent", false}}))
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
    const std::optional<TPictureFormat> format = PictureFormatOf(out);
    if (!format)
        return UsageError("render", QStringLiteral("'%1' does not end in .png, .svg or .pdf").arg(out));
    TPictureOptions options;
    options.Transparent = line.Has("--transparent");
    if (line.Has("--scale")) {
        bool ok = false;
        options.Scale = line.Value("--scale").toDouble(&ok);
        if (!ok || !(options.Scale >= kMinPictureScale && options.Scale <= kMaxPictureScale))
            return UsageError("render", QStringLiteral("'--scale' needs a number from 0.01 to 100"));
    }

    std::optional<TCircuit> circuit = LoadCircuit(line.Positional.first());
    if (!circuit)
        return kExitUsage;
    TMacro& root = *circuit->Root;
    PrepareRoot(root);
    // The editor paints the level it shows open, whatever the file says.
    root.Closed = false;
    const QRectF area = PictureArea(root.GetBounds());
    if (!PictureSize(area, options.Scale)) {
        const double width = std::ceil(area.width() * options.Scale);
        const double height = std::ceil(area.height() * options.Scale);
        return UsageError("render",
                          QStringLiteral("the picture would be %1 by %2 pixels; choose a smaller '--scale'")
                              .arg(QString::number(width, 'f', 0), QString::number(height, 'f', 0)));
    }

    options.Title =
        circuit->Name.isEmpty() ? QFileInfo(line.Positional.first()).completeBaseName() : circuit->Name;
    options.Creator = QStringLiteral("tessivar-cli");
    try {
        WritePicture(out, *format, area, options, [&root](QPainter& painter) { root.Draw(painter); });
    } catch (const EWriteError& error) {
        return WriteError("render", out, error);
    }
    return kExitOk;
}
