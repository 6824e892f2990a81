// The pane while a drive is read: its heading, where the lines go, the folder's path
// from its drive's root, and the path cut in the middle to fit.
#include "pane/progress_layout.h"

#include "tree/drive_prompt.h"
#include "tree/folder_node.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ProgressLayout, LinesDownFromThePieBoxCorner) {
    ProgressLayout layout = layoutProgress(800, 601, 13, 96);
    EXPECT_EQ(layout.paneTop, 200);
    EXPECT_EQ(layout.x, 10);
    const int32_t lineY[progressLineCount] = {210, 223, 236, 249, 262};
    for (int i = 0; i < progressLineCount; ++i) EXPECT_EQ(layout.lineY[i], lineY[i]) << i;
    EXPECT_EQ(layout.textWidth, 780);
    // A look repaints the counts and the path, not the heading.
    EXPECT_EQ(layout.changingTop, 223);
    EXPECT_EQ(layout.changingBottom, 275);
    EXPECT_EQ(layoutProgress(15, 600, 13, 96).textWidth, 0);
    // The margin is 15 at 144 DPI.
    layout = layoutProgress(800, 601, 20, 144);
    EXPECT_EQ(layout.x, 15);
    EXPECT_EQ(layout.lineY[4], 295);
    EXPECT_EQ(layout.textWidth, 770);
}

// The heading by how the drive is read: only a walk for want of an
// administrator's rights says why it is slow.
TEST(ProgressLayout, HeadingSaysHowTheDriveIsRead) {
    struct Case {
        bool fromFileTable, tableNeedsAdministrator;
        const char* heading;
    } cases[] = {
        {true, false, "Reading the file table (Esc stops)"},
        {false, false, "Reading the drive (Esc stops)"},
        {false, true, "Reading folder by folder: run as administrator to read the file table (Esc stops)"},
    };
    for (const Case& c : cases) {
        ScanProgress progress{};
        progress.fromFileTable = c.fromFileTable;
        progress.tableNeedsAdministrator = c.tableNeedsAdministrator;
        EXPECT_STREQ(readingHeading(progress), c.heading);
    }
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
    std::u16string text;
    int32_t maxWidth;
    std::u16string shown;  // head + "..." + tail
    int32_t width;         // of what is shown
};

// Every unit 2 wide but '.' 1, 'W' 5 and each half of a surrogate pair 3
// (a character beyond the 16-bit plane is 6), so the dots cost 3.
int32_t unitWidth(char16_t unit) {
    return unit == u'.' ? 1 : unit == u'W' ? 5 : unit >= 0xD800 && unit < 0xE000 ? 3 : 2;
}

const CutCase cutCases[] = {
    {u"abcdef", 12, u"abcdef", 12},          // fits exactly: not cut
    {u"abcdef", 11, u"ab...ef", 11},         // 8 left: 4 for the head, 4 for the tail
    {u"abcdef", 10, u"a...ef", 9},           // 7 left: the head's odd pixel goes to the tail
    {u"abcdef", 2, u"...", 3},               // no room even for the dots: only they remain
    {u"Q:\\WWWW\\x\\name", 20, u"Q:\\...\\name", 19},  // 17 left: 6 to the head, 10 to the tail
    {u"WWabcd", 12, u"...abcd", 11},         // a wide head character gives its room to the tail
    // A pair at either cut goes whole or not at all: half of one would
    // fit in the room left (5 for the head, 6 for the tail).
    {u"a\U0001F600bcdef", 13, u"a...cdef", 13},
    {u"abcdef\U0001F600g", 13, u"ab...g", 9},
    {u"\U0001F600\U0001F600\U0001F600\U0001F600", 21, u"\U0001F600...\U0001F600\U0001F600", 21},
};

TEST(ProgressLayout, CutInTheMiddleByTheWidthOfEachUnit) {
    for (const CutCase& c : cutCases) {
        SCOPED_TRACE(std::to_string(c.text.size()) + " units in " + std::to_string(c.maxWidth));
        std::vector<int32_t> widths;
        for (char16_t unit : c.text) widths.push_back(unitWidth(unit));
        MiddleCut cut = cutInMiddle(c.text.data(), c.text.size(), widths.data(), 3, c.maxWidth);
        std::u16string shown = cut.cut ? c.text.substr(0, cut.headLength) + u"..." + c.text.substr(cut.tailStart)
                                       : c.text.substr(0, cut.headLength);
        EXPECT_EQ(cut.cut, shown != c.text);
        EXPECT_TRUE(shown == c.shown);
        int32_t width = 0;
        for (char16_t unit : shown) width += unitWidth(unit);
        EXPECT_EQ(width, c.width);
        EXPECT_LE(cut.headLength, cut.tailStart);
    }
}

}  // namespace
