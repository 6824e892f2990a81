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

std::string currentDirectory() {
    char path[MAX_PATH];
    DWORD length = GetCurrentDirectoryA(MAX_PATH, path);
    return std::string(path, length);
}

// Answers nothing on screen: a walk told incomplete is remembered.
struct QuietPrompt : DrivePrompt {
    bool incomplete = false;
    bool askRetryMissingDrive() override { return false; }
    void tellScanIncomplete() override { incomplete = true; }
    bool keepReading(const ScanProgress&) override { return true; }
};

// The drive is walked by folder handles, or by the current directory where
// `byPath`, never read from its file table; all as before after.
struct ScannedDrive {
    FolderNode* drive;
    QuietPrompt prompt;
    explicit ScannedDrive(char letter, bool byPath = false) : drive(newTestDrive(letter)) {
        useThePathWalk(byPath);
        readFileTables(false);  // the walks are tested here, the file table in table_win_test
    }
    bool read() {
        bool opened = openDrive(win32FileSystem(), prompt, drive);
        EXPECT_FALSE(prompt.incomplete);
        return opened;
    }
    ~ScannedDrive() {
        useThePathWalk(false);
        readFileTables(true);
        SetCurrentDirectoryA("C:\\");
        releaseDriveNode(drive);
    }
};

const bool bothWalks[] = {false, true};

// Manifests name folders in UTF-8, the tree in the code page: a folder
// whose path is not ASCII is counted only in the number of folders and in
// the totals above it.
void expectManifest(char letter, bool byPath) {
    const std::string where = std::string(1, letter) + (byPath ? " path walk" : " handle walk");
    ScannedDrive q(letter, byPath);
    ASSERT_TRUE(q.read()) << where;
    auto expected = readManifest(letter);
    ASSERT_GT(expected.size(), 1u) << "no manifest for " << letter;
    EXPECT_EQ(firstTotalsDifference(totalsOf(q.drive), expected, true), "") << where;
}

// Q's root holds ".git" and ".profile" among its generated names.
TEST(WinScan, GeneratedTreeMatchesTheManifestInEveryFolder) {
    for (bool byPath : bothWalks) expectManifest('Q', byPath);
}

TEST(WinScan, SparseFileOfFiveGiBCountsInFull) {
    ScannedDrive s('S');
    ASSERT_TRUE(s.read());
    FolderNode* big = childNamed(s.drive, "big");
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->filesBytes, 5368709120ull);
    for (bool byPath : bothWalks) expectManifest('S', byPath);
}

TEST(WinScan, LinkLoopsEndWithTheRightTotals) {
    for (bool byPath : bothWalks) expectManifest('L', byPath);
}

// Listings longer than one read of the listing buffer.
TEST(WinScan, WideFoldersCountEveryEntry) {
    for (bool byPath : bothWalks) expectManifest('W', byPath);
}

// NTFS volumes written by ntfs-3g, against their count on Linux: P: holds
// names the path walk cannot step into and a chain past its limit, so only
// the handle walk reads it whole; G: is a flat volume of 14,000 files.
TEST(WinScan, NtfsVolumesMatchTheirCountOnLinuxInEveryFolder) {
    expectManifest('P', false);
    for (bool byPath : bothWalks) expectManifest('G', byPath);
}

// The sum of the byte counts of `names` among the drive's folders, each
// name found once.
uint64_t bytesOf(const FolderNode* drive, std::multiset<std::string> names) {
    uint64_t bytes = 0;
    for (const FolderNode* c = drive->firstChild; c; c = c->next) {
        auto it = names.find(c->name);
        if (it == names.end()) continue;
        names.erase(it);
        bytes += c->filesBytes + c->subfoldersBytes;
    }
    EXPECT_TRUE(names.empty());
    return bytes;
}

// "папка" (1,000 bytes and a subfolder of 20), "日本" (300), "ā" (7)
// beside "a" (50), "ō" (11) beside "_~~~~24c" (13), which is what Wine gives
// as "ō"'s short name, "café" (9); 4 loose bytes. The handle walk keeps every
// name as written and counts each folder once. The path walk's names are
// what the code page leaves of them, in UTF-8: it enters "папка" and "日本"
// by their short names, "ā" by its look-alike (the real "a", counted
// twice), and cannot enter "ō" by "o".
TEST(WinScan, NamesOutsideTheCodePageAreKeptAsWrittenByHandles) {
    struct Expected {
        bool byPath;
        const char *cyrillic, *japanese, *macronA, *macronO;
        uint64_t twinsA, lookAlikeO, whole;
    };
    for (Expected walk : {Expected{false, "папка", "日本", "ā", "ō", 57, 11, 1414},
                          Expected{true, "?????", "??", "a", "o", 100, 0, 1446}}) {
        const std::string where = walk.byPath ? "path walk" : "handle walk";
        ScannedDrive u('U', walk.byPath);
        ASSERT_TRUE(u.read()) << where;
        EXPECT_EQ(bytesOf(u.drive, {walk.cyrillic}), 1020u) << where;
        EXPECT_EQ(bytesOf(u.drive, {walk.japanese}), 300u) << where;
        EXPECT_EQ(bytesOf(u.drive, {"a", walk.macronA}), walk.twinsA) << where;
        EXPECT_EQ(bytesOf(u.drive, {walk.macronO}), walk.lookAlikeO) << where;
        EXPECT_EQ(bytesOf(u.drive, {"_~~~~24c"}), 13u) << where;
        EXPECT_EQ(bytesOf(u.drive, {"café"}), 9u) << where;
        EXPECT_EQ(u.drive->filesBytes + u.drive->subfoldersBytes, walk.whole) << where;
    }
}

std::string folderOf(const std::string& file) {
    size_t slash = file.rfind('/');
    return slash == std::string::npos ? "." : file.substr(0, slash);
}

bool isBelow(const std::string& path, const std::string& folder) {
    return path.compare(0, folder.size() + 1, folder + "/") == 0;
}

// Every folder below `node` that was not entered: an entered one has at
// least its ".." node.
void notEnteredBelow(const FolderNode* node, const std::string& path, std::set<std::string>& out) {
    for (const FolderNode* c = node->firstChild; c; c = c->next) {
        if (isDotDot(c)) continue;
        std::string childPath = path.empty() ? c->name : path + "/" + c->name;
        if (!c->firstChild) out.insert(childPath);
        notEnteredBelow(c, childPath, out);
    }
}

// Reads H: (folder names that other systems write and Windows path rules
// rewrite) and checks every folder's bytes against H's file list: all
// files but those below `unenterable`, each counted once.
void expectHostileDrive(bool byPath, const std::set<std::string>& unenterable) {
    ScannedDrive h('H', byPath);
    ASSERT_TRUE(h.read());
    EXPECT_EQ(currentDirectory(), "H:\\");
    auto files = readFileList('H');
    ASSERT_EQ(files.size(), 38u);
    auto folders = totalsOf(h.drive);
    std::set<std::string> notEntered;
    notEnteredBelow(h.drive, "", notEntered);
    EXPECT_EQ(notEntered, unenterable);
    std::map<std::string, uint64_t> filesIn;
    uint64_t reachable = 0;
    for (const auto& [size, path] : files) {
        bool lost = false;
        for (const std::string& folder : unenterable) lost = lost || isBelow(path, folder);
        if (lost) continue;
        reachable += size;
        filesIn[folderOf(path)] += size;
    }
    EXPECT_EQ(h.drive->filesBytes + h.drive->subfoldersBytes, reachable);
    for (const auto& [path, totals] : folders) EXPECT_EQ(totals.filesBytes, filesIn[path]) << path;
    // Two folders whose names differ only in case are two folders.
    EXPECT_EQ(folders["Dup"].filesBytes, filesIn["Dup"]);
    EXPECT_NE(folders["Dup"].filesBytes, folders["dup"].filesBytes);
}

// Every file of the 38 has its own power of two as its size: the total
// tells which were counted.
TEST(WinScan, NamesThePathRulesRewriteAreAllEnteredAndCountedOnce) {
    expectHostileDrive(false, {});
}

// The path walk cannot enter a device name without a short name, a short
// name that still holds a character the path rules rewrite, nor a folder
// whose current directory would pass the path limit.
TEST(WinScan, ThePathWalkLeavesNamesItCannotStepIntoUnentered) {
    expectHostileDrive(true, {"nul.txt", "con.d", "aux.x", "com1.y", "nul", "NUL.TXT", "co:lon", "x\\y",
                              "tab\tname", "plain/nul.txt", "plain/x\\y", "deep/" + std::string(251, 'm')});
}

// D: 300 levels of 40-letter names, J: 1,000 levels of "j", a byte in each.
// The handle walk counts every level; the path walk stops where the current
// directory "X:\" and k names with backslashes would pass 259 characters.
TEST(WinScan, DeepChainsAreCountedToTheLastByteByHandles) {
    struct Chain {
        char letter;
        uint64_t levels;
        uint64_t levelsByPath;  // (259 - 3) / (name length + 1)
    };
    for (Chain chain : {Chain{'D', 300, 6}, Chain{'J', 1000, 128}}) {
        for (bool byPath : bothWalks) {
            const std::string where = std::string(1, chain.letter) + (byPath ? " path walk" : " handle walk");
            ScannedDrive d(chain.letter, byPath);
            ASSERT_TRUE(d.read()) << where;
            EXPECT_EQ(currentDirectory(), std::string(1, chain.letter) + ":\\") << where;
            EXPECT_EQ(d.drive->filesBytes + d.drive->subfoldersBytes, byPath ? chain.levelsByPath : chain.levels) << where;
            // Every level has its node; the path walk lists the first one past
            // its limit and cannot enter it.
            uint64_t nodes = byPath ? chain.levelsByPath + 2 : chain.levels + 1;
            EXPECT_EQ(totalsOf(d.drive).size(), nodes) << where;
        }
    }
}

// An open folder's listing: its files, and its subfolders' file IDs, the
// last one's key kept.
struct Listing {
    int files = 0;
    std::vector<uint64_t> folders;
    std::string lastKey;
};

Listing listingOf(FileSystem& fs, OpenFolder* folder) {
    Listing listing;
    FolderEntry entry;
    while (fs.nextEntry(folder, entry)) {
        if (!entry.isFolder) ++listing.files;
        if (!entry.isFolder || std::strcmp(entry.name, ".") == 0 || std::strcmp(entry.name, "..") == 0) continue;
        listing.folders.push_back(entry.fileIndex);
        listing.lastKey.assign(static_cast<const char*>(entry.key), entry.keySize);
    }
    return listing;
}

// A folder opens by its file reference from the root alone; a reference
// no folder carries opens nothing. (The listing's file ID is the reference:
// under Wine the inode number, on NTFS the record's number with its
// sequence number. Wine finds a folder 50 levels down, not 100.)
TEST(WinScan, AFolderOpensByItsFileReferenceFromTheRoot) {
    FileSystem& fs = win32FileSystem();
    FolderIdentity rootId;
    OpenFolder* root = fs.openRoot("D:\\", rootId);
    ASSERT_NE(root, nullptr);
    // Down D's chain by the listing's keys, each level's file ID kept.
    std::vector<OpenFolder*> path{root};
    std::vector<uint64_t> references;
    while (path.size() <= 51) {
        Listing listing = listingOf(fs, path.back());
        ASSERT_EQ(listing.folders.size(), 1u);
        references.push_back(listing.folders[0]);
        const std::string& key = listing.lastKey;
        path.push_back(fs.openChild(path.back(), key.data(), static_cast<uint32_t>(key.size()), nullptr));
        ASSERT_NE(path.back(), nullptr) << path.size();
    }
    while (path.size() > 1) fs.closeFolder(path.back()), path.pop_back();
    // Each level of the chain holds its file and the next level.
    for (size_t level : {size_t{0}, size_t{49}}) {
        OpenFolder* folder = fs.openByReference(root, references[level]);
        ASSERT_NE(folder, nullptr) << level;
        Listing listing = listingOf(fs, folder);
        EXPECT_EQ(listing.files, 1) << level;
        EXPECT_EQ(listing.folders, std::vector<uint64_t>{references[level + 1]}) << level;
        fs.closeFolder(folder);
    }
    EXPECT_EQ(fs.openByReference(root, references[49] + 1000000), nullptr);
    fs.closeFolder(root);
}

// The walk keeps a stack of keys; the reference walk recurses. Every
// fixture drive reads the same through both, node for node, in both walks.
TEST(WinScan, EveryDriveReadsAsTheReferenceWalkReadsIt) {
    for (bool byPath : bothWalks) {
        for (char letter : std::string("DEFGHJKLNPQSUVW")) {
            const std::string where = std::string(1, letter) + (byPath ? " path walk" : " handle walk");
            ScannedDrive walked(letter, byPath);
            ScannedDrive reference(letter, byPath);
            ASSERT_TRUE(walked.read()) << where;
            ASSERT_TRUE(referenceReadDrive(win32FileSystem(), reference.drive)) << where;
            EXPECT_EQ(firstTreeDifference(walked.drive, reference.drive), "") << where;
            EXPECT_EQ(currentDirectory(), std::string(1, letter) + ":\\") << where;
        }
    }
}

// Renames V:\ren while the walk is in V:\ren\sub: the path walk's step up
// then lands nowhere, so the walk stops and tells its totals incomplete;
// the handle walk holds its folders and does not notice.
struct RenamingPrompt final : QuietPrompt {
    bool keepReading(const ScanProgress& progress) override {
        if (progress.folder && std::strcmp(progress.folder->name, "sub") == 0) MoveFileA("V:\\ren", "V:\\moved");
        return true;
    }
};

TEST(WinScan, AStepUpThatLandsElsewhereEndsThePathWalkIncomplete) {
    for (bool byPath : bothWalks) {
        const std::string where = std::string(byPath ? "path walk" : "handle walk");
        ASSERT_TRUE(CreateDirectoryA("V:\\ren", nullptr) && CreateDirectoryA("V:\\ren\\sub", nullptr)) << where;
        HANDLE file = CreateFileA("V:\\ren\\sub\\file", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, "12345", 5, &written, nullptr);
        CloseHandle(file);
        RenamingPrompt prompt;
        {
            ScannedDrive v('V', byPath);
            ASSERT_TRUE(openDrive(win32FileSystem(), prompt, v.drive)) << where;
            EXPECT_EQ(prompt.incomplete, byPath) << where;
            EXPECT_EQ(v.drive->scanned, byPath ? 0 : 1) << where;
            EXPECT_EQ(v.drive->subfoldersBytes, 5u) << where;
        }
        ASSERT_TRUE(DeleteFileA("V:\\moved\\sub\\file") && RemoveDirectoryA("V:\\moved\\sub") &&
                    RemoveDirectoryA("V:\\moved"));
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
    ASSERT_TRUE(e.read());
    ASSERT_NE(e.drive->firstChild, nullptr);
    EXPECT_EQ(e.drive->firstChild->name, dotDotText);
    EXPECT_EQ(e.drive->firstChild->next, nullptr);
    EXPECT_EQ(e.drive->filesBytes + e.drive->subfoldersBytes, 0u);
}

TEST(WinScan, FixedDriveIsScannedOnceAndLeftInItsRoot) {
    ScannedDrive q('Q');
    ASSERT_TRUE(q.read());
    EXPECT_EQ(q.drive->scanned, 1);
    EXPECT_EQ(currentDirectory(), "Q:\\");
    FolderNode* tree = q.drive->firstChild;
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    ASSERT_TRUE(q.read());
    EXPECT_EQ(currentDirectory(), "C:\\");
    EXPECT_EQ(q.drive->firstChild, tree);
}

TEST(WinScan, RemovableDriveReopensToTheSameTreeWithoutGrowingTheHeap) {
    ScannedDrive f('F');
    ASSERT_EQ(GetDriveTypeA("F:\\"), static_cast<UINT>(DRIVE_REMOVABLE));
    ASSERT_TRUE(f.read());
    EXPECT_EQ(f.drive->scanned, 0);
    auto first = totalsOf(f.drive);
    ASSERT_GT(first.size(), 3u);
    uint64_t heapAfterFirst = treeHeapBytes();
    for (int opening = 0; opening < 100; ++opening) {
        ASSERT_TRUE(f.read());
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
    EXPECT_TRUE(has("N:  Диск"));      // as written, through the wide call
    EXPECT_TRUE(has("F:  "));          // removable: its label was never read
    EXPECT_FALSE(has("Z:  "));         // the host's root is not mapped
    releaseChain(rootNode);
    rootNode = nullptr;
}

}  // namespace
