#include "canvas/DigitalHandles.h"

#include "canvas/Cursors.h"
#include "drawing/Geometry.h"
#include "drawing/Segment.h"
#include "model/Device.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

TDigitalHandles::TDigitalHandles(TGrid* grid, const TViewTransform* view, QWidget* canvas)
    : QWidget(canvas), Items(std::make_unique<TGraphicList>(kReferencesOnly)),
      Group(std::make_unique<TGraphicList>(kReferencesOnly)), Grid(grid), View(view) {
    setObjectName(QStringLiteral("Handles"));
    Items->Rotatable = false;
    Items->Sizeable = false;
    Group->Rotatable = false;
    Group->Sizeable = false;
    setMouseTracking(true);
    resize(32, 32);
    hide();
    setEnabled(false);
}

TDigitalHandles::~TDigitalHandles() = default;

TGraphicObject* TDigitalHandles::Selected() {
    const int count = Items->ChildCount();
    if (count == 0)
        return nullptr;
    if (count == 1)
        return Items->Child(0);
    Group->Children->Clear();
    for (int i = 0; i < count; ++i)
        Group->AddChild(Items->Child(i));
    return Group.get();
}

bool TDigitalHandles::IsSelected(const TGraphicObject* object) const {
    return Items->Children->IndexOf(const_cast<TGraphicObject*>(object)) >= 0;
}

void TDigitalHandles::SelectObject(TGraphicObject* object) {
    HideSelection();
    if (!object)
        return;
    Items->Children->Clear();
    auto* list = KindCast<TGraphicList>(object);
    if (list && !IsA<TDevice>(object)) {
        for (int i = 0; i < list->ChildCount(); ++i)
            Items->AddChild(list->Child(i));
    } else {
        Items->AddChild(object);
    }
    if (!HasSelection())
        return;
    VertexEditing = false;
    VertexDragging = false;
    show();
    setEnabled(true);
    raise();
    FrameSelection();
    emit OnSetItem();
}

void TDigitalHandles::FrameSelection() {
    const QRect b = Selected()->GetBounds().ToQRect();
    SetFrame(b.left() - 1, b.top() - 1, b.width() + 2, b.height() + 2);
}

void TDigitalHandles::HideSelection() {
    if (HasSelection()) {
        hide();
        setEnabled(false);
        if (auto* segment = VertexEditing ? KindCast<TSegment>(Selected()) : nullptr) {
            InvalidateGrown(segment->GetBounds().ToQRect());
            segment->EditVertices = false;
        }
    }
    Items->Children->Clear();
    Group->Children->Clear();
    VertexEditing = false;
    // A drag cut short (a deletion or an undo under the mouse) reports nothing when it ends.
    Pressed = false;
    VertexDragging = false;
    Moved = false;
    Sized = false;
    Rotated = false;
    VertexMoved = false;
}

void TDigitalHandles::SetVertexEditing(bool on) {
    auto* segment = on ? KindCast<TSegment>(Selected()) : nullptr;
    if (!segment) {
        VertexEditing = false;
        return;
    }
    VertexEditing = true;
    SetFrame(Frame.x() - HandleSize, Frame.y() - HandleSize, Frame.width() + 2 * HandleSize,
             Frame.height() + 2 * HandleSize);
    segment->SkipEndHandles = IsA<TPolyline>(segment);
    segment->EditVertices = true;
    InvalidateGrown(segment->GetBounds().ToQRect());
}

void TDigitalHandles::SetFrame(int left, int top, int width, int height) {
    if (width < MinSize) {
        left = left + width / 2 - MinSize / 2;
        width = MinSize;
    }
    if (height < MinSize) {
        top = top + height / 2 - MinSize / 2;
        height = MinSize;
    }
    Frame = QRect(left, top, width, height);
    PlaceFrame();
}

void TDigitalHandles::PlaceFrame() {
    // A small zoom still leaves room for the squares.
    QRect shown = View->ToWidget(Frame);
    if (shown.width() < MinSize)
        shown = QRect(shown.left() + shown.width() / 2 - MinSize / 2, shown.top(), MinSize, shown.height());
    if (shown.height() < MinSize)
        shown = QRect(shown.left(), shown.top() + shown.height() / 2 - MinSize / 2, shown.width(), MinSize);
    setGeometry(shown);
}

QPoint TDigitalHandles::CircuitPoint(QPointF p) const {
    return View->ToCircuit(mapToParent(p));
}

void TDigitalHandles::Detach(int x, int y, bool down) {
    TGraphicObject* selected = Selected();
    // The group is refilled by every Selected; the canvas gets the objects, not our list.
    std::unique_ptr<TGraphicList> group;
    if (selected == Group.get()) {
        group = std::make_unique<TGraphicList>(kReferencesOnly);
        for (int i = 0; i < Group->ChildCount(); ++i)
            group->AddChild(Group->Child(i));
        selected = group.get();
    }
    HideSelection();
    emit OnDetach(selected, x, down, y);
}

QPoint TDigitalHandles::ArrowStep(int key) {
    switch (key) {
    case Qt::Key_Left:
        return {-1, 0};
    case Qt::Key_Right:
        return {1, 0};
    case Qt::Key_Up:
        return {0, -1};
    case Qt::Key_Down:
        return {0, 1};
    default:
        return {};
    }
}

void TDigitalHandles::MoveSelectionBy(int dx, int dy) {
    if (!HasSelection())
        return;
    std::unique_ptr<TGraphicList> group;
    TGraphicObject* object = Selected();
    if (object == Group.get()) {
        group = std::make_unique<TGraphicList>(kReferencesOnly);
        for (int i = 0; i < Group->ChildCount(); ++i)
            group->AddChild(Group->Child(i));
        object = group.get();
    }
    const bool wasVertexEditing = VertexEditing;
    HideSelection();
    InvalidateGrown(object->GetBounds().ToQRect());
    object->Offset(static_cast<float>(dx), static_cast<float>(dy));
    object->UpdateVertices();
    SelectObject(object);
    SetVertexEditing(wasVertexEditing);
    emit OnItemMoved();
}

void TDigitalHandles::InvalidateGrown(const QRect& r) {
    if (InvalidateCanvas && !r.isEmpty())
        InvalidateCanvas(InflateByHandles(r));
}

// ---------------------------------------------------------------------------------------------------
// Painting and hovering

void TDigitalHandles::paintEvent(QPaintEvent*) {
    if (!HasSelection() || VertexEditing || Pressed)
        return;
    QPainter painter(this);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    const int w = width();
    const int h = height();
    const int s = HandleSize;
    // Right and bottom edges exclusive: a square of side s covers s pixels.
    for (const QPoint corner : {QPoint(0, 0), QPoint(w - s, 0), QPoint(w - s, h - s), QPoint(0, h - s)})
        painter.drawRect(QRect(corner, QSize(s - 1, s - 1)));
    if (Selected()->Rotatable) {
        const QRect knob(QPoint(w - 9, h / 2 - 4), QPoint(w - 1, h / 2 + 4));
        painter.drawEllipse(knob);
        const QPoint tl = knob.topLeft();
        painter.drawLine(tl + QPoint(2, 4), tl + QPoint(6, 4));
        painter.drawLine(tl + QPoint(4, 2), tl + QPoint(4, 6));
    }
}

void TDigitalHandles::Hover(QPoint p) {
    TGraphicObject* selected = Selected();
    if (!selected)
        return;
    const int s = HandleSize;
    const int w = width();
    const int h = height();
    m_overHandle = false;
    QCursor cursor(Qt::ArrowCursor);
    if (VertexEditing) {
        int index = 0;
        auto* segment = KindCast<TSegment>(selected);
        const QPoint at = CircuitPoint(p);
        if (segment && segment->HitVertex(at.x(), at.y(), index, s)) {
            cursor = CursorForNumber(kCursorDigitalArrow);
            m_overHandle = true;
        }
        setCursor(cursor);
        return;
    }
    DragKind = 0;
    auto in = [&p](int left, int top, int right, int bottom) {
        return p.x() >= left && p.x() <= right && p.y() >= top && p.y() <= bottom;
    };
    if (selected->Sizeable) {
        const QRect zones[] = {{QPoint(0, 0), QPoint(s, s)},
                               {QPoint(w - s, 0), QPoint(w, s)},
                               {QPoint(w - s, h - s), QPoint(w, h)},
                               {QPoint(0, h - s), QPoint(s, h)}};
        for (int corner = 0; corner < 4; ++corner) {
            const QRect& z = zones[corner];
            if (in(z.left(), z.top(), z.right(), z.bottom())) {
                DragKind = 1;
                Corner = static_cast<uint8_t>(corner);
                cursor = QCursor(corner % 2 == 0 ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor);
                m_overHandle = true;
            }
        }
    }
    if (selected->Rotatable && in(w - 6, h / 2 - 3, w, h / 2 + 3)) {
        DragKind = 2;
        cursor = CursorForNumber(kCursorDigitalHand);
        m_overHandle = true;
    }
    setCursor(cursor);
}

// ---------------------------------------------------------------------------------------------------
// Pressing, dragging and releasing

void TDigitalHandles::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    TGraphicObject* selected = Selected();
    if (event->button() != Qt::LeftButton || !selected)
        return;
    Hover(p);
    const QPoint at = CircuitPoint(p);
    if (!selected->HitTest(at.x(), at.y()) && !m_overHandle) {
        Detach(at.x(), at.y(), true);
        return;
    }
    if (!VertexEditing) {
        const FloatRect e = selected->GetExtent();
        ExtentWidth = e.MaxX - e.MinX;
        ExtentHeight = e.MaxY - e.MinY;
        selected->GetCentre(CentreX, CentreY);
        DragStart = at;
        SizeRect = Frame;
        Angle = 360;
        DragBounds = selected->GetBounds().ToQRect();
        LastDragPoint = Grid->SnapPoint(at);
        Pressed = true;
        update();
        return;
    }
    if (auto* segment = KindCast<TSegment>(selected)) {
        int index = 0;
        if (segment->HitVertex(at.x(), at.y(), index, HandleSize)) {
            VertexIndex = index;
            VertexDragging = true;
        }
    }
}

void TDigitalHandles::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (!Pressed && !VertexDragging) {
        Hover(p);
        return;
    }
    if (!Selected())
        return;
    if (VertexDragging)
        DragVertex(CircuitPoint(p));
    else if (DragKind == 0)
        DragMove(CircuitPoint(p));
    else if (DragKind == 1)
        DragResize(CircuitPoint(p));
    else
        DragRotate(p);
}

void TDigitalHandles::DragVertex(QPoint canvasPoint) {
    auto* segment = KindCast<TSegment>(Selected());
    if (!segment || VertexIndex < 0 || VertexIndex >= segment->PointCount())
        return;
    const QPoint q = Grid->SnapPoint(canvasPoint);
    InvalidateGrown(segment->GetBounds().ToQRect());
    segment->SetPoint(q, VertexIndex);
    InvalidateGrown(segment->GetBounds().ToQRect());
    VertexMoved = true;
}

void TDigitalHandles::DragMove(QPoint canvasPoint) {
    const QPoint q = Grid->SnapPoint(canvasPoint);
    const QPoint d = q - LastDragPoint;
    if (d.isNull())
        return;
    LastDragPoint = q;
    InvalidateGrown(DragBounds);
    TGraphicObject* selected = Selected();
    selected->Offset(static_cast<float>(d.x()), static_cast<float>(d.y()));
    selected->UpdateVertices();
    DragBounds.translate(d);
    FrameSelection();
    InvalidateGrown(selected->GetBounds().ToQRect());
    Moved = true;
    emit OnItemMoving();
}

void TDigitalHandles::DragResize(QPoint canvasPoint) {
    TGraphicObject* selected = Selected();
    // Where the frame's top-left corner would be if it followed the mouse.
    QPoint q = Grid->SnapPoint(Frame.topLeft() + canvasPoint - DragStart);
    const FloatRect e = selected->GetExtent();
    const float w = e.MaxX - e.MinX;
    const float h = e.MaxY - e.MinY;
    FloatRect n = e;
    const int m = MinSize;
    // Snapping the smallest edge can land it inside the minimum; the next grid line outwards
    // keeps the promise that a drag never makes a selection smaller than MinSize.
    const int pitch = Grid->Snap && Grid->SnapSize >= 2 ? Grid->SnapSize : 1;
    auto atLeast = [m, pitch](int span) { return span >= m ? 0 : (m - span + pitch - 1) / pitch * pitch; };
    // SizeRect's right and bottom are the frame's outer edges.
    const int right = SizeRect.left() + SizeRect.width();
    const int bottom = SizeRect.top() + SizeRect.height();
    if (Corner == 0 || Corner == 3) {
        int edge = q.x();
        if (edge > right - m)
            edge = Grid->SnapPoint(QPoint(RoundToInt(e.MaxX - static_cast<float>(m)), 0)).x();
        edge -= atLeast(RoundToInt(e.MaxX) - edge);
        n.MinX = static_cast<float>(edge);
        SizeRect.setLeft(edge);
    }
    if (Corner == 0 || Corner == 1) {
        int edge = q.y();
        if (edge > bottom - m)
            edge = Grid->SnapPoint(QPoint(0, RoundToInt(e.MaxY - static_cast<float>(m)))).y();
        edge -= atLeast(RoundToInt(e.MaxY) - edge);
        n.MinY = static_cast<float>(edge);
        SizeRect.setTop(edge);
    }
    if (Corner == 1 || Corner == 2) {
        int edge = RoundToInt(static_cast<float>(q.x()) + ExtentWidth);
        if (static_cast<float>(SizeRect.left() + m) > static_cast<float>(q.x()) + ExtentWidth)
            edge = RoundToInt(e.MinX + static_cast<float>(m));
        edge = Grid->SnapPoint(QPoint(edge, 0)).x();
        edge += atLeast(edge - RoundToInt(n.MinX));
        n.MaxX = static_cast<float>(edge);
        SizeRect.setRight(edge - 1);
    }
    if (Corner == 2 || Corner == 3) {
        int edge = RoundToInt(static_cast<float>(q.y()) + ExtentHeight);
        if (static_cast<float>(SizeRect.top() + m) > static_cast<float>(q.y()) + ExtentHeight)
            edge = RoundToInt(e.MinY + static_cast<float>(m));
        edge = Grid->SnapPoint(QPoint(0, edge)).y();
        edge += atLeast(edge - RoundToInt(n.MinY));
        n.MaxY = static_cast<float>(edge);
        SizeRect.setBottom(edge - 1);
    }
    const float nw = n.MaxX - n.MinX;
    const float nh = n.MaxY - n.MinY;
    if ((nw == w && nh == h) || w <= 0 || h <= 0 || nw <= 0 || nh <= 0)
        return;
    InvalidateGrown(selected->GetBounds().ToQRect());
    selected->Offset(-e.MinX, -e.MinY);
    selected->Scale(nw / w, nh / h);
    selected->Offset(n.MinX, n.MinY);
    selected->UpdateVertices();
    FrameSelection();
    InvalidateGrown(selected->GetBounds().ToQRect());
    Sized = true;
    emit OnItemSizing();
}

// The angle from the overlay's middle to the mouse is the same in widget pixels as in the circuit.
void TDigitalHandles::DragRotate(QPoint p) {
    const float a = Grid->SnapAngle(LineAngle(width() / 2, height() / 2, p.x(), p.y(), true));
    if (a == Angle)
        return;
    const float d = a - Angle;
    Angle = a;
    TGraphicObject* selected = Selected();
    InvalidateGrown(selected->GetBounds().ToQRect());
    selected->Offset(-CentreX, -CentreY);
    selected->Rotate(d);
    selected->Offset(CentreX, CentreY);
    selected->UpdateVertices();
    FrameSelection();
    InvalidateGrown(selected->GetBounds().ToQRect());
    Rotated = true;
    emit OnItemRotating();
}

void TDigitalHandles::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    Changed = VertexMoved || Moved || Sized || Rotated;
    if (VertexEditing && VertexDragging && VertexMoved) {
        if (TGraphicObject* selected = Selected()) {
            const QRect b = selected->GetBounds().ToQRect();
            SetFrame(b.left() - HandleSize, b.top() - HandleSize, b.width() + 2 * HandleSize,
                     b.height() + 2 * HandleSize);
        }
    }
    const bool moved = Moved, sized = Sized, rotated = Rotated, vertexMoved = VertexMoved;
    VertexDragging = false;
    Pressed = false;
    VertexMoved = false;
    Moved = false;
    Sized = false;
    Rotated = false;
    update();
    if (moved)
        emit OnItemMoved();
    if (sized)
        emit OnItemSized();
    if (rotated)
        emit OnItemRotated();
    if (vertexMoved)
        emit OnVertexMoved();
    if (Changed && HasSelection()) {
        const QPoint at = CircuitPoint(p);
        Detach(at.x(), at.y(), false);
    }
}

void TDigitalHandles::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && HasSelection())
        emit OnDblClick();
}
