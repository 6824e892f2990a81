// Every share of the pie drawn into a 32-bit DIB section and counted pixel
// by pixel: each colour covers its share of the disc, a share of 0 not a
// single pixel, and slivers never turn into whole discs.
#include "app/startup.h"
#include "pane/chart_gdi.h"
#include "ui/globals.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "support/canvas.h"

#include <cmath>
#include <cstdint>

namespace {

// Box (10, 10) with side 300 in a 320 x 320 canvas: centre (160, 160),
// radius 150, so one percentage point of the disc is about 700 pixels.
const int canvasSide = 320;
const int boxLeft = 10;
const int boxSide = 300;
const int centre = boxLeft + boxSide / 2;
const double radius = boxSide / 2.0;

const uint32_t sentinel = 0x010203;  // 0x00RRGGBB as the DIB holds it
const uint32_t green = 0x00FF00;
const uint32_t white = 0xFFFFFF;
const uint32_t blue = 0x0000FF;
const uint32_t black = 0x000000;

// What a drawn pie holds: the pixels of each colour, where each colour's
// pixels lie on average, the unpainted ones inside the rim, and any pixel of
// a colour that the pie does not use.
struct PieCount {
    int colour[3] = {0, 0, 0};  // green, white, blue
    double sumX[3] = {0, 0, 0}, sumY[3] = {0, 0, 0};
    int outline = 0;
    int innerOutline = 0;  // outline well inside the rim: wedge edges
    int holes = 0;   // left unpainted well inside the rim
    int strays = 0;  // neither sentinel nor a pie colour, anywhere

    int shares() const { return colour[0] + colour[1] + colour[2]; }
    double fraction(int k) const { return shares() ? double(colour[k]) / shares() : 0.0; }
};

PieCount countPie(const Canvas& canvas) {
    GdiFlush();
    const uint32_t colours[3] = {green, white, blue};
    PieCount count;
    for (int y = 0; y < canvasSide; ++y) {
        for (int x = 0; x < canvasSide; ++x) {
            uint32_t p = canvas.raw(x, y);
            double dx = x + 0.5 - centre, dy = y + 0.5 - centre;
            bool wellInside = std::sqrt(dx * dx + dy * dy) < radius - 2;
            int k = 0;
            while (k < 3 && colours[k] != p) ++k;
            if (k < 3) {
                ++count.colour[k];
                count.sumX[k] += dx;
                count.sumY[k] += dy;
            } else if (p == black) {
                ++count.outline;
                if (wellInside) ++count.innerOutline;
            } else if (p == sentinel) {
                if (wellInside) ++count.holes;
            } else {
                ++count.strays;
            }
        }
    }
    return count;
}

struct SharesCase {
    const char* what;
    double current, files, rest;  // rest: the blue share the folder sizes mean
};

const double stepBelowOne = std::nextafter(1.0, 0.0);
const double stepAboveOne = std::nextafter(1.0, 2.0);

const SharesCase sharesCases[] = {
    {"an empty folder: all blue", 0.0, 0.0, 1.0},
    {"all selected", 1.0, 0.0, 0.0},
    {"all files", 0.0, 1.0, 0.0},
    {"1e-9 selected", 1e-9, 0.0, 1.0 - 1e-9},
    {"1e-9 of files", 0.0, 1e-9, 1.0 - 1e-9},
    {"1e-6 and 1e-6", 1e-6, 1e-6, 1.0 - 2e-6},
    {"1e-4 selected, a quarter of files", 1e-4, 0.25, 0.75 - 1e-4},
    {"0.001 selected, half of files", 0.001, 0.5, 0.499},
    {"quarter and quarter", 0.25, 0.25, 0.5},
    {"half and half", 0.5, 0.5, 0.0},
    {"half and nothing", 0.5, 0.0, 0.5},
    {"nothing and half", 0.0, 0.5, 0.5},
    {"0.3 and 0.1", 0.3, 0.1, 0.6},
    {"0.01 and 0.02", 0.01, 0.02, 0.97},
    {"0.05 and 0.9", 0.05, 0.9, 0.05},
    {"thirds", 2.0 / 3.0, 1.0 / 3.0, 0.0},
    {"0.9999 and 0.0001", 0.9999, 0.0001, 0.0},
    {"0.9999 and nothing", 0.9999, 0.0, 0.0001},
    {"0.0001 and 0.9999", 0.0001, 0.9999, 0.0},
    {"0.999999 and nothing", 0.999999, 0.0, 0.000001},
    // 1 byte of files beside subfolders of 500,000 and 499,999 bytes.
    {"the 500,000 selected beside one byte of files", 500000.0 / 1000000, 1.0 / 1000000,
     499999.0 / 1000000},
    {"the 499,999 selected beside one byte of files", 499999.0 / 1000000, 1.0 / 1000000,
     500000.0 / 1000000},
    {"50,000 of 1,000,000 selected beside one byte of files", 50000.0 / 1000000,
     1.0 / 1000000, 949999.0 / 1000000},
    {"files 300,000, selected 699,900, other 100", 699900.0 / 1000000, 300000.0 / 1000000,
     100.0 / 1000000},
    {"sum a step below 1", stepBelowOne - 0.5, 0.5, 0.0},
    {"sum a step above 1", stepAboveOne - 0.5, 0.5, 0.0},
    {"selected a step below 1", stepBelowOne, 0.0, 0.0},
    {"selected a step above 1", stepAboveOne, 0.0, 0.0},
};

const char* const colourNames[3] = {"green", "white", "blue"};

class PieSharesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { createPalette(); }

    void SetUp() override {
        ASSERT_TRUE(canvas.ready());
        ASSERT_TRUE(paletteGreen && paletteWhite && paletteBlue && outlinePen);
    }

    PieCount draw(double current, double files) {
        canvas.fill(canvasSentinel);
        drawPieChart(canvas.dc(), boxLeft, boxLeft, boxSide, boxSide, current, files);
        return countPie(canvas);
    }

    Canvas canvas{canvasSide, canvasSide};
};

TEST_F(PieSharesTest, EachColourCoversItsShare) {
    for (const SharesCase& c : sharesCases) {
        SCOPED_TRACE(c.what);
        PieCount count = draw(c.current, c.files);
        const double shares[3] = {c.current, c.files, c.rest};
        for (int k = 0; k < 3; ++k) {
            SCOPED_TRACE(colourNames[k]);
            EXPECT_NEAR(count.fraction(k), shares[k], 0.01);
            if (shares[k] == 0.0) {
                EXPECT_EQ(count.colour[k], 0);
            }
        }
        // One whole disc, no colour but the pie's, nothing unpainted inside
        // but the one-pixel seams Wine leaves between the outlines of two
        // wedges meeting on a slanted edge (41 at most here; a skipped
        // sliver left open would leave a wedge-shaped gap instead).
        EXPECT_LE(count.holes, 60);
        // A colour shown alone is a plain disc: no edge, no hairline across it.
        const int shown = (count.colour[0] > 0) + (count.colour[1] > 0) + (count.colour[2] > 0);
        if (shown == 1) {
            EXPECT_EQ(count.innerOutline, 0);
        }
        EXPECT_EQ(count.strays, 0);
        const double disc = 3.14159265 * radius * radius;
        EXPECT_NEAR(count.shares() + count.outline, disc, 0.01 * disc);
    }
}

// Green and white are centred on the top, green to the right of it and white
// following counterclockwise; blue is centred on the bottom. Each colour's
// pixels lie on average on its wedge's middle ray.
TEST_F(PieSharesTest, WedgesSitAroundTheTop) {
    struct Placement {
        double current, files;
        double middleDegrees[3];  // screen degrees, clockwise from the right
    };
    const Placement placements[] = {
        {0.25, 0.25, {-45, -135, 90}},
        {0.3, 0.1, {-72, -144, 90}},  // green from -18 to -126, white on to -162
        {0.05, 0.05, {-81, -99, 90}},
        {0.1, 0.0, {-90, 0, 90}},
        {0.0, 0.2, {0, -90, 90}},
    };
    const double degree = 3.14159265 / 180;
    for (const Placement& p : placements) {
        SCOPED_TRACE(::testing::Message() << p.current << " and " << p.files);
        PieCount count = draw(p.current, p.files);
        const double shares[3] = {p.current, p.files, 1.0 - p.current - p.files};
        for (int k = 0; k < 3; ++k) {
            if (shares[k] == 0.0) continue;
            SCOPED_TRACE(colourNames[k]);
            ASSERT_GT(count.colour[k], 0);
            double middle = std::atan2(count.sumY[k], count.sumX[k]) / degree;
            EXPECT_NEAR(middle, p.middleDegrees[k], 2.0);
        }
    }
}

}  // namespace
