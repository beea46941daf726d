#pragma once

// The snap grid an editing canvas consults when the user places, drags, wires or rotates something.

#include <QPoint>

#include <cstdint>

class TGrid {
public:
    // Each coordinate goes to the nearer multiple of SnapSize, an exact half going up; a negative
    // coordinate goes to the multiple toward zero. Unchanged while Snap is off or the pitch is below 2.
    QPoint SnapPoint(QPoint point) const;
    // Degrees in, degrees out: the angle is rounded to a whole degree and then to a multiple of
    // AngleStep. Unchanged while Snap is off or the step is not positive.
    float SnapAngle(float angle) const;

    int32_t SnapSize = 10; // canvas pixels
    int32_t AngleStep = 5; // degrees
    bool ShowGrid = true;
    bool Snap = true;
    int32_t DisplaySize = 1; // dots every DisplaySize pitches
};
