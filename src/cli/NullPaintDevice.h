#pragma once

// A drawing surface that accepts every drawing and keeps none. The runner repaints after each step
// as the editor does, for what repainting records (device histories, device looks); rasterising
// would cost most of a step's time and show nobody anything.

#include <QPaintDevice>
#include <QPaintEngine>

class TNullPaintEngine final : public QPaintEngine {
public:
    TNullPaintEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    Type type() const override { return QPaintEngine::User; }

    void drawRects(const QRect*, int) override {}
    void drawRects(const QRectF*, int) override {}
    void drawLines(const QLine*, int) override {}
    void drawLines(const QLineF*, int) override {}
    void drawEllipse(const QRectF&) override {}
    void drawEllipse(const QRect&) override {}
    void drawPath(const QPainterPath&) override {}
    void drawPoints(const QPointF*, int) override {}
    void drawPoints(const QPoint*, int) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawPolygon(const QPoint*, int, PolygonDrawMode) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawTextItem(const QPointF&, const QTextItem&) override {}
    void drawTiledPixmap(const QRectF&, const QPixmap&, const QPointF&) override {}
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {}
};

class TNullPaintDevice final : public QPaintDevice {
public:
    QPaintEngine* paintEngine() const override { return &m_engine; }

protected:
    // A screen-like device: 96 dots per inch, as the editor's window.
    int metric(PaintDeviceMetric metric) const override;

private:
    mutable TNullPaintEngine m_engine;
};
