// Opening a drive: one walk over its folder tree, then the totals.
#pragma once

class FileSystem;
struct FolderNode;

// Builds the drive's tree when it is not built yet (always for a removable
// drive) and totals it. False only when the drive's root cannot be entered
// and the user gives up at the prompt; the drive is then left as it was.
bool openDrive(FileSystem& fs, FolderNode* node);

// Reads the current directory's entries into `folder`, which has no children
// yet: one child per folder entry but ".", the file sizes into filesBytes.
// False when the heap ran out; what was read stays.
bool listFolder(FileSystem& fs, FolderNode* folder);

// Totals every node below the drive and the drive itself, post-order,
// without recursion.
void rollUpTotals(FolderNode* drive);
