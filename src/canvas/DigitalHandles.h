#pragma once

// The selection overlay: a transparent child of the canvas laid over the selected object or group.
// It shows the selection (four corner squares and, for rotatable objects, a rotate knob) and
// performs the direct manipulations: dragging to move, dragging a corner to resize, dragging the
// knob to rotate in snapped steps and, for wires and outline shapes, dragging their vertices. It
// reports each manipulation through its signals and hands every press it does not take back to the
// canvas (OnDetach). All positions it computes are circuit coordinates; only its own squares and
// knob are drawn and hovered in widget pixels, so they keep their size at every zoom.

#include "canvas/ViewTransform.h"
#include "drawing/GraphicObject.h"
#include "drawing/SnapGrid.h"

#include <QRect>
#include <QWidget>

#include <functional>
#include <memory>

class TDigitalHandles : public QWidget {
    Q_OBJECT
public:
    // The grid and the view are the canvas's and outlive the overlay.
    TDigitalHandles(TGrid* grid, const TViewTransform* view, QWidget* canvas);
    ~TDigitalHandles() override;

    // Nil when nothing is selected, the object when one is, else Group refilled with Items.
    TGraphicObject* Selected();
    bool SingleSelected() const { return Items->ChildCount() == 1; }
    bool GroupSelected() const { return Items->ChildCount() > 1; }
    bool HasSelection() const { return Items->ChildCount() > 0; }
    bool IsSelected(const TGraphicObject* object) const;

    // A temporary group (a TGraphicList that is no device) selects its members.
    void SelectObject(TGraphicObject* object);
    void HideSelection();
    void SetVertexEditing(bool on);
    // Frames a circuit rectangle; a side shorter than MinSize grows about its middle.
    void SetFrame(int left, int top, int width, int height);
    // Lays the overlay over Frame as the view shows it now (after a zoom).
    void PlaceFrame();
    QRect InflateByHandles(const QRect& r) const {
        return r.adjusted(-HandleSize, -HandleSize, HandleSize, HandleSize);
    }
    // Hides the selection and hands the press (down) or the end of a drag at circuit point (x, y)
    // back to the canvas.
    void Detach(int x, int y, bool down);
    // Keyboard nudging.
    void MoveSelectionBy(int dx, int dy);
    // The one-unit move an arrow key asks for; (0, 0) for any other key.
    static QPoint ArrowStep(int key);

    bool Changed = false;
    std::unique_ptr<TGraphicList> Items; // references only
    std::unique_ptr<TGraphicList> Group; // references only
    int HandleSize = 6;
    int MinSize = 14;
    QRect Frame;          // the framed circuit rectangle
    QPoint DragStart;     // circuit point of the press
    uint8_t DragKind = 0; // 0 move, 1 resize, 2 rotate
    uint8_t Corner = 0;   // 0 top-left, 1 top-right, 2 bottom-right, 3 bottom-left
    bool Pressed = false;
    bool VertexDragging = false;
    bool VertexEditing = false;
    bool Moved = false;
    bool Sized = false;
    bool Rotated = false;
    bool VertexMoved = false;
    QRect SizeRect;
    QRect DragBounds;
    QPoint LastDragPoint;
    float Angle = 360;
    int VertexIndex = 0;
    float CentreX = 0;
    float CentreY = 0;
    float ExtentWidth = 0;
    float ExtentHeight = 0;
    TGrid* Grid;                // not owned
    const TViewTransform* View; // not owned

    // Repaints an area of the canvas (canvas coordinates); set by the canvas.
    std::function<void(const QRect&)> InvalidateCanvas;

signals:
    void OnSetItem();
    void OnItemMoved();
    void OnItemMoving();
    void OnItemSized();
    void OnItemSizing();
    void OnItemRotated();
    void OnItemRotating();
    // A vertex drag ended that moved the vertex.
    void OnVertexMoved();
    // (object that was selected, x, down, y) in circuit coordinates.
    void OnDetach(TGraphicObject* object, int x, bool down, int y);
    void OnDblClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // The circuit point under a point of the overlay.
    QPoint CircuitPoint(QPointF p) const;
    void Hover(QPoint p);
    void DragMove(QPoint canvasPoint);
    void DragResize(QPoint canvasPoint);
    void DragRotate(QPoint p);
    void DragVertex(QPoint canvasPoint);
    // Reframes the overlay around the selection's bounds.
    void FrameSelection();
    void InvalidateGrown(const QRect& r);

    bool m_overHandle = false; // the hover cursor is not the default one
};
