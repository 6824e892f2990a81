// What the pane shows while a drive is read: the counts so far and the
// folder being read, its path shortened in the middle to fit. Portable:
// plain numbers and texts in and out, checked natively.
#pragma once

#include "tree/drive_prompt.h"

#include <cstddef>
#include <cstdint>

struct FolderNode;

// Lines from the top: a heading, folders, files, bytes, the folder's path.
constexpr int progressLineCount = 5;

struct ProgressLayout {
    int32_t paneTop;                   // where the list's third ends
    int32_t x;                         // left of every line
    int32_t lineY[progressLineCount];  // top of each line
    int32_t lineHeight;
    int32_t textWidth;                 // the path may be this wide, no wider
    // What changes from one look to the next: the counts and the path,
    // from the first count's top to the path's bottom. The heading stays.
    int32_t changingTop, changingBottom;
};

// What the pane shows of a reading: the counts as of the last look, and the
// path of the folder being read then, copied (its node may be gone by the
// time the pane is painted). The counts' folder is null.
struct ShownReading {
    ScanProgress counts;
    const char* folderPath;  // UTF-8
};

// Where the lines go in a client area `clientWidth` x `clientHeight` with
// text lines `lineHeight` high, on a display of `dpi`: from the pie box's
// corner down, one line apart, as wide as the pane leaves inside the same
// margin on the right.
ProgressLayout layoutProgress(int32_t clientWidth, int32_t clientHeight, int32_t lineHeight,
                              int32_t dpi);

// The first line: how the drive is read. A walk of a drive whose file
// table only an administrator may read says why it is slow.
const char* readingHeading(const ScanProgress& progress);

// The path of `folder` from its drive's root ("Q:\a\b"; the root alone
// is "Q:\"), following the parent links up to the drive node. The length
// first, so the caller can give it room (and one byte for the end).
size_t folderPathLength(const FolderNode* folder);
void writeFolderPath(const FolderNode* folder, char* out);

// What is kept of a text too wide: text[0 .. headLength) then "..." then
// text[tailStart .. length). Not cut: headLength == tailStart == length.
struct MiddleCut {
    size_t headLength;
    size_t tailStart;
    bool cut;
};

// Cuts the `length` UTF-16 units of `text` (well formed: every high
// surrogate has its low one behind it) in the middle so that head, "..."
// and tail together are at most `maxWidth` wide, `unitWidths` giving each
// unit's width and `dotsWidth` that of the "...". A surrogate pair is kept
// or dropped whole. The head gets at most half the room the dots leave;
// the tail takes the rest, so the folder's own name, at the end, is kept
// whole where it can be.
template <typename Unit>
MiddleCut cutInMiddle(const Unit* text, size_t length, const int32_t* unitWidths, int32_t dotsWidth,
                      int32_t maxWidth) {
    // A path's width stays far below 2^31 pixels: names are short, paths
    // a few thousand characters.
    int32_t total = 0;
    for (size_t i = 0; i < length; ++i) total += unitWidths[i];
    if (total <= maxWidth) return MiddleCut{length, length, false};

    int32_t room = maxWidth - dotsWidth;
    if (room < 0) room = 0;
    int32_t width = 0;
    size_t head = 0;
    while (head < length) {
        size_t units = (text[head] & 0xFC00) == 0xD800 && head + 1 < length ? 2 : 1;
        int32_t next = unitWidths[head] + (units == 2 ? unitWidths[head + 1] : 0);
        if (width + next > room / 2) break;
        width += next;
        head += units;
    }
    size_t tail = length;
    while (tail > head) {
        size_t units = (text[tail - 1] & 0xFC00) == 0xDC00 && tail - 1 > head ? 2 : 1;
        int32_t next = unitWidths[tail - 1] + (units == 2 ? unitWidths[tail - 2] : 0);
        if (width + next > room) break;
        width += next;
        tail -= units;
    }
    return MiddleCut{head, tail, true};
}
