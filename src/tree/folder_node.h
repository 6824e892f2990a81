// The in-memory folder tree: one FolderNode per drive, folder and ".." entry.
#pragma once

#include <cstddef>
#include <cstdint>

// Pointers first, then the 8-bit fields side by side, then the counters: 40
// bytes in the 32-bit build, with no padding.
struct FolderNode {
    const char* name;          // never null; see the shared texts below
    FolderNode* parent;        // back reference
    FolderNode* next;          // owned: the next sibling
    FolderNode* firstChild;    // owned: the first child
    const char* rootPath;      // drives only: "X:\"
    uint8_t isDrive;
    uint8_t scanned;           // drives only: the tree is built and stays
    uint8_t scanMarks;         // the walk's private marks (ScanMark)
    uint8_t storage;           // where the record and its texts live (folder_node.cpp)
    uint64_t filesBytes;       // files directly in this folder
    uint64_t subfoldersBytes;  // totals of all child nodes
};

// Texts shared by many nodes and never released.
extern const char emptyText[];
extern const char dotDotText[];

// The pseudo-root whose children are the drives; set by enumerateDrives.
extern FolderNode* rootNode;

struct NodeArena;

// A drive node with the defaults, `isDrive` set and an empty arena of its
// own that its trees will be carved from; a heap block of its own, which
// takes its arena along when released. Null when the heap is exhausted.
FolderNode* newDriveNode();

// The arena of a drive made by newDriveNode; null for any other node.
NodeArena* arenaOfDrive(FolderNode* drive);

// Makes `firstChild` and everything after and below it `drive`'s tree, in
// place of the tree it had. The new nodes were carved from `built` (or the
// heap, for a drive without an arena of its own); the drive's arena and
// `built` swap, and the old tree goes with `built`, which is empty after.
void replaceTreeOf(FolderNode* drive, FolderNode* firstChild, NodeArena& built);

// A node with the defaults: shared empty name, no links, zero counters; a
// heap block of its own (the pseudo-root). Null when the heap is exhausted.
FolderNode* newFolderNode();

// A node whose name is a private copy of `name`, both carved from `arena`,
// or one heap block when it is null. Null when memory is exhausted.
FolderNode* newNamedNode(NodeArena* arena, const char* name);

// A ".." node in front of, or among, `parent`'s children: the shared ".."
// text, so that it costs no more than the record; carved from `arena`, or
// a heap block when it is null. Not linked into the chain yet. Null when
// memory is exhausted.
FolderNode* newDotDotNode(NodeArena* arena, FolderNode* parent);

// The ".." node among `folder`'s children. A folder the walk could not enter
// or list has none, nor does one whose listing left ".." out: it gets one in
// front, as an opened drive has, so that every listing below the drives has
// its way back up. Null when there is no memory for it.
FolderNode* ensureUpNode(FolderNode* folder);

bool isDotDot(const FolderNode* node);

// The drive `node` lies on: itself for a drive; null above the drives.
FolderNode* driveOf(const FolderNode* node);

// The names on the way down from `top` to `folder` (which lies below it),
// `separator` between two and a 0 after the last: "a\b\c" with '\',
// "a", "b", "c" one after another with 0. The length comes first, the final
// 0 not counted (0 for `folder` == `top`), so the caller can give it room.
size_t namesBelowLength(const FolderNode* folder, const FolderNode* top);
void writeNamesBelow(const FolderNode* folder, const FolderNode* top, char separator, char* out);

// The first child of `folder` named `name` (UTF-8, byte for byte), ".."
// nodes aside; names the path walk's code page reads alike lead to the
// first of them, as they do in the list. Null when there is none.
FolderNode* childNamed(const FolderNode* folder, const char* name);

// The node after `node` in a pre-order walk of the tree below `top`, going
// down into `node`'s children where `intoChildren`; null after the last.
// Without recursion: parents lead back up to `top`.
FolderNode* nextInTree(const FolderNode* node, const FolderNode* top, bool intoChildren = true);

// A private heap copy of `text`; the caller owns it. Null when the heap is exhausted.
char* copyText(const char* text);

// Releases `first`, every node after it in its chain, all their subtrees and
// every text they own. Nodes of a drive's arena go with the arena: when the
// chain is a drive's whole tree (the arena is then empty after), or the
// drive itself goes. Iterative: any depth and chain length. The caller
// clears the link that pointed at `first`.
void releaseChain(FolderNode* first);

#ifdef QUORVEL_TEST_HOOKS
// Test builds only: fails every allocation of the tree (a node with its
// texts, or a text) after `allowed` more have succeeded, as if no arena block
// or heap block could be had; a negative value allows all again.
void failTreeAllocationsAfter(long allowed);
#endif
