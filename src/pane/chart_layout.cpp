#include "pane/chart_layout.h"

#include "tree/folder_node.h"
#include "ui/client_split.h"
#include "ui/dpi_scale.h"

#include <algorithm>
#include <cmath>

namespace {

// Counts are read as signed 64-bit; totals stay far below 2^63.
double toDouble(uint64_t count) {
    return static_cast<double>(static_cast<int64_t>(count));
}

// Radial points lie this far from the centre: only their direction matters
// to the wedge drawing.
const double radialDistance = 1000.0;

// A point about 1000 pixels from the centre in the direction `angle`. The
// cast truncates toward zero in every rounding mode.
PiePoint radialPoint(int32_t centerX, int32_t centerY, double angle) {
    return PiePoint{centerX - static_cast<int32_t>(-radialDistance * std::cos(angle)),
                    centerY - static_cast<int32_t>(-radialDistance * std::sin(angle))};
}

// The rim gap below which the wedge drawing may see one direction (Wine's
// Pie makes a whole disc of wedges up to about 2 pixels wide at the rim),
// plus what truncating the two radial points can turn their directions by
// (each may lie 1.4 pixels off its ray, 1000 pixels out).
double minimumWedgeAngle(int32_t width, int32_t height) {
    double radius = std::min(width, height) / 2.0;
    if (radius <= 0.0) return 2 * pieTurn;  // no disc: nothing is narrow enough
    return pieMinimumRimPixels / radius + 3.0 / radialDistance;
}

// The share shown alone when none is wide enough: the largest, the first of
// equals in drawing order.
int largestShare(const double shares[3]) {
    int largest = pieGreen;
    for (int k = pieWhite; k <= pieBlue; ++k)
        if (shares[k] > shares[largest]) largest = k;
    return largest;
}

}  // namespace

SizeBreakdown computeSizeBreakdown(const FolderNode* selected) {
    SizeBreakdown none{0, 0, 0, 0.0, 0.0};
    if (!selected || !selected->parent) return none;
    const FolderNode* listed = selected->parent;
    uint64_t listedTotal = listed->filesBytes + listed->subfoldersBytes;
    double total = toDouble(listedTotal);
    // The only division guard: an empty listed folder shows nothing at all,
    // whatever the selected node holds.
    if (total == 0.0) return none;

    SizeBreakdown breakdown;
    breakdown.currentBytes = selected->filesBytes + selected->subfoldersBytes;
    breakdown.parentFilesBytes = listed->filesBytes;
    breakdown.restBytes = listed->subfoldersBytes - breakdown.currentBytes;
    // Two independent divisions: their sum may miss 1.0 by a rounding step,
    // which the pie takes as it comes.
    breakdown.currentFraction = toDouble(breakdown.currentBytes) / total;
    breakdown.filesFraction = toDouble(breakdown.parentFilesBytes) / total;
    return breakdown;
}

PieGeometry computePieGeometry(int32_t left, int32_t top, int32_t width, int32_t height,
                               double currentFraction, double filesFraction) {
    PieGeometry pie = {};
    // Held as a double in memory: on the 32-bit x87 unit the sum would stay
    // in 80 bits, and 2/3 + 1/3 would then come out a hair below 1.0.
    volatile double heldSum = currentFraction + filesFraction;
    double sum = heldSum;
    pie.left = left;
    pie.top = top;
    pie.right = left + width;
    pie.bottom = top + height;
    pie.centerX = left + width / 2;
    pie.centerY = top + height / 2;

    pie.shares[pieGreen] = currentFraction;
    pie.shares[pieWhite] = filesFraction;
    pie.shares[pieBlue] = sum < 1.0 ? 1.0 - sum : 0.0;

    pie.angles[0] = -((0.25 - 0.5 * sum) * pieTurn);
    pie.angles[1] = pie.angles[0] - currentFraction * pieTurn;
    pie.angles[2] = pie.angles[1] - filesFraction * pieTurn;
    for (int k = 0; k < 3; ++k)
        pie.points[k] = radialPoint(pie.centerX, pie.centerY, pie.angles[k]);

    // A share of 0 is never drawn; a sliver that the wedge drawing would
    // take for a whole disc is not drawn either, and sums a rounding step
    // off 1.0 leave blue such a sliver.
    pie.minimumAngle = minimumWedgeAngle(width, height);
    bool shown[3];
    int shownCount = 0;
    for (int k = 0; k < 3; ++k) {
        shown[k] = pie.shares[k] > 0.0 && pie.shares[k] * pieTurn >= pie.minimumAngle;
        if (shown[k]) ++shownCount;
    }
    if (shownCount == 0) {
        int largest = largestShare(pie.shares);
        shown[largest] = pie.shares[largest] > 0.0;
        shownCount = shown[largest] ? 1 : 0;
    }

    // Each shown wedge runs on to the start of the next shown one, so a
    // skipped sliver joins the wedge before it instead of leaving a gap.
    // Both edges of such a wedge are at least the minimum angle apart either
    // way round, so no two coincide.
    for (int k = 0; k < 3; ++k) {
        if (!shown[k]) continue;
        int next = (k + 1) % 3;
        while (!shown[next]) next = (next + 1) % 3;
        pie.wedges[k].wholeDisc = shownCount == 1;
        pie.wedges[k].from = pie.points[k];
        pie.wedges[k].to = pie.points[next];
    }
    pie.drawGreen = shown[pieGreen];
    pie.drawWhite = shown[pieWhite];
    pie.drawBlue = shown[pieBlue];
    return pie;
}

LegendEntryLayout computeLegendEntry(int32_t x, int32_t y, int32_t lineHeight, int32_t dpi) {
    LegendEntryLayout entry;
    entry.y = y;
    // The swatch is two line heights wide and one high, beside the label.
    entry.swatchLeft = x;
    entry.swatchTop = y;
    entry.swatchRight = x + 2 * lineHeight;
    entry.swatchBottom = y + lineHeight;
    entry.textX = x + 2 * lineHeight + scaledPixels(swatchTextGap, dpi);
    entry.countY = y + lineHeight;
    return entry;
}

ChartLayout computeChartLayout(int32_t clientHeight, int32_t lineHeight, int32_t dpi) {
    ChartLayout layout;
    // The same division that sizes the list, so the two meet exactly.
    layout.paneTop = folderListHeight(clientHeight);
    // The pie's square box fills the pane's height but for a margin above
    // and below; the legend starts a gap right of it, level with its top.
    int32_t margin = scaledPixels(pieMargin, dpi);
    layout.chartSide = clientHeight - layout.paneTop - 2 * margin;
    layout.pieLeft = margin;
    layout.pieTop = layout.paneTop + margin;
    layout.legendX = layout.pieLeft + layout.chartSide + scaledPixels(legendGap, dpi);
    // Entries are three lines apart: label, count, one empty line.
    for (int i = 0; i < 3; ++i)
        layout.entries[i] = computeLegendEntry(layout.legendX, layout.pieTop + 3 * i * lineHeight,
                                               lineHeight, dpi);
    return layout;
}
