#include "drawing/MessageBox.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

// The callout's size for a text, as the box sizes itself.
QSize MeasuredSize(const QString& text) {
    TMessageBox box;
    box.SetText(text);
    return {box.BoxWidth, box.BoxHeight};
}

QImage Render(TMessageBox& box) {
    QImage image(200, 160, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter dc(&image);
    box.Draw(dc);
    return image;
}

int CountPixels(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& match) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += match(image.pixel(x, y));
    return count;
}

bool IsReddish(QRgb c) {
    return qRed(c) > 150 && qGreen(c) < 100 && qBlue(c) < 100;
}

} // namespace

TEST(MessageBox, NewCalloutIsTwentyEightSquareWithPointer) {
    TGraphicBox box;
    const FloatRect e = box.GetExtent();
    EXPECT_EQ(e.MinX, -28);
    EXPECT_EQ(e.MaxX, 0);
    EXPECT_EQ(e.MinY, -48);
    EXPECT_EQ(e.MaxY, 0);
    EXPECT_EQ(box.AnchorPoint(), QPoint(0, 0));
    EXPECT_EQ(box.Brush.Colour, 15661823u);

    TMessageBox message;
    message.SetText("");
    EXPECT_EQ(message.BoxWidth, 0);
    EXPECT_EQ(message.BoxHeight, 0);
    EXPECT_EQ(message.GetVertex(0), QPoint(-8, -28));
    EXPECT_EQ(message.GetVertex(2), QPoint(0, -20));
}

TEST(MessageBox, SizesFromTheLineWithMostCharacters) {
    const QSize one = MeasuredSize("ab");
    const QSize longest = MeasuredSize("Race condition");
    const QSize three = MeasuredSize("ab\nRace condition\ncd");
    EXPECT_EQ(three.width(), longest.width());
    EXPECT_EQ(three.height(), 3 * one.height());
    EXPECT_GT(longest.width(), one.width());

    // Equal character counts: the first line wins even when the second is wider in pixels.
    const QSize narrowFirst = MeasuredSize("iiii\nWWWW");
    EXPECT_EQ(narrowFirst.width(), MeasuredSize("iiii").width());
    EXPECT_LE(narrowFirst.width(), MeasuredSize("WWWW").width());

    // A closing line break adds no line; every kind of break splits.
    EXPECT_EQ(MeasuredSize("ab\n").height(), one.height());
    EXPECT_EQ(MeasuredSize("ab\r\ncd\rx").height(), 3 * one.height());
}

TEST(MessageBox, DefaultFontIsEightPointAtNinetySixDpi) {
    TMessageBox box;
    EXPECT_EQ(box.LogFont.pixelSize(), 11);
    EXPECT_TRUE(box.LogFont.bold());
    EXPECT_TRUE(box.LogFont.italic());
    EXPECT_TRUE(box.Visible);
}

TEST(MessageBox, TipStaysPutThroughStyleAndSize) {
    TMessageBox box;
    box.PlaceAt({100, 80});
    EXPECT_EQ(box.AnchorPoint(), QPoint(100, 80));
    box.SetStyle(TGraphicBox::kStyleBelowRight);
    EXPECT_EQ(box.AnchorPoint(), QPoint(100, 80));
    const FloatRect e = box.GetExtent();
    EXPECT_EQ(e.MinX, 100);
    EXPECT_EQ(e.MinY, 80);
    box.SetText("Unable to connect two outputs");
    EXPECT_EQ(box.AnchorPoint(), QPoint(100, 80));
    EXPECT_EQ(box.GetExtent().MinX, 100);
}

TEST(MessageBox, BalloonFromPlainBoxPointsAtTheOldCentre) {
    TMessageBox box;
    box.SetStyle(TGraphicBox::kStylePlain);
    box.PlaceAt({150, 120});
    box.SetText("Bus contention, process halted");
    EXPECT_EQ(box.AnchorPoint(), QPoint(150, 120));
    box.SetStyle(TGraphicBox::kStyleAboveLeft);
    EXPECT_EQ(box.GetVertex(4), QPoint(150, 120));
    EXPECT_EQ(box.GetExtent().MaxX, 150);
    EXPECT_EQ(box.GetExtent().MaxY, 120);
}

TEST(MessageBox, PlainBoxWithOddSizeKeepsItsCentre) {
    TGraphicBox box;
    box.SetStyle(TGraphicBox::kStylePlain);
    box.PlaceAt({50, 50});
    box.SetBoxSize(21, 13);
    EXPECT_EQ(box.AnchorPoint(), QPoint(50, 50));
    // Halves of 29 and 21 truncate to 14 and 10.
    EXPECT_EQ(box.GetVertex(0), QPoint(36, 40));
    EXPECT_EQ(box.GetVertex(2), QPoint(64, 60));
}

TEST(MessageBox, TextRectFollowsTheStyle) {
    const struct {
        uint8_t Style;
        TRect Expected;
    } cases[] = {
        {TGraphicBox::kStyleAboveLeft, {76, 36, 96, 56}},
        {TGraphicBox::kStyleAboveRight, {104, 36, 124, 56}},
        {TGraphicBox::kStyleBelowRight, {104, 104, 124, 124}},
        {TGraphicBox::kStyleBelowLeft, {76, 104, 96, 124}},
        {TGraphicBox::kStylePlain, {90, 70, 110, 90}},
    };
    for (const auto& c : cases) {
        TGraphicBox box;
        box.SetStyle(c.Style);
        box.PlaceAt({100, 80});
        EXPECT_EQ(box.TextRect(), c.Expected) << int(c.Style);
    }
}

TEST(MessageBox, ChooseStyleTurnsTheBoxTowardTheMiddle) {
    const struct {
        QPoint Point;
        uint8_t Style;
    } cases[] = {
        {{10, 10}, TGraphicBox::kStyleBelowRight},
        {{390, 10}, TGraphicBox::kStyleBelowLeft},
        {{390, 290}, TGraphicBox::kStyleAboveLeft},
        {{10, 290}, TGraphicBox::kStyleAboveRight},
        // On a dividing line or the border: unchanged.
        {{200, 10}, TGraphicBox::kStylePlain},
        {{10, 150}, TGraphicBox::kStylePlain},
        {{0, 10}, TGraphicBox::kStylePlain},
        {{390, 300}, TGraphicBox::kStylePlain},
    };
    for (const auto& c : cases) {
        TMessageBox box;
        box.SetStyle(TGraphicBox::kStylePlain);
        box.PlaceAt(c.Point);
        box.ChooseStyleFor(400, 300, c.Point);
        EXPECT_EQ(box.Style, c.Style) << c.Point.x() << "," << c.Point.y();
        EXPECT_EQ(box.AnchorPoint(), c.Point);
    }
}

TEST(MessageBox, FontStyleResizesOnlyOnChange) {
    TMessageBox box;
    box.PlaceAt({100, 100});
    box.Lines = QStringList{"Datasheet available"};
    box.SetFontStyle(3); // already bold italic: nothing happens
    EXPECT_EQ(box.BoxWidth, 20);
    box.SetFontStyle(0);
    EXPECT_FALSE(box.LogFont.bold());
    EXPECT_FALSE(box.LogFont.italic());
    EXPECT_GT(box.BoxWidth, 20);
    EXPECT_EQ(box.AnchorPoint(), QPoint(100, 100));
    box.SetFontStyle(2);
    EXPECT_FALSE(box.LogFont.bold());
    EXPECT_TRUE(box.LogFont.italic());
}

TEST(MessageBox, NeverRotates) {
    TMessageBox box;
    box.PlaceAt({60, 60});
    box.Rotate(90);
    box.UpdateVertices();
    EXPECT_EQ(box.AnchorPoint(), QPoint(60, 60));
    EXPECT_EQ(box.GetVertex(0), QPoint(32, 12));
}

TEST(MessageBox, DrawsTextInItsColourInsideTheBox) {
    TMessageBox box;
    box.SetFontColor(255);
    box.SetText("Race condition,\nprocess halted");
    box.SetStyle(TGraphicBox::kStyleBelowRight);
    box.PlaceAt({10, 10});
    const QImage image = Render(box);
    const TRect text = box.TextRect();
    const QRect inside(text.Left, text.Top, text.Width() + box.Margin, text.Height() + box.Margin);
    EXPECT_GT(CountPixels(image, inside, IsReddish), 10);
    EXPECT_EQ(image.pixel(text.Left - 1, text.Top - 1), qRgb(255, 250, 238));
    // Nothing red outside the outline.
    const TRect bounds = box.GetBounds();
    EXPECT_EQ(
        CountPixels(image, QRect(bounds.Right, 0, image.width() - bounds.Right, image.height()), IsReddish),
        0);
}

TEST(MessageBox, HiddenCalloutDrawsNothingButStillAnswers) {
    TMessageBox box;
    box.SetText("Datasheet available");
    box.PlaceAt({100, 100});
    box.Visible = false;
    const QImage image = Render(box);
    EXPECT_EQ(CountPixels(image, image.rect(), [](QRgb c) { return c != qRgb(255, 255, 255); }), 0);
    EXPECT_EQ(box.AnchorPoint(), QPoint(100, 100));
    EXPECT_FALSE(box.GetBounds().IsEmpty());
}
