// What the pane shows while a drive is read: the counts so far and the
// folder being read, its path shortened in the middle to fit. Portable:
// plain numbers and texts in and out, checked natively.
#pragma once

#include <cstddef>
#include <cstdint>

struct FolderNode;

// Lines from the top: a heading, folders, files, bytes, the folder's path.
constexpr int progressLineCount = 5;

struct ProgressLayout {
    int32_t paneTop;                   // where the list's third ends
    int32_t x;                         // left of every line
    int32_t lineY[progressLineCount];  // top of each line
    int32_t textWidth;                 // the path may be this wide, no wider
};

// Where the lines go in a client area `clientWidth` x `clientHeight` with
// text lines `lineHeight` high: from the pie box's corner down, one line
// apart, as wide as the pane leaves inside the same margin on the right.
ProgressLayout layoutProgress(int32_t clientWidth, int32_t clientHeight, int32_t lineHeight);

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

// Cuts `text` in the middle so that head, "..." and tail together are at
// most `maxWidth` wide, `charWidths` giving each byte's width (256 of them). The head
// gets at most half the room the dots leave; the tail takes the rest, so
// the folder's own name, at the end, is kept whole where it can be.
MiddleCut cutInMiddle(const char* text, size_t length, const int32_t* charWidths,
                      int32_t maxWidth);
