// The pane while a drive is read: where the lines go, the folder's path
// from its drive's root, and the path cut in the middle to fit.
#include "pane/progress_layout.h"

#include "tree/folder_node.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ProgressLayout, LinesDownFromThePieBoxCorner) {
    ProgressLayout layout = layoutProgress(800, 601, 13);
    EXPECT_EQ(layout.paneTop, 200);
    EXPECT_EQ(layout.x, 10);
    const int32_t lineY[progressLineCount] = {210, 223, 236, 249, 262};
    for (int i = 0; i < progressLineCount; ++i) EXPECT_EQ(layout.lineY[i], lineY[i]) << i;
    EXPECT_EQ(layout.textWidth, 780);
    EXPECT_EQ(layoutProgress(15, 600, 13).textWidth, 0);
}

std::string pathOf(const FolderNode* folder) {
    std::string path(folderPathLength(folder) + 1, '#');
    writeFolderPath(folder, &path[0]);
    EXPECT_EQ(path.back(), '\0');
    path.pop_back();
    return path;
}

TEST(ProgressLayout, PathFromTheDriveRoot) {
    FolderNode drive{}, a{}, bc{};
    drive.name = emptyText;
    drive.isDrive = 1;
    drive.rootPath = "Q:\\";
    a.name = "a";
    a.parent = &drive;
    bc.name = "bc";
    bc.parent = &a;
    EXPECT_EQ(pathOf(&drive), "Q:\\");
    EXPECT_EQ(pathOf(&a), "Q:\\a");
    EXPECT_EQ(pathOf(&bc), "Q:\\a\\bc");
    EXPECT_EQ(pathOf(nullptr), "");
}

struct CutCase {
    const char* text;
    int32_t maxWidth;
    const char* shown;  // head + "..." + tail
    int32_t width;      // of what is shown
};

// Every character 2 wide but '.' 1 and 'W' 5, so the dots cost 3.
const CutCase cutCases[] = {
    {"abcdef", 12, "abcdef", 12},          // fits exactly: not cut
    {"abcdef", 11, "ab...ef", 11},         // 8 left: 4 for the head, 4 for the tail
    {"abcdef", 10, "a...ef", 9},           // 7 left: the head's odd pixel goes to the tail
    {"abcdef", 2, "...", 3},               // no room even for the dots: only they remain
    {"Q:\\WWWW\\x\\name", 20, "Q:\\...\\name", 19},  // 17 left: 6 to the head, 10 to the tail
    {"WWabcd", 12, "...abcd", 11},         // a wide head character gives its room to the tail
};

TEST(ProgressLayout, CutInTheMiddle) {
    int32_t widths[256];
    for (int32_t& w : widths) w = 2;
    widths[static_cast<unsigned char>('.')] = 1;
    widths[static_cast<unsigned char>('W')] = 5;
    for (const CutCase& c : cutCases) {
        SCOPED_TRACE(std::string(c.text) + " in " + std::to_string(c.maxWidth));
        std::string text = c.text;
        MiddleCut cut = cutInMiddle(text.data(), text.size(), widths, c.maxWidth);
        std::string shown = cut.cut ? text.substr(0, cut.headLength) + "..." + text.substr(cut.tailStart)
                                    : text.substr(0, cut.headLength);
        EXPECT_EQ(cut.cut, shown != text);
        EXPECT_EQ(shown, c.shown);
        int32_t width = 0;
        for (char ch : shown) width += widths[static_cast<unsigned char>(ch)];
        EXPECT_EQ(width, c.width);
        EXPECT_LE(cut.headLength, cut.tailStart);
    }
}

}  // namespace
