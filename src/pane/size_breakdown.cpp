#include "pane/size_breakdown.h"

#include "tree/folder_node.h"

namespace {

// Counts are read as signed 64-bit; totals stay far below 2^63.
double toDouble(uint64_t count) {
    return static_cast<double>(static_cast<int64_t>(count));
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
