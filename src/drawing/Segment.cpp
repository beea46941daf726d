#include "drawing/Segment.h"

#include "drawing/Geometry.h"

#include <QPaintEngine>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <tuple>
#include <unordered_map>

namespace {

// Widths beyond this are not a drawing a user made; they are clamped when read.
constexpr int32_t kMaxPenWidth = 1000;

// Painting a circuit sets a pen and a brush for every shape; Qt's pens and brushes are shared
// objects, so the few a circuit uses are made once.
const QPen& MakePen(const TPen& pen) {
    static std::unordered_map<uint64_t, QPen> cache;
    static uint64_t lastKey = ~uint64_t(0);
    static const QPen* last = nullptr;
    const uint64_t key = static_cast<uint64_t>(pen.Colour & 0xFFFFFF) |
                         (static_cast<uint64_t>(static_cast<uint32_t>(pen.Width)) << 24) |
                         (static_cast<uint64_t>(pen.Dotted) << 56);
    // Shape after shape is drawn with the same pen.
    if (key == lastKey)
        return *last;
    lastKey = key;
    auto it = cache.find(key);
    if (it != cache.end()) {
        last = &it->second;
        return *last;
    }
    if (cache.size() > 1024)
        cache.clear();
    QPen qpen(ColourToQColor(pen.Colour));
    qpen.setWidth(std::max(pen.Width, 1));
    qpen.setCosmetic(pen.Width <= 1);
    if (pen.Dotted)
        qpen.setDashPattern({1, 1});
    last = &cache.emplace(key, qpen).first->second;
    return *last;
}

const QBrush& MakeBrush(uint32_t colour) {
    static std::unordered_map<uint32_t, QBrush> cache;
    auto it = cache.find(colour & 0xFFFFFF);
    if (it != cache.end())
        return it->second;
    if (cache.size() > 1024)
        cache.clear();
    return cache.emplace(colour & 0xFFFFFF, QBrush(ColourToQColor(colour))).first->second;
}

bool SupportsRasterOps(QPainter& dc) {
    const QPaintEngine* engine = dc.paintEngine();
    return engine && engine->hasFeature(QPaintEngine::RasterOpModes);
}

} // namespace

// ---------------------------------------------------------------------------------------------------

void TMapVertices::DrawPolygon(QPainter& dc) const {
    if (!m_items.empty())
        dc.drawPolygon(m_items.data(), Count(), Qt::OddEvenFill);
}

void TMapVertices::DrawPolyline(QPainter& dc) const {
    if (!m_items.empty())
        dc.drawPolyline(m_items.data(), Count());
}

TRect TMapVertices::HandleRect(QPoint vertex, int size) {
    const int h = size / 2;
    return {vertex.x() - h, vertex.y() - h, vertex.x() + 2 * h, vertex.y() + 2 * h};
}

void TMapVertices::DrawHandles(QPainter& dc, int size, bool skipEnds) const {
    const int first = skipEnds ? 1 : 0;
    const int last = skipEnds ? Count() - 2 : Count() - 1;
    if (first > last)
        return;
    dc.save();
    dc.setPen(QPen(Qt::black, 1));
    dc.setBrush(Qt::white);
    for (int i = first; i <= last; ++i) {
        const TRect r = HandleRect(m_items[static_cast<size_t>(i)], size);
        dc.drawRect(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
    }
    dc.restore();
}

bool TMapVertices::PtInPolygon(int x, int y) const {
    // Crossing number at the pixel's centre: the pixels a fill of the polygon would paint.
    const double px = x + 0.5;
    const double py = y + 0.5;
    bool inside = false;
    const size_t n = m_items.size();
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        const double xi = m_items[i].x(), yi = m_items[i].y();
        const double xj = m_items[j].x(), yj = m_items[j].y();
        if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi)
            inside = !inside;
    }
    return inside;
}

bool TMapVertices::HitVertex(int x, int y, bool skipEnds, int& index, int size) const {
    const int first = skipEnds ? 1 : 0;
    const int last = skipEnds ? Count() - 2 : Count() - 1;
    for (int i = first; i <= last; ++i) {
        const TRect r = HandleRect(m_items[static_cast<size_t>(i)], size);
        if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) {
            index = i;
            return true;
        }
    }
    return false;
}

bool TMapVertices::HitSegment(int x, int y, float tolerance, QPoint& point, int& index) const {
    for (int i = 0; i + 1 < Count(); ++i) {
        const QPoint a = m_items[static_cast<size_t>(i)];
        const QPoint b = m_items[static_cast<size_t>(i) + 1];
        const TSegmentDistance d = PointSegmentDistance(a, b, x, y);
        if (d.DistanceSquared <= tolerance && d.T >= 0 && d.T <= 1) {
            point = QPoint(RoundToInt(static_cast<float>(a.x()) + d.T * static_cast<float>(b.x() - a.x())),
                           RoundToInt(static_cast<float>(a.y()) + d.T * static_cast<float>(b.y() - a.y())));
            index = i;
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------------------------------------------

TSegment::TSegment() : Points(std::make_unique<TSerializeList>()) {
    AddKind(kKind);
}

void TSegment::Write(TSerializeWriter& writer) {
    writer.WriteInteger(static_cast<int32_t>(Pen.Colour));
    writer.WriteInteger(Pen.Width);
    writer.WriteObject(Points.get());
}

void TSegment::Read(TSerializeReader& reader) {
    Pen.Colour = static_cast<uint32_t>(reader.ReadInteger());
    Pen.Width = std::clamp(reader.ReadInteger(), 0, kMaxPenWidth);
    Points.reset(reader.ReadOwnedListOf<TFloatPoint>());
    UpdateVertices();
}

void TSegment::Clear() {
    Points->FreeAll();
    Vertices.Clear();
}

bool TSegment::HitTest(int, int) {
    return false;
}

void TSegment::Draw(QPainter& dc) {
    if (EditVertices)
        DrawHandles(dc, HandleSize);
}

void TSegment::Rotate(float angle) {
    const auto a = static_cast<float>(angle * std::numbers::pi / 180);
    const double c = std::cos(static_cast<double>(a));
    const double s = std::sin(static_cast<double>(a));
    for (TFloatPoint* p : TListView<TFloatPoint>(*Points)) {
        const double x = p->X;
        const double y = p->Y;
        p->X = static_cast<float>(x * c - y * s);
        p->Y = static_cast<float>(y * c + x * s);
    }
}

void TSegment::Scale(float sx, float sy) {
    for (TFloatPoint* p : TListView<TFloatPoint>(*Points)) {
        p->X *= sx;
        p->Y *= sy;
    }
}

void TSegment::Offset(float dx, float dy) {
    for (TFloatPoint* p : TListView<TFloatPoint>(*Points)) {
        p->X += dx;
        p->Y += dy;
    }
}

void TSegment::UpdateVertices() {
    const int count = PointCount();
    Vertices.SetCount(count);
    for (int i = 0; i < count; ++i) {
        const TFloatPoint* p = GetPoint(i);
        Vertices.SetVertex(RoundToInt(p->X), RoundToInt(p->Y), i);
    }
}

TRect TSegment::GetBounds() {
    int32_t minX = 2147483647, minY = 2147483647, maxX = -2147483647, maxY = -2147483647;
    for (int i = 0; i < Vertices.Count(); ++i) {
        const QPoint v = Vertices.GetVertex(i);
        minX = std::min(minX, v.x());
        maxX = std::max(maxX, v.x());
        minY = std::min(minY, v.y());
        maxY = std::max(maxY, v.y());
    }
    const int32_t h = Pen.Width / 2;
    return {minX - h - 1, minY - h - 1, maxX + h + 2, maxY + h + 2};
}

FloatRect TSegment::GetExtent() {
    FloatRect extent;
    for (const TFloatPoint* p : TListView<TFloatPoint>(*Points)) {
        extent.Include(p->X, p->Y);
    }
    return extent;
}

void TSegment::AddPoint(QPoint p) {
    AppendPoint(static_cast<float>(p.x()), static_cast<float>(p.y()));
    UpdateVertices();
}

void TSegment::AddFloatPoint(const TFloatPoint& p) {
    AppendPoint(p.X, p.Y);
    UpdateVertices();
}

void TSegment::SetPoint(QPoint p, int index) {
    TFloatPoint* point = GetPoint(index);
    point->X = static_cast<float>(p.x());
    point->Y = static_cast<float>(p.y());
    UpdateVertices();
}

QPoint TSegment::FirstVertex() const {
    return Vertices.Count() > 0 ? Vertices.GetVertex(0) : QPoint(0, 0);
}

QPoint TSegment::LastVertex() const {
    return Vertices.Count() > 0 ? Vertices.GetVertex(Vertices.Count() - 1) : QPoint(0, 0);
}

bool TSegment::HitVertex(int x, int y, int& index, int size) const {
    return Vertices.HitVertex(x, y, SkipEndHandles, index, size);
}

void TSegment::AddPoints(std::initializer_list<TFloatPoint*> points) {
    for (TFloatPoint* p : points)
        Points->Add(p);
}

void TSegment::AppendPoint(float x, float y) {
    Points->Add(new TFloatPoint(x, y));
}

void TSegment::AddArc(bool clockwise, float cx, float cy, float startAngle, float endAngle, float rx,
                      float ry) {
    // Device constructors build the same few arcs over and over (every gate read from a file is
    // constructed first), so the points of each arc are computed once.
    using Key = std::tuple<bool, float, float, float, float, float, float>;
    static std::map<Key, std::vector<std::pair<float, float>>> cache;
    const Key key{clockwise, cx, cy, startAngle, endAngle, rx, ry};
    auto it = cache.find(key);
    if (it == cache.end()) {
        if (cache.size() > 4096)
            cache.clear();
        std::vector<std::pair<float, float>> points;
        for (float angle = startAngle; angle <= endAngle; angle += 12) {
            const double a = static_cast<double>(angle) * 0.017453292;
            const double sine = std::sin(a);
            points.emplace_back(static_cast<float>(cx + rx * std::cos(a)),
                                static_cast<float>(clockwise ? cy + ry * sine : cy - ry * sine));
        }
        it = cache.emplace(key, std::move(points)).first;
    }
    Points->Reserve(Points->Count() + static_cast<int>(it->second.size()));
    for (const auto& [x, y] : it->second)
        AppendPoint(x, y);
}

void TSegment::DrawHandles(QPainter& dc, int size) const {
    Vertices.DrawHandles(dc, size, SkipEndHandles);
}

void TSegment::ApplyPen(QPainter& dc, const TPen& pen) const {
    dc.setPen(MakePen(pen));
}

void TSegment::DrawDragOutline(QPainter& dc, bool closed) const {
    dc.save();
    TPen pen;
    pen.Dotted = true;
    if (SupportsRasterOps(dc)) {
        // Black drawn as "not source xor destination" inverts what lies below, so drawing the outline
        // a second time erases it.
        dc.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    }
    dc.setPen(MakePen(pen));
    dc.setBrush(Qt::NoBrush);
    if (closed && Vertices.Count() > 0)
        dc.drawPolygon(Vertices.Items(), Vertices.Count());
    else
        Vertices.DrawPolyline(dc);
    dc.restore();
}

// ---------------------------------------------------------------------------------------------------

void TPolygon::Write(TSerializeWriter& writer) {
    TSegment::Write(writer);
    writer.WriteInteger(static_cast<int32_t>(Brush.Colour));
}

void TPolygon::Read(TSerializeReader& reader) {
    TSegment::Read(reader);
    Brush.Colour = static_cast<uint32_t>(reader.ReadInteger());
}

bool TPolygon::HitTest(int x, int y) {
    return Vertices.Count() > 2 && Vertices.PtInPolygon(x, y);
}

void TPolygon::Draw(QPainter& dc) {
    // Shapes set the pen and brush they draw with and leave them; nothing relies on the painter's
    // previous ones.
    if (Dragging) {
        DrawDragOutline(dc, true);
    } else {
        ApplyPen(dc, Pen);
        if (Outline) {
            Vertices.DrawPolyline(dc);
        } else {
            dc.setBrush(MakeBrush(Brush.Colour));
            Vertices.DrawPolygon(dc);
        }
    }
    TSegment::Draw(dc);
}

// ---------------------------------------------------------------------------------------------------

bool TPolyline::HitTest(int x, int y) {
    return Vertices.HitSegment(x, y, kLineHitTolerance, HitPoint, HitSegment);
}

void TPolyline::Draw(QPainter& dc) {
    if (Dragging) {
        DrawDragOutline(dc, false);
    } else {
        if (EditVertices) {
            TPen editPen = Pen;
            editPen.Colour = kColourBlack;
            editPen.Dotted = true;
            ApplyPen(dc, editPen);
        } else {
            ApplyPen(dc, Pen);
        }
        Vertices.DrawPolyline(dc);
    }
    TSegment::Draw(dc);
}
