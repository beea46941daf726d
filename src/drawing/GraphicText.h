#pragma once

// A piece of text on the canvas: a polygon whose four points are the text's rectangle, so it moves,
// rotates and streams like any shape, plus the text, its font settings and an optional overline.

#include "drawing/Segment.h"

#include <QFont>
#include <QString>

#include <memory>

class TGraphicText : public TPolygon {
public:
    TESSIVAR_CLASS(TGraphicText)
    TESSIVAR_KIND(TGraphicText, kKindGraphicText);
    TGraphicText();
    // A text of the given size laid out around the origin (the usual way devices build captions).
    explicit TGraphicText(const QString& text, int32_t fontSize = 7);
    ~TGraphicText() override;

    void Write(TSerializeWriter& writer) override;
    void Read(TSerializeReader& reader) override;

    void Clear() override;
    void Draw(QPainter& dc) override;
    void Rotate(float angle) override;
    void Offset(float dx, float dy) override;
    void UpdateVertices() override;

    // Stores the text and lays the rectangle out again around the old centre.
    void SetText(const QString& text);
    void SetFontSize(int32_t points);
    void SetTextColor(uint32_t colour);
    void SetItalic(bool italic);
    void SetBold(bool bold);
    bool IsBold() const { return Weight != 400; }
    // Width and height of GetBounds; the height is negative (top minus bottom).
    int32_t TextWidth();
    int32_t TextHeight();
    // The font the text is measured and drawn with: FontSize points at 96 pixels per inch, Weight,
    // Italic and FontName (rotation is applied by Draw).
    QFont FillLogFont() const;

    // Characters of Text that are laid out and drawn; the rest is kept but not shown.
    static constexpr qsizetype kMaxShownLength = 65536;

    float Angle = 0; // degrees, kept in [0, 360]
    QString Text;
    bool Overline = false;
    std::unique_ptr<TPolyline> OverlineSegment; // owned; never null
    int32_t FontSize = 7;
    uint32_t TextColor = kColourBlack;
    uint32_t BackColor = 0;
    bool Transparent = true;
    bool Italic = false;
    int32_t Weight = 400;
    bool ShowOutline = true;
    QString FontName = QStringLiteral("Arial");

private:
    void ApplySymbolFontRule();
};
