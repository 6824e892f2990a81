#include "tree/drives.h"
#include "tree/folder_node.h"

#include "support/memory_file_system.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> driveNames() {
    std::vector<std::string> names;
    for (FolderNode* d = rootNode->firstChild; d; d = d->next) names.push_back(d->name);
    return names;
}

TEST(EnumerateDrives, LettersInOrderWithGapsAndLabelsBehindTwoBlanks) {
    MemoryFileSystem fs;
    fs.addDrive('Q', "Fixtures");
    fs.addDrive('C', "System");
    fs.addDrive('E', "");
    fs.addDrive('Z', "Last one");
    enumerateDrives(fs);
    EXPECT_EQ(driveNames(), (std::vector<std::string>{"C:  System", "E:  ", "Q:  Fixtures", "Z:  Last one"}));
    for (FolderNode* d = rootNode->firstChild; d; d = d->next) {
        EXPECT_EQ(d->parent, rootNode);
        EXPECT_EQ(d->isDrive, 1);
        EXPECT_EQ(d->scanned, 0);
        EXPECT_EQ(d->firstChild, nullptr);
        EXPECT_EQ(std::string(d->rootPath), std::string(1, d->name[0]) + ":\\");
    }
    EXPECT_EQ(std::string(rootNode->firstChild->name).size(), std::string("System").size() + 4);
    releaseChain(rootNode);
}

TEST(EnumerateDrives, RemovableDriveIsLabelledWithoutTouchingItsMedium) {
    MemoryFileSystem fs;
    fs.addDrive('A', "Floppy", driveTypeRemovable);
    fs.addDrive('C', "System");
    enumerateDrives(fs);
    EXPECT_EQ(driveNames(), (std::vector<std::string>{"A:  ", "C:  System"}));
    EXPECT_EQ(fs.labelReadFor, (std::vector<std::string>{"C:\\"}));
    releaseChain(rootNode);
}

TEST(EnumerateDrives, UnreadableVolumeGivesTheLetterAlone) {
    MemoryFileSystem fs;
    fs.addDrive('D', "Disc", 5);
    fs.drive('D').present = false;
    enumerateDrives(fs);
    EXPECT_EQ(driveNames(), (std::vector<std::string>{"D:  "}));
    releaseChain(rootNode);
}

TEST(EnumerateDrives, NoDrivesLeavesTheRootWithoutChildren) {
    MemoryFileSystem fs;
    enumerateDrives(fs);
    ASSERT_NE(rootNode, nullptr);
    EXPECT_EQ(rootNode->firstChild, nullptr);
    releaseChain(rootNode);
}

}  // namespace
