// Reading an NTFS drive from its file table, the MFT: every file's names,
// folders and size sit in one table of records, read here in large
// sequential reads through the raw volume, so that a whole drive takes the
// time its table takes to read. The tree comes out as the walk would list
// it; what the table cannot say exactly is left to the walk.
#pragma once

#include "tree/reading.h"
#include "tree/table_folders.h"

#include <cstdint>

struct FolderNode;
struct NodeArena;
struct RawVolume;
struct ScanProgress;
class DrivePrompt;

// Reads the file table of `volume` into the tree below `root`, a drive's
// stand-in whose only child is the drive's own ".." node. Every folder gets
// its ".." node first and its files' sizes in filesBytes; a folder's parent
// is its folder node (`root` for the root's); a directory link is marked
// (scanMarkLink) and left without children, for the walk to read as it
// reads links, on its way down by `linkPaths` (filled in on `read`; the
// caller frees its items whatever the outcome). The volume's own files are
// left out, as listings leave them out. Nodes are carved from `arena` (the
// heap when null). On anything but `read`, what was built is the caller's
// to release.
// Read, stopped, or not this way: no NTFS volume, or something the reading
// could not read exactly (damage, a short read, no memory).
Reading readFileTable(RawVolume& volume, FolderNode* root, NodeArena* arena, DrivePrompt& prompt,
                           ScanProgress& progress, TableFolders& linkPaths);

