#pragma once

// Pictures of a circuit: a level (or part of it) drawn by the drawables' own Draw into a PNG image,
// an SVG drawing or a one-page PDF document. The command-line runner's render command and the
// editor's image export both write through here, so both give the same picture.

#include "drawing/GraphicObject.h"

#include <QRectF>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

class QPainter;

enum class TPictureFormat { Png, Svg, Pdf };

// The format the file's extension names (.png, .svg, .pdf, in any case); nothing for another.
std::optional<TPictureFormat> PictureFormatOf(const QString& path);

struct TPictureOptions {
    double Scale = 1; // picture pixels per circuit unit
    bool Transparent = false;
    QString Title;   // SVG and PDF title
    QString Creator; // PDF creator
};

inline constexpr int kPictureMargin = 10; // circuit units around the drawn bounds
inline constexpr double kMinPictureScale = 0.01;
inline constexpr double kMaxPictureScale = 100;
inline constexpr int kMaxPictureSide = 16384; // pixels

// The area a picture of these bounds covers: the bounds with the margin around them (the margin
// alone for empty bounds).
QRectF PictureArea(const TRect& bounds);

// The picture's size in pixels (a PDF page is sized at 96 pixels per inch); nothing when a side
// would exceed kMaxPictureSide.
std::optional<QSize> PictureSize(const QRectF& area, double scale);

// Draws into a painter set up in circuit coordinates, clipped to nothing.
using TPictureContent = std::function<void(QPainter&)>;

// Writes the picture of area through the safe writer, so a failed write keeps the old file.
// The scale must give a size PictureSize accepts. Throws EFileWriteError naming the reason.
void WritePicture(const QString& path, TPictureFormat format, const QRectF& area,
                  const TPictureOptions& options, const TPictureContent& content);
