// The walk over the system's own listing calls, on real folders mapped as
// drives (see support/fixture_drives.h).

#include "support/fixture_drives.h"

#include "app/globals.h"
#include "app/message_box_prompt.h"
#include "tree/drives.h"
#include "tree/folder_node.h"
#include "tree/scan.h"
#include "win32/win32_file_system.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

FolderNode* childNamed(const FolderNode* node, const char* name) {
    for (FolderNode* c = node->firstChild; c; c = c->next)
        if (std::strcmp(c->name, name) == 0) return c;
    return nullptr;
}

std::string currentDirectory() {
    char path[MAX_PATH];
    DWORD length = GetCurrentDirectoryA(MAX_PATH, path);
    return std::string(path, length);
}

struct ScannedDrive {
    FolderNode* drive;
    explicit ScannedDrive(char letter) : drive(makeDriveNode(letter)) {}
    ~ScannedDrive() {
        SetCurrentDirectoryA("C:\\");
        releaseDriveNode(drive);
    }
};

void expectManifest(char letter) {
    ScannedDrive q(letter);
    ASSERT_TRUE(openDrive(win32FileSystem(), messageBoxPrompt(), q.drive));
    auto expected = readManifest(letter);
    ASSERT_GT(expected.size(), 1u) << "no manifest for " << letter;
    auto found = totalsOf(q.drive);
    for (const auto& [path, totals] : expected) {
        auto it = found.find(path);
        ASSERT_NE(it, found.end()) << path;
        EXPECT_EQ(it->second.filesBytes, totals.filesBytes) << path;
        EXPECT_EQ(it->second.subfoldersBytes, totals.subfoldersBytes) << path;
    }
    EXPECT_EQ(found.size(), expected.size());
}

TEST(WinScan, GeneratedTreeMatchesTheManifestInEveryFolder) {
    expectManifest('Q');
}

TEST(WinScan, SparseFileOfFiveGiBCountsInFull) {
    ScannedDrive s('S');
    ASSERT_TRUE(openDrive(win32FileSystem(), messageBoxPrompt(), s.drive));
    FolderNode* big = childNamed(s.drive, "big");
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->filesBytes, 5368709120ull);
    expectManifest('S');
}

TEST(WinScan, LinkLoopsEndWithTheRightTotals) {
    expectManifest('L');
}

TEST(WinScan, NamesOutsideTheCodePageAreCountedThroughTheirShortNames) {
    ScannedDrive u('U');
    ASSERT_TRUE(openDrive(win32FileSystem(), messageBoxPrompt(), u.drive));
    // "папка" holds 1,000 bytes and a subfolder of 20; "日本" holds 300.
    FolderNode* cyrillic = childNamed(u.drive, "?????");
    FolderNode* japanese = childNamed(u.drive, "??");
    ASSERT_NE(cyrillic, nullptr);
    ASSERT_NE(japanese, nullptr);
    EXPECT_EQ(cyrillic->filesBytes, 1000u);
    EXPECT_EQ(cyrillic->subfoldersBytes, 20u);
    EXPECT_EQ(japanese->filesBytes, 300u);
    EXPECT_EQ(u.drive->filesBytes, 4u);
    EXPECT_EQ(u.drive->subfoldersBytes, 1320u);
}

TEST(WinScan, EmptyRootGivesOnlyTheDrivesOwnDotDot) {
    ScannedDrive e('E');
    ASSERT_TRUE(openDrive(win32FileSystem(), messageBoxPrompt(), e.drive));
    ASSERT_NE(e.drive->firstChild, nullptr);
    EXPECT_EQ(e.drive->firstChild->name, dotDotText);
    EXPECT_EQ(e.drive->firstChild->next, nullptr);
    EXPECT_EQ(e.drive->filesBytes + e.drive->subfoldersBytes, 0u);
}

TEST(WinScan, FixedDriveIsScannedOnceAndLeftInItsRoot) {
    ScannedDrive q('Q');
    ASSERT_TRUE(openDrive(win32FileSystem(), messageBoxPrompt(), q.drive));
    EXPECT_EQ(q.drive->scanned, 1);
    EXPECT_EQ(currentDirectory(), "Q:\\");
    FolderNode* tree = q.drive->firstChild;
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    ASSERT_TRUE(openDrive(win32FileSystem(), messageBoxPrompt(), q.drive));
    EXPECT_EQ(currentDirectory(), "C:\\");
    EXPECT_EQ(q.drive->firstChild, tree);
}

TEST(WinScan, RemovableDriveReopensToTheSameTreeWithoutGrowingTheHeap) {
    ScannedDrive f('F');
    ASSERT_EQ(GetDriveTypeA("F:\\"), static_cast<UINT>(DRIVE_REMOVABLE));
    ASSERT_TRUE(openDrive(win32FileSystem(), messageBoxPrompt(), f.drive));
    EXPECT_EQ(f.drive->scanned, 0);
    auto first = totalsOf(f.drive);
    ASSERT_GT(first.size(), 3u);
    uint64_t heapAfterFirst = treeHeapBytes();
    for (int opening = 0; opening < 20; ++opening) {
        ASSERT_TRUE(openDrive(win32FileSystem(), messageBoxPrompt(), f.drive));
        auto again = totalsOf(f.drive);
        ASSERT_EQ(again.size(), first.size());
        for (const auto& [path, totals] : first) {
            EXPECT_EQ(again[path].filesBytes, totals.filesBytes) << path;
            EXPECT_EQ(again[path].subfoldersBytes, totals.subfoldersBytes) << path;
        }
    }
    EXPECT_EQ(treeHeapBytes(), heapAfterFirst);
}

// Answers the program's message boxes as the user would, Retry for the
// first `retries` boxes and then Cancel (or OK). A hook on this thread sees
// each box as it is activated: no second thread, which qemu-user does not
// run reliably beside a GUI thread.
struct BoxAnswerer {
    int retries;
    int boxesSeen = 0;
    std::string text;
    HWND owner = nullptr;
    HHOOK hook = nullptr;
    static BoxAnswerer* active;

    static LRESULT CALLBACK onCbt(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_ACTIVATE && active) {
            HWND box = reinterpret_cast<HWND>(wParam);
            char className[16] = {};
            GetClassNameA(box, className, sizeof className);
            if (std::strcmp(className, "#32770") == 0) {
                ++active->boxesSeen;
                char text[256] = {};
                GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                active->text = text;
                active->owner = GetWindow(box, GW_OWNER);
                WPARAM answer = active->boxesSeen <= active->retries ? IDRETRY : IDCANCEL;
                if (!GetDlgItem(box, IDCANCEL)) answer = IDOK;
                PostMessageA(box, WM_COMMAND, answer, 0);
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    explicit BoxAnswerer(int retryCount) : retries(retryCount) {
        active = this;
        hook = SetWindowsHookExA(WH_CBT, onCbt, nullptr, GetCurrentThreadId());
    }
    ~BoxAnswerer() {
        UnhookWindowsHookEx(hook);
        active = nullptr;
    }
};
BoxAnswerer* BoxAnswerer::active = nullptr;

TEST(WinScan, MissingDriveAsksWithRetryAndCancelAndGivesTheFocusBack) {
    mainWindow = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 200,
                                 nullptr, nullptr, nullptr, nullptr);
    folderList = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, mainWindow, nullptr,
                                 nullptr, nullptr);
    SetFocus(mainWindow);
    ScannedDrive m('M');
    SetCurrentDirectoryA("C:\\");
    {
        BoxAnswerer answerer(2);
        EXPECT_FALSE(openDrive(win32FileSystem(), messageBoxPrompt(), m.drive));
        EXPECT_EQ(answerer.boxesSeen, 3);
        EXPECT_EQ(answerer.text, "Drive not found");
        EXPECT_EQ(answerer.owner, mainWindow);
    }
    EXPECT_EQ(GetFocus(), folderList);
    EXPECT_EQ(m.drive->firstChild, nullptr);
    EXPECT_EQ(m.drive->scanned, 0);
    EXPECT_EQ(currentDirectory(), "C:\\");
    DestroyWindow(mainWindow);
    mainWindow = folderList = nullptr;
}

TEST(WinDrives, LettersInOrderAndLabelsFromTheVolumeUnlessRemovable) {
    enumerateDrives(win32FileSystem());
    std::vector<std::string> names;
    for (FolderNode* d = rootNode->firstChild; d; d = d->next) {
        names.push_back(d->name);
        EXPECT_EQ(d->rootPath[0], d->name[0]);
        EXPECT_EQ(std::string(d->name, 1, 3), ":  ");
    }
    ASSERT_GE(names.size(), 7u);
    for (size_t i = 1; i < names.size(); ++i) EXPECT_LT(names[i - 1][0], names[i][0]);
    auto has = [&](const std::string& name) {
        for (const auto& n : names)
            if (n == name) return true;
        return false;
    };
    EXPECT_TRUE(has("V:  Fixtures"));  // four characters longer than the label
    EXPECT_TRUE(has("F:  "));          // removable: its label was never read
    EXPECT_FALSE(has("Z:  "));         // the host's root is not mapped
    releaseChain(rootNode);
    rootNode = nullptr;
}

}  // namespace
