// The product's walk saves steps; the reference walk takes every one. Both
// must read the same tree and end in the same folder: over random in-memory
// disks with failures everywhere, and over real folders.

#include "../support/fixture_trees.h"
#include "../support/reference_walk.h"
#include "posix/posix_file_system.h"
#include "support/random_disk.h"
#include "support/scripted_prompt.h"
#include "tree/folder_node.h"
#include "tree/scan.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <random>
#include <string>

namespace {

TEST(WalkIdentity, RandomDisksWithFailuresReadAsTheReferenceReadsThem) {
    int withFailedHeap = 0;
    for (unsigned seed = 1; seed <= 1500; ++seed) {
        std::mt19937 generator(seed);
        PickBelow pick = [&generator](unsigned bound) { return static_cast<unsigned>(generator() % bound); };
        MemoryFileSystem fs;
        buildRandomDisk(fs, 'R', 2 + pick(80), pick);
        long allocations = seed % 4 == 0 ? static_cast<long>(pick(120)) : -1;
        withFailedHeap += allocations >= 0;
        ASSERT_EQ(walkDifference(fs, 'R', allocations), "") << "seed " << seed;
    }
    EXPECT_EQ(withFailedHeap, 375);
}

// Folders are listed from outside, which also tells that they could be
// entered, by ways of up to three names down; a folder is made current only
// where its subfolders could not be listed so. Steps up wait and fold into
// the next step (down, or up at the end).
TEST(WalkIdentity, FewerCallsThanTheReferenceWalkForTheSameTree) {
    MemoryFileSystem fs;
    MemoryFolder& root = fs.addDrive('Q', "Data");
    root.folder("a").file("x", 1);
    root.folder("c").folder("d");
    root.folder("f").folder("g").folder("h").folder("i").file("y", 2);
    FolderNode* walked = newFolderNode();
    FolderNode* reference = newFolderNode();
    for (FolderNode* drive : {walked, reference}) {
        drive->isDrive = 1;
        drive->rootPath = "Q:\\";
    }
    ScriptedPrompt prompt;
    ASSERT_TRUE(openDrive(fs, prompt, walked));
    // Q:\ and its listing; a, c, c\d, f, f\g and f\g\h listed from the
    // root; "f\g\h" made current to list i; "..\..\.." back to the root.
    EXPECT_EQ(fs.diskCalls, 11);
    EXPECT_EQ(fs.foldedSteps, 2);
    EXPECT_EQ(fs.listingsFromOutside, 7);
    EXPECT_EQ(fs.currentPath(), "Q:\\");
    fs.diskCalls = 0;
    ASSERT_TRUE(referenceReadDrive(fs, reference));
    EXPECT_EQ(fs.diskCalls, 23);
    EXPECT_EQ(firstTreeDifference(walked, reference), "");
    EXPECT_EQ(walked->subfoldersBytes, 3u);
    for (FolderNode* drive : {walked, reference}) {
        drive->rootPath = nullptr;
        releaseChain(drive);
    }
}

// Real folders through PosixFileSystem, in a fresh folder under /tmp.
class PosixWalkIdentity : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/quorvel-identity-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        base = pattern;
        char cwd[PATH_MAX];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        start = cwd;
    }
    void TearDown() override {
        ASSERT_EQ(chdir(start.c_str()), 0);
        chmod((base + "/t/locked").c_str(), 0755);
        EXPECT_TRUE(removeTree(base));
    }

    static std::string currentDirectory() {
        char cwd[PATH_MAX];
        return getcwd(cwd, sizeof cwd) ? cwd : "";
    }

    void expectSameReading(const std::string& dir) {
        PosixFileSystem fs('T', dir.c_str());
        ScriptedPrompt prompt;
        FolderNode* walked = driveNode();
        FolderNode* reference = driveNode();
        ASSERT_TRUE(openDrive(fs, prompt, walked));
        std::string walkedEnd = currentDirectory();
        ASSERT_TRUE(referenceReadDrive(fs, reference));
        EXPECT_EQ(firstTreeDifference(walked, reference), "");
        EXPECT_EQ(walkedEnd, currentDirectory());
        EXPECT_EQ(walkedEnd, dir);
        EXPECT_GT(walked->subfoldersBytes + walked->filesBytes, 0u);
        releaseDrive(walked);
        releaseDrive(reference);
    }

    static FolderNode* driveNode() {
        FolderNode* drive = newFolderNode();
        drive->isDrive = 1;
        drive->rootPath = "T:\\";
        return drive;
    }
    static void releaseDrive(FolderNode* drive) {
        drive->rootPath = nullptr;
        releaseChain(drive);
    }

    std::string base;
    std::string start;
};

TEST_F(PosixWalkIdentity, GeneratedTree) {
    FixtureManifest manifest;
    ASSERT_TRUE(makeRandomTree(base + "/t", 5, 300, 2000, manifest));
    expectSameReading(base + "/t");
}

TEST_F(PosixWalkIdentity, LinkLoops) {
    FixtureManifest manifest;
    ASSERT_TRUE(makeLoopTree(base + "/t", manifest));
    expectSameReading(base + "/t");
}

// Names other systems write, a folder nobody may read (any user but root),
// and a chain of 300 levels.
TEST_F(PosixWalkIdentity, OddNamesLockedFolderAndDeepChain) {
    std::string t = base + "/t";
    ASSERT_EQ(mkdir(t.c_str(), 0755), 0);
    for (const char* name : {"nul", "a.", "x\\y", "tab\tname", "locked", "chain", "z "}) {
        std::string dir = t + "/" + name;
        ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
        int file = open((dir + "/f").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_EQ(write(file, "12345", 5), 5);
        close(file);
        ASSERT_EQ(mkdir((dir + "/inner").c_str(), 0755), 0);
    }
    int fd = open((t + "/chain").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 0; level < 300 && fd >= 0; ++level) {
        ASSERT_EQ(mkdirat(fd, "c", 0755), 0);
        int next = openat(fd, "c", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        close(fd);
        fd = next;
    }
    ASSERT_GE(fd, 0);
    close(fd);
    ASSERT_EQ(chmod((t + "/locked").c_str(), 0), 0);
    expectSameReading(t);
}

}  // namespace
