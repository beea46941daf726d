#include "canvas/ViewTransform.h"

#include <algorithm>
#include <cmath>

void TViewTransform::SetPercent(int percent) {
    m_percent = std::clamp(percent, kMinPercent, kMaxPercent);
}

int TViewTransform::NextStep(int percent, bool in) {
    if (in) {
        for (int step : kSteps)
            if (step > percent)
                return step;
        return kSteps.back();
    }
    for (auto it = kSteps.rbegin(); it != kSteps.rend(); ++it)
        if (*it < percent)
            return *it;
    return kSteps.front();
}

namespace {

int Floor(double v) {
    return static_cast<int>(std::floor(v));
}

int Ceil(double v) {
    return static_cast<int>(std::ceil(v));
}

} // namespace

QPoint TViewTransform::ToCircuit(QPointF p) const {
    if (m_percent == 100)
        return QPoint(Floor(p.x()), Floor(p.y()));
    const double f = Factor();
    return QPoint(Floor((p.x() + 0.5) / f), Floor((p.y() + 0.5) / f));
}

QPoint TViewTransform::ToWidget(QPoint p) const {
    if (m_percent == 100)
        return p;
    const double f = Factor();
    return QPoint(Floor((p.x() + 0.5) * f), Floor((p.y() + 0.5) * f));
}

QRect TViewTransform::ToWidget(const QRect& r) const {
    if (m_percent == 100 || r.isNull())
        return r;
    const double f = Factor();
    // A circuit pixel x covers [x, x + 1) and shows on the widget as [x f, (x + 1) f).
    return QRect(QPoint(Floor(r.left() * f), Floor(r.top() * f)),
                 QPoint(Ceil((r.right() + 1) * f) - 1, Ceil((r.bottom() + 1) * f) - 1));
}

QRect TViewTransform::ToCircuit(const QRect& r) const {
    if (m_percent == 100 || r.isNull())
        return r;
    const double f = Factor();
    return QRect(QPoint(Floor(r.left() / f), Floor(r.top() / f)),
                 QPoint(Ceil((r.right() + 1) / f) - 1, Ceil((r.bottom() + 1) / f) - 1));
}

QSize TViewTransform::ToWidget(QSize s) const {
    return QSize(Ceil(s.width() * Factor()), Ceil(s.height() * Factor()));
}
