#include "PartBuilder.h"

#include "drawing/GraphicText.h"
#include "drawing/Segment.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kPinPitch = 20;
constexpr int kLeadLength = 20;
constexpr int kCaptionHeight = 30;

void Attach(TWire* wire, TGraphicObject* end) {
    wire->Attach(end);
    if (auto* pin = KindCast<TPin>(end))
        pin->AttachWire(wire);
    else if (auto* solder = KindCast<TSolder>(end))
        solder->AttachWire(wire);
}

// The bends of a path from its first point to its last: repeated points and points on a straight
// run are left out.
std::vector<QPoint> Simplified(const std::vector<QPoint>& path) {
    std::vector<QPoint> points;
    for (QPoint p : path) {
        if (!points.empty() && points.back() == p)
            continue;
        if (points.size() >= 2) {
            const QPoint a = points[points.size() - 2];
            const QPoint b = points.back();
            if ((a.x() == b.x() && b.x() == p.x()) || (a.y() == b.y() && b.y() == p.y()))
                points.pop_back();
        }
        points.push_back(p);
    }
    if (points.size() < 2)
        return {};
    return std::vector<QPoint>(points.begin() + 1, points.end() - 1);
}

TGraphicText* NewText(const QString& text, int size, bool bold) {
    auto* label = new TGraphicText(text, size);
    label->SetBold(bold);
    label->ShowOutline = false;
    label->UpdateVertices();
    return label;
}

} // namespace

TPartBuilder::TPartBuilder(std::vector<TPinDescription> pins)
    : m_pins(std::move(pins)), m_root(std::make_unique<TMacro>()) {
    m_root->Closed = false;
    m_root->Displayed = true;
}

void TPartBuilder::Place(TGraphicObject* object, int x, int y) {
    object->Offset(static_cast<float>(x), static_cast<float>(y));
    object->UpdateVertices();
    m_root->AddObject(object);
}

TTagDevice* TPartBuilder::Terminal(const QString& name, int x, int y) {
    const auto pin =
        std::find_if(m_pins.begin(), m_pins.end(), [&](const TPinDescription& p) { return p.Name == name; });
    Q_ASSERT(pin != m_pins.end());
    auto* tag = Add<TTagDevice>(x, y);
    const bool input = pin->Side == TPinSide::Input;
    tag->SetLabelPosition(input ? TLabelPosition::Left : TLabelPosition::Right);
    TGraphicText* label = NewText(name, 8, true);
    const float half = static_cast<float>(label->TextWidth()) / 2;
    label->Offset(static_cast<float>(x) + (input ? -24 - half : 24 + half), static_cast<float>(y));
    label->UpdateVertices();
    m_root->AddObject(label);
    m_terminals[name] = tag;
    return tag;
}

TPin* TPartBuilder::TerminalPin(const QString& name) const {
    const auto found = m_terminals.find(name);
    Q_ASSERT(found != m_terminals.end());
    return found->second->GetPin();
}

TMacro* TPartBuilder::Nested(const QByteArray& partFile, int x, int y) {
    TMacro* part = ReadCircuitBytes(partFile).Root.release();
    PrepareMacroPart(*part, QPoint(x, y), {});
    m_root->AddObject(part);
    return part;
}

void TPartBuilder::Text(const QString& text, int x, int y, int size) {
    TGraphicText* label = NewText(text, size, true);
    label->Offset(static_cast<float>(x), static_cast<float>(y));
    label->UpdateVertices();
    m_root->AddObject(label);
}

void TPartBuilder::Wire(TGraphicObject* a, std::vector<QPoint> bends, TGraphicObject* b) {
    auto* wire = new TWire;
    wire->AddPoint(a->RoundedCentre());
    for (QPoint bend : bends)
        wire->AddPoint(bend);
    wire->AddPoint(b->RoundedCentre());
    wire->UpdateVertices();
    Attach(wire, a);
    Attach(wire, b);
    m_root->AddObject(wire);
}

void TPartBuilder::Net(TGraphicObject* driver, std::vector<TGraphicObject*> sinks, int trunkX, int detour) {
    Q_ASSERT(!sinks.empty());
    // The row at which the branch to a sink leaves the trunk.
    auto branchRow = [&](QPoint sink) { return sink.x() < trunkX ? sink.y() + detour : sink.y(); };
    // The trunk runs away from the driver.
    const int driverY = driver->RoundedCentre().y();
    std::stable_sort(sinks.begin(), sinks.end(), [&](TGraphicObject* a, TGraphicObject* b) {
        return std::abs(branchRow(a->RoundedCentre()) - driverY) <
               std::abs(branchRow(b->RoundedCentre()) - driverY);
    });
    TGraphicObject* previous = driver;
    for (size_t i = 0; i < sinks.size(); ++i) {
        const QPoint sink = sinks[i]->RoundedCentre();
        const QPoint from = previous->RoundedCentre();
        const int row = branchRow(sink);
        std::vector<QPoint> path{from, QPoint(trunkX, from.y()), QPoint(trunkX, row)};
        TGraphicObject* start = previous;
        if (i + 1 < sinks.size()) {
            auto* joint = new TSolder;
            Place(joint, trunkX, row);
            path.push_back(QPoint(trunkX, row));
            Wire(previous, Simplified(path), joint);
            path = {QPoint(trunkX, row)};
            start = joint;
            previous = joint;
        }
        if (sink.x() < trunkX) {
            path.push_back(QPoint(sink.x() - 15, row));
            path.push_back(QPoint(sink.x() - 15, sink.y()));
        }
        path.push_back(sink);
        Wire(start, Simplified(path), sinks[i]);
    }
}

void TPartBuilder::BuildOutline(const QString& caption, int width) {
    const auto inputs = std::count_if(m_pins.begin(), m_pins.end(),
                                      [](const TPinDescription& p) { return p.Side == TPinSide::Input; });
    const int rows =
        static_cast<int>(std::max<qsizetype>(inputs, static_cast<qsizetype>(m_pins.size()) - inputs));
    const int height = kCaptionHeight + rows * kPinPitch;
    const int top = -height / 2 / 10 * 10;
    const int half = width / 2;

    auto* box = new TPolygon;
    for (QPoint corner :
         {QPoint(-half, top), QPoint(half, top), QPoint(half, top + height), QPoint(-half, top + height)})
        box->AddPoint(corner);
    box->Brush.Colour = RGBColour(255, 255, 224);
    box->UpdateVertices();
    m_root->AddChild(box);

    TGraphicText* title = NewText(caption, 8, true);
    title->Offset(0, static_cast<float>(top + kCaptionHeight / 2));
    title->UpdateVertices();
    m_root->AddChild(title);

    int row[2] = {0, 0};
    for (size_t number = 0; number < m_pins.size(); ++number) {
        const TPinDescription& description = m_pins[number];
        const bool input = description.Side == TPinSide::Input;
        const int side = input ? -1 : 1;
        const int y = top + kCaptionHeight + kPinPitch / 2 + kPinPitch * row[input ? 0 : 1]++;
        const QPoint end(side * (half + kLeadLength), y);

        auto* lead = new TPolyline;
        lead->AddPoint(QPoint(side * half, y));
        lead->AddPoint(end);
        lead->UpdateVertices();
        m_root->AddChild(lead);

        TGraphicText* label = NewText(description.Name, 7, false);
        const float labelHalf = static_cast<float>(label->TextWidth()) / 2;
        label->Offset(static_cast<float>(side) * (static_cast<float>(half) - 4 - labelHalf),
                      static_cast<float>(y));
        label->UpdateVertices();
        m_root->AddChild(label);

        auto* pin = new TMacroPin;
        pin->PlaceAt(end);
        m_root->Pins->AddChild(pin);
        TTagDevice* tag = m_terminals.at(description.Name);
        tag->MacroPin->Partner = pin;
        pin->Partner = tag->MacroPin.get();
        tag->SetPinNumber(static_cast<int32_t>(number));
    }
}

QByteArray TPartBuilder::Finish(const QString& name, const QString& caption, int width,
                                const QString& datasheet) {
    BuildOutline(caption, width);
    TTagDevice::ClassifyTags(m_root.get());
    m_root->Datasheet = datasheet;
    PrepareRoot(*m_root);
    return WriteCircuitBytes(m_root.get(), name);
}
