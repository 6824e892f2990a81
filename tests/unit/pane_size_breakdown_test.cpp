#include "pane/chart_layout.h"

#include "tree/folder_node.h"

#include <gtest/gtest.h>

namespace {

FolderNode node(FolderNode* parent, uint64_t filesBytes, uint64_t subfoldersBytes) {
    FolderNode n{};
    n.name = emptyText;
    n.parent = parent;
    n.filesBytes = filesBytes;
    n.subfoldersBytes = subfoldersBytes;
    return n;
}

void expectAllZero(const SizeBreakdown& b) {
    EXPECT_EQ(b.currentBytes, 0u);
    EXPECT_EQ(b.parentFilesBytes, 0u);
    EXPECT_EQ(b.restBytes, 0u);
    EXPECT_EQ(b.currentFraction, 0.0);
    EXPECT_EQ(b.filesFraction, 0.0);
}

struct BreakdownCase {
    const char* what;
    uint64_t listedFiles, listedSubfolders;  // the listed folder
    uint64_t selectedFiles, selectedSubfolders;
    uint64_t currentBytes, parentFilesBytes, restBytes;
    double currentFraction, filesFraction;
};

const BreakdownCase breakdownCases[] = {
    {"100 of files, 300 selected, 600 beside", 100, 900, 120, 180, 300, 100, 600, 0.3, 0.1},
    {"the only subfolder, no files", 0, 500, 0, 500, 500, 0, 0, 1.0, 0.0},
    {"'..' row: the node holds nothing", 250, 750, 0, 0, 0, 250, 750, 0.0, 0.25},
    {"files only, '..' row", 40, 0, 0, 0, 0, 40, 0, 0.0, 1.0},
    {"a thirds split", 1, 2, 0, 2, 2, 1, 0, 2.0 / 3.0, 1.0 / 3.0},
    {"counts above 32 bits", 1ull << 40, 3ull << 40, 1ull << 40, 0, 1ull << 40, 1ull << 40,
     2ull << 40, 0.25, 0.25},
};

TEST(SizeBreakdown, SplitsTheListedFolder) {
    for (const BreakdownCase& c : breakdownCases) {
        SCOPED_TRACE(c.what);
        FolderNode listed = node(nullptr, c.listedFiles, c.listedSubfolders);
        FolderNode selected = node(&listed, c.selectedFiles, c.selectedSubfolders);
        SizeBreakdown b = computeSizeBreakdown(&selected);
        EXPECT_EQ(b.currentBytes, c.currentBytes);
        EXPECT_EQ(b.parentFilesBytes, c.parentFilesBytes);
        EXPECT_EQ(b.restBytes, c.restBytes);
        // Exactly what one double division gives, no tolerance.
        EXPECT_EQ(b.currentFraction, c.currentFraction);
        EXPECT_EQ(b.filesFraction, c.filesFraction);
    }
}

TEST(SizeBreakdown, NoSelectionGivesAllZero) {
    expectAllZero(computeSizeBreakdown(nullptr));
}

TEST(SizeBreakdown, EmptyListedFolderGivesAllZero) {
    FolderNode listed = node(nullptr, 0, 0);
    FolderNode folder = node(&listed, 0, 0);
    FolderNode dotDot = node(&listed, 0, 0);
    dotDot.name = dotDotText;
    expectAllZero(computeSizeBreakdown(&folder));
    expectAllZero(computeSizeBreakdown(&dotDot));
}

TEST(SizeBreakdown, EmptyListedFolderHidesTheNodesOwnCounts) {
    // Only the listed total decides; the selected node's counters are not read.
    FolderNode listed = node(nullptr, 0, 0);
    FolderNode odd = node(&listed, 7, 9);
    expectAllZero(computeSizeBreakdown(&odd));
}

TEST(SizeBreakdown, DriveRowGivesAllZero) {
    FolderNode root = node(nullptr, 0, 0);
    FolderNode drive = node(&root, 4096, 1 << 20);
    drive.isDrive = 1;
    expectAllZero(computeSizeBreakdown(&drive));
}

}  // namespace
