#include "drawing/Geometry.h"
#include "drawing/Segment.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

TPolyline* Line(std::initializer_list<QPoint> points) {
    auto* line = new TPolyline;
    for (QPoint p : points)
        line->AddPoint(p);
    return line;
}

TPolygon* Square(int x, int y, int size) {
    auto* polygon = new TPolygon;
    polygon->AddPoint({x, y});
    polygon->AddPoint({x + size, y});
    polygon->AddPoint({x + size, y + size});
    polygon->AddPoint({x, y + size});
    return polygon;
}

QImage Render(TGraphicObject& object, int size = 40) {
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter dc(&image);
    object.Draw(dc);
    return image;
}

int CountPixels(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) == colour;
    return count;
}

} // namespace

TEST(Segment, EmptySegment) {
    TPolyline line;
    EXPECT_EQ(line.FirstVertex(), QPoint(0, 0));
    EXPECT_TRUE(line.GetBounds().IsEmpty());
    const FloatRect extent = line.GetExtent();
    EXPECT_EQ(extent.MinX, 100000);
    EXPECT_EQ(extent.MaxX, -100000);
    EXPECT_FALSE(line.HitTest(0, 0));
    EXPECT_EQ(CountPixels(Render(line), qRgb(255, 255, 255)), 40 * 40);
}

TEST(Segment, VerticesRoundHalfToEven) {
    TPolyline line;
    line.AppendPoint(2.5f, 3.5f);
    line.AppendPoint(-2.5f, -0.5f);
    line.AppendPoint(2.4999f, 2.5001f);
    line.UpdateVertices();
    EXPECT_EQ(line.GetVertex(0), QPoint(2, 4));
    EXPECT_EQ(line.GetVertex(1), QPoint(-2, 0));
    EXPECT_EQ(line.GetVertex(2), QPoint(2, 3));
}

TEST(Segment, RotationIsClockwiseOnScreenAndReversible) {
    std::unique_ptr<TPolyline> line(Line({{10, 0}, {3, 7}, {-4, 9}}));
    line->Rotate(90);
    line->UpdateVertices();
    EXPECT_EQ(line->GetVertex(0), QPoint(0, 10));
    line->Rotate(-90);
    line->UpdateVertices();
    EXPECT_NEAR(line->GetPoint(1)->X, 3, 1e-5);
    EXPECT_NEAR(line->GetPoint(1)->Y, 7, 1e-5);
    EXPECT_EQ(line->GetVertex(0), QPoint(10, 0));
    EXPECT_EQ(line->GetVertex(1), QPoint(3, 7));
    EXPECT_EQ(line->GetVertex(2), QPoint(-4, 9));
}

TEST(Segment, ScaleOffsetExtentAndCentre) {
    std::unique_ptr<TPolygon> square(Square(0, 0, 10));
    square->Scale(2, 3);
    square->Offset(5, -5);
    const FloatRect e = square->GetExtent();
    EXPECT_EQ(e.MinX, 5);
    EXPECT_EQ(e.MaxX, 25);
    EXPECT_EQ(e.MinY, -5);
    EXPECT_EQ(e.MaxY, 25);
    float cx, cy;
    square->GetCentre(cx, cy);
    EXPECT_EQ(cx, 15);
    EXPECT_EQ(cy, 10);
}

TEST(Segment, BoundsAllowForThePen) {
    std::unique_ptr<TPolygon> square(Square(10, 20, 5));
    EXPECT_EQ(square->GetBounds(), (TRect{9, 19, 17, 27}));
    square->Pen.Width = 3; // half width 1
    EXPECT_EQ(square->GetBounds(), (TRect{8, 18, 18, 28}));
}

TEST(Segment, AddArcMakesAPointEvery12Degrees) {
    TPolyline arc;
    arc.AddArc(true, 0, 0, 0, 180, 10, 10);
    EXPECT_EQ(arc.PointCount(), 16);
    EXPECT_EQ(arc.Vertices.Count(), 0) << "AddArc leaves the vertices alone";
    arc.UpdateVertices();
    EXPECT_EQ(arc.GetVertex(0), QPoint(10, 0));
    EXPECT_EQ(arc.GetVertex(15), QPoint(-10, 0));
    EXPECT_EQ(arc.GetVertex(7).y(), 10) << "clockwise arcs bend downward on screen";
    TPolyline counter;
    counter.AddArc(false, 0, 0, 0, 360, 5, 5);
    counter.UpdateVertices();
    EXPECT_EQ(counter.PointCount(), 31);
    EXPECT_EQ(counter.GetVertex(7), QPoint(1, -5)) << "84 degrees, counter-clockwise: up";
}

TEST(Polyline, HitToleranceAndEnds) {
    std::unique_ptr<TPolyline> wire(Line({{10, 10}, {30, 10}, {30, 30}}));
    EXPECT_TRUE(wire->HitTest(20, 12));
    EXPECT_EQ(wire->HitPoint, QPoint(20, 10));
    EXPECT_EQ(wire->HitSegment, 0);
    EXPECT_FALSE(wire->HitTest(20, 13)) << "squared distance 9 is beyond the tolerance of 5";
    EXPECT_TRUE(wire->HitTest(31, 25));
    EXPECT_EQ(wire->HitSegment, 1);
    EXPECT_FALSE(wire->HitTest(30, 31)) << "beyond the last vertex never hits";
    EXPECT_FALSE(wire->HitTest(8, 10)) << "before the first vertex never hits";

    std::unique_ptr<TPolyline> dot(Line({{5, 5}, {5, 5}}));
    EXPECT_FALSE(dot->HitTest(5, 5));
}

TEST(Polygon, EvenOddHitTest) {
    std::unique_ptr<TPolygon> square(Square(-4, -4, 8));
    EXPECT_TRUE(square->HitTest(0, 0));
    EXPECT_TRUE(square->HitTest(-4, -4));
    EXPECT_TRUE(square->HitTest(3, 3));
    EXPECT_FALSE(square->HitTest(4, 0)) << "right edge is outside";
    EXPECT_FALSE(square->HitTest(0, 4)) << "bottom edge is outside";

    // A pentagram: its centre is covered twice and so lies outside by the even-odd rule.
    TPolygon star;
    for (QPoint p : {QPoint(50, 0), QPoint(79, 90), QPoint(2, 35), QPoint(98, 35), QPoint(21, 90)})
        star.AddPoint(p);
    EXPECT_FALSE(star.HitTest(50, 50));
    EXPECT_TRUE(star.HitTest(50, 10));
}

TEST(Segment, VertexHandles) {
    std::unique_ptr<TPolyline> line(Line({{10, 10}, {20, 10}, {30, 10}}));
    int index = -1;
    EXPECT_TRUE(line->HitVertex(8, 8, index, 4));
    EXPECT_EQ(index, 0);
    EXPECT_TRUE(line->HitVertex(13, 13, index, 4)) << "6 by 6 from 2 up and left";
    EXPECT_FALSE(line->HitVertex(14, 10, index, 4));
    EXPECT_FALSE(line->HitVertex(7, 10, index, 4));
    line->SkipEndHandles = true;
    EXPECT_FALSE(line->HitVertex(10, 10, index, 4));
    EXPECT_TRUE(line->HitVertex(20, 10, index, 4));
    EXPECT_EQ(index, 1);
}

TEST(GraphicList, HitTestFindsTheTopmostChild) {
    TGraphicList list;
    auto* bottom = Square(0, 0, 20);
    auto* top = Square(10, 10, 20);
    list.AddChild(bottom);
    list.AddChild(top);
    EXPECT_TRUE(list.HitTest(15, 15));
    EXPECT_EQ(list.HitChild, top);
    EXPECT_TRUE(list.HitTest(5, 5));
    EXPECT_EQ(list.HitChild, bottom);
    EXPECT_FALSE(list.HitTest(50, 50));
    EXPECT_EQ(list.HitChild, nullptr);
}

TEST(GraphicList, ZOrderAndDeletion) {
    TGraphicList list;
    auto* a = Square(0, 0, 5);
    auto* b = Square(0, 0, 5);
    auto* c = Square(0, 0, 5);
    list.AddChild(a);
    list.AddChild(b);
    list.BringToFront(c);
    EXPECT_EQ(list.Child(2), c) << "BringToFront adds a new object on top";
    list.BringToFront(a);
    EXPECT_EQ(list.Child(0), b);
    EXPECT_EQ(list.Child(2), a);
    list.SendToBack(a);
    EXPECT_EQ(list.Child(0), a);
    list.DeleteChild(nullptr);
    EXPECT_EQ(list.ChildCount(), 3);
    list.DeleteChild(b);
    EXPECT_EQ(list.ChildCount(), 2);
    EXPECT_EQ(list.Child(1), c);
}

TEST(GraphicList, BoundsExtentAndCentreOn) {
    TGraphicList empty;
    EXPECT_EQ(empty.GetBounds(), (TRect{2147483647, 2147483647, 0, 0}));
    TGraphicList list;
    list.AddChild(Square(0, 0, 10));
    list.AddChild(Square(20, 30, 10));
    list.AddChild(new TPolyline); // empty: adds nothing
    EXPECT_EQ(list.GetBounds(), (TRect{-1, -1, 32, 42}));
    list.CentreOn({100, 100});
    const FloatRect e = list.GetExtent();
    EXPECT_EQ(e.MinX, 85);
    EXPECT_EQ(e.MaxX, 115);
    EXPECT_EQ(e.MinY, 80);
    EXPECT_EQ(e.MaxY, 120);
    EXPECT_EQ(static_cast<TSegment*>(list.Child(0))->GetVertex(0), QPoint(85, 80));
}

TEST(GraphicList, CollectInsideAndOutsideIncludeEdges) {
    TGraphicList list;
    auto* inside = Square(10, 10, 10); // bounds 9,9 to 22,22
    auto* outside = Square(30, 30, 10);
    list.AddChild(inside);
    list.AddChild(outside);
    TGraphicList found(kReferencesOnly);
    EXPECT_TRUE(list.CollectInside({9, 9, 22, 22}, &found));
    ASSERT_EQ(found.ChildCount(), 1);
    EXPECT_EQ(found.Child(0), inside);
    TGraphicList rest(kReferencesOnly);
    EXPECT_TRUE(list.CollectOutside({9, 9, 22, 22}, &rest));
    ASSERT_EQ(rest.ChildCount(), 1);
    EXPECT_EQ(rest.Child(0), outside);
    TGraphicList none(kReferencesOnly);
    EXPECT_FALSE(list.CollectInside({10, 10, 22, 22}, &none));
}

TEST(Drawing, PolygonFillsOutlinesAndHandles) {
    std::unique_ptr<TPolygon> square(Square(5, 5, 20));
    square->Brush.Colour = RGBColour(0, 0, 255);
    square->Pen.Colour = RGBColour(255, 0, 0);
    QImage image = Render(*square);
    EXPECT_EQ(image.pixel(15, 15), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(5, 15), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(2, 2), qRgb(255, 255, 255));

    square->Outline = true;
    image = Render(*square);
    EXPECT_EQ(image.pixel(15, 15), qRgb(255, 255, 255)) << "an outline is not filled";
    EXPECT_EQ(image.pixel(15, 5), qRgb(255, 0, 0));

    square->EditVertices = true;
    image = Render(*square);
    EXPECT_EQ(image.pixel(3, 3), qRgb(0, 0, 0)) << "handle frame at the first vertex";
    EXPECT_EQ(image.pixel(4, 4), qRgb(255, 255, 255)) << "white handle inside";
}

TEST(Drawing, DragOutlineInvertsAndErasesItself) {
    std::unique_ptr<TPolyline> line(Line({{5, 20}, {35, 20}}));
    line->Dragging = true;
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter dc(&image);
        line->Draw(dc);
    }
    const int dark = CountPixels(image, qRgb(0, 0, 0));
    EXPECT_GT(dark, 5);
    EXPECT_LT(dark, 31) << "the drag outline is dotted";
    {
        QPainter dc(&image);
        line->Draw(dc);
    }
    EXPECT_EQ(CountPixels(image, qRgb(255, 255, 255)), 40 * 40);
}

TEST(Drawing, CompositeHandsItsDraggingToChildren) {
    TGraphicList list;
    auto* square = Square(5, 5, 20);
    square->Brush.Colour = RGBColour(0, 255, 0);
    list.AddChild(square);
    list.Dragging = true;
    const QImage image = Render(list);
    EXPECT_TRUE(square->Dragging);
    EXPECT_EQ(image.pixel(15, 15), qRgb(255, 255, 255)) << "dragged shapes are outlines only";
}

TEST(Geometry, Routines) {
    EXPECT_EQ(RectFromPoints({10, 5}, {2, 8}), (TRect{2, 5, 10, 8}));
    TRect r{0, 0, 10, 10};
    InflateRectBy(r, 2);
    EXPECT_EQ(r, (TRect{-2, -2, 12, 12}));
    EXPECT_TRUE(PointInRectStrict({0, 0, 10, 10}, {5, 5}));
    EXPECT_FALSE(PointInRectStrict({0, 0, 10, 10}, {0, 5}));
    EXPECT_TRUE(RectInsideRect({0, 0, 10, 10}, {0, 0, 10, 10}));
    EXPECT_FALSE(RectInsideRect({-1, 0, 10, 10}, {0, 0, 10, 10}));
    const TSegmentDistance degenerate = PointSegmentDistance({3, 3}, {3, 3}, 50, 50);
    EXPECT_EQ(degenerate.T, 0);
    EXPECT_EQ(degenerate.DistanceSquared, 10000);
    EXPECT_FLOAT_EQ(LineAngle(0, 0, 1, 0, true), 0);
    EXPECT_FLOAT_EQ(LineAngle(0, 0, 0, 1, true), 90);
    EXPECT_FLOAT_EQ(LineAngle(0, 0, -1, 0, true), 180);
    EXPECT_FLOAT_EQ(LineAngle(0, 0, 1, -1, true), 315);
    EXPECT_FLOAT_EQ(LineAngle(4, 4, 4, 4, true), 270);
}
