#include "tree/folder_node.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

FolderNode* child(FolderNode* parent, const char* name) {
    FolderNode* node = newNamedNode(nullptr, name);
    node->parent = parent;
    node->next = parent->firstChild;
    parent->firstChild = node;
    return node;
}

TEST(FolderNode, NewNodeHasTheDefaults) {
    FolderNode* node = newFolderNode();
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->name, emptyText);
    EXPECT_STREQ(node->name, "");
    EXPECT_EQ(node->parent, nullptr);
    EXPECT_EQ(node->next, nullptr);
    EXPECT_EQ(node->firstChild, nullptr);
    EXPECT_EQ(node->rootPath, nullptr);
    EXPECT_EQ(node->isDrive, 0);
    EXPECT_EQ(node->scanned, 0);
    EXPECT_EQ(node->filesBytes, 0u);
    EXPECT_EQ(node->subfoldersBytes, 0u);
    releaseChain(node);
}

TEST(FolderNode, NamedNodeKeepsItsOwnCopy) {
    char name[] = "Photos";
    FolderNode* plain = newNamedNode(nullptr, name);
    name[0] = 'X';
    EXPECT_STREQ(plain->name, "Photos");
    releaseChain(plain);
}

TEST(FolderNode, CopyTextIsAPrivateCopy) {
    const char* original = "Q:  Backup";
    char* copy = copyText(original);
    ASSERT_NE(copy, original);
    EXPECT_STREQ(copy, original);
    free(copy);
}

TEST(FolderNode, DotDotIsRecognisedByName) {
    FolderNode* listed = newNamedNode(nullptr, "..");
    FolderNode* own = newFolderNode();
    own->name = dotDotText;
    FolderNode* folder = newNamedNode(nullptr, "...");
    EXPECT_TRUE(isDotDot(listed));
    EXPECT_TRUE(isDotDot(own));
    EXPECT_FALSE(isDotDot(folder));
    releaseChain(listed);
    releaseChain(own);
    releaseChain(folder);
}

// Releasing must not recurse per sibling or per level: a folder with
// 200,000 subfolders and a chain 200,000 levels deep both go without
// exhausting the stack (ASan reports every node and text left behind).
TEST(FolderNode, DriveOfANodeIsTheDriveItLiesOn) {
    FolderNode* root = newFolderNode();
    FolderNode* drive = child(root, "");
    drive->isDrive = 1;
    FolderNode* deep = child(child(drive, "a"), "b");
    EXPECT_EQ(driveOf(deep), drive);
    EXPECT_EQ(driveOf(drive), drive);
    EXPECT_EQ(driveOf(root), nullptr);
    EXPECT_EQ(driveOf(nullptr), nullptr);
    releaseChain(root);
}

TEST(ReleaseChain, ReleasesLongChainsAndDeepTreesWithoutRecursion) {
    FolderNode* drive = newFolderNode();
    drive->isDrive = 1;
    drive->name = copyText("Q:  ");
    drive->rootPath = copyText("Q:\\");
    FolderNode* wide = child(drive, "wide");
    for (int i = 0; i < 200000; ++i) child(wide, "sub");
    FolderNode* deep = child(drive, "deep");
    for (int i = 0; i < 200000; ++i) deep = child(deep, "level");
    FolderNode* own = newFolderNode();
    own->name = dotDotText;
    own->parent = drive;
    own->next = drive->firstChild;
    drive->firstChild = own;

    releaseChain(drive->firstChild);
    drive->firstChild = nullptr;
    EXPECT_STREQ(dotDotText, "..");
    EXPECT_STREQ(emptyText, "");
    releaseChain(drive);
}

TEST(ReleaseChain, ReleasesOnlyFromTheGivenNodeOn) {
    FolderNode* parent = newFolderNode();
    FolderNode* last = child(parent, "c");
    FolderNode* middle = child(parent, "b");
    FolderNode* first = child(parent, "a");
    child(middle, "inner");
    first->next = nullptr;  // cut after "a": release "b" and "c" with their subtrees
    releaseChain(middle);
    (void)last;
    EXPECT_STREQ(parent->firstChild->name, "a");
    EXPECT_EQ(parent->firstChild->next, nullptr);
    releaseChain(parent);
}

TEST(EnsureUpNode, KeepsTheListedDotDotWhereItIs) {
    FolderNode* folder = newNamedNode(nullptr, "share");
    child(folder, "b");
    FolderNode* listed = child(folder, "..");
    child(folder, "a");
    EXPECT_EQ(listed, ensureUpNode(folder));
    int count = 0;
    for (FolderNode* node = folder->firstChild; node; node = node->next) ++count;
    EXPECT_EQ(3, count);
    releaseChain(folder);
}

TEST(EnsureUpNode, AddsOneInFrontWhenThereIsNone) {
    FolderNode* folder = newNamedNode(nullptr, "locked");
    FolderNode* inner = child(folder, "inner");
    FolderNode* up = ensureUpNode(folder);
    ASSERT_NE(nullptr, up);
    EXPECT_EQ(dotDotText, up->name);
    EXPECT_EQ(folder, up->parent);
    EXPECT_EQ(up, folder->firstChild);
    EXPECT_EQ(inner, up->next);
    EXPECT_EQ(0u, up->filesBytes + up->subfoldersBytes);
    EXPECT_EQ(up, ensureUpNode(folder));  // and only one
    EXPECT_EQ(inner, up->next);
    releaseChain(folder);
}

TEST(EnsureUpNode, NoMemoryLeavesTheChildrenAsTheyWere) {
    FolderNode* folder = newNamedNode(nullptr, "locked");
    FolderNode* inner = child(folder, "inner");
    failTreeAllocationsAfter(0);
    EXPECT_EQ(nullptr, ensureUpNode(folder));
    failTreeAllocationsAfter(-1);
    EXPECT_EQ(inner, folder->firstChild);
    EXPECT_EQ(nullptr, inner->next);
    releaseChain(folder);
}

TEST(TreeAllocation, FailureIsReportedAsNull) {
    failTreeAllocationsAfter(1);
    FolderNode* first = newFolderNode();
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(newNamedNode(nullptr, "x"), nullptr);
    EXPECT_EQ(copyText("x"), nullptr);
    failTreeAllocationsAfter(-1);
    releaseChain(first);
}

}  // namespace
