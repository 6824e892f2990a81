#include "pane/panel_layout.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

InfoPanelLayout layoutWithWidth(int32_t clientWidth, int32_t clientHeight, int32_t lineHeight,
                                int32_t width, int32_t dpi = 96) {
    const int32_t widths[infoLineCount] = {width, width, width, width, width};
    return layoutInfoPanel(clientWidth, clientHeight, lineHeight, widths, dpi);
}

void expectArea(const PixelRect& area, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    EXPECT_EQ(area.left, left);
    EXPECT_EQ(area.top, top);
    EXPECT_EQ(area.right, right);
    EXPECT_EQ(area.bottom, bottom);
}

TEST(InfoLines, TitleEmptyLineRightsAndTwoLinks) {
    EXPECT_STREQ(infoLines[0].text, "Quorvel v1.0");
    EXPECT_STREQ(infoLines[1].text, "");
    EXPECT_EQ(infoLines[0].linkKind, 0);
    EXPECT_EQ(infoLines[1].linkKind, 0);
    EXPECT_EQ(infoLines[2].linkKind, 0);
    EXPECT_EQ(infoLines[3].linkKind, 1);
    EXPECT_EQ(infoLines[4].linkKind, 2);
    EXPECT_EQ(std::strncmp(infoLines[3].text, "http://", 7), 0);
    EXPECT_EQ(std::strncmp(infoLines[4].text, "mailto:", 7), 0);
}

TEST(InfoPanelLayout, EightHundredBySixHundred) {
    InfoPanelLayout layout = layoutWithWidth(800, 600, 13, 150);
    EXPECT_EQ(layout.paneTop, 200);
    EXPECT_EQ(layout.y0, 332);
    const int32_t ys[infoLineCount] = {332, 348, 364, 380, 396};
    for (int i = 0; i < infoLineCount; ++i) {
        EXPECT_EQ(layout.lines[i].x, 325) << "line " << i;
        EXPECT_EQ(layout.lines[i].y, ys[i]) << "line " << i;
    }
    EXPECT_EQ(layout.lines[3].underlineY, 393);
    EXPECT_EQ(layout.lines[4].underlineY, 409);
    expectArea(layout.lines[3].area, 325, 380, 475, 394);
    expectArea(layout.lines[4].area, 325, 396, 475, 410);
}

// The 70 of the placing and the 3 between lines scaled: 105 and 5 at 144
// DPI, 140 and 6 at 192.
TEST(InfoPanelLayout, SpacedForTheDisplaysDpi) {
    struct DpiCase {
        int32_t clientHeight, lineHeight, dpi;
        int32_t y0, pitch;
    };
    const DpiCase cases[] = {{600, 13, 96, 332, 16}, {900, 20, 144, 497, 25}, {1200, 26, 192, 665, 32}};
    for (const DpiCase& c : cases) {
        SCOPED_TRACE(c.dpi);
        InfoPanelLayout layout = layoutWithWidth(800, c.clientHeight, c.lineHeight, 150, c.dpi);
        EXPECT_EQ(layout.y0, c.y0);
        EXPECT_EQ(layout.lines[4].y, c.y0 + 4 * c.pitch);
        EXPECT_EQ(layout.lines[4].area.bottom, c.y0 + 4 * c.pitch + c.lineHeight + 1);
    }
}

TEST(InfoPanelLayout, EachLineCentredOnItsOwnWidth) {
    const int32_t widths[infoLineCount] = {80, 0, 251, 150, 151};
    InfoPanelLayout layout = layoutInfoPanel(800, 600, 13, widths, 96);
    const int32_t xs[infoLineCount] = {360, 400, 274, 325, 324};
    for (int i = 0; i < infoLineCount; ++i) EXPECT_EQ(layout.lines[i].x, xs[i]) << "line " << i;
}

TEST(InfoPanelLayout, WiderThanTheWindowDropsTheFractionTowardZero) {
    InfoPanelLayout layout = layoutWithWidth(100, 600, 13, 151);
    EXPECT_EQ(layout.lines[0].x, -25);
    expectArea(layout.lines[3].area, -25, 380, 126, 394);
}

TEST(InfoPanelLayout, ShortPaneStartsAtItsTopEdge) {
    struct ClampCase {
        int32_t clientHeight;
        int32_t paneTop, y0;
    };
    // With h 13 the pane height at which y0 leaves the top edge is 5h + 72.
    const ClampCase cases[] = {
        {205, 68, 69},  // pane 137 = 5h + 72
        {204, 68, 68},  // pane 136 = 5h + 71
        {200, 66, 66},  // pane 134: -1 / 2 is 0
        {100, 33, 33},  // pane 67: raised to the top edge
        {0, 0, 0},
        {300, 100, 132},
    };
    for (const ClampCase& c : cases) {
        SCOPED_TRACE(c.clientHeight);
        InfoPanelLayout layout = layoutWithWidth(800, c.clientHeight, 13, 150);
        EXPECT_EQ(layout.paneTop, c.paneTop);
        EXPECT_EQ(layout.y0, c.y0);
        EXPECT_EQ(layout.lines[4].y, c.y0 + 4 * 16);
    }
}

// Placed anew at every paint of the pane: the panel's links, or none.
TEST(LinkHotSpots, PlacedFromTheLinkLines) {
    linkHotSpotCount = 7;
    InfoPanelLayout layout = layoutWithWidth(800, 600, 13, 150);
    placeLinkHotSpots(&layout);
    ASSERT_EQ(linkHotSpotCount, 2);
    expectArea(linkHotSpots[0].area, 325, 380, 475, 394);
    expectArea(linkHotSpots[1].area, 325, 396, 475, 410);
    // The line's own text, not a copy.
    EXPECT_EQ(linkHotSpots[0].target, infoLines[3].text);
    EXPECT_EQ(linkHotSpots[1].target, infoLines[4].text);
    placeLinkHotSpots(nullptr);
    EXPECT_EQ(linkHotSpotCount, 0);
}

TEST(LinkHotSpots, HitTestRightAndBottomExclusive) {
    InfoPanelLayout layout = layoutWithWidth(800, 600, 13, 150);
    placeLinkHotSpots(&layout);
    struct HitCase {
        int32_t x, y;
        int expected;  // index into linkHotSpots, -1 for none
    };
    const HitCase cases[] = {
        {325, 380, 0}, {474, 393, 0},  {400, 393, 0},   // corners and the underline row
        {475, 393, -1}, {324, 393, -1},                 // right is exclusive
        {400, 394, -1}, {400, 379, -1},                 // bottom is exclusive
        {400, 395, -1},                                 // the gap between the links
        {325, 396, 1},  {474, 409, 1},  {400, 410, -1},
        {400, 340, -1},                                 // the title is no link
    };
    for (const HitCase& c : cases) {
        const LinkHotSpot* hit = hitLinkHotSpot(c.x, c.y);
        const LinkHotSpot* expected = c.expected < 0 ? nullptr : &linkHotSpots[c.expected];
        EXPECT_EQ(hit, expected) << "(" << c.x << ", " << c.y << ")";
    }
}

TEST(LinkHotSpots, OnlyTheValidEntriesCount) {
    InfoPanelLayout layout = layoutWithWidth(800, 600, 13, 150);
    placeLinkHotSpots(&layout);
    linkHotSpotCount = 1;
    EXPECT_EQ(hitLinkHotSpot(400, 400), nullptr);
    EXPECT_EQ(hitLinkHotSpot(400, 385), &linkHotSpots[0]);
    linkHotSpotCount = 0;
    EXPECT_EQ(hitLinkHotSpot(400, 385), nullptr);
}

TEST(LinkHotSpots, FirstHitInTableOrder) {
    linkHotSpots[0] = LinkHotSpot{PixelRect{0, 0, 10, 10}, "first"};
    linkHotSpots[1] = LinkHotSpot{PixelRect{5, 5, 20, 20}, "second"};
    linkHotSpotCount = 2;
    EXPECT_STREQ(hitLinkHotSpot(7, 7)->target, "first");
    EXPECT_STREQ(hitLinkHotSpot(12, 12)->target, "second");
    EXPECT_EQ(hitLinkHotSpot(20, 12), nullptr);
}

}  // namespace
