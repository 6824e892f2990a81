// The walk as plainly as it can be written: open a folder, list it, walk
// each subfolder in turn, close it; recursive, with the path's identities in
// a vector. The product's walk must build the very tree this one builds.
#pragma once

#include <string>

class FileSystem;
struct FolderNode;

// A drive node for `letter`, made as the drive list makes one, not read yet.
FolderNode* newTestDrive(char letter);

// Reads the tree of `drive` (a drive node, read or not) from scratch and
// totals it, as the product's openDrive does for a drive that is present.
// False when the root cannot be opened, the heap ran out or the disk lost
// its place.
bool referenceReadDrive(FileSystem& fs, FolderNode* drive);

// Empty when the trees below `a` and `b` are the same node for node (names,
// marks, byte counts, order, or any order of each folder's children where
// `inAnyOrder`); else the first difference, with the path where it is.
std::string firstTreeDifference(const FolderNode* a, const FolderNode* b, bool inAnyOrder = false);
