#include "TestSupport.h"

#include "drawing/GraphicText.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

float Width(TGraphicText& text) {
    const FloatRect e = text.GetExtent();
    return e.MaxX - e.MinX;
}

} // namespace

TEST(GraphicText, FontSizeIsPointsAt96PerInch) {
    TGraphicText text;
    text.FontSize = 7;
    EXPECT_EQ(text.FillLogFont().pixelSize(), 9);
    text.FontSize = 10;
    EXPECT_EQ(text.FillLogFont().pixelSize(), 13);
    text.FontSize = 8;
    EXPECT_EQ(text.FillLogFont().pixelSize(), 11);
    text.Weight = 700;
    EXPECT_TRUE(text.IsBold());
    EXPECT_EQ(text.FillLogFont().weight(), QFont::Bold);
}

TEST(GraphicText, LayoutCentresTheRectangleAndShortensSingleCharacters) {
    TGraphicText one("W", 10);
    TGraphicText two("WW", 10);
    const QFontMetrics metrics(one.FillLogFont());
    EXPECT_EQ(Width(one), static_cast<float>(metrics.horizontalAdvance("W") - 1));
    EXPECT_EQ(Width(two), static_cast<float>(metrics.horizontalAdvance("WW")));
    const FloatRect e = two.GetExtent();
    EXPECT_LE(std::abs(e.MinX + e.MaxX), 1.0f) << "centred on the origin";
    EXPECT_EQ(e.MaxY - e.MinY, static_cast<float>(metrics.height()));
    ASSERT_EQ(two.OverlineSegment->PointCount(), 2);
    EXPECT_EQ(two.OverlineSegment->GetPoint(0)->Y, e.MinY) << "the overline runs along the top";
    EXPECT_EQ(two.OverlineSegment->GetPoint(1)->X, e.MaxX);
}

TEST(GraphicText, SetTextKeepsTheCentreOfARotatedText) {
    TGraphicText text("label", 8);
    text.Offset(100, 50);
    text.Rotate(90);
    text.UpdateVertices();
    float x0, y0;
    text.GetCentre(x0, y0);
    text.SetText("a much longer label");
    float x1, y1;
    text.GetCentre(x1, y1);
    EXPECT_NEAR(x1, std::trunc(x0), 1.0f);
    EXPECT_NEAR(y1, std::trunc(y0), 1.0f);
    const FloatRect e = text.GetExtent();
    EXPECT_GT(e.MaxY - e.MinY, e.MaxX - e.MinX) << "a text turned by 90 degrees stands upright";
}

TEST(GraphicText, AngleStaysWithin0And360) {
    TGraphicText text("x");
    text.Angle = 180;
    text.Rotate(270);
    EXPECT_FLOAT_EQ(text.Angle, 90);
    text.Angle = 0;
    text.Rotate(-90);
    EXPECT_FLOAT_EQ(text.Angle, 270);
    text.Angle = 360;
    text.Rotate(0);
    EXPECT_FLOAT_EQ(text.Angle, 360);
}

TEST(GraphicText, ArrowCharactersUseTheSymbolFace) {
    TGraphicText text;
    text.SetText(QString(QChar(173)));
    EXPECT_EQ(text.FontName, "Symbol");
    text.SetText("A");
    EXPECT_EQ(text.FontName, "Symbol") << "the face stays once switched";
    TGraphicText down(QString(QChar(175)));
    down.FontName = "Arial";
    auto copy = testsupport::ReadTree<TGraphicText>(testsupport::WriteTree(&down));
    EXPECT_EQ(copy->FontName, "Symbol");
    TGraphicText two(QString(QChar(173)) + QChar(173));
    EXPECT_EQ(two.FontName, "Arial");
}

TEST(GraphicText, StreamRoundTrip) {
    TGraphicText text("Q", 9);
    text.Overline = true;
    text.Italic = true;
    text.Weight = 700;
    text.TextColor = 0x0000FF;
    text.BackColor = 0x123456;
    text.Transparent = false;
    text.ShowOutline = false;
    text.Rotate(45);
    text.Offset(10, 20);
    text.UpdateVertices();
    const QByteArray bytes = testsupport::WriteTree(&text);
    auto copy = testsupport::ReadTree<TGraphicText>(bytes);
    EXPECT_EQ(copy->Text, "Q");
    EXPECT_TRUE(copy->Overline);
    EXPECT_TRUE(copy->Italic);
    EXPECT_EQ(copy->Weight, 700);
    EXPECT_FLOAT_EQ(copy->Angle, 45);
    EXPECT_FALSE(copy->ShowOutline);
    EXPECT_EQ(copy->BackColor, 0u) << "not stored";
    EXPECT_TRUE(copy->Transparent) << "not stored";
    EXPECT_EQ(copy->GetVertex(0), text.GetVertex(0)) << "the stored rectangle is kept, not laid out again";
    EXPECT_EQ(testsupport::WriteTree(copy.get()), bytes);
    TGraphicText plain("no bar");
    EXPECT_EQ(testsupport::WriteTree(&plain).count("TPolyline"), 0)
        << "the overline is stored only when shown";
}

TEST(GraphicText, DrawingTextAndOverline) {
    QImage image(60, 30, QImage::Format_RGB32);
    auto render = [&](TGraphicText& text) {
        image.fill(Qt::white);
        QPainter dc(&image);
        text.Draw(dc);
    };
    auto dark = [&] {
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += qGray(image.pixel(x, y)) < 128;
        return count;
    };
    TGraphicText empty;
    empty.Overline = true;
    render(empty);
    EXPECT_EQ(dark(), 0) << "an empty text draws nothing, not even its overline";

    TGraphicText text("Hi", 10);
    text.Offset(30, 15);
    text.UpdateVertices();
    render(text);
    const int plain = dark();
    EXPECT_GT(plain, 5);
    text.Overline = true;
    render(text);
    EXPECT_GT(dark(), plain);
}

// Short transparent texts are drawn from a cached layout, others straight from the string: both
// must put the same glyphs in the same place, at the text's top-left vertex.
TEST(GraphicText, CachedAndDirectDrawingMatch) {
    auto render = [](const QString& content, bool transparent) {
        QImage image(400, 40, QImage::Format_RGB32);
        image.fill(Qt::white);
        TGraphicText text(content, 10);
        text.Transparent = transparent;
        text.BackColor = kColourWhite;
        text.Offset(200, 20);
        text.UpdateVertices();
        QPainter dc(&image);
        text.Draw(dc);
        dc.end();
        return image;
    };
    for (const QString& content : {QStringLiteral("clock"), QStringLiteral("16 x 8 ROM")}) {
        const QImage first = render(content, true);
        const QImage cached = render(content, true);
        EXPECT_EQ(first, cached);
        EXPECT_EQ(cached, render(content, false)) << content.toStdString();
        EXPECT_NE(cached, render(QStringLiteral("x"), true));
    }
    const QString longText(100, QLatin1Char('W'));
    EXPECT_EQ(render(longText, true), render(longText, false));
}

// A text far longer than any annotation is laid out and drawn by its beginning only, so it cannot take
// memory in proportion to its size; the text itself is kept and stored whole.
TEST(GraphicText, AnOverlongTextShowsOnlyItsBeginningButKeepsItAll) {
    const QString shown(TGraphicText::kMaxShownLength, QLatin1Char('W'));
    const QString whole = shown + QString(3 * TGraphicText::kMaxShownLength, QLatin1Char('i'));
    TGraphicText prefix(shown);
    TGraphicText text(whole);
    EXPECT_EQ(text.TextWidth(), prefix.TextWidth());
    auto render = [](TGraphicText& drawn) {
        QImage image(200, 30, QImage::Format_RGB32);
        image.fill(Qt::white);
        drawn.Transparent = false;
        drawn.BackColor = kColourWhite;
        const QPoint start = drawn.GetVertex(0);
        drawn.Offset(static_cast<float>(5 - start.x()), static_cast<float>(5 - start.y()));
        drawn.UpdateVertices();
        QPainter dc(&image);
        drawn.Draw(dc);
        return image;
    };
    const QImage drawn = render(text);
    EXPECT_EQ(drawn, render(prefix));
    QImage blank(drawn.size(), QImage::Format_RGB32);
    blank.fill(Qt::white);
    EXPECT_NE(drawn, blank);
    auto copy = testsupport::ReadTree<TGraphicText>(testsupport::WriteTree(&text));
    EXPECT_EQ(copy->Text, whole);
}
