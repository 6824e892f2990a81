#include "tree/drives.h"
#include "tree/folder_node.h"
#include "tree/scan.h"

#include "support/memory_file_system.h"

#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
// From the address sanitizer's runtime (its header is not installed with g++).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

#include <string>
#include <vector>

namespace {

const uint64_t fiveGiB = 5368709120ull;

std::vector<std::string> childNames(const FolderNode* node) {
    std::vector<std::string> names;
    for (const FolderNode* c = node->firstChild; c; c = c->next) names.push_back(c->name);
    return names;
}

// Bytes the program holds on the heap now.
size_t heapInUse() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

uint64_t total(const FolderNode* node) {
    return node->filesBytes + node->subfoldersBytes;
}

// One drive Q on an in-memory disk, with the drive list built from it.
struct ScanTest : ::testing::Test {
    MemoryFileSystem fs;
    MemoryFolder* root = nullptr;

    void SetUp() override { root = &fs.addDrive('Q', "Data"); }
    void TearDown() override {
        // However a reading ended, the disk was read within it, the user
        // was asked outside it, and it ended.
        EXPECT_FALSE(fs.reading);
        EXPECT_EQ(fs.misplacedCalls, 0);
        failTreeAllocationsAfter(-1);
        if (rootNode) releaseChain(rootNode);
        rootNode = nullptr;
    }
    FolderNode* drive() {
        if (!rootNode) enumerateDrives(fs);
        return rootNode->firstChild;
    }
};

TEST_F(ScanTest, TotalsEveryFolderAndTheDrive) {
    root->file("boot.ini", 100).file("pagefile", 900).file(".profile", 3);
    root->folder(".git").file("pack", 7);
    MemoryFolder& docs = root->folder("Docs");
    docs.file("a.txt", 10).file("b.txt", 20);
    docs.folder("Empty");
    MemoryFolder& letters = docs.folder("Letters");
    letters.file("one", 1).file("two", 2);
    letters.folder("Old").file("x", 4000);
    root->folder("Music").file("song", fiveGiB);

    FolderNode* q = drive();
    ASSERT_TRUE(openDrive(fs, fs, q));
    EXPECT_EQ(childNames(q), (std::vector<std::string>{"..", ".git", "Docs", "Music"}));
    EXPECT_EQ(q->filesBytes, 1003u);
    EXPECT_EQ(q->subfoldersBytes, 7u + 30u + 3u + 4000u + fiveGiB);

    FolderNode* d = childNamed(q, "Docs");
    EXPECT_EQ(childNames(d), (std::vector<std::string>{"..", "Empty", "Letters"}));
    EXPECT_EQ(d->filesBytes, 30u);
    EXPECT_EQ(d->subfoldersBytes, 4003u);
    FolderNode* l = childNamed(d, "Letters");
    EXPECT_EQ(l->filesBytes, 3u);
    EXPECT_EQ(l->subfoldersBytes, 4000u);
    EXPECT_EQ(total(childNamed(l, "Old")), 4000u);
    EXPECT_EQ(total(childNamed(d, "Empty")), 0u);
    EXPECT_EQ(childNames(childNamed(d, "Empty")), (std::vector<std::string>{".."}));
    EXPECT_EQ(childNamed(q, "Music")->filesBytes, fiveGiB);
    EXPECT_EQ(fs.currentPath(), "Q:\\");
}

TEST_F(ScanTest, EveryDotDotNodeStaysEmptyAndPointsAtItsFolder) {
    root->folder("A").folder("B").file("f", 7);
    FolderNode* q = drive();
    ASSERT_TRUE(openDrive(fs, fs, q));
    FolderNode* own = q->firstChild;
    EXPECT_EQ(own->name, dotDotText);  // the shared text, not a copy
    EXPECT_EQ(own->parent, q);
    FolderNode* a = childNamed(q, "A");
    FolderNode* listed = a->firstChild;
    EXPECT_NE(listed, own);
    EXPECT_EQ(listed->name, dotDotText);  // no copy per folder
    EXPECT_EQ(listed->parent, a);
    EXPECT_EQ(total(own) + total(listed), 0u);
    EXPECT_EQ(listed->firstChild, nullptr);
}

TEST_F(ScanTest, EmptyRootGivesOnlyTheDrivesOwnDotDot) {
    FolderNode* q = drive();
    ASSERT_TRUE(openDrive(fs, fs, q));
    EXPECT_EQ(childNames(q), (std::vector<std::string>{".."}));
    EXPECT_EQ(q->filesBytes, 0u);
    EXPECT_EQ(q->subfoldersBytes, 0u);
}

TEST_F(ScanTest, RootListingThatReportsDotDotGivesTwoDotDotChildren) {
    MemoryEntry dotDot;
    dotDot.name = "..";
    dotDot.isFolder = true;
    root->entries.push_back(dotDot);
    root->folder("A").file("f", 5);
    FolderNode* q = drive();
    ASSERT_TRUE(openDrive(fs, fs, q));
    EXPECT_EQ(childNames(q), (std::vector<std::string>{"..", "..", "A"}));
    EXPECT_EQ(q->subfoldersBytes, 5u);
    EXPECT_EQ(fs.currentPath(), "Q:\\");
}

TEST_F(ScanTest, FolderThatCannotBeEnteredKeepsZeroAndTheWalkGoesOn) {
    MemoryFolder& locked = root->folder("Locked");
    locked.file("secret", 500);
    locked.enterable = false;
    root->folder("Open").file("f", 11);
    MemoryFolder& parent = root->folder("Parent");
    MemoryFolder& inner = parent.folder("Inner");
    inner.file("hidden", 3);
    inner.enterable = false;
    parent.folder("Later").file("g", 22);

    FolderNode* q = drive();
    ASSERT_TRUE(openDrive(fs, fs, q));
    FolderNode* l = childNamed(q, "Locked");
    EXPECT_EQ(l->firstChild, nullptr);
    EXPECT_EQ(total(l), 0u);
    EXPECT_EQ(total(childNamed(q, "Open")), 11u);
    FolderNode* p = childNamed(q, "Parent");
    EXPECT_EQ(total(childNamed(p, "Inner")), 0u);
    EXPECT_EQ(total(childNamed(p, "Later")), 22u);
    EXPECT_EQ(q->subfoldersBytes, 33u);
}

TEST_F(ScanTest, ListingWithoutAnyFolderEntryIsLeftAtOnce) {
    MemoryFolder& bare = root->folder("Bare");
    bare.entries.erase(bare.entries.begin() + 1);  // lists "." but no ".."
    bare.file("f", 40);
    root->folder("Next").folder("Deeper").file("g", 2);
    FolderNode* q = drive();
    ASSERT_TRUE(openDrive(fs, fs, q));
    FolderNode* b = childNamed(q, "Bare");
    EXPECT_EQ(b->firstChild, nullptr);
    EXPECT_EQ(b->filesBytes, 40u);
    // The sibling after it is entered from the right folder.
    EXPECT_EQ(total(childNamed(childNamed(q, "Next"), "Deeper")), 2u);
    EXPECT_EQ(q->subfoldersBytes, 42u);
    EXPECT_EQ(fs.currentPath(), "Q:\\");
}

TEST_F(ScanTest, ListingThatCannotStartGivesNoChildrenAndNoBytes) {
    MemoryFolder& unlistable = root->folder("NoList");
    unlistable.file("f", 9);
    unlistable.folder("Sub").file("g", 9);
    unlistable.listable = false;
    root->folder("After").file("h", 1);
    FolderNode* q = drive();
    ASSERT_TRUE(openDrive(fs, fs, q));
    FolderNode* n = childNamed(q, "NoList");
    EXPECT_EQ(n->firstChild, nullptr);
    EXPECT_EQ(total(n), 0u);
    EXPECT_EQ(total(childNamed(q, "After")), 1u);
}

TEST_F(ScanTest, ListingThatStopsEarlyKeepsWhatWasRead) {
    MemoryFolder& cut = root->folder("Cut");
    cut.file("a", 1).folder("Kept").file("k", 100);
    cut.file("b", 2).folder("Lost").file("l", 1000);
    cut.listingStopsAfter = 5;  // ".", "..", "a", "Kept", "b"
    FolderNode* q = drive();
    ASSERT_TRUE(openDrive(fs, fs, q));
    FolderNode* c = childNamed(q, "Cut");
    EXPECT_EQ(childNames(c), (std::vector<std::string>{"..", "Kept"}));
    EXPECT_EQ(c->filesBytes, 3u);
    EXPECT_EQ(c->subfoldersBytes, 100u);
}

// A disk that cannot open anything more (only a walk by the current
// directory loses its place) ends the walk: what was read is kept and
// totalled, the user is told, and the drive is read anew next time.
TEST_F(ScanTest, DiskThatLosesItsPlaceEndsTheWalkAsIncomplete) {
    MemoryFolder& a = root->folder("A");
    a.file("f", 10);
    MemoryFolder& trap = a.folder("Trap");
    trap.file("t", 5);
    trap.closeLosesPlace = true;
    a.folder("NeverReached").file("n", 99);
    root->folder("AlsoNever").file("m", 99);
    FolderNode* q = drive();
    ASSERT_TRUE(openDrive(fs, fs, q));
    FolderNode* an = childNamed(q, "A");
    EXPECT_EQ(an->filesBytes, 10u);
    EXPECT_EQ(an->subfoldersBytes, 5u);
    FolderNode* never = childNamed(an, "NeverReached");
    EXPECT_EQ(never->firstChild, nullptr);
    EXPECT_EQ(total(never), 0u);
    EXPECT_EQ(childNamed(q, "AlsoNever")->firstChild, nullptr);
    EXPECT_EQ(q->subfoldersBytes, 15u);
    EXPECT_EQ(fs.incompleteNotices, 1);
    EXPECT_EQ(q->scanned, 0);
    EXPECT_EQ(fs.openFolders, 0);
}

// The walk holds its folders open: one renamed meanwhile is still counted
// under the name it was listed by, one removed counts as not entered, and
// the rest of the drive is read.
TEST_F(ScanTest, FoldersRenamedOrRemovedDuringTheWalkLeaveTheRestWhole) {
    root->folder("A").file("a", 1);
    MemoryFolder& b = root->folder("B");
    b.file("b", 2);
    b.folder("B1").file("c", 4);
    root->folder("C").file("d", 8);
    root->folder("D").file("e", 16);
    fs.whileReading = [this](const ScanProgress& progress) {
        if (progress.folder && std::string(progress.folder->name) == "A") {
            root->entry("B").name = "Renamed";
            root->entries.erase(root->entries.begin() + 2);  // C
        }
        return true;
    };
    FolderNode* q = drive();
    ASSERT_TRUE(openDrive(fs, fs, q));
    EXPECT_EQ(childNames(q), (std::vector<std::string>{"..", "A", "B", "C", "D"}));
    EXPECT_EQ(total(childNamed(q, "B")), 6u);
    EXPECT_EQ(childNamed(q, "C")->firstChild, nullptr);
    EXPECT_EQ(total(childNamed(q, "D")), 16u);
    EXPECT_EQ(total(q), 23u);
    EXPECT_EQ(q->scanned, 1);
    EXPECT_EQ(fs.incompleteNotices, 0);
}

// The user told of every folder read, with what was read so far; asked to
// stop, the walk leaves the drive as it was: unread and without a tree on
// the first opening, with its old tree and totals when read again.
TEST_F(ScanTest, ProgressIsToldAndAStopLeavesTheDriveAsItWas) {
    root->file("r", 100);
    root->folder("A").file("a", 10).file("b", 20);
    root->folder("B").folder("B1").file("c", 3);
    FolderNode* q = drive();
    std::vector<ScanProgress> told;
    fs.whileReading = [&](const ScanProgress& progress) {
        told.push_back(progress);
        return true;
    };
    ASSERT_TRUE(openDrive(fs, fs, q));
    ASSERT_EQ(told.size(), 4u);  // the root, A, B, B1
    EXPECT_EQ(told[1].folder, childNamed(q, "A"));
    EXPECT_EQ(told[3].folders, 4u);
    EXPECT_EQ(told[3].files, 4u);
    EXPECT_EQ(told[3].bytes, total(q));
    EXPECT_EQ(told[2].bytes, 130u);

    q->scanned = 0;
    root->folder("New").file("n", 1000);
    for (int stopAt = 0; stopAt < 5; ++stopAt) {
        FolderNode* oldTree = q->firstChild;
        int reports = 0;
        fs.whileReading = [&](const ScanProgress&) { return ++reports <= stopAt; };
        EXPECT_EQ(readDriveAgain(fs, fs, q), stopAt == 5) << stopAt;
        EXPECT_EQ(q->firstChild, oldTree) << stopAt;
        EXPECT_EQ(total(q), 133u) << stopAt;
        EXPECT_EQ(q->scanned, 0) << stopAt;
        EXPECT_EQ(fs.openFolders, 0) << stopAt;
    }
    fs.whileReading = nullptr;
    ASSERT_TRUE(readDriveAgain(fs, fs, q));
    EXPECT_EQ(total(q), 1133u);
    EXPECT_EQ(q->scanned, 1);
    EXPECT_EQ(fs.incompleteNotices, 0);

    // Stopped at its first opening, a drive has no tree.
    MemoryFolder& other = fs.addDrive('R', "Other");
    other.folder("X").file("x", 1);
    releaseChain(rootNode);
    rootNode = nullptr;
    FolderNode* r = drive()->next;
    fs.whileReading = [](const ScanProgress&) { return false; };
    EXPECT_FALSE(openDrive(fs, fs, r));
    EXPECT_EQ(r->firstChild, nullptr);
    EXPECT_EQ(total(r), 0u);
    EXPECT_EQ(r->scanned, 0);
}

// A drive walked because its file table needs an administrator says so in
// every report; another drive does not.
TEST_F(ScanTest, ProgressTellsWhenTheFileTableNeedsAnAdministrator) {
    root->folder("A").file("a", 10);
    fs.addDrive('R', "Other").folder("B");
    fs.drive('Q').tableNeedsAdministrator = true;
    std::vector<bool> told;
    fs.whileReading = [&](const ScanProgress& progress) {
        told.push_back(progress.tableNeedsAdministrator);
        return true;
    };
    ASSERT_TRUE(openDrive(fs, fs, drive()));
    ASSERT_TRUE(openDrive(fs, fs, drive()->next));
    EXPECT_EQ(told, (std::vector<bool>{true, true, false, false}));
}

TEST_F(ScanTest, FixedDriveOpenedTwiceTouchesNothing) {
    root->folder("A").file("f", 10);
    FolderNode* q = drive();
    ASSERT_TRUE(openDrive(fs, fs, q));
    EXPECT_EQ(q->scanned, 1);
    FolderNode* firstTree = q->firstChild;
    int callsBefore = fs.diskCalls;
    ASSERT_TRUE(openDrive(fs, fs, q));
    EXPECT_EQ(fs.diskCalls, callsBefore + 0);
    EXPECT_EQ(q->firstChild, firstTree);
    EXPECT_EQ(q->subfoldersBytes, 10u);
}

TEST_F(ScanTest, RemovableDriveIsRebuiltWithTheSameTotalsEveryTime) {
    MemoryFolder& floppy = fs.addDrive('A', "Floppy", driveTypeRemovable);
    floppy.file("readme", 70);
    floppy.folder("Dir").file("data", 1400);
    FolderNode* a = drive();
    ASSERT_STREQ(a->name, "A:  ");
    for (int opening = 0; opening < 3; ++opening) {
        ASSERT_TRUE(openDrive(fs, fs, a));
        EXPECT_EQ(a->scanned, 0);
        EXPECT_EQ(childNames(a), (std::vector<std::string>{"..", "Dir"}));
        EXPECT_EQ(a->filesBytes, 70u);
        EXPECT_EQ(a->subfoldersBytes, 1400u);
    }
}

TEST_F(ScanTest, NodeThatIsNotADriveIsLeftAlone) {
    FolderNode* q = drive();
    EXPECT_TRUE(openDrive(fs, fs, rootNode));
    EXPECT_EQ(fs.diskCalls, 0);
    EXPECT_EQ(q->firstChild, nullptr);
}

TEST_F(ScanTest, MissingDriveAsksUntilCancelAndLeavesTheDriveAsItWas) {
    root->file("f", 1);
    FolderNode* q = drive();
    fs.drive('Q').present = false;
    fs.promptAnswers = {true, true, false};  // Retry, Retry, Cancel
    EXPECT_FALSE(openDrive(fs, fs, q));
    EXPECT_EQ(fs.promptsShown, 3);
    EXPECT_EQ(q->firstChild, nullptr);
    EXPECT_EQ(q->scanned, 0);
    EXPECT_EQ(fs.currentPath(), "");
    // The next activation asks again.
    EXPECT_FALSE(openDrive(fs, fs, q));
    EXPECT_EQ(fs.promptsShown, 4);
}

TEST_F(ScanTest, RetryAfterTheDriveCameBackScans) {
    root->file("f", 123);
    FolderNode* q = drive();
    fs.drive('Q').present = false;
    fs.promptAnswers = {true, true};
    // The user puts the medium back while the second prompt is up.
    fs.whilePromptShown = [this] {
        if (fs.promptsShown == 2) fs.drive('Q').present = true;
    };
    EXPECT_TRUE(openDrive(fs, fs, q));
    EXPECT_EQ(fs.promptsShown, 2);
    EXPECT_EQ(q->filesBytes, 123u);
    EXPECT_EQ(fs.currentPath(), "Q:\\");
}

TEST_F(ScanTest, LinkBackToAnAncestorIsNotEntered) {
    MemoryFolder& a = root->folder("A");
    a.file("f", 10);
    MemoryFolder& b = a.folder("B");
    b.file("g", 20);
    b.link("toA", a).link("toRoot", *root).link("toSelf", b);
    b.link("toA2", a);  // two links in one loop
    FolderNode* q = drive();
    ASSERT_TRUE(openDrive(fs, fs, q));
    FolderNode* bn = childNamed(childNamed(q, "A"), "B");
    for (const char* link : {"toA", "toRoot", "toSelf", "toA2"}) {
        FolderNode* l = childNamed(bn, link);
        ASSERT_NE(l, nullptr) << link;
        EXPECT_EQ(l->firstChild, nullptr) << link;
        EXPECT_EQ(total(l), 0u) << link;
    }
    EXPECT_EQ(q->subfoldersBytes, 30u);
    EXPECT_EQ(fs.currentPath(), "Q:\\");
}

TEST_F(ScanTest, LinkToAFolderOffThePathIsFollowed) {
    MemoryFolder& shared = root->folder("Shared");
    shared.file("s", 7);
    root->folder("User").link("shortcut", shared);
    FolderNode* q = drive();
    ASSERT_TRUE(openDrive(fs, fs, q));
    FolderNode* link = childNamed(childNamed(q, "User"), "shortcut");
    EXPECT_EQ(link->filesBytes, 7u);
    EXPECT_EQ(q->subfoldersBytes, 14u);
}

// A link may lead to another volume, where a folder may have the index of
// one on the link's path: no loop, so it is followed. Below it, a folder
// lies on that volume too: a link back to it is a loop there.
TEST_F(ScanTest, ALinkToAnotherVolumeIsToldByItsVolume) {
    MemoryFolder& a = root->folder("A");
    MemoryFolder& away = fs.newFolder();
    away.volume = 99;
    away.index = static_cast<uint64_t>(a.id);
    away.file("o", 5);
    MemoryFolder& sub = away.folder("sub");
    sub.volume = 99;
    sub.file("p", 3);
    sub.link("self", sub);
    a.link("away", away);
    FolderNode* q = drive();
    ASSERT_TRUE(openDrive(fs, fs, q));
    FolderNode* link = childNamed(childNamed(q, "A"), "away");
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->filesBytes, 5u);
    EXPECT_EQ(link->subfoldersBytes, 3u);
    EXPECT_EQ(q->subfoldersBytes, 8u);
}

// Running out of memory stops the walk; whatever was read is kept and
// totalled, nothing crashes, the user is told, and the drive (fixed here)
// stays unscanned so that the next opening reads it again.
TEST_F(ScanTest, ExhaustedHeapStopsTheWalkWithTheTotalsOfWhatWasRead) {
    root->file("top", 1);
    MemoryFolder& a = root->folder("A");
    a.file("f", 10);
    a.folder("A1").file("g", 100);
    root->folder("B").file("h", 1000);
    for (long allowed = 0; allowed < 12; ++allowed) {
        FolderNode* q = drive();
        q->scanned = 0;
        int noticesBefore = fs.incompleteNotices;
        failTreeAllocationsAfter(allowed);
        ASSERT_TRUE(openDrive(fs, fs, q));
        failTreeAllocationsAfter(-1);
        uint64_t sum = 0;
        for (FolderNode* c = q->firstChild; c; c = c->next) sum += total(c);
        EXPECT_EQ(q->subfoldersBytes, sum) << allowed;
        EXPECT_LE(total(q), 1111u) << allowed;
        bool told = fs.incompleteNotices == noticesBefore + 1;
        EXPECT_EQ(fs.incompleteNotices - noticesBefore, told ? 1 : 0) << allowed;
        EXPECT_EQ(q->scanned, told ? 0 : 1) << allowed;
        if (total(q) < 1111u) {
            EXPECT_TRUE(told) << allowed;
        }
        if (allowed == 0) {
            EXPECT_TRUE(told);
        }
    }
    // Unscanned after a short walk: opened again, it is read in full.
    FolderNode* q = drive();
    q->scanned = 0;
    failTreeAllocationsAfter(3);
    ASSERT_TRUE(openDrive(fs, fs, q));
    failTreeAllocationsAfter(-1);
    EXPECT_EQ(q->scanned, 0);
    int notices = fs.incompleteNotices;
    ASSERT_TRUE(openDrive(fs, fs, q));
    EXPECT_EQ(total(q), 1111u);
    EXPECT_EQ(q->scanned, 1);
    EXPECT_EQ(fs.incompleteNotices, notices);
}

// The nodes of a drive's tree are carved side by side from its arena, with
// no heap block (and no heap header) for each.
TEST_F(ScanTest, NodesOfADriveStandSideBySide) {
    root->folder("A");
    root->folder("Bee");
    root->folder("Cedar");
    FolderNode* q = drive();
    ASSERT_TRUE(openDrive(fs, fs, q));
    FolderNode* a = childNamed(q, "A");
    FolderNode* b = childNamed(q, "Bee");
    FolderNode* c = childNamed(q, "Cedar");
    EXPECT_EQ(b, a + 1);
    EXPECT_EQ(c, b + 1);
    EXPECT_EQ(q->firstChild, a - 1);  // the drive's own ".." node, made before the listing
    EXPECT_STREQ(b->name, "Bee");
    EXPECT_EQ(b->name + 4, a->name);  // names from the other end of the same block
}

// A removable drive read again gives its whole arena back: opened 100 more
// times, with a ".." node added below it after each scan (as the list adds
// one for a folder whose listing had none), the heap ends where it was.
TEST_F(ScanTest, RemovableDriveReopenedAHundredTimesDoesNotGrowTheHeap) {
    fs.drive('Q').type = driveTypeRemovable;
    for (int i = 0; i < 40; ++i) {
        MemoryFolder& folder = root->folder("folder-" + std::to_string(i));
        folder.file("f", 1);
        MemoryFolder& deeper = folder.folder("inner").folder("deeper");
        deeper.entries.erase(deeper.entries.begin() + 1);  // lists no "..": the list adds one
        deeper.file("g", 2);
    }
    FolderNode* q = drive();
    auto openAndAddUpNode = [&] {
        ASSERT_TRUE(openDrive(fs, fs, q));
        ASSERT_EQ(q->scanned, 0);
        ASSERT_EQ(total(q), 120u);
        FolderNode* deeper = q->firstChild->next->firstChild->next->firstChild->next;
        ASSERT_STREQ(deeper->name, "deeper");
        FolderNode* up = ensureUpNode(deeper);
        ASSERT_NE(up, nullptr);
    };
    openAndAddUpNode();
    size_t heapAfterFirst = heapInUse();
    for (int opening = 0; opening < 100; ++opening) openAndAddUpNode();
    EXPECT_EQ(heapInUse(), heapAfterFirst);
}

TEST(RollUpTotals, SumsAHandBuiltTreePostOrder) {
    FolderNode* drive = newFolderNode();
    drive->isDrive = 1;
    drive->filesBytes = 1;
    FolderNode* a = newNamedNode(nullptr, "a");
    FolderNode* b = newNamedNode(nullptr, "b");
    FolderNode* a1 = newNamedNode(nullptr, "a1");
    FolderNode* a2 = newNamedNode(nullptr, "a2");
    drive->firstChild = a;
    a->next = b;
    a->parent = b->parent = drive;
    a->firstChild = a1;
    a1->next = a2;
    a1->parent = a2->parent = a;
    a->filesBytes = 10;
    a1->filesBytes = 100;
    a2->filesBytes = 1000;
    b->filesBytes = 10000;
    rollUpTotals(drive);
    EXPECT_EQ(a->subfoldersBytes, 1100u);
    EXPECT_EQ(drive->subfoldersBytes, 11110u);
    EXPECT_EQ(drive->filesBytes, 1u);
    EXPECT_EQ(b->subfoldersBytes, 0u);
    releaseChain(drive);
}

}  // namespace
