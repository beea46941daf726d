#include "drawing/Geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

TRect RectFromPoints(QPoint p1, QPoint p2) {
    return {std::min(p1.x(), p2.x()), std::min(p1.y(), p2.y()), std::max(p1.x(), p2.x()),
            std::max(p1.y(), p2.y())};
}

void InflateRectBy(TRect& rect, int n) {
    rect.Left -= n;
    rect.Top -= n;
    rect.Right += n;
    rect.Bottom += n;
}

bool PointInRectStrict(const TRect& rect, QPoint point) {
    return rect.Left < point.x() && point.x() < rect.Right && rect.Top < point.y() && point.y() < rect.Bottom;
}

bool RectInsideRect(const TRect& inner, const TRect& outer) {
    return inner.Left >= outer.Left && inner.Right <= outer.Right && inner.Top >= outer.Top &&
           inner.Bottom <= outer.Bottom;
}

TSegmentDistance PointSegmentDistance(QPoint a, QPoint b, int px, int py) {
    const float dx = static_cast<float>(b.x() - a.x());
    const float dy = static_cast<float>(b.y() - a.y());
    const float length2 = dx * dx + dy * dy;
    if (std::fabs(length2) <= 0.01f)
        return {0, 10000};
    const float t = (static_cast<float>(px - a.x()) * dx + static_cast<float>(py - a.y()) * dy) / length2;
    float qx = static_cast<float>(a.x());
    float qy = static_cast<float>(a.y());
    if (t > 1) {
        qx = static_cast<float>(b.x());
        qy = static_cast<float>(b.y());
    } else if (t >= 0) {
        qx += t * dx;
        qy += t * dy;
    }
    const float ex = static_cast<float>(px) - qx;
    const float ey = static_cast<float>(py) - qy;
    return {t, ex * ex + ey * ey};
}

float LineAngle(int x1, int y1, int x2, int y2, bool inDegrees) {
    constexpr double pi = std::numbers::pi;
    double angle;
    if (x1 == x2) {
        angle = y1 < y2 ? pi / 2 : 3 * pi / 2;
    } else {
        const float dy = static_cast<float>(y1) - static_cast<float>(y2);
        const float dx = static_cast<float>(x1) - static_cast<float>(x2);
        angle = std::atan(static_cast<double>(dy / dx));
        if (x1 < x2 && y1 > y2)
            angle += 2 * pi;
        else if (x1 > x2)
            angle += pi;
    }
    if (inDegrees)
        angle = angle * 180 / pi;
    return static_cast<float>(angle);
}
