// Drives read from their NTFS file table through \\.\X:, under Wine: P:
// and G: show ntfs-3g mounts of real volumes, their raw devices the images
// (see tests/win/run). The tree must be the walk's over the same mount,
// every total the count on Linux, and every read of the volume one that
// Windows takes (whole sectors, into the buffer at such a place).

#include "support/fixture_drives.h"

#include "../support/reference_walk.h"

#include "tree/drive_prompt.h"
#include "tree/folder_node.h"
#include "tree/scan.h"
#include "win32/raw_volume.h"
#include "win32/win32_file_system.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

struct TablePrompt final : DrivePrompt {
    bool fromTable = false;  // as the last report said
    bool askRetryMissingDrive() override { return false; }
    void tellScanIncomplete() override { ADD_FAILURE() << "told incomplete"; }
    bool keepReading(const ScanProgress& progress) override {
        fromTable = progress.fromFileTable;
        return true;
    }
};

struct ReadDrive {
    FolderNode* drive;
    TablePrompt prompt;
    ReadDrive(char letter, bool table) : drive(newTestDrive(letter)) {
        readFileTables(table);
        EXPECT_TRUE(openDrive(win32FileSystem(), prompt, drive)) << letter;
        readFileTables(true);
    }
    ~ReadDrive() {
        SetCurrentDirectoryA("C:\\");
        releaseDriveNode(drive);
    }
};

TEST(WinTable, NtfsDrivesReadAsTheWalkReadsThemAndAsCountedOnLinux) {
    for (char letter : {'P', 'G'}) {
        uint32_t refusedBefore = refusedVolumeReads();
        ReadDrive table(letter, true);
        ReadDrive walk(letter, false);
        EXPECT_TRUE(table.prompt.fromTable) << letter;
        EXPECT_FALSE(walk.prompt.fromTable) << letter;
        EXPECT_EQ(refusedVolumeReads(), refusedBefore) << letter << ": a read Windows would refuse";
        EXPECT_EQ(firstTreeDifference(table.drive, walk.drive, true), "") << letter;
        auto expected = readManifest(letter);
        ASSERT_GT(expected.size(), 1u) << letter;
        EXPECT_EQ(firstTotalsDifference(totalsOf(table.drive), expected), "") << letter;
    }
}

// A drive whose device Wine cannot read (its folder is no volume) is walked.
TEST(WinTable, ADriveWithoutAReadableVolumeIsWalked) {
    ReadDrive q('Q', true);
    EXPECT_FALSE(q.prompt.fromTable);
    EXPECT_GT(q.drive->filesBytes + q.drive->subfoldersBytes, 0u);
}

}  // namespace
