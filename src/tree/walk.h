// The walk over a drive's folders: one open folder per level of its path,
// each subfolder opened from its parent by the key its listing gave.
#pragma once

#include "tree/reading.h"
#include "tree/table_folders.h"

class DrivePrompt;
class FolderWalk;
struct FolderIdentity;
struct FolderNode;
struct NodeArena;
struct OpenFolder;
struct ScanProgress;

// Walks the drive whose root is open as `root` (and is closed by the walk)
// into the tree below `standIn`, which stands for the drive until the tree
// is whole and holds only the drive's own ".." node. Nodes are carved from
// `arena` (the heap when null). Read, read in part, or stopped. Its
// progress tells whether the drive's file table needs an administrator.
Reading walkDrive(FolderWalk& walk, DrivePrompt& prompt, NodeArena* arena, OpenFolder* root,
                  const FolderIdentity& rootId, FolderNode* standIn, bool tableNeedsAdministrator);

// Reads each directory link of a tree that the file table built below
// `standIn` (links marked, without children) the way the walk reads links:
// opened from its parent, followed unless it leads to a folder on its own
// path, every folder below it walked. The folders on the way down are
// opened by the keys `walk` gives for their names and the references
// `linkPaths` holds. `progress` goes on from what the table counted.
Reading walkTableLinks(FolderWalk& walk, DrivePrompt& prompt, NodeArena* arena, FolderNode* standIn,
                      const char* rootPath, const TableFolders& linkPaths, ScanProgress& progress);
