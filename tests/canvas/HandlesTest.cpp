#include "GuiFixture.h"
#include "TestCircuit.h"

#include <gtest/gtest.h>

namespace {

// A canvas driven with mouse events at canvas pixels, delivered to the overlay where it lies.
class HandlesTest : public TGuiTest {
protected:
    void SetUp() override {
        TGuiTest::SetUp();
        parent.resize(800, 600);
        canvas = new TDigitalDrawing(&parent);
        canvas->resize(2000, 2000);
        parent.show();
    }
    static float Width(TGraphicObject* object) {
        const FloatRect e = object->GetExtent();
        return e.MaxX - e.MinX;
    }

    QWidget parent;
};

// An outline polygon, as the template editor draws one: it closes on a press near its first
// vertex, and its corner handle resizes it on the grid but never below the minimum size.
TEST_F(HandlesTest, PolygonClosesNearItsStartAndResizesDownToTheMinimum) {
    canvas->CurrentMacro->Closed = true;
    canvas->ShowClosed = true;
    canvas->KeepHistory = false;
    int ended = 0;
    QObject::connect(canvas, &TDigitalDrawing::OnEndDrawing, [&] { ++ended; });
    const int outline = canvas->CurrentMacro->ChildCount();

    canvas->SetPolygonMode(true);
    for (QPoint p : {QPoint(100, 100), QPoint(200, 100), QPoint(200, 160), QPoint(102, 102)})
        Click(p);
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(canvas->PolygonMode);
    ASSERT_EQ(canvas->CurrentMacro->ChildCount(), outline + 1);
    auto* polygon = KindCast<TPolygon>(canvas->CurrentMacro->Child(outline));
    ASSERT_NE(polygon, nullptr);
    EXPECT_FALSE(polygon->Outline);
    EXPECT_EQ(polygon->PointCount(), 3) << "the closing press adds no point";

    canvas->SetSelectMode(true);
    Click({180, 130});
    ASSERT_EQ(canvas->Handles->Selected(), polygon);
    // The bottom-right corner dragged well past the left edge stops at the first grid line at
    // least the minimum width from the left edge.
    ASSERT_EQ(canvas->Grid.SnapSize, 10);
    QRect frame = canvas->Handles->geometry();
    Drag(frame.bottomRight() - QPoint(2, 2), {40, 300});
    EXPECT_FLOAT_EQ(Width(polygon), 20);
    EXPECT_EQ(polygon->GetExtent().MinX, 100);

    // Dragged outwards, the corner lands on the grid.
    Click({600, 600});
    Click({105, 130});
    frame = canvas->Handles->geometry();
    Drag(frame.bottomRight() - QPoint(2, 2), {247, 283});
    const FloatRect e = polygon->GetExtent();
    EXPECT_EQ(e.MaxX, 250);
    EXPECT_EQ(int(e.MaxY) % canvas->Grid.SnapSize, 0);
}

// A selected wire shows its vertices: the middle one follows the mouse on the grid, the ends stay.
TEST_F(HandlesTest, WireVerticesAreDraggedButNotItsEnds) {
    TTestCircuit circuit(canvas->CurrentMacro);
    auto* a = circuit.Add<TNotGate>(100, 100);
    auto* b = circuit.Add<T2OrGate>(400, 300);
    TWire* wire = circuit.Wire(a->Pin(0), b->Pin(1));
    wire->SetPoint(a->Pin(0)->RoundedCentre(), 0);
    auto* bend = new TFloatPoint(300, 100);
    wire->Points->Insert(1, bend);
    wire->UpdateVertices();
    canvas->SetSelectMode(true);

    Click({200, 100});
    ASSERT_EQ(canvas->Handles->Selected(), wire);
    EXPECT_TRUE(canvas->Handles->VertexEditing);
    Drag({300, 100}, {352, 148});
    EXPECT_EQ(wire->GetVertex(1), QPoint(350, 150));
    const QPoint start = wire->FirstVertex();
    Click(wire->GetVertex(1));
    Drag(start, start + QPoint(0, 60));
    EXPECT_EQ(wire->FirstVertex(), a->Pin(0)->RoundedCentre());
    EXPECT_EQ(canvas->UndoName(), "Move Vertex");
}

} // namespace
