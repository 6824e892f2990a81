// The product's walk and the reference walk, the plainest one there is,
// must read the same tree and close every folder they open: over random
// in-memory disks with failures everywhere, stopped anywhere by the user,
// and over real folders.

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
        int stopAfter = seed % 3 == 0 ? static_cast<int>(pick(30)) : -1;
        withFailedHeap += allocations >= 0;
        ASSERT_EQ(walkDifference(fs, 'R', allocations, stopAfter), "") << "seed " << seed;
    }
    EXPECT_EQ(withFailedHeap, 375);
}

// One open, one listing and one close for every folder, as the reference
// walk makes them: the walk keeps nothing open behind it.
TEST(WalkIdentity, AsManyCallsAsTheReferenceWalkForTheSameTree) {
    MemoryFileSystem fs;
    MemoryFolder& root = fs.addDrive('Q', "Data");
    root.folder("a").file("x", 1);
    root.folder("c").folder("d");
    root.folder("f").folder("g").folder("h").folder("i").file("y", 2);
    FolderNode* walked = newTestDrive('Q');
    FolderNode* reference = newTestDrive('Q');
    ASSERT_TRUE(openDrive(fs, fs, walked));
    // 8 folders, the root among them: an open and a close each, and a read
    // for every entry and one more at the end (d lists only "." and "..").
    EXPECT_EQ(fs.diskCalls, 8 + 8 + 7 * 4 + 3);
    EXPECT_EQ(fs.openFolders, 0);
    int walkedCalls = fs.diskCalls;
    fs.diskCalls = 0;
    ASSERT_TRUE(referenceReadDrive(fs, reference));
    EXPECT_EQ(fs.diskCalls, walkedCalls);
    EXPECT_EQ(firstTreeDifference(walked, reference), "");
    EXPECT_EQ(walked->subfoldersBytes, 3u);
    releaseChain(walked);
    releaseChain(reference);
}

// Real folders through PosixFileSystem, in a fresh folder under /tmp.
class PosixWalkIdentity : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/quorvel-identity-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        base = pattern;
    }
    void TearDown() override {
        chmod((base + "/t/locked").c_str(), 0755);
        EXPECT_TRUE(removeTree(base));
    }

    void expectSameReading(const std::string& dir) {
        PosixFileSystem fs('T', dir.c_str());
        ScriptedPrompt prompt;
        FolderNode* walked = newTestDrive('T');
        FolderNode* reference = newTestDrive('T');
        ASSERT_TRUE(openDrive(fs, prompt, walked));
        ASSERT_TRUE(referenceReadDrive(fs, reference));
        EXPECT_EQ(firstTreeDifference(walked, reference), "");
        EXPECT_GT(walked->subfoldersBytes + walked->filesBytes, 0u);
        releaseChain(walked);
        releaseChain(reference);
    }

    std::string base;
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
