#include "canvas/Cursors.h"

#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

namespace {

const char* const kNames[] = {"DIGITALARROW", "DIGITALHAND", "WIREDEFAULT", "WIRECONNECT", "WIREISWIRING",
                              "HAND",         "PROBEFLOAT",  "PROBEON",     "PROBEOFF",    "PARTDRAG"};

bool IsTransparentAt(const QImage& image, int x, int y) {
    return qAlpha(image.pixel(x, y)) == 0;
}

} // namespace

TEST(Cursors, EveryNameLoadsItsOwnImage) {
    QList<QImage> images;
    for (const char* name : kNames) {
        const QCursor cursor = LoadCursor(name);
        ASSERT_EQ(cursor.shape(), Qt::BitmapCursor) << name;
        const QImage image = cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(image.size(), QSize(32, 32)) << name;
        EXPECT_TRUE(image.hasAlphaChannel()) << name;
        // Partly drawn, partly see-through, and the hot spot inside the image.
        int opaque = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                opaque += qAlpha(image.pixel(x, y)) > 0;
        EXPECT_GT(opaque, 40) << name;
        EXPECT_LT(opaque, 32 * 32 / 2) << name;
        EXPECT_TRUE(QRect(0, 0, 32, 32).contains(cursor.hotSpot())) << name;
        EXPECT_FALSE(images.contains(image)) << name << " looks like another cursor";
        images << image;
    }
}

TEST(Cursors, NamesIgnoreCaseAndUnknownOnesGiveTheArrow) {
    EXPECT_EQ(LoadCursor("probeon").pixmap().toImage(), LoadCursor("PROBEON").pixmap().toImage());
    EXPECT_EQ(LoadCursor("NOSUCHCURSOR").shape(), Qt::ArrowCursor);
    EXPECT_EQ(LoadCursor("").shape(), Qt::ArrowCursor);
}

TEST(Cursors, NumbersMapToTheirResources) {
    EXPECT_EQ(CursorResourceName(kCursorWireDefault), "WIREDEFAULT");
    EXPECT_EQ(CursorResourceName(kCursorWireIsWiring), "WIREISWIRING");
    EXPECT_EQ(CursorResourceName(kCursorProbeOff), "PROBEOFF");
    EXPECT_EQ(CursorResourceName(kCursorDigitalHand), "DIGITALHAND");
    EXPECT_EQ(CursorResourceName(kCursorPartDrag), "PARTDRAG");
    EXPECT_EQ(CursorResourceName(999), "");
    EXPECT_EQ(CursorForNumber(999).shape(), Qt::ArrowCursor);
    EXPECT_EQ(CursorForNumber(kCursorHand).pixmap().toImage(), LoadCursor("HAND").pixmap().toImage());
    // The wiring cursors point with the middle of their cross-hair, which is drawn.
    const QCursor wire = CursorForNumber(kCursorWireConnect);
    EXPECT_EQ(wire.hotSpot(), QPoint(15, 15));
    EXPECT_FALSE(IsTransparentAt(wire.pixmap().toImage(), 15, 15));
}
