// A 32-bit program in a 64-bit prefix, as on 64-bit Windows: drive C: read
// as it is on disk (System32 the 64-bit one, not SysWOW64 in its place), and
// the thread's view redirected again however the reading ended. Its
// expectation, C:\fixtures\C.manifest, is a count made on Linux (tests/win/run):
// every walk inside the prefix is redirected alike.

#include "support/fixture_drives.h"

#include "../support/reference_walk.h"

#include "tree/drive_prompt.h"
#include "tree/folder_node.h"
#include "tree/scan.h"
#include "win32/win32_file_system.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

bool runsUnderWow64() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// The bytes of the files a listing of `folder` shows this thread now.
uint64_t filesBytesListedIn(const char* folder) {
    WIN32_FIND_DATAA found;
    HANDLE listing = FindFirstFileA((std::string(folder) + "\\*").c_str(), &found);
    uint64_t bytes = 0;
    if (listing == INVALID_HANDLE_VALUE) return bytes;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            bytes += (uint64_t{found.nFileSizeHigh} << 32) + found.nFileSizeLow;
    } while (FindNextFileA(listing, &found));
    FindClose(listing);
    return bytes;
}

// Answers as the user would: gives up a missing drive, or stops the
// reading at its first report (Esc).
struct EndingPrompt : DrivePrompt {
    bool stop = false;
    bool askRetryMissingDrive() override { return false; }
    void tellScanIncomplete() override {}
    bool keepReading(const ScanProgress&) override { return !stop; }
};

class Wow64 : public ::testing::Test {
protected:
    void SetUp() override {
        if (!runsUnderWow64()) GTEST_SKIP() << "a 32-bit prefix: no redirection";
        expected = readManifest('C');
        ASSERT_GT(expected.size(), 100u) << "no count of drive_c in C:\\fixtures\\C.manifest";
    }

    // System32 as a listing shows it to this thread now is SysWOW64's (by
    // its files' bytes), as the system shows it to a 32-bit program.
    void expectSystem32Redirected(const char* after) {
        EXPECT_EQ(filesBytesListedIn("C:\\windows\\system32"), expected["windows/syswow64"].filesBytes) << after;
    }

    std::map<std::string, ExpectedTotals> expected;
};

TEST_F(Wow64, DriveCReadsAsItIsOnDiskWithTheSixtyFourBitSystem32) {
    FolderNode* drive = newTestDrive('C');
    EndingPrompt prompt;
    ASSERT_TRUE(openDrive(win32FileSystem(), prompt, drive));
    auto found = totalsOf(drive);
    const ExpectedTotals& system32 = expected["windows/system32"];
    ASSERT_NE(system32.filesBytes, expected["windows/syswow64"].filesBytes);
    EXPECT_EQ(found["windows/system32"].filesBytes, system32.filesBytes);
    EXPECT_EQ(found["windows/system32"].subfoldersBytes, system32.subfoldersBytes);
    EXPECT_EQ(firstTotalsDifference(found, expected), "");
    expectSystem32Redirected("after a reading to its end");
    releaseDriveNode(drive);
}

// Stopped (Esc, or the window closed) and given up at "Drive not found".
TEST_F(Wow64, AReadingThatEndsEarlyRedirectsTheThreadAgain) {
    EndingPrompt stopping;
    stopping.stop = true;
    FolderNode* c = newTestDrive('C');
    EXPECT_FALSE(openDrive(win32FileSystem(), stopping, c));
    expectSystem32Redirected("after a reading stopped");
    EndingPrompt givingUp;
    FolderNode* missing = newTestDrive('M');
    EXPECT_FALSE(openDrive(win32FileSystem(), givingUp, missing));
    expectSystem32Redirected("after a missing drive given up");
    releaseDriveNode(c);
    releaseDriveNode(missing);
}

}  // namespace
