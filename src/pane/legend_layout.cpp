#include "pane/legend_layout.h"

#include <cstring>

LegendEntryLayout computeLegendEntry(int32_t x, int32_t y, int32_t lineHeight) {
    LegendEntryLayout entry;
    entry.y = y;
    // The swatch is two line heights wide and one high, beside the label.
    entry.swatchLeft = x;
    entry.swatchTop = y;
    entry.swatchRight = x + 2 * lineHeight;
    entry.swatchBottom = y + lineHeight;
    entry.textX = x + 2 * lineHeight + 4;
    entry.countY = y + lineHeight;
    return entry;
}

ChartLayout computeChartLayout(int32_t clientHeight, int32_t lineHeight) {
    ChartLayout layout;
    // The same division that sizes the list, so the two meet exactly.
    layout.paneTop = clientHeight / 3;
    layout.chartSide = clientHeight - layout.paneTop - 20;
    layout.pieLeft = 10;
    layout.pieTop = layout.paneTop + 10;
    layout.legendX = clientHeight - layout.paneTop + 20;
    // Entries are three lines apart: label, count, one empty line.
    for (int i = 0; i < 3; ++i)
        layout.entries[i] = computeLegendEntry(layout.legendX,
                                               layout.paneTop + 10 + 3 * i * lineHeight,
                                               lineHeight);
    return layout;
}

ByteCountText formatByteCount(uint64_t count) {
    // Digits from the right into a scratch buffer; no locale, no grouping.
    char digits[20];
    int digitCount = 0;
    do {
        digits[digitCount++] = static_cast<char>('0' + count % 10);
        count /= 10;
    } while (count != 0);

    static const char suffix[] = " byte(s)";
    ByteCountText result;
    result.length = 0;
    while (digitCount > 0) result.text[result.length++] = digits[--digitCount];
    std::memcpy(result.text + result.length, suffix, sizeof suffix);
    result.length += static_cast<int>(sizeof suffix) - 1;
    return result;
}
