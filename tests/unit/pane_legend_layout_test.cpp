#include "pane/byte_count_text.h"
#include "pane/chart_layout.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct LayoutCase {
    int32_t clientHeight, lineHeight;
    int32_t paneTop, chartSide, pieTop, legendX;
    int32_t entryY[3], countY[3];
    int32_t textX;
};

const LayoutCase layoutCases[] = {
    {600, 16, 200, 380, 210, 420, {210, 258, 306}, {226, 274, 322}, 456},
    {601, 16, 200, 381, 210, 421, {210, 258, 306}, {226, 274, 322}, 457},
    {602, 13, 200, 382, 210, 422, {210, 249, 288}, {223, 262, 301}, 452},
};

TEST(ChartLayout, PaneBoxAndLegendEntries) {
    for (const LayoutCase& c : layoutCases) {
        SCOPED_TRACE(c.clientHeight);
        ChartLayout layout = computeChartLayout(c.clientHeight, c.lineHeight);
        EXPECT_EQ(layout.paneTop, c.paneTop);
        EXPECT_EQ(layout.chartSide, c.chartSide);
        EXPECT_EQ(layout.pieLeft, 10);
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
    ChartLayout layout = computeChartLayout(600, 16);
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
    ChartLayout layout = computeChartLayout(30, 16);
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
