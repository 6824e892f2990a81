#include "pane/progress_gdi.h"

#include "pane/byte_count_text.h"
#include "pane/line_height.h"
#include "pane/panel_gdi.h"
#include "pane/progress_layout.h"
#include "ui/globals.h"
#include "ui/wide_text.h"

#include <cstdlib>
#include <cstring>

namespace {

// The path as written, cut in the middle where it is wider than the pane,
// measured in the font it is drawn in. Nothing when there is no memory for
// it or it cannot be measured: the counts still show. Out of line: inlined
// into the paint, it makes the program file larger.
__attribute__((noinline)) void drawFolderPath(HDC dc, int x, int y, int maxWidth, const char* path) {
    size_t bytes = std::strlen(path);
    // Each unit's extent, then the path in UTF-16 (never more units than it
    // has bytes) with "..." behind it, measured in one call.
    void* block = std::malloc((bytes + 3) * (sizeof(INT) + sizeof(WCHAR)));
    if (!block) return;
    INT* widths = static_cast<INT*>(block);
    WCHAR* text = reinterpret_cast<WCHAR*>(widths + bytes + 3);
    size_t units = utf8ToUtf16(path, bytes, text, bytes + 1);
    std::memcpy(text + units, L"...", 3 * sizeof(WCHAR));
    SIZE extent;
    if (units > 0 && GetTextExtentExPointW(dc, text, static_cast<int>(units + 3), 0, nullptr, widths, &extent)) {
        int32_t dotsWidth = widths[units + 2] - widths[units - 1];
        for (size_t i = units - 1; i > 0; --i) widths[i] -= widths[i - 1];
        MiddleCut cut = cutInMiddle(text, units, widths, dotsWidth, maxWidth);
        size_t shown = cut.headLength;
        if (cut.cut) {
            // The tail first: it may start less than three units after the head.
            std::memmove(text + shown + 3, text + cut.tailStart, (units - cut.tailStart) * sizeof(WCHAR));
            std::memcpy(text + shown, L"...", 3 * sizeof(WCHAR));
            shown += 3 + units - cut.tailStart;
        }
        TextOutW(dc, x, y, text, static_cast<int>(shown));
    }
    std::free(block);
}

// The lines laid out for the window, in the text font selected into `dc`.
ProgressLayout layoutFor(HDC dc, HWND window) {
    RECT client;
    GetClientRect(window, &client);
    SelectObject(dc, textFont);
    return layoutProgress(client.right, client.bottom, lineHeightOf(dc), screenDpi);
}

}  // namespace

void paintReadingProgress(HDC dc, const RECT& update, HWND window, const ShownReading& reading) {
    FillRect(dc, &update, panelGroundBrush());
    ProgressLayout layout = layoutFor(dc, window);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));

    // Lines outside the update are skipped: most paints are of the counts alone.
    auto touched = [&](int i) {
        return layout.lineY[i] < update.bottom && layout.lineY[i] + layout.lineHeight > update.top;
    };
    const ScanProgress& progress = reading.counts;
    const char* heading = readingHeading(progress);
    if (touched(0)) TextOutA(dc, layout.x, layout.lineY[0], heading, lstrlenA(heading));
    ByteCountText counts[3] = {formatCount(progress.folders, " folder(s)"),
                               formatCount(progress.files, " file(s)"),
                               formatByteCount(progress.bytes)};
    for (int i = 0; i < 3; ++i)
        if (touched(i + 1)) TextOutA(dc, layout.x, layout.lineY[i + 1], counts[i].text, counts[i].length);
    if (touched(4)) drawFolderPath(dc, layout.x, layout.lineY[4], layout.textWidth, reading.folderPath);
}

RECT changingReadingLines(HWND window) {
    // The window's class has no DC of its own: what is selected into this
    // one goes with ReleaseDC.
    HDC dc = GetDC(window);
    ProgressLayout layout = layoutFor(dc, window);
    ReleaseDC(window, dc);
    RECT client;
    GetClientRect(window, &client);
    return RECT{0, layout.changingTop, client.right, layout.changingBottom};
}
