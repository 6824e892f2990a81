#include "pane/panel_layout.h"

#include "ui/client_split.h"
#include "ui/dpi_scale.h"

const InfoLine infoLines[infoLineCount] = {
    {"Quorvel v1.0", 0},
    {"", 0},  // an empty line that keeps its place
    {"Copyright (C) 2026 The Quorvel developers", 0},
    {"http://quorvel.example.org/", 1},
    {"mailto:quorvel@example.org", 2},
};

LinkHotSpot linkHotSpots[linkHotSpotCapacity];
int32_t linkHotSpotCount = 0;

InfoPanelLayout layoutInfoPanel(int32_t clientWidth, int32_t clientHeight, int32_t lineHeight,
                                const int32_t (&textWidths)[infoLineCount], int32_t dpi) {
    InfoPanelLayout layout;
    layout.paneTop = folderListHeight(clientHeight);
    // Placed as if the block were 5h + 70 high (at 96 DPI), which sets it 29
    // pixels above the centre; a short pane starts it at the pane's top edge.
    layout.y0 = layout.paneTop +
                (clientHeight - layout.paneTop - 5 * lineHeight - scaledPixels(70, dpi)) / 2;
    if (layout.y0 < layout.paneTop) layout.y0 = layout.paneTop;

    int32_t pitch = lineHeight + scaledPixels(3, dpi);
    for (int i = 0; i < infoLineCount; ++i) {
        InfoLinePlace& line = layout.lines[i];
        line.width = textWidths[i];
        // Integer division drops the fraction toward zero, also when the
        // line is wider than the window.
        line.x = (clientWidth - line.width) / 2;
        line.y = layout.y0 + i * pitch;
        line.underlineY = line.y + lineHeight;
        line.area = PixelRect{line.x, line.y, line.x + line.width, line.y + lineHeight + 1};
    }
    return layout;
}

void placeLinkHotSpots(const InfoPanelLayout* layout) {
    linkHotSpotCount = 0;
    for (int i = 0; layout && i < infoLineCount; ++i) {
        if (infoLines[i].linkKind == 0 || linkHotSpotCount == linkHotSpotCapacity) continue;
        linkHotSpots[linkHotSpotCount++] = LinkHotSpot{layout->lines[i].area, infoLines[i].text};
    }
}

const LinkHotSpot* hitLinkHotSpot(int32_t x, int32_t y) {
    for (int32_t i = 0; i < linkHotSpotCount && i < linkHotSpotCapacity; ++i) {
        const PixelRect& area = linkHotSpots[i].area;
        if (area.left <= x && x < area.right && area.top <= y && y < area.bottom)
            return &linkHotSpots[i];
    }
    return nullptr;
}
