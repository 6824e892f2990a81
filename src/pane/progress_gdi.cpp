#include "pane/progress_gdi.h"

#include "pane/byte_count_text.h"
#include "pane/line_height.h"
#include "pane/panel_gdi.h"
#include "pane/panel_layout.h"
#include "pane/progress_layout.h"
#include "ui/client_split.h"

#include <cstdlib>
#include <cstring>

int readingLineHeight = 0;

namespace {

// Byte widths of the GUI font, read at the first paint: the font stays for
// the run, and reading 256 widths at every paint cost a third of it. On the
// heap: a zero-filled table of the program's own would take its kilobyte
// in the file.
int32_t* pathCharWidths = nullptr;

// The path, cut in the middle where it is wider than the pane. Nothing
// when there is no memory for it: the counts still show.
void drawFolderPath(HDC dc, int x, int y, int maxWidth, const FolderNode* folder) {
    if (!pathCharWidths) {
        pathCharWidths = static_cast<int32_t*>(std::calloc(256, sizeof(int32_t)));
        if (!pathCharWidths) return;
        GetCharWidth32A(dc, 0, 255, reinterpret_cast<INT*>(pathCharWidths));
    }
    size_t length = folderPathLength(folder);
    // The path, then room for what is shown of it: head, "..." and tail.
    char* text = static_cast<char*>(std::malloc(2 * length + 5));
    if (!text) return;
    writeFolderPath(folder, text);
    MiddleCut cut = cutInMiddle(text, length, pathCharWidths, maxWidth);
    char* shown = text + length + 1;
    std::memcpy(shown, text, cut.headLength);
    size_t shownLength = cut.headLength;
    if (cut.cut) {
        std::memcpy(shown + shownLength, "...", 3);
        shownLength += 3;
        std::memcpy(shown + shownLength, text + cut.tailStart, length - cut.tailStart);
        shownLength += length - cut.tailStart;
    }
    TextOutA(dc, x, y, shown, static_cast<int>(shownLength));
    std::free(text);
}

}  // namespace

void paintReadingProgress(HDC dc, RECT& update, HWND window, const ScanProgress& progress) {
    RECT client;
    GetClientRect(window, &client);
    LONG paneTop = folderListHeight(client.bottom);
    if (update.top < paneTop) update.top = paneTop;
    if (update.bottom <= update.top) return;

    // The panel's links are not on screen while the counts are.
    linkHotSpotCount = 0;
    FillRect(dc, &update, panelGroundBrush());
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    readingLineHeight = lineHeightOf(dc);
    ProgressLayout layout = layoutProgress(client.right, client.bottom, readingLineHeight);

    // Lines outside the update are skipped: most paints are of the counts alone.
    auto touched = [&](int i) {
        return layout.lineY[i] < update.bottom && layout.lineY[i] + readingLineHeight > update.top;
    };
    static const char heading[] = "Reading the drive (Esc stops)";
    if (touched(0)) TextOutA(dc, layout.x, layout.lineY[0], heading, sizeof heading - 1);
    ByteCountText counts[3] = {formatCount(progress.folders, " folder(s)"),
                               formatCount(progress.files, " file(s)"),
                               formatByteCount(progress.bytes)};
    for (int i = 0; i < 3; ++i)
        if (touched(i + 1)) TextOutA(dc, layout.x, layout.lineY[i + 1], counts[i].text, counts[i].length);
    if (touched(4)) drawFolderPath(dc, layout.x, layout.lineY[4], layout.textWidth, progress.folder);
}
