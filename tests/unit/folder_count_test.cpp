// The count of a folder already on disk (the reference for volumes that other
// programs write) against the generator's own records of what it wrote.

#include "../support/fixture_trees.h"
#include "../support/folder_count.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

class FolderCount : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/quorvel-count-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        base = pattern;
    }
    void TearDown() override { EXPECT_TRUE(removeTree(base)); }

    void expectSameAsMade(const std::string& dir, const FixtureManifest& made) {
        FixtureManifest counted;
        ASSERT_TRUE(countFolder(dir, counted));
        ASSERT_EQ(counted.size(), made.size());
        for (size_t i = 0; i < made.size(); ++i) {
            EXPECT_EQ(counted[i].path, made[i].path);
            EXPECT_EQ(counted[i].filesBytes, made[i].filesBytes) << made[i].path;
            EXPECT_EQ(counted[i].subfoldersBytes, made[i].subfoldersBytes) << made[i].path;
        }
    }

    std::string base;
};

// Links back up (listed, not entered), a link to a sibling's subfolder
// (entered), a link to a file (its size) and a dangling link (nothing).
TEST_F(FolderCount, FollowsFolderLinksAsTheWalkDoes) {
    FixtureManifest made;
    ASSERT_TRUE(makeLoopTree(base + "/l", made));
    expectSameAsMade(base + "/l", made);
}

TEST_F(FolderCount, GeneratedTreeCountsAsItWasMade) {
    FixtureManifest made;
    ASSERT_TRUE(makeRandomTree(base + "/q", 3, 60, 300, made));
    expectSameAsMade(base + "/q", made);
}

// A name with a tab would make a manifest line that reads back wrong.
TEST_F(FolderCount, RefusesNamesTheManifestCannotHold) {
    ASSERT_EQ(mkdir((base + "/t").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((base + "/t/a\tb").c_str(), 0755), 0);
    FixtureManifest counted;
    EXPECT_FALSE(countFolder(base + "/t", counted));
}

}  // namespace
