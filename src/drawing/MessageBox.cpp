#include "drawing/MessageBox.h"

#include "drawing/Geometry.h"

#include <QFontMetrics>
#include <QPainter>
#include <QRegularExpression>

#include <algorithm>

namespace {

// 8 points at 96 pixels per inch.
constexpr int kFontPixelSize = 11;

} // namespace

TGraphicBox::TGraphicBox() {
    AddKind(kKind);
    Brush.Colour = RGBColour(255, 250, 238);
    Pen.Colour = kColourBlack;
    BuildShape();
}

void TGraphicBox::BuildShape() {
    Clear();
    const float w = static_cast<float>(BoxWidth);
    const float h = static_cast<float>(BoxHeight);
    const float m = static_cast<float>(Margin);
    if (Style == kStylePlain) {
        const int32_t halfWidth = (BoxWidth + 2 * Margin) / 2;
        const int32_t halfHeight = (BoxHeight + 2 * Margin) / 2;
        const auto hw = static_cast<float>(halfWidth);
        const auto hh = static_cast<float>(halfHeight);
        AppendPoint(-hw, -hh);
        AppendPoint(hw, -hh);
        AppendPoint(hw, hh);
        AppendPoint(-hw, hh);
    } else {
        // Drawn box above and to the left of the tip at the origin, then mirrored for the others.
        const float ph = static_cast<float>(PointerHeight);
        const float pw = static_cast<float>(PointerWidth);
        AppendPoint(-w - 2 * m, -h - ph - 2 * m);
        AppendPoint(0, -h - ph - 2 * m);
        AppendPoint(0, -ph);
        AppendPoint(-5, -ph);
        AppendPoint(0, 0);
        AppendPoint(-5 - pw, -ph);
        AppendPoint(-w - 2 * m, -ph);
        switch (Style) {
        case kStyleAboveRight:
            Scale(-1, 1);
            break;
        case kStyleBelowRight:
            Scale(-1, 1);
            Scale(1, -1);
            break;
        case kStyleBelowLeft:
            Scale(1, -1);
            break;
        default:
            break;
        }
    }
    UpdateVertices();
}

QPoint TGraphicBox::AnchorPoint() {
    if (Style == kStylePlain)
        return RoundedCentre();
    return Vertices.Count() > 4 ? Vertices.GetVertex(4) : QPoint(0, 0);
}

void TGraphicBox::RebuildAt(QPoint anchor) {
    BuildShape();
    Offset(static_cast<float>(anchor.x()), static_cast<float>(anchor.y()));
    UpdateVertices();
}

void TGraphicBox::SetBoxSize(int32_t width, int32_t height) {
    const QPoint anchor = AnchorPoint();
    BoxWidth = width;
    BoxHeight = height;
    RebuildAt(anchor);
}

void TGraphicBox::SetStyle(uint8_t style) {
    Q_ASSERT(style <= kStylePlain);
    const QPoint anchor = AnchorPoint();
    Style = style <= kStylePlain ? style : kStylePlain;
    RebuildAt(anchor);
}

TRect TGraphicBox::TextRect() const {
    // The two vertices at opposite corners of the box part of the outline.
    int first = 0, second = 2;
    switch (Style) {
    case kStyleAboveRight:
        first = 1;
        second = 6;
        break;
    case kStyleBelowRight:
        first = 2;
        second = 0;
        break;
    case kStyleBelowLeft:
        first = 6;
        second = 1;
        break;
    default:
        break;
    }
    if (Vertices.Count() <= std::max(first, second))
        return {};
    const QPoint a = Vertices.GetVertex(first);
    const QPoint b = Vertices.GetVertex(second);
    return {a.x() + Margin, a.y() + Margin, b.x() - Margin, b.y() - Margin};
}

void TGraphicBox::PlaceAt(QPoint point) {
    float x, y;
    if (Style == kStylePlain) {
        GetCentre(x, y);
    } else {
        const FloatRect e = GetExtent();
        x = (Style == kStyleAboveLeft || Style == kStyleBelowLeft) ? e.MaxX : e.MinX;
        y = (Style == kStyleAboveLeft || Style == kStyleAboveRight) ? e.MaxY : e.MinY;
    }
    Offset(-x, -y);
    Offset(static_cast<float>(point.x()), static_cast<float>(point.y()));
    UpdateVertices();
}

// ---------------------------------------------------------------------------------------------------

TMessageBox::TMessageBox() : LogFont(QStringLiteral("Arial Mono")) {
    LogFont.setPixelSize(kFontPixelSize);
    LogFont.setBold(true);
    LogFont.setItalic(true);
}

void TMessageBox::SetText(const QString& text) {
    static const QRegularExpression kLineBreak(QStringLiteral("\r\n|\r|\n"));
    Lines = text.split(kLineBreak);
    // A break at the very end closes the last line rather than opening an empty one.
    if (!Lines.isEmpty() && Lines.last().isEmpty())
        Lines.removeLast();
    const QSize size = MeasureText();
    SetBoxSize(size.width(), size.height());
}

QSize TMessageBox::MeasureText() const {
    if (Lines.isEmpty())
        return {0, 0};
    qsizetype longest = 0;
    for (qsizetype i = 1; i < Lines.size(); ++i) {
        if (Lines[i].size() > Lines[longest].size())
            longest = i;
    }
    const QFontMetrics metrics(LogFont);
    return {metrics.horizontalAdvance(Lines[longest]), metrics.height() * static_cast<int>(Lines.size())};
}

void TMessageBox::SetFontStyle(int style) {
    const bool bold = (style & 1) != 0;
    const bool italic = (style & 2) != 0;
    if (LogFont.bold() == bold && LogFont.italic() == italic)
        return;
    LogFont.setBold(bold);
    LogFont.setItalic(italic);
    const QSize size = MeasureText();
    SetBoxSize(size.width(), size.height());
}

void TMessageBox::SetFontColor(uint32_t colour) {
    FontColor = colour;
}

void TMessageBox::ChooseStyleFor(int areaWidth, int areaHeight, QPoint point) {
    const int midX = areaWidth / 2;
    const int midY = areaHeight / 2;
    // Quadrants in the order tested, each with the style that turns the box toward the middle.
    const struct {
        TRect Quadrant;
        uint8_t Style;
    } choices[] = {
        {{0, 0, midX, midY}, kStyleBelowRight},
        {{midX, 0, areaWidth, midY}, kStyleBelowLeft},
        {{midX, midY, areaWidth, areaHeight}, kStyleAboveLeft},
        {{0, midY, midX, areaHeight}, kStyleAboveRight},
    };
    for (const auto& choice : choices) {
        if (PointInRectStrict(choice.Quadrant, point)) {
            SetStyle(choice.Style);
            return;
        }
    }
}

void TMessageBox::Draw(QPainter& dc) {
    if (!Visible)
        return;
    TPolygon::Draw(dc);
    if (Dragging)
        return;
    TRect r = TextRect();
    r.Right += Margin;
    r.Bottom += Margin;
    dc.save();
    dc.setFont(LogFont);
    dc.setPen(ColourToQColor(FontColor));
    dc.setBackgroundMode(Qt::TransparentMode);
    dc.drawText(r.ToQRect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, Lines.join(u'\n'));
    dc.restore();
}
