#include "pane/byte_count_text.h"
#include "pane/chart_layout.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct LayoutCase {
    int32_t clientHeight, lineHeight, dpi;
    int32_t paneTop, chartSide, pieLeft, pieTop, legendX;
    int32_t entryY[3], countY[3];
    int32_t textX;
};

const LayoutCase layoutCases[] = {
    {600, 16, 96, 200, 380, 10, 210, 420, {210, 258, 306}, {226, 274, 322}, 456},
    {601, 16, 96, 200, 381, 10, 210, 421, {210, 258, 306}, {226, 274, 322}, 457},
    {602, 13, 96, 200, 382, 10, 210, 422, {210, 249, 288}, {223, 262, 301}, 452},
    // Margin 15, gap 45, text 6 right of the swatch at 144 DPI; 20, 60, 8 at 192.
    {600, 24, 144, 200, 370, 15, 215, 430, {215, 287, 359}, {239, 311, 383}, 484},
    {900, 32, 192, 300, 560, 20, 320, 640, {320, 416, 512}, {352, 448, 544}, 712},
};

TEST(ChartLayout, PaneBoxAndLegendEntries) {
    for (const LayoutCase& c : layoutCases) {
        SCOPED_TRACE(c.clientHeight);
        ChartLayout layout = computeChartLayout(c.clientHeight, c.lineHeight, c.dpi);
        EXPECT_EQ(layout.paneTop, c.paneTop);
        EXPECT_EQ(layout.chartSide, c.chartSide);
        EXPECT_EQ(layout.pieLeft, c.pieLeft);
        EXPECT_EQ(layout.pieTop, c.pieTop);
        EXPECT_EQ(layout.legendX, c.legendX);
        for (int i = 0; i < 3; ++i) {
            const LegendEntryLayout& entry = layout.entries[i];
            EXPECT_EQ(entry.y, c.entryY[i]) << "entry " << i;
            EXPECT_EQ(entry.countY, c.countY[i]) << "entry " << i;
            EXPECT_EQ(entry.textX, c.textX) << "entry " << i;
        }
    }
}

TEST(ChartLayout, SwatchIsTwoLinesWideAndOneHigh) {
    ChartLayout layout = computeChartLayout(600, 16, 96);
    const int32_t swatchTops[3] = {210, 258, 306};
    for (int i = 0; i < 3; ++i) {
        const LegendEntryLayout& entry = layout.entries[i];
        EXPECT_EQ(entry.swatchLeft, 420);
        EXPECT_EQ(entry.swatchTop, swatchTops[i]);
        EXPECT_EQ(entry.swatchRight, 452);
        EXPECT_EQ(entry.swatchBottom, swatchTops[i] + 16);
    }
}

TEST(ChartLayout, PaneTooShortForAPie) {
    ChartLayout layout = computeChartLayout(30, 16, 96);
    EXPECT_EQ(layout.paneTop, 10);
    EXPECT_EQ(layout.chartSide, 0);
    EXPECT_EQ(layout.legendX, 40);
}

TEST(ByteCountText, DigitsAndSuffix) {
    struct CountCase {
        uint64_t count;
        const char* text;
    };
    const CountCase cases[] = {
        {0, "0 byte(s)"},
        {7, "7 byte(s)"},
        {300, "300 byte(s)"},
        {1000000, "1000000 byte(s)"},
        {4294967296ull, "4294967296 byte(s)"},
        {18446744073709551615ull, "18446744073709551615 byte(s)"},
    };
    for (const CountCase& c : cases) {
        ByteCountText formatted = formatByteCount(c.count);
        EXPECT_STREQ(formatted.text, c.text);
        EXPECT_EQ(formatted.length, static_cast<int>(std::strlen(c.text)));
    }
    EXPECT_EQ(formatByteCount(18446744073709551615ull).length, 28);
}

}  // namespace
