// Opening a drive: one walk over its folder tree, then the totals.
#pragma once

class DrivePrompt;
class FileSystem;
struct FolderNode;

// Builds the drive's tree when it is not built yet (always for a removable
// drive) and totals it. False only when the drive's root cannot be entered
// and the user gives up at the prompt; the drive is then left as it was.
// When the heap runs out on the way, what was read is kept and totalled,
// the user is told, and the drive stays unscanned so that the next opening
// reads it again.
bool openDrive(FileSystem& fs, DrivePrompt& prompt, FolderNode* node);

// Reads the current directory's entries into `folder`, which has no children
// yet: one child per folder entry but ".", the file sizes into filesBytes.
// False when the heap ran out; what was read stays.
bool listFolder(FileSystem& fs, FolderNode* folder);

// Totals every node below the drive and the drive itself, post-order,
// without recursion.
void rollUpTotals(FolderNode* drive);
