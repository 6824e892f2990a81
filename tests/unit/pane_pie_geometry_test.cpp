#include "pane/pie_geometry.h"

#include <gtest/gtest.h>

#include <cfenv>

namespace {

// Box (10, 210) with side 380: the centre is (200, 400).
const int32_t cx = 200;
const int32_t cy = 400;

struct PieCase {
    const char* what;
    double currentFraction, filesFraction;
    PiePoint p0, p1, p2;
    bool green, white, blue;
};

const PieCase pieCases[] = {
    {"quarter and quarter", 0.25, 0.25,
     {cx + 1000, cy}, {cx, cy - 1000}, {cx - 1000, cy}, true, true, true},
    {"half and half: P0 nudged off P2", 0.5, 0.5,
     {cx + 1, cy + 1001}, {cx, cy - 1000}, {cx, cy + 1000}, true, true, false},
    {"half and nothing: P2 nudged off P1", 0.5, 0.0,
     {cx + 1000, cy}, {cx - 1000, cy}, {cx - 999, cy + 1}, true, false, true},
    {"nothing at all", 0.0, 0.0,
     {cx + 1, cy - 999}, {cx + 1, cy - 999}, {cx, cy - 1000}, false, false, true},
    {"the selected folder is everything", 1.0, 0.0,
     {cx + 1, cy + 1001}, {cx + 1, cy + 1001}, {cx, cy + 1000}, true, false, false},
    {"files are everything", 0.0, 1.0,
     {cx + 1, cy + 1001}, {cx + 1, cy + 1001}, {cx, cy + 1000}, false, true, false},
    {"a tiny selected share", 1e-12, 0.0,
     {cx + 1, cy - 999}, {cx + 1, cy - 999}, {cx, cy - 1000}, true, false, true},
    // 1000 cos(pi/4) = 707.1: truncated, not floored to -708 on the negative side.
    {"eighth and eighth", 0.125, 0.125,
     {cx + 707, cy - 707}, {cx, cy - 1000}, {cx - 707, cy - 707}, true, true, true},
    // Two thirds and one third sum to exactly 1.0 as doubles: no blue wedge.
    {"thirds", 2.0 / 3.0, 1.0 / 3.0,
     {cx + 1, cy + 1001}, {cx - 866, cy - 500}, {cx, cy + 1000}, true, true, false},
};

void expectPoint(PiePoint actual, PiePoint expected, const char* name) {
    EXPECT_EQ(actual.x, expected.x) << name << ".x";
    EXPECT_EQ(actual.y, expected.y) << name << ".y";
}

void expectCase(const PieCase& c) {
    PieGeometry pie = computePieGeometry(10, 210, 380, 380, c.currentFraction, c.filesFraction);
    expectPoint(pie.points[0], c.p0, "P0");
    expectPoint(pie.points[1], c.p1, "P1");
    expectPoint(pie.points[2], c.p2, "P2");
    EXPECT_EQ(pie.drawGreen, c.green);
    EXPECT_EQ(pie.drawWhite, c.white);
    EXPECT_EQ(pie.drawBlue, c.blue);
}

TEST(PieGeometry, PointsNudgesAndWedges) {
    for (const PieCase& c : pieCases) {
        SCOPED_TRACE(c.what);
        expectCase(c);
    }
}

TEST(PieGeometry, TruncatesTowardZeroInEveryRoundingMode) {
    const int modes[] = {FE_TONEAREST, FE_DOWNWARD, FE_UPWARD, FE_TOWARDZERO};
    for (int mode : modes) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(std::fesetround(mode), 0);
        expectCase(pieCases[7]);
        expectCase(pieCases[0]);
    }
    std::fesetround(FE_TONEAREST);
}

TEST(PieGeometry, BoxAndCentre) {
    struct BoxCase {
        int32_t left, top, width, height;
        int32_t right, bottom, centerX, centerY;
    };
    const BoxCase cases[] = {
        {10, 210, 380, 380, 390, 590, 200, 400},
        {10, 210, 381, 381, 391, 591, 200, 400},  // odd side: the half is dropped
        {10, 10, -5, -5, 5, 5, 8, 8},             // a pane too short for a pie
    };
    for (const BoxCase& c : cases) {
        PieGeometry pie = computePieGeometry(c.left, c.top, c.width, c.height, 0.25, 0.25);
        EXPECT_EQ(pie.left, c.left);
        EXPECT_EQ(pie.top, c.top);
        EXPECT_EQ(pie.right, c.right);
        EXPECT_EQ(pie.bottom, c.bottom);
        EXPECT_EQ(pie.centerX, c.centerX);
        EXPECT_EQ(pie.centerY, c.centerY);
    }
}

TEST(PieGeometry, AnglesStartRightOfTheTopAndTurnCounterclockwise) {
    PieGeometry pie = computePieGeometry(0, 0, 100, 100, 0.3, 0.1);
    // Green and white together (0.4 of the turn) centred on the top.
    EXPECT_DOUBLE_EQ(pie.angles[0], -(0.25 - 0.2) * pieTurn);
    EXPECT_DOUBLE_EQ(pie.angles[1], pie.angles[0] - 0.3 * pieTurn);
    EXPECT_DOUBLE_EQ(pie.angles[2], pie.angles[1] - 0.1 * pieTurn);
    EXPECT_DOUBLE_EQ((pie.angles[0] + pie.angles[2]) / 2, -0.25 * pieTurn);
}

}  // namespace
