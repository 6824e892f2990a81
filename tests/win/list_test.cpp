// List rows and navigation on a real list-view control: hand-built trees
// whose drives are already scanned, and drives of the in-memory disk that
// opening scans, asks about when missing, and reads again when removable.
#include "app/startup.h"
#include "list/navigation.h"
#include "list/row_fill.h"
#include "list/rows.h"
#include "tree/drives.h"
#include "tree/folder_node.h"
#include "ui/globals.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "support/memory_file_system.h"
#include "support/scripted_prompt.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

struct Row {
    std::string label;
    int image;
    FolderNode* node;
    UINT state;
};

int rowCount() {
    return static_cast<int>(SendMessageA(folderList, LVM_GETITEMCOUNT, 0, 0));
}

int selectionMark() {
    return static_cast<int>(SendMessageA(folderList, LVM_GETSELECTIONMARK, 0, 0));
}

int selectedCount() {
    return static_cast<int>(SendMessageA(folderList, LVM_GETSELECTEDCOUNT, 0, 0));
}

// The label as the control holds it, in UTF-8 by the system's conversion.
Row readRow(int index) {
    WCHAR text[300] = {};
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
    item.iItem = index;
    item.pszText = text;
    item.cchTextMax = 300;
    item.stateMask = 0xFFFFFFFF;
    SendMessageW(folderList, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    char label[1200] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, label, sizeof label, nullptr, nullptr);
    return Row{label, item.iImage, reinterpret_cast<FolderNode*>(item.lParam), item.state};
}

std::vector<std::string> rowLabels() {
    std::vector<std::string> labels;
    for (int i = 0; i < rowCount(); ++i) labels.push_back(readRow(i).label);
    return labels;
}

// What a click does to the list: that row selected, focused and marked.
void markRow(int row) {
    LVITEMA state = {};
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(folderList, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
    SendMessageA(folderList, LVM_SETSELECTIONMARK, 0, row);
}

void clearRows() {
    SendMessageA(folderList, LVM_DELETEALLITEMS, 0, 0);
}

FolderNode* addChild(FolderNode* parent, const char* name) {
    FolderNode* child = newNamedNode(nullptr, name);
    child->parent = parent;
    FolderNode** tail = &parent->firstChild;
    while (*tail) tail = &(*tail)->next;
    *tail = child;
    return child;
}

FolderNode* addDotDot(FolderNode* parent) {
    return addChild(parent, "..");
}

FolderNode* addDrive(FolderNode* root, const char* name) {
    FolderNode* drive = addChild(root, name);
    drive->isDrive = 1;
    drive->scanned = 1;  // opening it does nothing on the disk
    return drive;
}

// The drive list as start-up leaves it.
void showDrives(FolderNode* root) {
    clearRows();
    for (FolderNode* drive = root->firstChild; drive; drive = drive->next) addNodeRow(drive);
    returnDepth = 0;
}

class ListTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        InitCommonControls();
        appInstance = GetModuleHandleA(nullptr);
        ASSERT_TRUE(registerMainWindowClass());
        ASSERT_TRUE(createMainWindow(1024, 768));
        ASSERT_TRUE(createFolderList());
        MoveWindow(folderList, 0, 0, 400, 120, FALSE);
    }

    void SetUp() override {
        root = newFolderNode();
        clearRows();
        returnDepth = 0;
    }

    void TearDown() override {
        failReturnPositionsGrowth(false);
        failTreeAllocationsAfter(-1);
        clearRows();
        releaseChain(root);
        rootNode = nullptr;
    }

    // What a double-click or Enter does, with the in-memory disk and a user
    // who answers the drive prompts as scripted.
    void openRow() { openSelectedRow(disk, prompt); }

    // The drives of `disk` in place of the hand-built root, as start-up
    // lists them: none scanned yet.
    void listDiskDrives() {
        releaseChain(root);
        enumerateDrives(disk);
        root = rootNode;
        showDrives(root);
    }

    FolderNode* root = nullptr;
    MemoryFileSystem disk;
    ScriptedPrompt prompt;
};

TEST_F(ListTest, RowsAddedInAnyOrderComeOutSortedWithDotDotFirst) {
    FolderNode* folder = addChild(root, "Folder");
    const char* names[] = {"zeta", "Mango", "alpha", "..", "delta", "Kiwi", "beta"};
    for (const char* name : names) addNodeRow(addChild(folder, name));
    std::vector<std::string> expected = {" ..", "alpha", "beta", "delta", "Kiwi", "Mango", "zeta"};
    EXPECT_EQ(expected, rowLabels());
}

TEST_F(ListTest, DriveRowsComeInLetterOrder) {
    addNodeRow(addDrive(root, "E:  Backup"));
    addNodeRow(addDrive(root, "C:  System"));
    addNodeRow(addDrive(root, "D:  "));
    std::vector<std::string> expected = {"C:  System", "D:  ", "E:  Backup"};
    EXPECT_EQ(expected, rowLabels());
}

TEST_F(ListTest, ImagesAndItemDataFollowTheNode) {
    FolderNode* drive = addDrive(root, "C:  ");
    FolderNode* oddDrive = addDrive(root, "D:  ");
    oddDrive->isDrive = 0x80;
    FolderNode* up = addDotDot(drive);
    FolderNode* folder = addChild(drive, "Windows");
    addNodeRow(folder);
    addNodeRow(oddDrive);
    addNodeRow(up);
    addNodeRow(drive);
    ASSERT_EQ(4, rowCount());
    const Row expected[4] = {{" ..", 2, up, 0}, {"C:  ", 1, drive, 0}, {"D:  ", 1, oddDrive, 0},
                             {"Windows", 0, folder, 0}};
    for (int i = 0; i < 4; ++i) {
        Row row = readRow(i);
        EXPECT_EQ(expected[i].label, row.label) << i;
        EXPECT_EQ(expected[i].image, row.image) << row.label;
        EXPECT_EQ(expected[i].node, row.node) << row.label;
        EXPECT_EQ(0u, row.state) << row.label;
    }
}

TEST_F(ListTest, SelectedNodeIsNullWithoutAMark) {
    FolderNode* folder = addChild(root, "Folder");
    addNodeRow(addChild(folder, "one"));
    addNodeRow(addChild(folder, "two"));
    ASSERT_EQ(-1, selectionMark());
    EXPECT_EQ(nullptr, selectedNode());
}

TEST_F(ListTest, SelectedNodeIsTheMarkedRowsNode) {
    FolderNode* folder = addChild(root, "Folder");
    FolderNode* one = addChild(folder, "one");
    FolderNode* three = addChild(folder, "three");
    FolderNode* two = addChild(folder, "two");
    addNodeRow(two);
    addNodeRow(one);
    addNodeRow(three);
    SendMessageA(folderList, LVM_SETSELECTIONMARK, 0, 1);
    EXPECT_EQ(three, selectedNode());
    SendMessageA(folderList, LVM_SETSELECTIONMARK, 0, 2);
    EXPECT_EQ(two, selectedNode());
    EXPECT_EQ(2, selectionMark());  // asking changes nothing
}

// The fill hands rows over in its own order; the control's order must be
// the same as adding them one by one, for many names in random order.
TEST_F(ListTest, FillGivesTheSameRowsAsAddingInChainOrder) {
    FolderNode* folder = addChild(root, "Folder");
    std::mt19937 random(7);
    const char* syllables[] = {"ka", "Lo", "mi", "nu", "Pe", "ro", "su", "ti", "-", "_", "1", "9",
                               "ō", "о", "Ло", "日本", "😀", "e\xCC\x81", "שׁ", "ع", "Ł", "φ"};
    const size_t syllableCount = sizeof syllables / sizeof syllables[0];
    for (int i = 0; i < 400; ++i) {
        std::string name;
        int length = 1 + static_cast<int>(random() % 4);
        for (int k = 0; k < length; ++k) name += syllables[random() % syllableCount];
        addChild(folder, name.c_str());
    }
    addChild(folder, "..");
    addChild(folder, "twin");
    addChild(folder, "twin2");
    for (FolderNode* child = folder->firstChild; child; child = child->next) addNodeRow(child);
    std::vector<std::string> oneByOne = rowLabels();
    std::vector<FolderNode*> oneByOneNodes;
    for (int i = 0; i < rowCount(); ++i) oneByOneNodes.push_back(readRow(i).node);

    addNodeRow(addChild(root, "leftover"));  // the fill must clear old rows
    fillRows(folder);
    ASSERT_EQ(403, rowCount());
    EXPECT_EQ(oneByOne, rowLabels());
    std::vector<FolderNode*> filledNodes;
    for (int i = 0; i < rowCount(); ++i) filledNodes.push_back(readRow(i).node);
    EXPECT_EQ(oneByOneNodes, filledNodes);
    // The control's collation ignores hyphens, so a folder named "-" may
    // come before " .."; every name that starts with a letter or digit
    // comes after it.
    std::vector<std::string> labels = rowLabels();
    size_t up = std::find(labels.begin(), labels.end(), " ..") - labels.begin();
    ASSERT_LT(up, labels.size());
    for (size_t i = 0; i < up; ++i) EXPECT_FALSE(std::isalnum(static_cast<unsigned char>(labels[i][0]))) << labels[i];
    EXPECT_EQ(-1, selectionMark());
}

TEST_F(ListTest, FillOfAFolderWithoutChildrenLeavesNoRows) {
    FolderNode* folder = addChild(root, "Folder");
    FolderNode* empty = addChild(folder, "empty");
    addNodeRow(empty);
    fillRows(empty);
    EXPECT_EQ(0, rowCount());
}

TEST_F(ListTest, OpeningWithNoMarkedRowDoesNothing) {
    addDrive(root, "C:  ");
    addDrive(root, "D:  ");
    showDrives(root);
    openRow();
    EXPECT_EQ(2, rowCount());
    EXPECT_EQ(-1, selectionMark());
    EXPECT_EQ(0, returnDepth);
}

// Drive in row 2, folder in row 5 there, then " .." twice.
TEST_F(ListTest, DownTwiceAndBackUpReselectsTheRowsGoneDownFrom) {
    const char* driveNames[] = {"A:  ", "B:  ", "C:  Data", "D:  ", "E:  "};
    for (const char* name : driveNames) addDrive(root, name);
    FolderNode* drive = childNamed(root, "C:  Data");
    addDotDot(drive);
    const char* folderNames[] = {"f7", "f1", "f4", "f0", "f3", "f2", "f6", "f5"};
    for (const char* name : folderNames) addChild(drive, name);
    FolderNode* f4 = childNamed(drive, "f4");  // row 5: " ..", f0, f1, f2, f3, f4
    addDotDot(f4);
    addChild(f4, "inner");
    addChild(f4, "deeper");
    showDrives(root);

    markRow(2);
    openRow();
    EXPECT_EQ(1, returnDepth);
    EXPECT_EQ(2, returnPositions[0]);
    std::vector<std::string> driveListing = {" ..", "f0", "f1", "f2", "f3", "f4", "f5", "f6", "f7"};
    EXPECT_EQ(driveListing, rowLabels());
    EXPECT_EQ(0, selectionMark());
    EXPECT_EQ(UINT(LVIS_SELECTED | LVIS_FOCUSED), readRow(0).state);
    EXPECT_EQ(drive, selectedNode()->parent);

    markRow(5);
    openRow();
    EXPECT_EQ(2, returnDepth);
    EXPECT_EQ(5, returnPositions[1]);
    std::vector<std::string> folderListing = {" ..", "deeper", "inner"};
    EXPECT_EQ(folderListing, rowLabels());
    EXPECT_EQ(0, selectionMark());
    EXPECT_EQ(f4, selectedNode()->parent);

    openRow();  // " .." is marked
    EXPECT_EQ(1, returnDepth);
    EXPECT_EQ(driveListing, rowLabels());
    EXPECT_EQ(5, selectionMark());
    EXPECT_EQ(f4, selectedNode());
    EXPECT_EQ(1, selectedCount());
    EXPECT_EQ(UINT(LVIS_SELECTED | LVIS_FOCUSED), readRow(5).state);

    markRow(0);
    openRow();
    EXPECT_EQ(0, returnDepth);
    std::vector<std::string> drives = {"A:  ", "B:  ", "C:  Data", "D:  ", "E:  "};
    EXPECT_EQ(drives, rowLabels());
    EXPECT_EQ(2, selectionMark());
    EXPECT_EQ(drive, selectedNode());
    EXPECT_EQ(1, selectedCount());
}

// The control's collation ignores hyphens, so "-" lands before " ..": the
// way back up is selected in whatever row it landed, on the way down
// into the drive and into a folder that gets its " .." added.
TEST_F(ListTest, OpeningSelectsDotDotWhereverItSorts) {
    FolderNode* drive = addDrive(root, "C:  ");
    FolderNode* up = addDotDot(drive);
    addChild(drive, "-");
    addChild(drive, "b");
    FolderNode* share = addChild(drive, "share");
    addChild(share, "-");
    addChild(share, "x");
    showDrives(root);
    markRow(0);
    openRow();
    std::vector<std::string> expected = {"-", " ..", "b", "share"};
    ASSERT_EQ(expected, rowLabels());
    EXPECT_EQ(1, selectionMark());
    EXPECT_EQ(up, selectedNode());
    EXPECT_EQ(0u, readRow(0).state);
    EXPECT_EQ(UINT(LVIS_SELECTED | LVIS_FOCUSED), readRow(1).state);

    markRow(3);
    openRow();
    expected = {"-", " ..", "x"};
    ASSERT_EQ(expected, rowLabels());
    EXPECT_EQ(1, selectionMark());
    EXPECT_EQ(share->firstChild, selectedNode());
    EXPECT_EQ(1, selectedCount());
}

// Each level holds " ..", a, b, c, and the way down goes through a
// different one of them by level.
FolderNode* buildDeepDrive(FolderNode* root, int levels) {
    FolderNode* drive = addDrive(root, "C:  ");
    addDotDot(drive);
    FolderNode* level = drive;
    for (int depth = 0; depth < levels; ++depth) {
        FolderNode* a = addChild(level, "a");
        FolderNode* b = addChild(level, "b");
        FolderNode* c = addChild(level, "c");
        FolderNode* down = depth % 3 == 0 ? a : depth % 3 == 1 ? b : c;
        addDotDot(down);
        level = down;
    }
    return drive;
}

int rowDownAt(int depth) {
    return 1 + (depth % 3);
}

TEST_F(ListTest, SixtyLevelsDownAndBackUp) {
    addDrive(root, "A:  ");
    addDrive(root, "B:  ");
    buildDeepDrive(root, 60);
    showDrives(root);
    markRow(2);
    openRow();
    for (int depth = 0; depth < 60; ++depth) {
        markRow(rowDownAt(depth));
        openRow();
        ASSERT_EQ(depth + 2, returnDepth);
        ASSERT_EQ(rowDownAt(depth), returnPositions[depth + 1]);
        ASSERT_EQ(0, selectionMark());
        ASSERT_EQ(depth == 59 ? 1 : 4, rowCount()) << depth;
    }
    for (int depth = 59; depth >= 0; --depth) {
        openRow();  // row 0, " .."
        ASSERT_EQ(depth + 1, returnDepth);
        ASSERT_EQ(rowDownAt(depth), selectionMark()) << depth;
        ASSERT_EQ(1, selectedCount());
        markRow(0);
    }
    openRow();
    EXPECT_EQ(0, returnDepth);
    EXPECT_EQ(2, selectionMark());
    EXPECT_EQ(3, rowCount());
}

TEST_F(ListTest, ADescentTheHistoryCannotHoldIsRefused) {
    buildDeepDrive(root, 400);
    showDrives(root);
    markRow(0);
    openRow();
    failReturnPositionsGrowth(true);
    int refusedAt = -1;
    for (int depth = 0; depth < 400 && refusedAt < 0; ++depth) {
        int before = returnDepth;
        markRow(rowDownAt(depth));
        openRow();
        if (returnDepth == before) refusedAt = before;
    }
    ASSERT_GE(refusedAt, 50);
    // Nothing changed: the same listing, the same marked row.
    EXPECT_EQ(4, rowCount());
    EXPECT_EQ(rowDownAt(refusedAt - 1), selectionMark());
    failReturnPositionsGrowth(false);
    openRow();
    EXPECT_EQ(refusedAt + 1, returnDepth);
    EXPECT_EQ(rowDownAt(refusedAt - 1), returnPositions[refusedAt]);
    // All the way back up restores every saved row.
    for (int depth = refusedAt - 1; depth >= 0; --depth) {
        markRow(0);
        openRow();
        ASSERT_EQ(depth + 1, returnDepth);
        ASSERT_EQ(rowDownAt(depth), selectionMark()) << depth;
    }
}

TEST_F(ListTest, GoingUpScrollsTheSavedRowIntoView) {
    FolderNode* drive = addDrive(root, "C:  ");
    addDotDot(drive);
    char name[16];
    for (int i = 0; i < 300; ++i) {
        std::snprintf(name, sizeof name, "d%03d", i);
        addChild(drive, name);
    }
    showDrives(root);
    markRow(0);
    openRow();
    markRow(251);  // "d250"
    SendMessageA(folderList, LVM_ENSUREVISIBLE, 251, FALSE);
    openRow();
    EXPECT_EQ(2, returnDepth);
    EXPECT_EQ(0, selectionMark());
    openRow();
    EXPECT_EQ(251, selectionMark());
    EXPECT_EQ("d250", readRow(251).label);
    RECT client;
    GetClientRect(folderList, &client);
    RECT row = {};
    row.left = LVIR_BOUNDS;
    SendMessageA(folderList, LVM_GETITEMRECT, 251, reinterpret_cast<LPARAM>(&row));
    RECT overlap;
    EXPECT_TRUE(IntersectRect(&overlap, &row, &client))
        << row.left << "," << row.top << " outside " << client.right << "x" << client.bottom;
}

// A folder the walk could not enter has no children; it opens to a single
// " .." row, like a folder that holds only files, and leads back up.
TEST_F(ListTest, AFolderWithoutChildrenOpensToAWayBackUp) {
    FolderNode* drive = addDrive(root, "C:  ");
    addDotDot(drive);
    addChild(drive, "locked");
    addChild(drive, "open");
    FolderNode* locked = childNamed(drive, "locked");
    showDrives(root);
    markRow(0);
    openRow();
    markRow(1);
    openRow();
    EXPECT_EQ(2, returnDepth);
    EXPECT_EQ(std::vector<std::string>{" .."}, rowLabels());
    EXPECT_EQ(0, selectionMark());
    FolderNode* up = selectedNode();
    ASSERT_NE(nullptr, up);
    EXPECT_EQ(locked, up->parent);
    EXPECT_EQ(locked->firstChild, up);
    EXPECT_EQ(0u, up->filesBytes + up->subfoldersBytes);
    openRow();
    EXPECT_EQ(1, returnDepth);
    EXPECT_EQ(1, selectionMark());
    // The second time it opens the same way, with no second ".." node.
    openRow();
    EXPECT_EQ(up, locked->firstChild);
    EXPECT_EQ(nullptr, up->next);
    EXPECT_EQ(1, rowCount());
}

// A listing that left ".." out: its folders show under a " .." row.
TEST_F(ListTest, AFolderWithoutDotDotGetsOneInFront) {
    FolderNode* drive = addDrive(root, "C:  ");
    addDotDot(drive);
    FolderNode* share = addChild(drive, "share");
    FolderNode* inner = addChild(share, "inner");
    addChild(share, "alpha");
    showDrives(root);
    markRow(0);
    openRow();
    markRow(1);
    openRow();
    std::vector<std::string> expected = {" ..", "alpha", "inner"};
    EXPECT_EQ(expected, rowLabels());
    EXPECT_EQ(0, selectionMark());
    EXPECT_EQ(share, selectedNode()->parent);
    EXPECT_EQ(inner, share->firstChild->next);
}

TEST_F(ListTest, NoMemoryForTheWayBackUpRefusesTheDescent) {
    FolderNode* drive = addDrive(root, "C:  ");
    addDotDot(drive);
    addChild(drive, "locked");
    addChild(drive, "other");
    showDrives(root);
    markRow(0);
    openRow();
    markRow(1);
    failTreeAllocationsAfter(0);
    openRow();
    failTreeAllocationsAfter(-1);
    EXPECT_EQ(1, returnDepth);
    std::vector<std::string> expected = {" ..", "locked", "other"};
    EXPECT_EQ(expected, rowLabels());
    EXPECT_EQ(1, selectionMark());
    EXPECT_EQ(nullptr, childNamed(drive, "locked")->firstChild);
}

// Drives of the in-memory disk: what opening them reads, asks and keeps.

int rowLabelled(const char* label) {
    std::vector<std::string> labels = rowLabels();
    return static_cast<int>(std::find(labels.begin(), labels.end(), label) - labels.begin());
}

TEST_F(ListTest, OpeningAnUnscannedDriveScansItOnce) {
    MemoryFolder& drive = disk.addDrive('C', "Sys");
    drive.file("loose", 100).folder("b").file("f", 300);
    drive.folder("a").file("g", 5).folder("x").file("h", 7);
    disk.addDrive('D', "Data").folder("elsewhere");
    listDiskDrives();
    ASSERT_EQ((std::vector<std::string>{"C:  Sys", "D:  Data"}), rowLabels());
    FolderNode* c = childNamed(root, "C:  Sys");
    ASSERT_EQ(0, c->scanned);

    markRow(0);
    openRow();
    EXPECT_EQ((std::vector<std::string>{" ..", "a", "b"}), rowLabels());
    EXPECT_EQ(1, returnDepth);
    EXPECT_EQ(0, selectionMark());
    EXPECT_EQ(1, c->scanned);
    EXPECT_EQ(100u, c->filesBytes);
    EXPECT_EQ(312u, c->subfoldersBytes);
    EXPECT_EQ(0, prompt.promptsShown);
    markRow(rowLabelled("a"));
    openRow();
    EXPECT_EQ((std::vector<std::string>{" ..", "x"}), rowLabels());
    EXPECT_EQ(7u, selectedNode()->parent->firstChild->next->filesBytes);

    // Back to the drives and in again: a fixed drive is not read twice.
    openRow();
    markRow(0);
    openRow();
    EXPECT_EQ(0, returnDepth);
    EXPECT_EQ(0, selectionMark());
    int callsBefore = disk.diskCalls;
    drive.folder("later");
    openRow();
    EXPECT_EQ(callsBefore, disk.diskCalls);
    EXPECT_EQ((std::vector<std::string>{" ..", "a", "b"}), rowLabels());
}

TEST_F(ListTest, CancelOnAMissingDriveLeavesTheDrivesListed) {
    disk.addDrive('C', "Sys").folder("a");
    disk.addDrive('E', "Gone").folder("b");
    disk.drive('E').present = false;
    listDiskDrives();
    markRow(1);
    openRow();  // the prompt is answered with Cancel
    EXPECT_EQ(1, prompt.promptsShown);
    EXPECT_EQ((std::vector<std::string>{"C:  Sys", "E:  "}), rowLabels());
    EXPECT_EQ(0, returnDepth);
    EXPECT_EQ(1, selectionMark());
    FolderNode* e = childNamed(root, "E:  ");
    EXPECT_EQ(e, selectedNode());
    EXPECT_EQ(0, e->scanned);
    EXPECT_EQ(nullptr, e->firstChild);
}

TEST_F(ListTest, RetryOnceTheDriveIsBackOpensIt) {
    disk.addDrive('C', "Sys").folder("a");
    MemoryFolder& late = disk.addDrive('E', "Late");
    late.folder("inside").file("f", 40);
    late.file("g", 2);
    disk.drive('E').present = false;
    listDiskDrives();
    markRow(1);
    // The user puts the medium in while the prompt is shown, then retries.
    disk.promptAnswers = {true};
    disk.whilePromptShown = [this] { disk.drive('E').present = true; };
    openSelectedRow(disk, disk);
    EXPECT_EQ(1, disk.promptsShown);
    EXPECT_EQ((std::vector<std::string>{" ..", "inside"}), rowLabels());
    EXPECT_EQ(1, returnDepth);
    EXPECT_EQ(1, returnPositions[0]);
    FolderNode* e = selectedNode()->parent;
    EXPECT_EQ(2u, e->filesBytes);
    EXPECT_EQ(40u, e->subfoldersBytes);
}

TEST_F(ListTest, ARemovableDriveIsReadAgainOnEveryOpening) {
    disk.addDrive('C', "Sys").folder("a");
    MemoryFolder& floppy = disk.addDrive('A', "", driveTypeRemovable);
    floppy.folder("old").file("f", 10);
    listDiskDrives();
    ASSERT_EQ((std::vector<std::string>{"A:  ", "C:  Sys"}), rowLabels());
    markRow(0);
    openRow();
    EXPECT_EQ((std::vector<std::string>{" ..", "old"}), rowLabels());
    FolderNode* a = selectedNode()->parent;
    EXPECT_EQ(0, a->scanned);
    EXPECT_EQ(10u, a->subfoldersBytes);

    openRow();  // back up through " .."
    EXPECT_EQ(0, selectionMark());
    floppy.folder("new").file("f", 20);
    openRow();
    EXPECT_EQ((std::vector<std::string>{" ..", "new", "old"}), rowLabels());
    EXPECT_EQ(30u, a->subfoldersBytes);
    EXPECT_EQ(0, a->scanned);
    EXPECT_EQ(0, prompt.promptsShown);
}

// A list without wide inserts (Windows 9x) gets the labels as the code page
// reads them.
WNDPROC listProc = nullptr;

LRESULT CALLBACK refuseWideInserts(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return message == LVM_INSERTITEMW ? -1 : CallWindowProcA(listProc, window, message, wParam, lParam);
}

TEST_F(ListTest, AListWithoutWideInsertsGetsTheLabelsAsTheCodePageReadsThem) {
    FolderNode* folder = addChild(root, "Folder");
    for (const char* name : {"папка", "café", "ō"}) addChild(folder, name);
    listProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(folderList, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(refuseWideInserts)));
    fillRows(folder);
    SetWindowLongPtrA(folderList, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listProc));
    EXPECT_EQ((std::vector<std::string>{"?????", "café", "o"}), rowLabels());
}

// F5 goes back down by each name exactly: not to "o" for "ō", nor to "Dup"
// for "dup", which come first on the disk.
TEST_F(ListTest, ReadingAgainGoesBackDownByTheNamesExactly) {
    MemoryFolder& c = disk.addDrive('C', "Sys");
    for (const char* name : {"o", "ō", "Dup", "dup"}) c.folder(name).folder(std::string("in ") + name);
    listDiskDrives();
    markRow(0);
    openRow();
    for (const char* name : {"ō", "dup"}) {
        markRow(rowLabelled(name));
        openRow();
        readDriveOfListingAgain(disk, prompt);
        EXPECT_EQ((std::vector<std::string>{" ..", std::string("in ") + name}), rowLabels());
        openRow();  // " .." is marked: back up, the folder selected again
        EXPECT_EQ(name, readRow(selectionMark()).label);
    }
}

}  // namespace
