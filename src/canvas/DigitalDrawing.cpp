#include "canvas/DigitalDrawing.h"

#include "canvas/Cursors.h"
#include "canvas/DigitalHandles.h"
#include "model/Connect.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygon>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

constexpr uint32_t kGridDotColour = RGBColour(0, 128, 0);
constexpr uint32_t kFaultColour = RGBColour(255, 0, 0);
constexpr uint32_t kNoticeColour = RGBColour(0, 128, 0);

// The area a rubber line between two points touches, with room for the pen.
QRect RubberLineRect(QPoint a, QPoint b) {
    return QRect(a, b).normalized().adjusted(-1, -1, 2, 2);
}

// Grid dots closer together than this many pixels are thinned out, or a small zoom would fill the
// canvas with green.
constexpr int kMinDotSpacing = 4;
// Room left around the shown level by Zoom to Fit, in circuit units.
constexpr int kFitMargin = 10;
// One notch of a mouse wheel, in eighths of a degree.
constexpr int kWheelNotch = 120;

} // namespace

TDigitalDrawing::TDigitalDrawing(QWidget* parent)
    : QWidget(parent), ClipboardMacro(std::make_unique<TMacro>()),
      ShapeClipboard(std::make_unique<TGraphicList>()), Callout(std::make_unique<TMessageBox>()),
      m_root(std::make_unique<TMacro>()) {
    setObjectName(QStringLiteral("CircuitCanvas"));
    // Every pixel comes from the buffer, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    resize(32, 32);
    m_root->Closed = false;
    m_root->Displayed = true;
    CurrentMacro = m_root.get();
    ClipboardMacro->Closed = false;
    Callout->Visible = false;

    Handles = new TDigitalHandles(&Grid, &m_view, this);
    Handles->InvalidateCanvas = [this](const QRect& r) { InvalidateRect(r); };
    connect(Handles, &TDigitalHandles::OnDetach, this,
            [this](TGraphicObject* object, int x, bool down, int y) { ClickThrough(object, x, y, down); });
    auto edited = [this](const char* name) {
        return [this, name] {
            RefreshWires();
            SetModified(true);
            RecordEdit(QString::fromLatin1(name));
        };
    };
    connect(Handles, &TDigitalHandles::OnItemMoved, this, edited("Move"));
    connect(Handles, &TDigitalHandles::OnItemSized, this, edited("Resize"));
    connect(Handles, &TDigitalHandles::OnItemRotated, this, edited("Rotate"));
    connect(Handles, &TDigitalHandles::OnVertexMoved, this, edited("Move Vertex"));
    connect(Handles, &TDigitalHandles::OnItemRotating, this, [this] {
        RefreshWires();
        SetModified(true);
    });
    connect(Handles, &TDigitalHandles::OnItemMoving, this, [this] { RefreshWires(); });
    connect(Handles, &TDigitalHandles::OnDblClick, this, [this] {
        if (TGraphicObject* selected = Handles->Selected())
            emit OnObjectDblClick(selected);
    });
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            &TDigitalDrawing::SystemClipboardChanged);
    SystemClipboardChanged();
    ResetHistory();
}

TDigitalDrawing::~TDigitalDrawing() {
    // The overlay refers to objects of the circuit; the wire or shape being drawn may be attached
    // to its pins. Both let go before the circuit goes.
    Handles->HideSelection();
    NewWire.reset();
    NewPolygon.reset();
    NewPolyline.reset();
}

void TDigitalDrawing::Clear() {
    ModesOff();
    Handles->HideSelection();
    emit OnCircuitReplaced();
    // The new circuit starts at the root, whatever level was shown.
    if (MacroOpen()) {
        CurrentMacro->Displayed = false;
        CurrentMacro = MacroStack.front();
        MacroStack.clear();
        CurrentMacro->Displayed = true;
    }
    CurrentMacro->Clear();
    // Nor does the new circuit keep the old one's outline or datasheet context.
    CurrentMacro->TDevice::Clear();
    CurrentMacro->HelpTopic.clear();
    ProbeTarget = nullptr;
    ProbeState = 0;
    InvalidateAll();
    FileName.clear();
    MacroName.clear();
    SetModified(false);
    ResetHistory();
}

void TDigitalDrawing::SetModified(bool value) {
    Modified = value;
    HideMessage();
    // The root's order, not only the shown level's: a device of an open level can stand in the
    // root's order, and it may just have been deleted.
    TMacro* root = RootMacro();
    if (NeedsRebuild) {
        root->ClearDrivers();
        NeedsRebuild = false;
    }
    root->BuildCalcOrder();
}

// ---------------------------------------------------------------------------------------------------
// Callout

void TDigitalDrawing::ShowMessage(int x, int y, TMessageKind kind, bool pointAt, const QString& text) {
    // A callout still showing elsewhere must disappear from there.
    if (Callout->Visible)
        InvalidateRect(Callout->GetBounds().ToQRect());
    Callout->Visible = true;
    Callout->SetStyle(TGraphicBox::kStylePlain);
    Callout->PlaceAt(QPoint(x, y));
    if (kind == TMessageKind::Fault) {
        Callout->SetFontStyle(3);
        Callout->SetFontColor(kFaultColour);
    } else {
        Callout->SetFontStyle(0);
        Callout->SetFontColor(kNoticeColour);
    }
    Callout->SetText(text);
    if (pointAt) {
        // The balloon is chosen for the part of the circuit the user sees.
        const QRect area = VisibleArea();
        const QSize size =
            m_view.ToCircuit(QRect(QPoint(0, 0), parentWidget() ? parentWidget()->size() : this->size()))
                .size();
        Callout->ChooseStyleFor(size.width(), size.height(), QPoint(x, y) - area.topLeft());
    }
    InvalidateRect(Callout->GetBounds().ToQRect());
}

void TDigitalDrawing::HideMessage() {
    if (!Callout->Visible)
        return;
    Callout->Visible = false;
    const QRect bounds = Callout->GetBounds().ToQRect();
    InvalidateRect(bounds);
    repaint(WidgetRect(bounds));
}

// ---------------------------------------------------------------------------------------------------
// Simulation

void TDigitalDrawing::Step(TCalcResult& result) {
    TMacro* root = RootMacro();
    root->ClearDrivers();
    root->Calculate(result);
    if (result.Contention || result.Race) {
        // The levels that led to the fault are shown, then the circuit returns to power-on.
        PaintStepValues();
        ResetCircuit();
        if (result.Contention)
            ReportFault(result, "Bus contention, process halted", "Bus contention at higher level");
        if (result.Race)
            ReportFault(result, "Race condition, process halted", "Race condition at higher level");
    } else {
        PaintStepValues();
        if (Callout->Visible)
            InvalidateRect(Callout->GetBounds().ToQRect());
    }
    UpdateProbe();
}

void TDigitalDrawing::ReportFault(const TCalcResult& result, const char* pointedText,
                                  const char* higherText) {
    if (result.Device) {
        const QRect bounds = result.Device->GetBounds().ToQRect();
        // The user must see what halted: a part out of view is scrolled into it first.
        if (!VisibleArea().contains(bounds))
            if (QScrollArea* box = ScrollBox()) {
                const QRect shown = m_view.ToWidget(bounds);
                box->ensureVisible(shown.center().x(), shown.center().y(), shown.width() / 2 + 50,
                                   shown.height() / 2 + 50);
            }
        const QPoint at = result.Device->RoundedCentre();
        ShowMessage(at.x(), at.y(), TMessageKind::Fault, true, QString::fromLatin1(pointedText));
        return;
    }
    // The middle of what the user sees, wherever the view is scrolled to.
    const QRect area = VisibleWidgetArea();
    const QSize size = parentWidget() ? parentWidget()->size() : this->size();
    const QPoint middle =
        m_view.ToCircuit(QPointF(area.left() + size.width() / 2, area.top() + size.height() / 2));
    ShowMessage(middle.x(), middle.y(), TMessageKind::Fault, false, QString::fromLatin1(higherText));
}

void TDigitalDrawing::ResetCircuit() {
    RootMacro()->Reset();
}

void TDigitalDrawing::RepaintLevels() {
    CurrentMacro->ColourWires();
    InvalidateAll();
}

void TDigitalDrawing::UpdateProbe() {
    if (!ProbeMode || !ProbeTarget)
        return;
    auto stateOf = [this](bool driven, int32_t level) -> uint8_t {
        if (!driven)
            return 0;
        if (level > 0)
            return 1;
        if (level == 0)
            return 2;
        return ProbeState;
    };
    if (const TWire* wire = KindCast<TWire>(ProbeTarget))
        ProbeState = stateOf(wire->Driver != nullptr, wire->Level);
    else if (const TPin* pin = KindCast<TPin>(ProbeTarget))
        ProbeState = stateOf(pin->Driver != nullptr, pin->Level);
    else
        ProbeState = 0;
    SetCursorNumber(ProbeState == 1 ? kCursorProbeOn : ProbeState == 2 ? kCursorProbeOff : kCursorProbeFloat);
}

// ---------------------------------------------------------------------------------------------------
// Macro levels

void TDigitalDrawing::OpenMacro(TMacro* macro) {
    Handles->HideSelection();
    HideMessage();
    CurrentMacro->Displayed = false;
    MacroStack.push_back(CurrentMacro);
    CurrentMacro = macro;
    macro->Displayed = true;
    InvalidateAll();
}

void TDigitalDrawing::CloseMacro() {
    ModesOff();
    if (!MacroOpen())
        return;
    Handles->HideSelection();
    HideMessage();
    CurrentMacro->Displayed = false;
    CurrentMacro = MacroStack.back();
    MacroStack.pop_back();
    CurrentMacro->Displayed = true;
    InvalidateAll();
    RefreshWires();
    RemoveDanglingWires(CurrentMacro);
    CleanSolders(CurrentMacro);
}

void TDigitalDrawing::EditMacro(TMacro* macro) {
    OpenMacro(macro);
    CurrentMacro->Closed = false;
}

void TDigitalDrawing::CloseMacroLevel() {
    // A wire being drawn is abandoned while the level is still open: its clean-up deletes from the
    // level's lists, which a closed macro does not offer.
    ModesOff();
    CurrentMacro->Closed = true;
    CloseMacro();
}

void TDigitalDrawing::SetGrid(const TGrid& grid) {
    const bool dotsChange = grid.ShowGrid != Grid.ShowGrid || grid.SnapSize != Grid.SnapSize ||
                            grid.DisplaySize != Grid.DisplaySize;
    Grid = grid;
    if (dotsChange)
        InvalidateAll();
}

void TDigitalDrawing::GetHistoryDevices(std::vector<THistoryDevice*>& list) const {
    list.clear();
    for (const TGraphicList* source : {CurrentMacro->Inputs.get(), CurrentMacro->Outputs.get()})
        for (TSerialize* item : *source->Children)
            if (auto* device = KindCast<THistoryDevice>(item); device && device->InHistory)
                list.push_back(device);
}

void TDigitalDrawing::RefreshWires() {
    CurrentMacro->FollowWireEnds();
    CurrentMacro->InvalidateMovedWires([this](const TRect& r) { InvalidateRect(r.ToQRect()); });
}

// ---------------------------------------------------------------------------------------------------
// Wiring clean-up. Each pass deletes one object and scans again from the start, as a deletion
// changes what the objects around it look like.

void TDigitalDrawing::DeleteFromMacro(TMacro* macro, TGraphicObject* object) {
    // The probe may touch a pin of the object or a wire the deletion takes with it.
    ProbeTarget = nullptr;
    ProbeState = 0;
    emit OnObjectDeleting(object);
    macro->DeleteChild(object);
    NeedsRebuild = true;
}

void TDigitalDrawing::RemoveDanglingWires(TMacro* macro) {
    for (;;) {
        TWire* dangling = nullptr;
        for (TWire* wire : macro->Wires->Items<TWire>())
            if (wire->ConnectedEnds() != 2) {
                dangling = wire;
                break;
            }
        if (!dangling)
            return;
        InvalidateRect(dangling->GetBounds().ToQRect());
        DeleteFromMacro(macro, dangling);
    }
}

void TDigitalDrawing::CleanSolders(TMacro* macro) {
    for (;;) {
        TSolder* joint = nullptr;
        for (TSolder* solder : macro->Solders->Items<TSolder>())
            if (solder->WireCount() < 3) {
                joint = solder;
                break;
            }
        if (!joint)
            return;
        const QRect bounds = joint->GetBounds().ToQRect();
        const int wires = joint->WireCount();
        if (wires == 2) {
            TWire* a = joint->Wire1 ? joint->Wire1 : joint->Wire2;
            TWire* b = joint->Wire3 ? joint->Wire3 : joint->Wire2;
            if (a == b) {
                // A wire running from the joint back to it: nothing is left to join.
                DeleteFromMacro(macro, a);
            } else {
                auto joined = std::make_unique<TWire>();
                joined->Join(a, b);
                InvalidateRect(joined->GetBounds().ToQRect());
                macro->AddObject(joined.release());
                DeleteFromMacro(macro, a);
                DeleteFromMacro(macro, b);
            }
        }
        DeleteFromMacro(macro, joint);
        InvalidateRect(bounds);
        if (wires < 2)
            RemoveDanglingWires(macro);
    }
}

// ---------------------------------------------------------------------------------------------------
// Tool modes

void TDigitalDrawing::SetCursorNumber(int number) {
    setCursor(CursorForNumber(number));
}

template <class T> void TDigitalDrawing::AbandonDrawing(std::unique_ptr<T>& shape) {
    if (!Drawing || !shape)
        return;
    Drawing = false;
    InvalidateRect(shape->GetBounds().ToQRect().united(RubberLineRect(LastPoint, MousePoint)));
    shape.reset();
}

void TDigitalDrawing::OtherModesOff(void (TDigitalDrawing::*keep)(bool)) {
    for (auto setter : {&TDigitalDrawing::SetWiringMode, &TDigitalDrawing::SetPolygonMode,
                        &TDigitalDrawing::SetPolylineMode, &TDigitalDrawing::SetSelectMode,
                        &TDigitalDrawing::SetInteractMode, &TDigitalDrawing::SetProbeMode})
        if (setter != keep)
            (this->*setter)(false);
}

void TDigitalDrawing::SetWiringMode(bool value) {
    WiringMode = value;
    setCursor(Qt::ArrowCursor);
    if (!value) {
        const bool wasDrawing = Drawing && NewWire;
        AbandonDrawing(NewWire);
        if (wasDrawing) {
            CleanSolders(CurrentMacro);
            if (!m_pendingEdit.isEmpty())
                RecordEdit(m_pendingEdit);
        }
        return;
    }
    OtherModesOff(&TDigitalDrawing::SetWiringMode);
    SetCursorNumber(kCursorWireDefault);
}

void TDigitalDrawing::SetPolygonMode(bool value) {
    PolygonMode = value;
    setCursor(Qt::ArrowCursor);
    if (!value)
        AbandonDrawing(NewPolygon);
    else
        OtherModesOff(&TDigitalDrawing::SetPolygonMode);
}

void TDigitalDrawing::SetPolylineMode(bool value) {
    PolylineMode = value;
    setCursor(Qt::ArrowCursor);
    if (!value)
        AbandonDrawing(NewPolyline);
    else
        OtherModesOff(&TDigitalDrawing::SetPolylineMode);
}

void TDigitalDrawing::SetSelectMode(bool value) {
    SelectMode = value;
    setCursor(Qt::ArrowCursor);
    if (value)
        OtherModesOff(&TDigitalDrawing::SetSelectMode);
    else
        Handles->HideSelection();
}

void TDigitalDrawing::SetInteractMode(bool value) {
    InteractMode = value;
    setCursor(Qt::ArrowCursor);
    if (value)
        OtherModesOff(&TDigitalDrawing::SetInteractMode);
}

void TDigitalDrawing::SetProbeMode(bool value) {
    ProbeMode = value;
    setCursor(Qt::ArrowCursor);
    ProbeState = 0;
    ProbeTarget = nullptr;
    if (value)
        OtherModesOff(&TDigitalDrawing::SetProbeMode);
}

void TDigitalDrawing::ModesOff() {
    SetWiringMode(false);
    SetPolygonMode(false);
    SetPolylineMode(false);
}

void TDigitalDrawing::EndDrawing() {
    if (!Drawing)
        return;
    for (auto setter : {&TDigitalDrawing::SetWiringMode, &TDigitalDrawing::SetPolygonMode,
                        &TDigitalDrawing::SetPolylineMode}) {
        const bool on = (setter == &TDigitalDrawing::SetWiringMode    ? WiringMode
                         : setter == &TDigitalDrawing::SetPolygonMode ? PolygonMode
                                                                      : PolylineMode);
        if (on) {
            (this->*setter)(false);
            (this->*setter)(true);
        }
    }
}

// ---------------------------------------------------------------------------------------------------
// Painting
//
// Qt lets a widget paint only inside its paint event, so the surface a step paints on is the
// buffer: Step draws the new levels into it and asks Qt to show just the areas it touched, and the
// paint event then copies them out without drawing the circuit again. Areas that changed for any
// other reason (edits, exposure) are rendered again from the circuit. This keeps a step's cost to
// the wires and devices it recolours, and it works whether or not the window is on screen.

QRect TDigitalDrawing::VisibleWidgetArea() const {
    const QWidget* parent = parentWidget();
    if (!parent)
        return rect();
    return QRect(mapFrom(parent, QPoint(0, 0)), parent->size()) & rect();
}

QRect TDigitalDrawing::VisibleArea() const {
    return m_view.ToCircuit(VisibleWidgetArea());
}

QRect TDigitalDrawing::WidgetRect(const QRect& rect) const {
    // A pixel of room at other zooms: a line through a point may land on the next widget pixel.
    return m_view.Percent() == 100 ? rect : m_view.ToWidget(rect).adjusted(-1, -1, 1, 1);
}

void TDigitalDrawing::InvalidateRect(const QRect& rect) {
    if (rect.isEmpty())
        return;
    const QRect shown = WidgetRect(rect);
    m_dirty += shown;
    update(shown);
}

void TDigitalDrawing::UpdateCircuitRect(const QRect& rect) {
    update(WidgetRect(rect));
}

void TDigitalDrawing::InvalidateAll() {
    m_dirty = QRegion(rect());
    update();
}

void TDigitalDrawing::RenderGrid(QPainter& painter, const QRect& area) const {
    int step = Grid.SnapSize * Grid.DisplaySize;
    if (step <= 0)
        return;
    const double f = m_view.Factor();
    // Every k-th dot when the zoom brings them too close together.
    step *= std::max(1, static_cast<int>(std::ceil(kMinDotSpacing / (step * f))));
    // A dot for circuit point (x, y) lands on widget pixel (floor(x f), floor(y f)), where lines
    // through that point are drawn; only dots inside the area are set.
    const QRect circuit = m_view.ToCircuit(area);
    auto first = [step](int from) { return from <= 0 ? 0 : (from + step - 1) / step * step; };
    const int lastX = std::min(circuit.right(), m_circuitSize.width());
    const int lastY = std::min(circuit.bottom(), m_circuitSize.height());
    QPolygon dots;
    for (int y = first(circuit.top()); y <= lastY; y += step)
        for (int x = first(circuit.left()); x <= lastX; x += step) {
            const QPoint dot(static_cast<int>(std::floor(x * f)), static_cast<int>(std::floor(y * f)));
            if (area.contains(dot))
                dots << dot;
        }
    painter.setPen(QPen(ColourToQColor(kGridDotColour), 1));
    painter.drawPoints(dots);
}

void TDigitalDrawing::Render(const QRegion& region) {
    QPainter painter(&m_buffer);
    painter.translate(-m_bufferOrigin);
    painter.setClipRegion(region);
    painter.fillRect(region.boundingRect(), ColourToQColor(BackgroundColour));
    if (Grid.ShowGrid)
        for (const QRect& r : region)
            RenderGrid(painter, r);

    painter.setTransform(m_view.PaintTransform(), true);
    DrawShown(painter);
    if (NewWire)
        NewWire->Draw(painter);
    if (NewPolygon)
        NewPolygon->Draw(painter);
    if (NewPolyline)
        NewPolyline->Draw(painter);
    Callout->Draw(painter);
}

void TDigitalDrawing::EnsureBuffer() {
    const QRect area = VisibleWidgetArea();
    if (m_buffer.size() == area.size() && m_bufferOrigin == area.topLeft())
        return;
    m_buffer = QImage(area.size(), QImage::Format_RGB32);
    m_bufferOrigin = area.topLeft();
    m_dirty = QRegion();
    if (area.isEmpty()) {
        m_fresh = QRegion();
        return;
    }
    Render(area);
    m_fresh = area;
}

void TDigitalDrawing::paintEvent(QPaintEvent* event) {
    const QRect area = VisibleWidgetArea();
    if (area.isEmpty())
        return;
    const bool whole = m_buffer.size() != area.size() || m_bufferOrigin != area.topLeft();
    EnsureBuffer();
    if (!whole) {
        const QRegion stale = (event->region() & area) - (m_fresh - m_dirty);
        if (!stale.isEmpty())
            Render(stale);
    }
    m_fresh -= event->region();
    m_dirty -= event->region();

    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.drawImage(m_bufferOrigin, m_buffer);
    // Both are drawn in widget pixels, one pixel wide at every zoom, through the points where the
    // circuit's own lines through them are drawn.
    auto shown = [this](QPoint p) { return m_view.ToWidgetF(p).toPoint(); };
    if (Drawing) {
        painter.setPen(QPen(Qt::black, 1));
        painter.drawLine(shown(LastPoint), shown(MousePoint));
    }
    if (RubberBanding) {
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(shown(RubberRect.topLeft()), shown(RubberRect.bottomRight())));
    }
}

void TDigitalDrawing::PaintStepValues() {
    // A step changes only wire colours and the input and output devices: only those are
    // repainted, and only where they can be seen.
    CurrentMacro->SampleValues();
    m_recoloured.clear();
    CurrentMacro->RecolourWires(m_recoloured);
    EnsureBuffer();
    if (CurrentMacro->Closed)
        return;
    QImage scratch;
    if (m_buffer.isNull())
        scratch = QImage(1, 1, QImage::Format_RGB32);
    QImage& target = m_buffer.isNull() ? scratch : m_buffer;
    const QRect area(m_bufferOrigin, target.size());
    QPainter painter(&target);
    painter.translate(-m_bufferOrigin);
    painter.setTransform(m_view.PaintTransform(), true);
    QRegion touched;
    auto visible = [&](TGraphicObject* object) {
        const QRect bounds = WidgetRect(object->GetBounds().ToQRect()) & area;
        if (bounds.isEmpty())
            return false;
        touched += bounds;
        return true;
    };
    for (TWire* wire : m_recoloured) {
        if (!visible(wire))
            continue;
        wire->Draw(painter);
        // Joints lie over the wires that meet there.
        for (TGraphicObject* end : {wire->EndA, wire->EndB})
            if (auto* solder = KindCast<TSolder>(end); solder && !solder->Dragging)
                solder->Draw(painter);
    }
    // Every input and output device takes the look of its value, seen or not.
    for (TInputDevice* input : CurrentMacro->Inputs->Items<TInputDevice>()) {
        input->DrawValue(painter);
        visible(input);
    }
    for (TOutputDevice* output : CurrentMacro->Outputs->Items<TOutputDevice>()) {
        output->DrawValue(painter);
        visible(output);
    }
    painter.end();
    if (m_buffer.isNull())
        return;
    m_fresh += touched;
    update(touched);
}

// ---------------------------------------------------------------------------------------------------
// Zoom

QScrollArea* TDigitalDrawing::ScrollBox() const {
    return qobject_cast<QScrollArea*>(parentWidget() ? parentWidget()->parentWidget() : nullptr);
}

void TDigitalDrawing::SetCircuitSize(QSize size) {
    m_circuitSize = size;
    resize(m_view.ToWidget(size));
}

void TDigitalDrawing::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // A size set from outside (an owner laying the canvas out) is the circuit area shown.
    if (size() != m_view.ToWidget(m_circuitSize))
        m_circuitSize = m_view.ToCircuit(rect()).size();
}

void TDigitalDrawing::ZoomTo(int percent, QPointF circuitPoint, QPoint anchor) {
    m_view.SetPercent(percent);
    resize(m_view.ToWidget(m_circuitSize));
    if (QScrollArea* box = ScrollBox()) {
        const QPointF scroll = m_view.ToWidgetF(circuitPoint) - QPointF(anchor);
        box->horizontalScrollBar()->setValue(qRound(scroll.x()));
        box->verticalScrollBar()->setValue(qRound(scroll.y()));
    }
    Handles->PlaceFrame();
    // The buffer may keep its size and place; every pixel of it shows something else now.
    InvalidateAll();
    emit OnZoomChanged(m_view.Percent());
}

void TDigitalDrawing::ZoomAbout(int percent, QPoint anchor) {
    const QPointF at = parentWidget() ? QPointF(mapFrom(parentWidget(), anchor)) : QPointF(anchor);
    ZoomTo(percent, at / m_view.Factor(), anchor);
}

void TDigitalDrawing::ZoomStep(bool in) {
    const QSize shown = parentWidget() ? parentWidget()->size() : size();
    ZoomAbout(TViewTransform::NextStep(m_view.Percent(), in), QPoint(shown.width() / 2, shown.height() / 2));
}

void TDigitalDrawing::DrawShown(QPainter& painter) {
    const bool closed = CurrentMacro->Closed;
    CurrentMacro->Closed = ShowClosed;
    CurrentMacro->Draw(painter);
    CurrentMacro->Closed = closed;
}

TRect TDigitalDrawing::ShownBounds() {
    const bool closed = CurrentMacro->Closed;
    CurrentMacro->Closed = ShowClosed;
    const TRect bounds = CurrentMacro->GetBounds();
    CurrentMacro->Closed = closed;
    return bounds;
}

void TDigitalDrawing::ZoomToFit() {
    const QSize shown = parentWidget() ? parentWidget()->size() : size();
    const QRect bounds = ShownBounds().ToQRect();
    if (bounds.isEmpty() || shown.isEmpty()) {
        // Nothing to fit: the top-left corner at actual size.
        ZoomTo(100, QPointF(0, 0), QPoint(0, 0));
        return;
    }
    const QRect fit = bounds.adjusted(-kFitMargin, -kFitMargin, kFitMargin, kFitMargin);
    const double factor = std::min(static_cast<double>(shown.width()) / fit.width(),
                                   static_cast<double>(shown.height()) / fit.height());
    const QPointF centre = QRectF(fit).center();
    ZoomTo(static_cast<int>(std::floor(factor * 100)), centre, QPoint(shown.width() / 2, shown.height() / 2));
}

void TDigitalDrawing::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        m_wheelAngle = 0;
        event->ignore();
        return;
    }
    event->accept();
    m_wheelAngle += event->angleDelta().y();
    int percent = m_view.Percent();
    for (; m_wheelAngle >= kWheelNotch; m_wheelAngle -= kWheelNotch)
        percent = TViewTransform::NextStep(percent, true);
    for (; m_wheelAngle <= -kWheelNotch; m_wheelAngle += kWheelNotch)
        percent = TViewTransform::NextStep(percent, false);
    if (percent == m_view.Percent())
        return;
    const QPoint at = event->position().toPoint();
    ZoomAbout(percent, parentWidget() ? mapTo(parentWidget(), at) : at);
}
