#pragma once

// The message callout a canvas draws over its circuit: a speech balloon whose pointer tip touches the
// part concerned, or a plain box centred on a point, holding a few lines of text. Never streamed.

#include "drawing/Segment.h"

#include <QFont>
#include <QPoint>
#include <QSize>
#include <QStringList>

#include <cstdint>

// The balloon outline. The shape is rebuilt from Style and the sizes, so edit those through the
// setters, which keep the anchor where it was.
class TGraphicBox : public TPolygon {
public:
    TESSIVAR_CLASS(TGraphicBox)
    TESSIVAR_KIND(TGraphicBox, kKindGraphicBox);
    TGraphicBox();

    // A callout always stays upright.
    void Rotate(float) override {}

    // The outline for Style and the sizes, with the pointer tip (or the box's centre) at the origin.
    void BuildShape();
    // The pointer tip, or for the plain box its rounded centre.
    QPoint AnchorPoint();
    void SetBoxSize(int32_t width, int32_t height);
    void SetStyle(uint8_t style);
    // The text area: inside the outline less Margin on every side.
    TRect TextRect() const;
    // Moves the shape so that its anchor lies on the point.
    void PlaceAt(QPoint point);

    // Where the box lies relative to the pointer tip; the plain box has no pointer.
    static constexpr uint8_t kStyleAboveLeft = 0;
    static constexpr uint8_t kStyleAboveRight = 1;
    static constexpr uint8_t kStyleBelowRight = 2;
    static constexpr uint8_t kStyleBelowLeft = 3;
    static constexpr uint8_t kStylePlain = 4;

    uint8_t Style = kStyleAboveLeft;
    int32_t PointerHeight = 20;
    int32_t PointerWidth = 15;
    int32_t BoxWidth = 20;  // of the text area
    int32_t BoxHeight = 20; // of the text area
    int32_t Margin = 4;

private:
    // The shape built at the origin, moved so that the anchor lies on the point.
    void RebuildAt(QPoint anchor);
};

class TMessageBox : public TGraphicBox {
public:
    TESSIVAR_CLASS(TMessageBox)
    TMessageBox();

    void Draw(QPainter& dc) override;

    // Splits the text at line breaks and sizes the box to it.
    void SetText(const QString& text);
    // Width of the line with the most characters (the first of equals) times the number of lines in
    // font heights. Pixels of the text font at 96 pixels per inch, whatever the screen.
    QSize MeasureText() const;
    // 0 normal, 1 bold, 2 italic, 3 bold italic.
    void SetFontStyle(int style);
    void SetFontColor(uint32_t colour);
    // Turns the callout into the balloon whose box lies toward the middle of an area of the given
    // size, the point given in that area's coordinates; the tip stays put. A point on a dividing line
    // or on the border changes nothing.
    void ChooseStyleFor(int areaWidth, int areaHeight, QPoint point);

    QStringList Lines;
    // The font the text is measured and drawn with; its size is in pixels.
    QFont LogFont;
    uint32_t FontColor = kColourBlack;
    bool Visible = true;
};
