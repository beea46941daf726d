// Mouse editing: each tool mode's press, move and release, placing objects and the wiring of pins
// and wires with joints made on the fly.

#include "canvas/Cursors.h"
#include "canvas/DigitalDrawing.h"
#include "canvas/DigitalHandles.h"
#include "devices/Interactive.h"
#include "drawing/Geometry.h"
#include "model/Connect.h"
#include "model/TagDevice.h"

#include <QMouseEvent>

namespace {

constexpr TPinKind kOutputKind = TPinKind::Output;
const char* const kTwoOutputsText = "Unable to connect two outputs";

QRect RubberLineRect(QPoint a, QPoint b) {
    return QRect(a, b).normalized().adjusted(-1, -1, 2, 2);
}

} // namespace

// The handlers work on the circuit point under the mouse, whatever the zoom.

void TDigitalDrawing::mousePressEvent(QMouseEvent* event) {
    const QPoint p = m_view.ToCircuit(event->position());
    MouseDown(event->button(), event->modifiers(), p.x(), p.y());
}

void TDigitalDrawing::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = m_view.ToCircuit(event->position());
    MouseMove(event->modifiers(), p.x(), p.y());
}

void TDigitalDrawing::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = m_view.ToCircuit(event->position());
    MouseUp(event->button(), event->modifiers(), p.x(), p.y());
}

// The second press of a double click is a press first, so a shape finished by a double click
// ends with that point twice.
void TDigitalDrawing::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
    DblClick();
}

// ---------------------------------------------------------------------------------------------------
// Press

void TDigitalDrawing::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
    emit OnMouseDown(button, shift, x, y);
    HideMessage();
    const QPoint keep = LastPoint;
    const bool left = button == Qt::LeftButton;
    if (left) {
        LastPoint = Grid.SnapPoint(QPoint(x, y));
        if (!Drawing)
            MousePoint = LastPoint;
    }
    ProbeTarget = nullptr;
    ProbeState = 0;
    const bool hit = CurrentMacro->HitTest(x, y);
    if (!hit)
        Handles->HideSelection();

    const bool refused = hit && WiringMode && left && !WiringDown(QPoint(x, y), keep);
    if (left) {
        if (InteractMode)
            InteractDown(button);
        if (ProbeMode)
            ProbeDown(button);
        if (PolygonMode || PolylineMode)
            ShapeDown(button, x, y);
        if (Drawing && !refused) {
            if (WiringMode && NewWire) {
                NewWire->AddPoint(LastPoint);
                InvalidateRect(NewWire->GetBounds().ToQRect());
            } else if (PolygonMode && NewPolygon) {
                const QPoint first = NewPolygon->PointCount() > 0 ? NewPolygon->GetVertex(0) : QPoint();
                if (NewPolygon->PointCount() > 0 && std::abs(LastPoint.x() - first.x()) < 4 &&
                    std::abs(LastPoint.y() - first.y()) < 4) {
                    NewPolygon->Outline = false;
                    InvalidateRect(NewPolygon->GetBounds().ToQRect());
                    CurrentMacro->AddChild(NewPolygon.release());
                    InvalidateRubberLine();
                    Drawing = false;
                    PolygonMode = false;
                    emit OnEndDrawing();
                } else {
                    NewPolygon->AddPoint(LastPoint);
                    InvalidateRect(NewPolygon->GetBounds().ToQRect());
                }
            } else if (PolylineMode && NewPolyline) {
                NewPolyline->AddPoint(LastPoint);
                InvalidateRect(NewPolyline->GetBounds().ToQRect());
            }
            SetModified(true);
        }
    }
    if (SelectMode)
        SelectDown(button, shift, x, y);
}

bool TDigitalDrawing::WiringDown(QPoint at, QPoint keep) {
    TMacro* macro = CurrentMacro;
    LastPoint = Grid.SnapPoint(at);
    if (auto* wire = KindCast<TWire>(macro->HitChild)) {
        bool refuse = false;
        if (Drawing && NewWire) {
            if (TPin* a = wire->SearchNet(kOutputKind)) {
                TPin* b = NewWire->SearchNet(kOutputKind);
                refuse = b && b != a;
            }
        }
        if (refuse) {
            RefuseConnection(keep);
            return false;
        }
        JoinWire(wire);
        SetModified(true);
        return true;
    }
    TPin* pin = macro->HitPin;
    if (!pin || pin->Wire)
        return true;
    if (!Drawing) {
        NewWire = std::make_unique<TWire>();
        Drawing = true;
        NewWire->Connect(pin);
        LastPoint = pin->RoundedCentre();
        MousePoint = LastPoint;
        SetModified(true);
        return true;
    }
    if (!NewWire)
        return true;
    if (pin->Kind == kOutputKind) {
        if (NewWire->SearchNet(kOutputKind)) {
            RefuseConnection(keep);
            return false;
        }
    }
    FinishWireAtPin(pin);
    return true;
}

void TDigitalDrawing::RefuseConnection(QPoint keep) {
    ShowMessage(LastPoint.x(), LastPoint.y(), TMessageKind::Fault, true,
                QString::fromLatin1(kTwoOutputsText));
    LastPoint = keep;
    InvalidateRubberLine();
}

void TDigitalDrawing::FinishWireAtPin(TPin* pin) {
    if (!NewWire || !pin || pin->Wire)
        return;
    NewWire->Connect(pin);
    NewWire->AddPoint(LastPoint);
    InvalidateRubberLine();
    TWire* wire = NewWire.release();
    CurrentMacro->Wires->AddChild(wire);
    if (CurrentMacro->FollowWireEnds())
        RefreshWires();
    InvalidateRect(wire->GetBounds().ToQRect());
    Drawing = false;
    ClassifyTags();
    SetModified(true);
    m_pendingEdit.clear();
    RecordEdit(QStringLiteral("Wire"));
}

void TDigitalDrawing::JoinWire(TWire* wire) {
    TMacro* macro = CurrentMacro;
    const QPoint p = Grid.SnapPoint(wire->HitPoint);
    wire->HitPoint = p;
    LastPoint = p;
    const QRect old = wire->GetBounds().ToQRect();
    TWire* first = nullptr;
    TWire* second = nullptr;
    wire->Split(first, second);
    macro->Wires->AddChild(first);
    macro->Wires->AddChild(second);
    DeleteFromMacro(macro, wire);
    InvalidateRect(old);

    auto* joint = new TSolder;
    joint->Offset(static_cast<float>(p.x()), static_cast<float>(p.y()));
    joint->UpdateVertices();
    macro->Solders->AddChild(joint);
    InvalidateRect(joint->GetBounds().ToQRect());
    first->Connect(joint);
    second->Connect(joint);

    if (Drawing && NewWire) {
        NewWire->AddPoint(LastPoint);
        InvalidateRubberLine();
        NewWire->Connect(joint);
        TWire* finished = NewWire.release();
        macro->Wires->AddChild(finished);
        InvalidateRect(finished->GetBounds().ToQRect());
        Drawing = false;
        ClassifyTags();
        SetModified(true);
        m_pendingEdit.clear();
        RecordEdit(QStringLiteral("Wire"));
        return;
    }
    NewWire = std::make_unique<TWire>();
    Drawing = true;
    NewWire->Connect(joint);
    MousePoint = LastPoint;
}

void TDigitalDrawing::ClassifyTags() {
    TTagDevice::ClassifyTags(CurrentMacro);
}

void TDigitalDrawing::InteractDown(Qt::MouseButton) {
    auto* device = KindCast<TDevice>(CurrentMacro->HitChild);
    if (!device || !device->Interactive)
        return;
    device->InteractiveDown();
    InvalidateRect(device->GetBounds().ToQRect());
    SetModified(true);
}

void TDigitalDrawing::InteractUp() {
    auto* device = KindCast<TDevice>(CurrentMacro->HitChild);
    if (!device || !device->Interactive)
        return;
    device->InteractiveUp();
    InvalidateRect(device->GetBounds().ToQRect());
    SetModified(true);
}

void TDigitalDrawing::ProbeDown(Qt::MouseButton) {
    if (CurrentMacro->HitPin)
        ProbeTarget = CurrentMacro->HitPin;
    else
        ProbeTarget = KindCast<TWire>(CurrentMacro->HitChild);
    UpdateProbe();
}

void TDigitalDrawing::ShapeDown(Qt::MouseButton, int x, int y) {
    if (Drawing)
        return;
    if (PolygonMode) {
        NewPolygon = std::make_unique<TPolygon>();
        NewPolygon->Outline = true;
    } else {
        NewPolyline = std::make_unique<TPolyline>();
    }
    Drawing = true;
    LastPoint = Grid.SnapPoint(QPoint(x, y));
    MousePoint = LastPoint;
    SetModified(true);
}

void TDigitalDrawing::SelectDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
    TGraphicObject* hit = CurrentMacro->HitChild;
    if (!hit) {
        if (button != Qt::LeftButton)
            return;
        Handles->HideSelection();
        RubberBanding = true;
        RubberAnchor = Grid.SnapPoint(QPoint(x, y));
        RubberRect = QRect(RubberAnchor, QSize(0, 0));
        DrawRubberRect();
        return;
    }
    Handles->SelectObject(hit);
    SelectWireForEditing();
    emit OnObjectSelected(button, shift, x, y);
}

void TDigitalDrawing::SelectWireForEditing() {
    if (Handles->SingleSelected() && IsA<TWire>(Handles->Selected()))
        Handles->SetVertexEditing(true);
}

// ---------------------------------------------------------------------------------------------------
// Move, release and double click

void TDigitalDrawing::MouseMove(Qt::KeyboardModifiers shift, int x, int y) {
    if (InteractMode)
        SetCursorNumber(kCursorHand);
    else if (ProbeMode)
        SetCursorNumber(ProbeState == 1   ? kCursorProbeOn
                        : ProbeState == 2 ? kCursorProbeOff
                                          : kCursorProbeFloat);

    if (WiringMode) {
        OverConnectable = false;
        if (CurrentMacro->HitTest(x, y)) {
            OverConnectable = IsA<TWire>(CurrentMacro->HitChild);
            if (CurrentMacro->HitPin)
                OverConnectable = !CurrentMacro->HitPin->Wire;
        }
        SetCursorNumber(OverConnectable ? kCursorWireConnect
                        : Drawing       ? kCursorWireIsWiring
                                        : kCursorWireDefault);
    } else if (InteractMode) {
        CurrentMacro->HitTest(x, y);
        const TGraphicObject* over = CurrentMacro->HitChild;
        OverConnectable = IsA<TInteractiveInput>(over) || IsA<TInteractiveSwitch>(over);
    }
    if (Drawing) {
        InvalidateRubberLine();
        MousePoint = Grid.SnapPoint(QPoint(x, y));
        InvalidateRubberLine();
    }
    if (RubberBanding)
        RubberMove(x, y);
    emit OnMouseMove(shift, x, y);
}

void TDigitalDrawing::RubberMove(int x, int y) {
    DrawRubberRect();
    const QPoint p = Grid.SnapPoint(QPoint(x, y));
    RubberRect = QRect(QPoint(std::min(p.x(), RubberAnchor.x()), std::min(p.y(), RubberAnchor.y())),
                       QPoint(std::max(p.x(), RubberAnchor.x()), std::max(p.y(), RubberAnchor.y())));
    DrawRubberRect();
}

void TDigitalDrawing::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
    emit OnMouseUp(button, shift, x, y);
    if (RubberBanding)
        RubberUp(button, shift, x, y);
    if (InteractMode)
        InteractUp();
}

void TDigitalDrawing::RubberUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
    DrawRubberRect();
    RubberBanding = false;
    // The rectangle's right and bottom edges are the last pixels it covers.
    const TRect r{RubberRect.left(), RubberRect.top(), RubberRect.right(), RubberRect.bottom()};
    TGraphicList group(kReferencesOnly);
    if (CurrentMacro->CollectInside(r, &group))
        Handles->SelectObject(&group);
    emit OnObjectSelected(button, shift, x, y);
    SetModified(true);
}

void TDigitalDrawing::DblClick() {
    if (Drawing && PolygonMode && NewPolygon) {
        InvalidateRect(NewPolygon->GetBounds().ToQRect());
        if (NewPolygon->PointCount() > 2) {
            NewPolygon->Outline = false;
            CurrentMacro->AddChild(NewPolygon.release());
        } else {
            NewPolygon.reset();
        }
        InvalidateRubberLine();
        Drawing = false;
        PolygonMode = false;
        emit OnEndDrawing();
    } else if (Drawing && PolylineMode && NewPolyline) {
        InvalidateRect(NewPolyline->GetBounds().ToQRect());
        CurrentMacro->AddChild(NewPolyline.release());
        InvalidateRubberLine();
        Drawing = false;
        PolylineMode = false;
        emit OnEndDrawing();
    }
    emit OnDblClick();
}

// ---------------------------------------------------------------------------------------------------
// Placing and the overlay's hand-backs

void TDigitalDrawing::AddObject(TGraphicObject* object, int x, int y, bool invalidate) {
    const QPoint p = Grid.SnapPoint(QPoint(x, y));
    object->Offset(static_cast<float>(p.x()), static_cast<float>(p.y()));
    object->UpdateVertices();
    if (IsA<TInputDevice>(object))
        CurrentMacro->Reset();
    if (IsA<TPin>(object))
        CurrentMacro->Pins->AddChild(object);
    else
        CurrentMacro->AddObject(object);
    if (invalidate)
        InvalidateRect(object->GetBounds().ToQRect());
    SetModified(true);
    RecordEdit(QStringLiteral("Place"));
}

void TDigitalDrawing::ClickThrough(TGraphicObject* object, int x, int y, bool down) {
    if (!SelectMode)
        return;
    if (down) {
        CurrentMacro->HitTest(x, y);
        object = CurrentMacro->HitChild;
        if (!object) {
            emit OnObjectDeSelected();
            return;
        }
    }
    Handles->SelectObject(object);
    SelectWireForEditing();
}

// ---------------------------------------------------------------------------------------------------
// Rubber line and rectangle, painted by paintEvent over the buffer

void TDigitalDrawing::InvalidateRubberLine() {
    UpdateCircuitRect(RubberLineRect(LastPoint, MousePoint));
}

void TDigitalDrawing::DrawRubberRect() {
    UpdateCircuitRect(RubberRect.adjusted(-1, -1, 2, 2));
}
