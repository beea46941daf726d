#pragma once

// Printing a circuit level on one page: at 2 printer pixels per canvas pixel, or 4 when zoomed,
// either centred on the page or at its canvas position from the top left of the printable area.
// The macro draws itself on the printer's surface, so the page shows what the canvas shows. The
// macro is never moved: centring shifts the page's coordinates instead.

#include <QString>

class QPainter;
class QPrinter;
class TMacro;

struct TPrintOptions {
    bool Zoom = false;  // 4 printer pixels per canvas pixel instead of 2
    bool Centre = true; // the macro's centre on the middle of the page
};

// Printer pixels per canvas pixel.
inline int PrintScale(bool zoom) {
    return zoom ? 4 : 2;
}

// Prints the macro as one job; false when the job could not be started (a PDF file that cannot be
// written, a printer that refuses).
bool PrintCircuit(TMacro* macro, QPrinter& printer, const TPrintOptions& options);

// Draws the macro at the given scale, its centre at (cx, cy) of the painter's coordinates when
// centred; used by printing and by the preview.
void DrawPage(TMacro* macro, QPainter& painter, double scale, bool centre, double cx, double cy);

// Makes a printer write a PDF file at 300 dots per inch with the page layout of another printer.
void MakePdfPrinter(QPrinter& pdf, const QPrinter& layoutFrom, const QString& path);
