#include "drawing/GraphicText.h"

#include <QFontMetrics>
#include <QPaintEngine>
#include <QPainter>
#include <QSize>
#include <QStaticText>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace {

// Pixels per point: layout must not depend on the screen, so 96 pixels per inch always.
int PointsToPixels(int32_t points) {
    // Integer multiply-divide, rounding halves away from zero.
    const int64_t scaled = static_cast<int64_t>(points) * 96;
    return static_cast<int>(scaled >= 0 ? (scaled + 36) / 72 : (scaled - 36) / 72);
}

// Sizes and weights from a file are kept within what a font engine can render.
int FontPixels(int32_t points) {
    return std::clamp(PointsToPixels(points), 1, 1000);
}
int FontWeight(int32_t weight) {
    return std::clamp(weight, 1, 1000);
}

// The fonts, metrics and layouts below are made once and kept. A file can name any number of fonts
// and texts, so each store is emptied when it grows past its limit; what it hands out is used at
// once, before anything else is looked up in the same store.
template <class Key, class Value, class Make>
const Value& Remembered(std::map<Key, Value>& store, Key key, std::size_t limit, Make make) {
    auto it = store.find(key);
    if (it == store.end()) {
        if (store.size() > limit)
            store.clear();
        it = store.emplace(std::move(key), make()).first;
    }
    return it->second;
}

using TFontKey = std::tuple<QString, int, int, bool>;
using TTextKey = std::tuple<QString, int, int, bool, QString>;

// Texts are laid out and drawn with a handful of fonts.
const QFont& CachedFont(const QString& name, int pixelSize, int weight, bool italic) {
    static std::map<TFontKey, QFont> store;
    return Remembered(store, TFontKey{name, pixelSize, weight, italic}, 256, [&] {
        QFont font(name);
        font.setPixelSize(pixelSize);
        font.setWeight(static_cast<QFont::Weight>(weight));
        font.setItalic(italic);
        font.setKerning(false);
        return font;
    });
}

// Measuring is done for every text a device constructor builds.
const QFontMetrics& MetricsFor(const QFont& font) {
    static std::map<TFontKey, QFontMetrics> store;
    return Remembered(store, TFontKey{font.family(), font.pixelSize(), font.weight(), font.italic()}, 256,
                      [&] { return QFontMetrics(font); });
}

// The width and line height of a text. Loading a circuit lays out the same few captions of every
// part again and again ("Q", "clock", "D"), so short texts keep their extents.
QSize MeasureText(const QString& name, int pixelSize, int weight, bool italic, const QString& text) {
    auto measure = [&] {
        const QFontMetrics& metrics = MetricsFor(CachedFont(name, pixelSize, weight, italic));
        return QSize(metrics.horizontalAdvance(text), metrics.height());
    };
    if (text.size() > 16)
        return measure();
    static std::map<TTextKey, QSize> store;
    return Remembered(store, TTextKey{name, pixelSize, weight, italic, text}, 4096, measure);
}

// A text laid out once for drawing: shaping it again on every paint is most of the cost of drawing
// a caption. Captions and titles are short; long texts are drawn as they are.
constexpr qsizetype kLaidOutTextLength = 80;
const QStaticText& LaidOutText(const QString& name, int pixelSize, int weight, bool italic,
                               const QString& text) {
    static std::map<TTextKey, QStaticText> store;
    return Remembered(store, TTextKey{name, pixelSize, weight, italic, text}, 4096, [&] {
        QStaticText laidOut(text);
        laidOut.setTextFormat(Qt::PlainText);
        laidOut.prepare(QTransform(), CachedFont(name, pixelSize, weight, italic));
        return laidOut;
    });
}

// Laying out and drawing takes some tens of bytes per character, so of a text longer than any real
// annotation only the beginning is laid out and drawn; the text itself is kept whole.
QString ShownText(const QString& text) {
    if (text.size() <= TGraphicText::kMaxShownLength)
        return text;
    const qsizetype length = TGraphicText::kMaxShownLength;
    return text.left(text[length - 1].isHighSurrogate() ? length - 1 : length);
}

} // namespace

TGraphicText::TGraphicText() : OverlineSegment(std::make_unique<TPolyline>()) {
    AddKind(kKind);
    Sizeable = false;
    HelpTopic = QStringLiteral("annotation.htm");
}

TGraphicText::TGraphicText(const QString& text, int32_t fontSize) : TGraphicText() {
    FontSize = fontSize;
    SetText(text);
}

TGraphicText::~TGraphicText() = default;

void TGraphicText::Write(TSerializeWriter& writer) {
    TPolygon::Write(writer);
    writer.WriteInteger(FontSize);
    writer.WriteInteger(static_cast<int32_t>(TextColor));
    writer.WriteBoolean(Italic);
    writer.WriteInteger(Weight);
    writer.WriteFloat(Angle);
    writer.WriteString(Text);
    writer.WriteBoolean(ShowOutline);
    writer.WriteBoolean(Overline);
    if (Overline)
        writer.WriteObject(OverlineSegment.get());
}

void TGraphicText::Read(TSerializeReader& reader) {
    TPolygon::Read(reader);
    FontSize = reader.ReadInteger();
    TextColor = static_cast<uint32_t>(reader.ReadInteger());
    Italic = reader.ReadBoolean();
    Weight = reader.ReadInteger();
    Angle = reader.ReadFloat();
    Text = reader.ReadString();
    ShowOutline = reader.ReadBoolean();
    Overline = reader.ReadBoolean();
    if (Overline)
        OverlineSegment.reset(reader.ReadOwned<TPolyline>());
    ApplySymbolFontRule();
}

void TGraphicText::ApplySymbolFontRule() {
    if (Text.size() == 1 && (Text[0].unicode() == 173 || Text[0].unicode() == 175))
        FontName = QStringLiteral("Symbol");
}

QFont TGraphicText::FillLogFont() const {
    return CachedFont(FontName, FontPixels(FontSize), FontWeight(Weight), Italic);
}

void TGraphicText::SetText(const QString& text) {
    Text = text;
    ApplySymbolFontRule();
    float cx, cy;
    GetCentre(cx, cy);

    const QSize extent =
        MeasureText(FontName, FontPixels(FontSize), FontWeight(Weight), Italic, ShownText(Text));
    int w = extent.width();
    const int h = extent.height();
    if (Text.size() == 1)
        w -= 1;

    TSegment::Clear();
    AppendPoint(0, 0);
    AppendPoint(0, static_cast<float>(h));
    AppendPoint(static_cast<float>(w), static_cast<float>(h));
    AppendPoint(static_cast<float>(w), 0);
    TSegment::Offset(static_cast<float>(-(w / 2)), static_cast<float>(-(h / 2)));
    TSegment::Rotate(Angle);
    TSegment::Offset(std::trunc(cx), std::trunc(cy));
    TSegment::UpdateVertices();

    OverlineSegment->Clear();
    OverlineSegment->AddFloatPoint(*GetPoint(0));
    OverlineSegment->AddFloatPoint(*GetPoint(3));
}

void TGraphicText::SetFontSize(int32_t points) {
    FontSize = points;
    SetText(Text);
}

void TGraphicText::SetTextColor(uint32_t colour) {
    TextColor = colour;
    SetText(Text);
}

void TGraphicText::SetItalic(bool italic) {
    Italic = italic;
    SetText(Text);
}

void TGraphicText::SetBold(bool bold) {
    Weight = bold ? 700 : 400;
    SetText(Text);
}

int32_t TGraphicText::TextWidth() {
    const TRect r = GetBounds();
    return r.Right - r.Left;
}

int32_t TGraphicText::TextHeight() {
    const TRect r = GetBounds();
    return r.Top - r.Bottom;
}

void TGraphicText::Clear() {
    TSegment::Clear();
    OverlineSegment->Clear();
    Text.clear();
}

void TGraphicText::Rotate(float angle) {
    TSegment::Rotate(angle);
    OverlineSegment->Rotate(angle);
    Angle += angle;
    if (Angle > 360)
        Angle -= 360;
    if (!(Angle >= 0))
        Angle += 360;
}

void TGraphicText::Offset(float dx, float dy) {
    TSegment::Offset(dx, dy);
    OverlineSegment->Offset(dx, dy);
}

void TGraphicText::UpdateVertices() {
    TSegment::UpdateVertices();
    OverlineSegment->UpdateVertices();
}

void TGraphicText::Draw(QPainter& dc) {
    if (Text.isEmpty())
        return;
    if (Dragging) {
        if (ShowOutline)
            DrawDragOutline(dc, true);
        return;
    }
    if (Overline) {
        OverlineSegment->Pen.Colour = TextColor;
        OverlineSegment->Draw(dc);
    }
    const int pixels = FontPixels(FontSize);
    const int weight = FontWeight(Weight);
    const QFont& font = CachedFont(FontName, pixels, weight, Italic);
    const QPoint origin = Vertices.Count() > 0 ? Vertices.GetVertex(0) : QPoint(0, 0);
    dc.setFont(font);
    dc.setPen(ColourToQColor(TextColor));
    if (Transparent) {
        dc.setBackgroundMode(Qt::TransparentMode);
    } else {
        dc.setBackgroundMode(Qt::OpaqueMode);
        dc.setBackground(ColourToQColor(BackColor));
    }
    const int ascent = MetricsFor(font).ascent();
    if (Angle == 0 && Transparent && Text.size() <= kLaidOutTextLength) {
        dc.drawStaticText(origin, LaidOutText(FontName, pixels, weight, Italic, Text));
    } else if (Angle == 0) {
        dc.drawText(QPointF(origin.x(), origin.y() + ascent), ShownText(Text));
    } else {
        dc.save();
        dc.translate(origin);
        dc.rotate(Angle);
        dc.drawText(QPointF(0, ascent), ShownText(Text));
        dc.restore();
    }
    dc.setBackgroundMode(Qt::TransparentMode);
}
