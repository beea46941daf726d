#include "drawing/SnapGrid.h"

#include <cmath>
#include <limits>

namespace {

int32_t SnapCoordinate(int32_t c, int32_t s) {
    const int32_t q = c / s;
    const int32_t r = c % s;
    const int64_t down = static_cast<int64_t>(q) * s;
    int64_t result = r < s / 2 ? down : down + s;
    // Only a coordinate within half a pitch of the largest integer can pass it.
    if (result > std::numeric_limits<int32_t>::max())
        result -= s;
    return static_cast<int32_t>(result);
}

} // namespace

QPoint TGrid::SnapPoint(QPoint point) const {
    // A pitch of 1 puts every point on the grid already; the rounding rule would push each one a
    // pixel to the right and down.
    if (!Snap || SnapSize < 2)
        return point;
    return QPoint(SnapCoordinate(point.x(), SnapSize), SnapCoordinate(point.y(), SnapSize));
}

float TGrid::SnapAngle(float angle) const {
    if (!Snap || AngleStep <= 0 || !std::isfinite(angle))
        return angle;
    // Far beyond any real angle; keeps the whole-degree value inside 64 bits.
    constexpr float kLimit = 1.0e15f;
    if (std::fabs(angle) > kLimit)
        return angle;
    const auto a = static_cast<int64_t>(std::nearbyint(angle));
    const int64_t q = a / AngleStep;
    const int64_t r = a % AngleStep;
    const int64_t snapped =
        static_cast<double>(AngleStep) / 2 > static_cast<double>(r) ? AngleStep * q : AngleStep * (q + 1);
    return static_cast<float>(snapped);
}
