#pragma once

// Integer geometry shared by hit testing and rubber-band selection. Rectangles are left, top, right,
// bottom in canvas pixels.

#include "drawing/GraphicObject.h"

#include <QPoint>

// The normalised rectangle spanned by two corners.
TRect RectFromPoints(QPoint p1, QPoint p2);
// Moves every edge outwards by n.
void InflateRectBy(TRect& rect, int n);
// True only strictly inside: a point on an edge is outside.
bool PointInRectStrict(const TRect& rect, QPoint point);
// Edges may touch.
bool RectInsideRect(const TRect& inner, const TRect& outer);

struct TSegmentDistance {
    float T = 0;
    float DistanceSquared = 0;
};
// Projection parameter of the point on segment a-b and its squared distance to the segment; a
// degenerate segment gives (0, 10000).
TSegmentDistance PointSegmentDistance(QPoint a, QPoint b, int px, int py);
// Direction of the vector from (x1, y1) to (x2, y2) in [0, 2 pi), y growing downward.
float LineAngle(int x1, int y1, int x2, int y2, bool inDegrees);
