#include "pane/chart_pane.h"

#include "app/globals.h"
#include "list/rows.h"
#include "pane/info_layout.h"
#include "pane/info_panel.h"
#include "pane/legend_layout.h"
#include "pane/pie_chart.h"
#include "pane/size_breakdown.h"
#include "tree/folder_node.h"

namespace {

// The line height of the window's own default font, from a short-lived DC.
int windowLineHeight(HWND window) {
    HDC measuring = GetDC(window);
    TEXTMETRICA metrics;
    GetTextMetricsA(measuring, &metrics);
    ReleaseDC(window, measuring);
    return metrics.tmHeight;
}

}  // namespace

void paintChartPane(HDC dc, RECT& update, HWND window) {
    RECT client;
    GetClientRect(window, &client);
    LONG paneTop = client.bottom / 3;
    if (update.top < paneTop) update.top = paneTop;
    // Only the list's third needed painting: leave the pane and its links.
    if (update.bottom <= update.top) return;

    FolderNode* selected = selectedNode();
    if (!selected || selected->isDrive) {
        paintInfoPanel(dc, window, update);
        return;
    }

    // Links of an earlier panel are no longer on screen.
    linkHotSpotCount = 0;
    FillRect(dc, &update, GetSysColorBrush(COLOR_BTNFACE));

    SizeBreakdown breakdown = computeSizeBreakdown();
    // The pie box depends on the client height alone, so a narrow window
    // cuts the legend off rather than shrinking the pie.
    ChartLayout layout = computeChartLayout(client.bottom, windowLineHeight(window));
    drawPieChart(dc, layout.pieLeft, layout.pieTop, layout.chartSide, layout.chartSide,
                 breakdown.currentFraction, breakdown.filesFraction);
    drawLegendEntry(dc, layout.legendX, layout.entries[0].y, paletteGreen,
                    "The current folder", breakdown.currentBytes);
    drawLegendEntry(dc, layout.legendX, layout.entries[1].y, paletteBlue,
                    "The rest of folders", breakdown.restBytes);
    drawLegendEntry(dc, layout.legendX, layout.entries[2].y, paletteWhite,
                    "Files", breakdown.parentFilesBytes);
}

void drawLegendEntry(HDC dc, int x, int y, HBRUSH brush, const char* label, uint64_t count) {
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    LegendEntryLayout entry = computeLegendEntry(x, y, metrics.tmHeight);

    SelectObject(dc, outlinePen);
    SelectObject(dc, brush);
    Rectangle(dc, entry.swatchLeft, entry.swatchTop, entry.swatchRight, entry.swatchBottom);

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    TextOutA(dc, entry.textX, entry.y, label, lstrlenA(label));
    ByteCountText countText = formatByteCount(count);
    TextOutA(dc, entry.textX, entry.countY, countText.text, countText.length);
}
