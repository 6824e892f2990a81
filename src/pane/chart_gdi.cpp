#include "pane/chart_gdi.h"

#include "pane/byte_count_text.h"
#include "pane/chart_layout.h"
#include "pane/line_height.h"
#include "tree/folder_node.h"
#include "ui/globals.h"

namespace {

// A share shown alone is an ellipse: Pie with its two points on one ray
// would draw the same disc, but with a radius outlined across it.
void drawShare(HDC dc, const PieGeometry& pie, const PieWedge& wedge, HBRUSH brush) {
    SelectObject(dc, brush);
    if (wedge.wholeDisc) {
        Ellipse(dc, pie.left, pie.top, pie.right, pie.bottom);
        return;
    }
    Pie(dc, pie.left, pie.top, pie.right, pie.bottom, wedge.from.x, wedge.from.y, wedge.to.x,
        wedge.to.y);
}

}  // namespace

void paintChart(HDC dc, const RECT& update, HWND window, const FolderNode* selected) {
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &update, GetSysColorBrush(COLOR_BTNFACE));

    SizeBreakdown breakdown = computeSizeBreakdown(selected);
    // The pie box depends on the client height alone, so a narrow window
    // cuts the legend off rather than shrinking the pie. One line height,
    // of the legend's font, spaces the entries and their lines.
    SelectObject(dc, legendFont);
    int lineHeight = lineHeightOf(dc);
    ChartLayout layout = computeChartLayout(client.bottom, lineHeight, screenDpi);
    drawPieChart(dc, layout.pieLeft, layout.pieTop, layout.chartSide, layout.chartSide,
                 breakdown.currentFraction, breakdown.filesFraction);
    drawLegendEntry(dc, layout.entries[0], paletteGreen, "The current folder",
                    breakdown.currentBytes);
    drawLegendEntry(dc, layout.entries[1], paletteBlue, "The rest of folders", breakdown.restBytes);
    drawLegendEntry(dc, layout.entries[2], paletteWhite, "Files", breakdown.parentFilesBytes);
}

void drawPieChart(HDC dc, int left, int top, int width, int height,
                  double currentFraction, double filesFraction) {
    PieGeometry pie = computePieGeometry(left, top, width, height, currentFraction, filesFraction);
    SelectObject(dc, outlinePen);
    // Green, white, blue. The wedges only meet at their edges, so the order
    // decides no more than which outline lies on top.
    if (pie.drawGreen) drawShare(dc, pie, pie.wedges[pieGreen], paletteGreen);
    if (pie.drawWhite) drawShare(dc, pie, pie.wedges[pieWhite], paletteWhite);
    if (pie.drawBlue) drawShare(dc, pie, pie.wedges[pieBlue], paletteBlue);
}

void drawLegendEntry(HDC dc, const LegendEntryLayout& entry, HBRUSH brush, const char* label,
                     uint64_t count) {
    SelectObject(dc, outlinePen);
    SelectObject(dc, brush);
    Rectangle(dc, entry.swatchLeft, entry.swatchTop, entry.swatchRight, entry.swatchBottom);

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    TextOutA(dc, entry.textX, entry.y, label, lstrlenA(label));
    ByteCountText countText = formatByteCount(count);
    TextOutA(dc, entry.textX, entry.countY, countText.text, countText.length);
}
