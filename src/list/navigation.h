// Moving the list down into a drive or folder and back up through " ..".
#pragma once

class DrivePrompt;
class FileSystem;

// Opens the marked row: scans a drive from `fs` when needed (asking and
// telling through `prompt`), lists the node's children (or, for " ..", the
// listing one level up) and selects the right row.
void openSelectedRow(FileSystem& fs, DrivePrompt& prompt);

// F5: reads the drive of the listed folder anew (in the drive list, the
// selected drive), then lists the same folder again, or the nearest of its
// ancestors still there, with the row of the same name selected. The way
// back up goes through the same rows as before. When the drive is not read
// (missing and given up, or the reading stopped) nothing changes.
void readDriveOfListingAgain(FileSystem& fs, DrivePrompt& prompt);

// returnPositions[k] is the row that held the selection mark in the listing
// at depth k when the user went down from it; slots 0 .. returnDepth-1 are
// meaningful. returnDepth is also the depth of the listing shown (0: the
// drives). The table holds 50 at first and doubles on the heap for deeper
// trees; a descent it cannot make room for is refused.
extern int* returnPositions;
extern int returnDepth;

#ifdef QUORVEL_TEST_HOOKS
// Test builds only: while set, the history cannot grow beyond what it holds now.
void failReturnPositionsGrowth(bool fail);
#endif
