// Where the chart pane puts the pie box and the legend, and the count text.
#pragma once

#include <cstdint>

struct LegendEntryLayout {
    int32_t y;                    // top of the entry: the label line
    int32_t swatchLeft, swatchTop, swatchRight, swatchBottom;
    int32_t textX;                // label and count line
    int32_t countY;               // the count line, one text line below the label
};

struct ChartLayout {
    int32_t paneTop;    // where the list's third ends
    int32_t chartSide;  // side of the pie's square box
    int32_t pieLeft, pieTop;
    int32_t legendX;
    LegendEntryLayout entries[3];  // top to bottom: green, blue, white
};

// One legend entry at (x, y) for a text line `lineHeight` high.
LegendEntryLayout computeLegendEntry(int32_t x, int32_t y, int32_t lineHeight);

// The pane for a client area `clientHeight` high; the pie box depends on the
// height alone, so a narrow window cuts the legend off at its right edge.
ChartLayout computeChartLayout(int32_t clientHeight, int32_t lineHeight);

// "<decimal digits> byte(s)": at most 20 digits and the suffix.
struct ByteCountText {
    char text[29];
    int length;
};

ByteCountText formatByteCount(uint64_t count);
