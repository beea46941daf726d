#include "picture/PictureWriter.h"

#include "drawing/SafeFile.h"

#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPointsPerPixel = 72.0 / 96.0;

void Paint(QPainter& painter, const QRectF& area, const TPictureOptions& options, QSize size,
           const TPictureContent& content) {
    if (!options.Transparent)
        painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    painter.scale(options.Scale, options.Scale);
    painter.translate(-area.left(), -area.top());
    content(painter);
}

// False when the picture could not be made or written.
bool Render(TPictureFormat format, QIODevice& out, const QRectF& area, const TPictureOptions& options,
            QSize size, const TPictureContent& content) {
    QPainter painter;
    switch (format) {
    case TPictureFormat::Png: {
        QImage image(size, options.Transparent ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
        if (image.isNull())
            return false;
        image.fill(Qt::transparent);
        if (!painter.begin(&image))
            return false;
        Paint(painter, area, options, size, content);
        painter.end();
        return image.save(&out, "PNG");
    }
    case TPictureFormat::Svg: {
        QSvgGenerator generator;
        generator.setOutputDevice(&out);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        generator.setTitle(options.Title);
        if (!painter.begin(&generator))
            return false;
        Paint(painter, area, options, size, content);
        return painter.end();
    }
    case TPictureFormat::Pdf: {
        QPdfWriter writer(&out);
        writer.setTitle(options.Title);
        writer.setCreator(options.Creator);
        writer.setResolution(96);
        writer.setPageSize(QPageSize(QSizeF(size.width() * kPointsPerPixel, size.height() * kPointsPerPixel),
                                     QPageSize::Point, QString(), QPageSize::ExactMatch));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        if (!painter.begin(&writer))
            return false;
        Paint(painter, area, options, size, content);
        return painter.end();
    }
    }
    return false;
}

} // namespace

std::optional<TPictureFormat> PictureFormatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png"))
        return TPictureFormat::Png;
    if (suffix == QLatin1String("svg"))
        return TPictureFormat::Svg;
    if (suffix == QLatin1String("pdf"))
        return TPictureFormat::Pdf;
    return std::nullopt;
}

QRectF PictureArea(const TRect& bounds) {
    QRectF area = bounds.IsEmpty() ? QRectF()
                                   : QRectF(bounds.Left, bounds.Top, double(bounds.Right) - bounds.Left,
                                            double(bounds.Bottom) - bounds.Top);
    return area.adjusted(-kPictureMargin, -kPictureMargin, kPictureMargin, kPictureMargin);
}

std::optional<QSize> PictureSize(const QRectF& area, double scale) {
    const double width = std::ceil(area.width() * scale);
    const double height = std::ceil(area.height() * scale);
    if (!(width <= kMaxPictureSide && height <= kMaxPictureSide))
        return std::nullopt;
    return QSize(std::max(1, static_cast<int>(width)), std::max(1, static_cast<int>(height)));
}

void WritePicture(const QString& path, TPictureFormat format, const QRectF& area,
                  const TPictureOptions& options, const TPictureContent& content) {
    const std::optional<QSize> size = PictureSize(area, options.Scale);
    if (!size)
        throw EFileWriteError(path, QStringLiteral("The picture would be too large"));
    TSafeFile file(path);
    QIODevice& device = file.Open();
    if (!Render(format, device, area, options, *size, content))
        throw EFileWriteError(path, device.errorString().isEmpty()
                                        ? QStringLiteral("The picture could not be made")
                                        : device.errorString());
    file.Commit();
}
