#pragma once

// Shapes made of vertices: the open polyline and the closed polygon.

#include "drawing/GraphicObject.h"

#include <vector>

// The integer vertex array of a shape, laid out for the painter's polygon and polyline calls.
class TMapVertices {
public:
    int Count() const { return static_cast<int>(m_items.size()); }
    const QPoint* Items() const { return m_items.data(); }
    // Keeps the storage when the count does not change, so rounding again costs no allocation.
    void SetCount(int count) { m_items.resize(static_cast<size_t>(count)); }
    void Clear() { m_items.clear(); }
    QPoint GetVertex(int index) const { return m_items[static_cast<size_t>(index)]; }
    void SetVertex(int x, int y, int index) { m_items[static_cast<size_t>(index)] = QPoint(x, y); }

    void DrawPolygon(QPainter& dc) const;
    void DrawPolyline(QPainter& dc) const;
    void DrawHandles(QPainter& dc, int size, bool skipEnds) const;
    // Even-odd rule; a point on the right or bottom edge lies outside, as for a filled region.
    bool PtInPolygon(int x, int y) const;
    bool HitVertex(int x, int y, bool skipEnds, int& index, int size) const;
    bool HitSegment(int x, int y, float tolerance, QPoint& point, int& index) const;

    // The handle square of a vertex: from (x - h, y - h), 3h wide and high, h = size div 2.
    static TRect HandleRect(QPoint vertex, int size);

private:
    std::vector<QPoint> m_items;
};

class TSegment : public TGraphicObject {
public:
    TESSIVAR_CLASS(TSegment)
    TESSIVAR_KIND(TSegment, kKindSegment);
    TSegment();

    void Write(TSerializeWriter& writer) override;
    void Read(TSerializeReader& reader) override;

    void Clear() override;
    bool HitTest(int x, int y) override;
    void Draw(QPainter& dc) override;
    void Rotate(float angle) override;
    void Scale(float sx, float sy) override;
    void Offset(float dx, float dy) override;
    void UpdateVertices() override;
    TRect GetBounds() override;
    FloatRect GetExtent() override;

    void AddPoint(QPoint p);
    void AddFloatPoint(const TFloatPoint& p);
    void SetPoint(QPoint p, int index);
    TFloatPoint* GetPoint(int index) const { return Points->ItemAs<TFloatPoint>(index); }
    int PointCount() const { return Points->Count(); }
    QPoint GetVertex(int index) const { return Vertices.GetVertex(index); }
    QPoint FirstVertex() const;
    QPoint LastVertex() const;
    bool HitVertex(int x, int y, int& index, int size) const;
    // Takes ownership of the points; the vertices are not updated.
    void AddPoints(std::initializer_list<TFloatPoint*> points);
    // Appends arc points every 12 degrees from start to end; the vertices are not updated.
    void AddArc(bool clockwise, float cx, float cy, float startAngle, float endAngle, float rx, float ry);
    void DrawHandles(QPainter& dc, int size) const;

    // Appends a float point without updating the vertices (for building shapes).
    void AppendPoint(float x, float y);

    TMapVertices Vertices;
    bool SkipEndHandles = false;
    bool EditVertices = false;
    int32_t HandleSize = 4;
    // Owned; never null. Every item is a TFloatPoint.
    std::unique_ptr<TSerializeList> Points;
    TPen Pen;

protected:
    // Selects the pen (and brush) on the painter.
    void ApplyPen(QPainter& dc, const TPen& pen) const;
    // The dotted black outline drawn in XOR while an object follows the mouse.
    void DrawDragOutline(QPainter& dc, bool closed) const;
};

class TPolygon : public TSegment {
public:
    TESSIVAR_CLASS(TPolygon)
    TESSIVAR_KIND(TPolygon, kKindPolygon);
    TPolygon() { AddKind(kKind); }

    void Write(TSerializeWriter& writer) override;
    void Read(TSerializeReader& reader) override;
    bool HitTest(int x, int y) override;
    void Draw(QPainter& dc) override;

    bool Outline = false;
    TBrush Brush;
};

class TPolyline : public TSegment {
public:
    TESSIVAR_CLASS(TPolyline)
    TESSIVAR_KIND(TPolyline, kKindPolyline);
    TPolyline() { AddKind(kKind); }

    bool HitTest(int x, int y) override;
    void Draw(QPainter& dc) override;

    QPoint HitPoint;
    int32_t HitSegment = 0;
};

// Squared distance below which a click hits a line.
constexpr float kLineHitTolerance = 5;
