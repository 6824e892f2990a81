// The walk over the system's own listing calls, on real folders mapped as
// drives (see support/fixture_drives.h).

#include "support/fixture_drives.h"

#include "../support/reference_walk.h"

#include "app/message_box_prompt.h"
#include "tree/drives.h"
#include "tree/folder_node.h"
#include "tree/scan.h"
#include "ui/globals.h"
#include "win32/plain_name.h"
#include "win32/win32_file_system.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <set>
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
    explicit ScannedDrive(char letter) : drive(newTestDrive(letter)) {}
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

// Listings read in several batches, from outside and two levels down.
TEST(WinScan, WideFoldersCountEveryEntry) {
    expectManifest('W');
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
    // "ā" shows as "a", the code page's look-alike, beside the real "a" (50
    // bytes): each is counted once, "ā" through its short name.
    std::multiset<uint64_t> twins;
    for (FolderNode* c = u.drive->firstChild; c; c = c->next) {
        if (std::strcmp(c->name, "a") != 0) continue;
        twins.insert(c->filesBytes);
        EXPECT_EQ(enterNameOf(c) == c->name, c->filesBytes == 50) << c->filesBytes;
    }
    EXPECT_EQ(twins, (std::multiset<uint64_t>{7, 50}));
    // "café" is held exactly, and entered by its own name.
    FolderNode* cafe = childNamed(u.drive, "caf\xE9");
    ASSERT_NE(cafe, nullptr);
    EXPECT_EQ(enterNameOf(cafe), cafe->name);
    EXPECT_EQ(cafe->subfoldersBytes, 9u);
    EXPECT_EQ(u.drive->filesBytes, 4u);
    EXPECT_EQ(u.drive->subfoldersBytes, 1386u);
}

// Every folder node below `node` but ".." nodes, by path ('/' between names).
void collectFolders(const FolderNode* node, const std::string& path,
                    std::map<std::string, const FolderNode*>& out) {
    for (const FolderNode* c = node->firstChild; c; c = c->next) {
        if (std::strcmp(c->name, "..") == 0) continue;
        std::string childPath = path.empty() ? c->name : path + "/" + c->name;
        out[childPath] = c;
        collectFolders(c, childPath, out);
    }
}

std::string folderOf(const std::string& file) {
    size_t slash = file.rfind('/');
    return slash == std::string::npos ? "" : file.substr(0, slash);
}

bool isBelow(const std::string& path, const std::string& folder) {
    return path.compare(0, folder.size() + 1, folder + "/") == 0;
}

// Folders named as other systems name them. Those with a device name and no
// short name, or whose short name still holds a character the path rules
// rewrite, cannot be entered at all, nor a folder whose current directory
// would pass the path limit; all others are, by the name that leads to them,
// and every byte in them is counted once.
TEST(WinScan, NamesThePathRulesRewriteAreCountedExactlyOrLeftUnentered) {
    ScannedDrive h('H');
    ASSERT_TRUE(openDrive(win32FileSystem(), messageBoxPrompt(), h.drive));
    EXPECT_EQ(currentDirectory(), "H:\\");
    auto files = readFileList('H');
    ASSERT_EQ(files.size(), 38u);
    std::map<std::string, const FolderNode*> folders;
    collectFolders(h.drive, "", folders);

    const std::set<std::string> unenterable = {"nul.txt", "con.d", "aux.x", "com1.y", "nul", "NUL.TXT",
                                               "co:lon", "x\\y", "tab\tname", "plain/nul.txt", "plain/x\\y",
                                               "deep/" + std::string(251, 'm')};
    std::set<std::string> notEntered;
    for (const auto& [path, node] : folders)
        if (!node->firstChild) notEntered.insert(path);
    EXPECT_EQ(notEntered, unenterable);

    uint64_t reachable = 0;
    std::map<std::string, uint64_t> filesIn;
    for (const auto& [size, path] : files) {
        bool lost = false;
        for (const std::string& folder : unenterable) lost = lost || isBelow(path, folder);
        if (lost) continue;
        reachable += size;
        filesIn[folderOf(path)] += size;
    }
    EXPECT_EQ(h.drive->filesBytes + h.drive->subfoldersBytes, reachable);
    EXPECT_EQ(h.drive->filesBytes, filesIn[""]);
    for (const auto& [path, node] : folders) {
        if (notEntered.count(path)) continue;
        EXPECT_EQ(node->filesBytes, filesIn[path]) << path;
    }
    // Two folders whose names differ only in case are two folders.
    ASSERT_TRUE(folders.count("Dup") && folders.count("dup"));
    EXPECT_NE(folders["Dup"]->filesBytes, folders["dup"]->filesBytes);
}

// A folder k levels down has the current directory "X:\" followed by k
// names and backslashes; Windows takes at most 259 characters and the
// terminating zero. Deeper folders keep their nodes and count nothing.
TEST(WinScan, DeepChainsStopAtThePathLimit) {
    struct Chain {
        char letter;
        uint64_t levelsThatFit;  // (259 - 3) / (name length + 1)
    };
    for (Chain chain : {Chain{'D', 6}, Chain{'J', 128}}) {
        SCOPED_TRACE(chain.letter);
        ScannedDrive d(chain.letter);
        ASSERT_TRUE(openDrive(win32FileSystem(), messageBoxPrompt(), d.drive));
        EXPECT_EQ(currentDirectory(), std::string(1, chain.letter) + ":\\");
        uint64_t entered = 0;
        const FolderNode* level = d.drive;
        for (;;) {
            const FolderNode* below = nullptr;
            for (const FolderNode* c = level->firstChild; c; c = c->next)
                if (std::strcmp(c->name, "..") != 0) below = c;
            if (!below) break;
            level = below;
            if (level->firstChild) ++entered;
        }
        EXPECT_EQ(entered, chain.levelsThatFit);
        EXPECT_EQ(d.drive->filesBytes + d.drive->subfoldersBytes, chain.levelsThatFit);  // a byte a level
    }
}

// The walk folds its steps; the reference walk takes each one alone. Every
// fixture drive (hostile names, link loops, the chains to the path limit
// among them) reads the same, node for node, and both end in the same place.
TEST(WinScan, EveryDriveReadsAsTheReferenceWalkReadsIt) {
    for (char letter : std::string("DEFHJKLQSUVW")) {
        SCOPED_TRACE(letter);
        ScannedDrive walked(letter);
        ScannedDrive reference(letter);
        ASSERT_TRUE(openDrive(win32FileSystem(), messageBoxPrompt(), walked.drive));
        std::string walkedEnd = currentDirectory();
        ASSERT_TRUE(referenceReadDrive(win32FileSystem(), reference.drive));
        EXPECT_EQ(firstTreeDifference(walked.drive, reference.drive), "");
        EXPECT_EQ(currentDirectory(), walkedEnd);
        EXPECT_EQ(walkedEnd, std::string(1, letter) + ":\\");
    }
}

TEST(PlainWin32Name, NamesThatMeanTheSameFolderToThePathCalls) {
    const char* plain[] = {"a", "Docs", "ok.name", "CONS", "con1", "COM10", "nul_", "a.b.c", " lead", "x-y"};
    const char* rewritten[] = {"", ".", "..", "nul", "NUL.TXT", "con.d", "aux.x", "com1.y", "LPT9", "CON .txt",
                               "conin$", "a.", "b ", "x\\y", "x/y", "lt<gt>", "co:lon", "quo\"te", "pi|pe",
                               "st*ar", "qu?est", "tab\tname", "COM\xB9"};
    for (const char* name : plain) EXPECT_TRUE(isPlainWin32Name(name)) << name;
    for (const char* name : rewritten) EXPECT_FALSE(isPlainWin32Name(name)) << name;
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
    for (int opening = 0; opening < 100; ++opening) {
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
