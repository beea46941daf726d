#include "drawing/SnapGrid.h"

#include <gtest/gtest.h>

TEST(SnapGrid, PointRoundsToNearestPitchHalfGoingUp) {
    TGrid grid;
    EXPECT_EQ(grid.SnapPoint({14, 15}), QPoint(10, 20));
    EXPECT_EQ(grid.SnapPoint({0, 0}), QPoint(0, 0));
    EXPECT_EQ(grid.SnapPoint({20, 29}), QPoint(20, 30));
    // Negative coordinates go toward zero whatever their distance.
    EXPECT_EQ(grid.SnapPoint({-7, 3}), QPoint(0, 0));
    EXPECT_EQ(grid.SnapPoint({-16, -10}), QPoint(-10, -10));
}

TEST(SnapGrid, OddPitchSendsTheMiddleRemainderUp) {
    TGrid grid;
    grid.SnapSize = 5;
    EXPECT_EQ(grid.SnapPoint({11, 12}), QPoint(10, 15));
    EXPECT_EQ(grid.SnapPoint({15, 14}), QPoint(15, 15));
}

TEST(SnapGrid, PointUnchangedWithoutSnapOrUsablePitch) {
    TGrid grid;
    grid.Snap = false;
    EXPECT_EQ(grid.SnapPoint({14, 15}), QPoint(14, 15));
    grid.Snap = true;
    for (int pitch : {1, 0, -10}) {
        grid.SnapSize = pitch;
        EXPECT_EQ(grid.SnapPoint({14, -15}), QPoint(14, -15)) << pitch;
    }
}

TEST(SnapGrid, PointNearTheIntegerLimitStaysInRange) {
    TGrid grid;
    EXPECT_EQ(grid.SnapPoint({2147483647, -2147483647 - 1}), QPoint(2147483640, -2147483640));
}

TEST(SnapGrid, AngleRoundsToWholeDegreeThenToStep) {
    TGrid grid;
    grid.AngleStep = 10;
    EXPECT_EQ(grid.SnapAngle(44), 40);
    EXPECT_EQ(grid.SnapAngle(45), 50);
    EXPECT_EQ(grid.SnapAngle(359), 360);
    EXPECT_EQ(grid.SnapAngle(-12), -10);
    grid.AngleStep = 5;
    EXPECT_EQ(grid.SnapAngle(12), 10);
    EXPECT_EQ(grid.SnapAngle(12.5f), 10); // 12.5 rounds to the even 12 first
    EXPECT_EQ(grid.SnapAngle(13.5f), 15);
    EXPECT_EQ(grid.SnapAngle(13), 15);
}

TEST(SnapGrid, AngleUnchangedWithoutSnapOrUsableStep) {
    TGrid grid;
    grid.Snap = false;
    EXPECT_EQ(grid.SnapAngle(12.3f), 12.3f);
    grid.Snap = true;
    grid.AngleStep = 0;
    EXPECT_EQ(grid.SnapAngle(12.3f), 12.3f);
}
