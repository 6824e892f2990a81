// How the listed folder's bytes split around the selected row.
#pragma once

#include <cstdint>

struct FolderNode;

struct SizeBreakdown {
    uint64_t currentBytes;      // the selected folder and everything below it
    uint64_t parentFilesBytes;  // files lying directly in the listed folder
    uint64_t restBytes;         // the listed folder's other subfolders
    double currentFraction;     // currentBytes of the listed folder's total
    double filesFraction;       // parentFilesBytes of the listed folder's total
};

// The breakdown for `selected`, whose parent is the listed folder. All zero
// when there is no selection (or no parent) or the listed folder holds no
// bytes. Reads only the stored totals, so it is cheap enough for every paint.
SizeBreakdown computeSizeBreakdown(const FolderNode* selected);

// The breakdown for the folder list's marked row (Windows build only).
SizeBreakdown computeSizeBreakdown();
