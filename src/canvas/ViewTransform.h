#pragma once

// How a canvas shows its circuit: the circuit keeps its integer coordinates (what files store and
// every edit works on) and the widget shows it magnified by the zoom. Every conversion between a
// widget pixel and a circuit point goes through here, so that mouse handling, painting and the
// selection overlay agree at every zoom.

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QTransform>

#include <array>

class TViewTransform {
public:
    static constexpr int kMinPercent = 25;
    static constexpr int kMaxPercent = 400;
    // The zooms Zoom In and Zoom Out step through.
    static constexpr std::array<int, 11> kSteps{25, 33, 50, 67, 75, 100, 125, 150, 200, 300, 400};

    int Percent() const { return m_percent; }
    double Factor() const { return m_percent / 100.0; }
    // Clamped to kMinPercent..kMaxPercent.
    void SetPercent(int percent);
    // The step after percent towards larger (in) or smaller zooms; the end steps stay put.
    static int NextStep(int percent, bool in);

    // The circuit point whose pixel holds the centre of the widget pixel at p.
    QPoint ToCircuit(QPointF p) const;
    // The widget pixel that shows the centre of circuit point p.
    QPoint ToWidget(QPoint p) const;
    // The widget position of circuit coordinates; painting places circuit point p here.
    QPointF ToWidgetF(QPointF p) const { return p * Factor(); }
    // The smallest rectangle of widget pixels covering every pixel of circuit rectangle r, and the
    // smallest rectangle of circuit points covering widget rectangle r.
    QRect ToWidget(const QRect& r) const;
    QRect ToCircuit(const QRect& r) const;
    QSize ToWidget(QSize s) const;
    // Applied after a painter's own translation: circuit coordinates in, widget pixels out.
    QTransform PaintTransform() const { return QTransform::fromScale(Factor(), Factor()); }

private:
    int m_percent = 100;
};
