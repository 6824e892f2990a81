#include "pane/chart_layout.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>

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

// The radial points are the plain directions of the three angles, even where
// two coincide: a wedge whose edges would meet is never drawn as a wedge
// (see the wedge table below).
const PieCase pieCases[] = {
    {"quarter and quarter", 0.25, 0.25,
     {cx + 1000, cy}, {cx, cy - 1000}, {cx - 1000, cy}, true, true, true},
    {"half and half: P0 and P2 both at the bottom", 0.5, 0.5,
     {cx, cy + 1000}, {cx, cy - 1000}, {cx, cy + 1000}, true, true, false},
    {"half and nothing: P1 and P2 both on the left", 0.5, 0.0,
     {cx + 1000, cy}, {cx - 1000, cy}, {cx - 1000, cy}, true, false, true},
    {"nothing at all", 0.0, 0.0,
     {cx, cy - 1000}, {cx, cy - 1000}, {cx, cy - 1000}, false, false, true},
    {"the selected folder is everything", 1.0, 0.0,
     {cx, cy + 1000}, {cx, cy + 1000}, {cx, cy + 1000}, true, false, false},
    {"files are everything", 0.0, 1.0,
     {cx, cy + 1000}, {cx, cy + 1000}, {cx, cy + 1000}, false, true, false},
    // Too narrow to show: no green disc for blue to cover.
    {"a tiny selected share", 1e-12, 0.0,
     {cx, cy - 1000}, {cx, cy - 1000}, {cx, cy - 1000}, false, false, true},
    // 1000 cos(pi/4) = 707.1: truncated, not floored to -708 on the negative side.
    {"eighth and eighth", 0.125, 0.125,
     {cx + 707, cy - 707}, {cx, cy - 1000}, {cx - 707, cy - 707}, true, true, true},
    // Two thirds and one third sum to exactly 1.0 as doubles: no blue wedge.
    {"thirds", 2.0 / 3.0, 1.0 / 3.0,
     {cx, cy + 1000}, {cx - 866, cy - 500}, {cx, cy + 1000}, true, true, false},
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

TEST(PieGeometry, RadialPointsAndSharesDrawn) {
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

// ---- which shares are drawn, and how ----

enum Drawn { none, disc, wedge };

struct ShareDrawn {
    Drawn drawn;
    int from, to;  // indexes into the radial points, for a wedge
};

struct WedgeCase {
    const char* what;
    double currentFraction, filesFraction;
    ShareDrawn green, white, blue;
};

const double stepBelowOne = std::nextafter(1.0, 0.0);
const double stepAboveOne = std::nextafter(1.0, 2.0);

// Box (10, 210) with side 380: radius 190, so a wedge is shown from a
// share of (3 / 190 + 0.003) / turn = 0.00299.
const WedgeCase wedgeCases[] = {
    {"quarter and quarter", 0.25, 0.25, {wedge, 0, 1}, {wedge, 1, 2}, {wedge, 2, 0}},
    {"half and half", 0.5, 0.5, {wedge, 0, 1}, {wedge, 1, 0}, {none, 0, 0}},
    {"half and nothing", 0.5, 0.0, {wedge, 0, 2}, {none, 0, 0}, {wedge, 2, 0}},
    {"nothing at all: one blue disc", 0.0, 0.0, {none, 0, 0}, {none, 0, 0}, {disc, 0, 0}},
    {"the selected folder is everything", 1.0, 0.0, {disc, 0, 0}, {none, 0, 0}, {none, 0, 0}},
    {"files are everything", 0.0, 1.0, {none, 0, 0}, {disc, 0, 0}, {none, 0, 0}},
    {"1e-9 selected: no green under the blue", 1e-9, 0.0,
     {none, 0, 0}, {none, 0, 0}, {disc, 0, 0}},
    {"1e-9 of files", 0.0, 1e-9, {none, 0, 0}, {none, 0, 0}, {disc, 0, 0}},
    {"0.001 selected is under three pixels of rim", 0.001, 0.25,
     {none, 0, 0}, {wedge, 1, 2}, {wedge, 2, 1}},
    {"0.004 selected is shown", 0.004, 0.25, {wedge, 0, 1}, {wedge, 1, 2}, {wedge, 2, 0}},
    // 1 byte of files beside subfolders of 500,000 and 499,999 bytes.
    {"a half beside one byte of files", 500000.0 / 1000000, 1.0 / 1000000,
     {wedge, 0, 2}, {none, 0, 0}, {wedge, 2, 0}},
    // 50,000 of 1,000,000 bytes selected, one byte of files.
    {"five percent beside one byte of files", 50000.0 / 1000000, 1.0 / 1000000,
     {wedge, 0, 2}, {none, 0, 0}, {wedge, 2, 0}},
    // Files 300,000, selected 699,900, the other subfolder 100 bytes.
    {"100 bytes of other subfolders", 699900.0 / 1000000, 300000.0 / 1000000,
     {wedge, 0, 1}, {wedge, 1, 0}, {none, 0, 0}},
    {"0.9999 selected, 0.0001 of files", 0.9999, 0.0001,
     {disc, 0, 0}, {none, 0, 0}, {none, 0, 0}},
    {"blue of 1e-6", 0.999999, 0.0, {disc, 0, 0}, {none, 0, 0}, {none, 0, 0}},
    {"sum a step below 1: no blue", stepBelowOne - 0.5, 0.5,
     {wedge, 0, 1}, {wedge, 1, 0}, {none, 0, 0}},
    {"sum a step above 1: no blue", stepAboveOne - 0.5, 0.5,
     {wedge, 0, 1}, {wedge, 1, 0}, {none, 0, 0}},
    {"selected a step below 1: one green disc", stepBelowOne, 0.0,
     {disc, 0, 0}, {none, 0, 0}, {none, 0, 0}},
    {"selected a step above 1: one green disc", stepAboveOne, 0.0,
     {disc, 0, 0}, {none, 0, 0}, {none, 0, 0}},
};

void expectShare(const PieGeometry& pie, int k, bool drawnFlag, const ShareDrawn& expected) {
    SCOPED_TRACE(k == pieGreen ? "green" : k == pieWhite ? "white" : "blue");
    EXPECT_EQ(drawnFlag, expected.drawn != none);
    if (expected.drawn == none) return;
    const PieWedge& w = pie.wedges[k];
    EXPECT_EQ(w.wholeDisc, expected.drawn == disc);
    if (expected.drawn == disc) return;
    expectPoint(w.from, pie.points[expected.from], "from");
    expectPoint(w.to, pie.points[expected.to], "to");
}

TEST(PieGeometry, WhichSharesAreDrawnAndHow) {
    for (const WedgeCase& c : wedgeCases) {
        SCOPED_TRACE(c.what);
        PieGeometry pie = computePieGeometry(10, 210, 380, 380, c.currentFraction, c.filesFraction);
        expectShare(pie, pieGreen, pie.drawGreen, c.green);
        expectShare(pie, pieWhite, pie.drawWhite, c.white);
        expectShare(pie, pieBlue, pie.drawBlue, c.blue);
    }
}

TEST(PieGeometry, SharesAndTheNarrowestWedge) {
    PieGeometry pie = computePieGeometry(10, 10, 300, 300, 0.3, 0.1);
    EXPECT_DOUBLE_EQ(pie.shares[pieGreen], 0.3);
    EXPECT_DOUBLE_EQ(pie.shares[pieWhite], 0.1);
    EXPECT_DOUBLE_EQ(pie.shares[pieBlue], 0.6);
    EXPECT_DOUBLE_EQ(pie.minimumAngle, 3.0 / 150 + 0.003);
    // The smaller side of the box sets the radius.
    EXPECT_DOUBLE_EQ(computePieGeometry(0, 0, 400, 100, 0.3, 0.1).minimumAngle, 3.0 / 50 + 0.003);
    // Blue never goes below 0 when the two sum past 1.
    EXPECT_EQ(computePieGeometry(0, 0, 300, 300, stepAboveOne, 0.0).shares[pieBlue], 0.0);

    // Radius 150: shown from a share of 0.023 / turn = 0.003661.
    struct Edge {
        double share;
        bool shown;
    };
    const Edge edges[] = {{0.0036, false}, {0.0037, true}};
    for (const Edge& e : edges) {
        SCOPED_TRACE(e.share);
        EXPECT_EQ(computePieGeometry(10, 10, 300, 300, e.share, 0.4).drawGreen, e.shown);
        EXPECT_EQ(computePieGeometry(10, 10, 300, 300, 0.4, e.share).drawWhite, e.shown);
        EXPECT_EQ(computePieGeometry(10, 10, 300, 300, 0.6, 0.4 - e.share).drawBlue, e.shown);
    }
}

TEST(PieGeometry, TooSmallABoxShowsTheLargestShareAlone) {
    // Radius 1: a wedge must span 3.003 radians, 0.478 of the turn.
    PieGeometry pie = computePieGeometry(0, 0, 2, 2, 0.3, 0.3);
    EXPECT_FALSE(pie.drawGreen);
    EXPECT_FALSE(pie.drawWhite);
    EXPECT_TRUE(pie.drawBlue);
    EXPECT_TRUE(pie.wedges[pieBlue].wholeDisc);
    pie = computePieGeometry(0, 0, 2, 2, 0.45, 0.45);  // equals: the first drawn
    EXPECT_TRUE(pie.drawGreen);
    EXPECT_TRUE(pie.wedges[pieGreen].wholeDisc);
    EXPECT_FALSE(pie.drawWhite);
    EXPECT_FALSE(pie.drawBlue);
    // A box with no area shows no wedge but still one disc of the largest.
    pie = computePieGeometry(10, 10, -5, -5, 0.25, 0.25);
    EXPECT_TRUE(pie.drawBlue);
    EXPECT_TRUE(pie.wedges[pieBlue].wholeDisc);
    EXPECT_FALSE(pie.drawGreen || pie.drawWhite);
}

// The direction of a radial point as the wedge drawing sees it, in screen
// radians with the growing angle clockwise.
double direction(const PieGeometry& pie, PiePoint p) {
    return std::atan2(p.y - pie.centerY, p.x - pie.centerX);
}

// How far counterclockwise on the screen `to` lies from `from`, 0 to 2 pi.
double counterclockwiseSpan(const PieGeometry& pie, PiePoint from, PiePoint to) {
    const double fullTurn = 2 * std::acos(-1.0);
    double span = direction(pie, from) - direction(pie, to);
    while (span < 0) span += fullTurn;
    while (span >= fullTurn) span -= fullTurn;
    return span;
}

// Over a grid of shares from 0 through slivers to all: every wedge drawn
// covers its own share and the slivers it took on within the truncation of
// its points; the drawn shares tile the turn; no wedge's edges come closer
// than the narrowest wedge, either way round.
TEST(PieGeometry, DrawnWedgesMatchTheirSharesAndNeverCoincide) {
    const double values[] = {0.0,   1e-12, 1e-9, 1e-6, 1e-4,   0.001, 0.003, 0.004, 0.01,
                             0.05,  0.25,  1.0 / 3, 0.5, 0.75, 0.9,   0.99,  0.996, 0.999,
                             0.9999, stepBelowOne, 1.0};
    const double fullTurn = 2 * std::acos(-1.0);
    const int32_t sides[] = {300, 380, 40, 1400};
    for (int32_t side : sides) {
        for (double current : values) {
            for (double files : values) {
                if (current + files > 1.0 + 1e-12) continue;
                SCOPED_TRACE(::testing::Message() << "side " << side << ", " << current << " and "
                                                  << files);
                PieGeometry pie = computePieGeometry(0, 0, side, side, current, files);
                const bool drawn[3] = {pie.drawGreen, pie.drawWhite, pie.drawBlue};
                int drawnCount = 0;
                double covered = 0.0;
                for (int k = 0; k < 3; ++k) {
                    if (pie.shares[k] <= 0.0) {
                        EXPECT_FALSE(drawn[k]) << k;
                    }
                    if (!drawn[k]) continue;
                    ++drawnCount;
                    const PieWedge& w = pie.wedges[k];
                    if (w.wholeDisc) {
                        covered += fullTurn;
                        continue;
                    }
                    double span = counterclockwiseSpan(pie, w.from, w.to);
                    EXPECT_GE(span, 3.0 / (side / 2.0)) << k;
                    EXPECT_LE(span, fullTurn - 3.0 / (side / 2.0)) << k;
                    // Its own share and the skipped ones after it.
                    double expected = pie.shares[k];
                    for (int n = (k + 1) % 3; !drawn[n]; n = (n + 1) % 3) expected += pie.shares[n];
                    EXPECT_NEAR(span, expected * fullTurn, 0.003) << k;
                    covered += span;
                }
                EXPECT_GE(drawnCount, 1);
                const int first = drawn[0] ? 0 : (drawn[1] ? 1 : 2);
                EXPECT_EQ(drawnCount == 1, pie.wedges[first].wholeDisc);
                EXPECT_NEAR(covered, fullTurn, 0.001);
            }
        }
    }
}

}  // namespace
