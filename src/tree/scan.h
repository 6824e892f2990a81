// Opening a drive: one walk over its folder tree, then the totals.
#pragma once

class DrivePrompt;
class FileSystem;
struct FolderNode;

// Builds the drive's tree when it is not built yet (always for a removable
// drive) and totals it. False when the drive's root cannot be opened and the
// user gives up at the prompt, or when the user stops the walk: the drive is
// then left as it was. When the walk cannot go on to its end (the heap runs
// out), what was read is kept and totalled, the user is told, and the drive
// stays unread so that the next opening reads it again.
bool openDrive(FileSystem& fs, DrivePrompt& prompt, FolderNode* drive);

// Reads the drive anew even when its tree is built. The old tree stays
// until the new one is read, and stays as it was on false (drive missing
// and given up, or the walk stopped by the user); on true every node of the
// old tree is gone.
bool readDriveAgain(FileSystem& fs, DrivePrompt& prompt, FolderNode* drive);

// Totals every node below the drive and the drive itself, post-order,
// without recursion.
void rollUpTotals(FolderNode* drive);
