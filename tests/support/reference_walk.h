// The walk as plainly as it can be written: into each folder, list it, and
// back out, one step at a time. The product's walk saves steps; it must build
// the very tree this one builds and end in the same current directory.
#pragma once

#include <string>

class FileSystem;
struct FolderNode;

// A drive node for `letter`, made as the drive list makes one, not read yet.
FolderNode* newTestDrive(char letter);

// Reads the tree of `drive` (a drive node, read or not) from scratch and
// totals it, as the product's openDrive does for a drive that is present.
// False when the root cannot be entered or the heap ran out.
bool referenceReadDrive(FileSystem& fs, FolderNode* drive);

// Empty when the trees below `a` and `b` are the same node for node (names,
// enter names, marks, byte counts, order); else the first difference, with
// the path where it is.
std::string firstTreeDifference(const FolderNode* a, const FolderNode* b);
