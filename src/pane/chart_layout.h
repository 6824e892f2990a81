// The chart pane's arithmetic, in the order it is used: how the listed
// folder's bytes split around the selected row, the pie's wedges for that
// split, and where the pie box and the legend go. Portable: plain numbers
// in, plain numbers out, so the worked examples are checked natively.
#pragma once

#include <cstdint>

struct FolderNode;

struct SizeBreakdown {
    uint64_t currentBytes;      // the selected folder and everything below it
    uint64_t parentFilesBytes;  // files lying directly in the listed folder
    uint64_t restBytes;         // the listed folder's other subfolders
    double currentFraction;     // currentBytes of the listed folder's total
    double filesFraction;       // parentFilesBytes of the listed folder's total
};

// The breakdown for `selected`, whose parent is the listed folder. All zero
// when there is no selection (or no parent) or the listed folder holds no
// bytes. Reads only the stored totals, so it is cheap enough for every paint.
SizeBreakdown computeSizeBreakdown(const FolderNode* selected);

struct PiePoint {
    int32_t x;
    int32_t y;
};

// How one share is drawn when it is drawn at all.
struct PieWedge {
    bool wholeDisc;     // the only share shown: an ellipse filling the box
    PiePoint from, to;  // else a wedge counterclockwise on the screen from `from` to `to`
};

// Indexes of the shares in drawing order.
enum PieShare { pieGreen = 0, pieWhite = 1, pieBlue = 2 };

struct PieGeometry {
    int32_t left, top, right, bottom;  // the box every wedge is drawn in
    int32_t centerX, centerY;
    double shares[3];    // green, white, and blue as what the two leave, never below 0
    double angles[3];    // screen radians: start of green, of white, of blue
    PiePoint points[3];  // radial points for the angles
    double minimumAngle;  // radians: a narrower share is not shown
    bool drawGreen;       // the selected folder's share
    bool drawWhite;       // the files' share
    bool drawBlue;        // the other subfolders' share
    PieWedge wedges[3];   // green, white, blue; only those drawn are filled in
};

// One full turn as the chart uses it (a little less than 2 pi).
constexpr double pieTurn = 6.283185307;

// The narrowest wedge drawn: its two edges must meet the rim this many
// pixels apart, or the wedge drawing may take them for one direction.
constexpr double pieMinimumRimPixels = 3.0;

// Green and white together are centred on the top of the disc, green first
// counterclockwise from the right of the top; blue fills the remainder.
// A share of 0, or one too narrow to show, draws nothing: its sliver goes to
// the wedge shown before it. A share shown alone is the whole disc.
PieGeometry computePieGeometry(int32_t left, int32_t top, int32_t width, int32_t height,
                               double currentFraction, double filesFraction);

struct LegendEntryLayout {
    int32_t y;                    // top of the entry: the label line
    int32_t swatchLeft, swatchTop, swatchRight, swatchBottom;
    int32_t textX;                // label and count line
    int32_t countY;               // the count line, one text line below the label
};

// Pixels at 96 DPI (scaled for the display's, ui/dpi_scale.h) between the
// pie's box and the pane's left, top and bottom edges; between the box and
// the legend's swatches; between a swatch and its texts.
constexpr int32_t pieMargin = 10;
constexpr int32_t legendGap = 30;
constexpr int32_t swatchTextGap = 4;

struct ChartLayout {
    int32_t paneTop;    // where the list's third ends
    int32_t chartSide;  // side of the pie's square box
    int32_t pieLeft, pieTop;
    int32_t legendX;    // left of the swatches: legendGap right of the box
    LegendEntryLayout entries[3];  // top to bottom: green, blue, white
};

// One legend entry at (x, y) for a text line `lineHeight` high, on a
// display of `dpi`.
LegendEntryLayout computeLegendEntry(int32_t x, int32_t y, int32_t lineHeight, int32_t dpi);

// The pane for a client area `clientHeight` high on a display of `dpi`; the
// pie box depends on the height alone, so a narrow window cuts the legend
// off at its right edge.
ChartLayout computeChartLayout(int32_t clientHeight, int32_t lineHeight, int32_t dpi);
