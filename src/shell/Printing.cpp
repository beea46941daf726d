#include "shell/Printing.h"

#include "model/Macro.h"

#include <QApplication>
#include <QPainter>
#include <QPrinter>

#include <cmath>

namespace {

// The hourglass for as long as it lives.
class TBusyCursor {
public:
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

} // namespace

void DrawPage(TMacro* macro, QPainter& painter, double scale, bool centre, double cx, double cy) {
    painter.save();
    painter.scale(scale, scale);
    if (centre) {
        float x = 0;
        float y = 0;
        macro->GetCentre(x, y);
        // Whole pixels, as moving the macro's vertices would: the page is drawn pixel for pixel.
        painter.translate(std::floor(cx) - std::lround(x), std::floor(cy) - std::lround(y));
    }
    macro->Draw(painter);
    painter.restore();
}

bool PrintCircuit(TMacro* macro, QPrinter& printer, const TPrintOptions& options) {
    if (!macro)
        return false;
    TBusyCursor busy;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const int scale = PrintScale(options.Zoom);
    // The middle of the printable area in canvas pixels.
    const int cx = printer.width() / 2 / scale;
    const int cy = printer.height() / 2 / scale;
    DrawPage(macro, painter, scale, options.Centre, cx, cy);
    return painter.end();
}

void MakePdfPrinter(QPrinter& pdf, const QPrinter& layoutFrom, const QString& path) {
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setResolution(300);
    pdf.setPageLayout(layoutFrom.pageLayout());
    pdf.setOutputFileName(path);
}
