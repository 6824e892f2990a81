// The information panel's lines, where they go, and its clickable links.
#pragma once

#include <cstdint>

struct InfoLine {
    const char* text;  // what is drawn; for a link also what the shell opens
    int32_t linkKind;  // 0 plain text; 1 web address, 2 mail address
};

constexpr int infoLineCount = 5;
extern const InfoLine infoLines[infoLineCount];

// Client pixels; right and bottom are exclusive.
struct PixelRect {
    int32_t left, top, right, bottom;
};

struct LinkHotSpot {
    PixelRect area;
    const char* target;  // the drawn line's own text, not a copy
};

// Room for every line being a link.
constexpr int linkHotSpotCapacity = 10;
extern LinkHotSpot linkHotSpots[linkHotSpotCapacity];
extern int32_t linkHotSpotCount;

struct InfoLinePlace {
    int32_t x, y;        // top-left corner of the text
    int32_t width;       // the measured text width
    int32_t underlineY;  // the row under the text, part of a link's area
    PixelRect area;      // the clickable area, should the line be a link
};

struct InfoPanelLayout {
    int32_t paneTop;  // the pane's top edge
    int32_t y0;       // top of line 0
    InfoLinePlace lines[infoLineCount];
};

// Places the lines, given their measured widths, in a client area of
// `clientWidth` x `clientHeight` with text lines `lineHeight` high, on a
// display of `dpi`.
InfoPanelLayout layoutInfoPanel(int32_t clientWidth, int32_t clientHeight, int32_t lineHeight,
                                const int32_t (&textWidths)[infoLineCount], int32_t dpi);

// The links on screen: one hot spot per link line of the panel's `layout`,
// in line order; none where the panel is not shown (null). The one place
// that sets them.
void placeLinkHotSpots(const InfoPanelLayout* layout);

// The first of the valid hot spots containing (x, y), or null.
const LinkHotSpot* hitLinkHotSpot(int32_t x, int32_t y);
