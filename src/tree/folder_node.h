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

// Makes the nodes that newNamedNode and newDotDotNode make from now on
// belong to `drive`'s tree: they and their names are carved from the
// drive's own arena, which goes whole when that tree is released. Null:
// each later node is a heap block of its own again.
void buildTreeOf(const FolderNode* drive);

// A node with the defaults: shared empty name, no links, zero counters; a
// heap block of its own (the pseudo-root and the drives). Null when the heap
// is exhausted.
FolderNode* newFolderNode();

// A node whose name is a private copy of `name`, kept in the node's own
// block or beside it in the arena. `enterName`, when not null, is kept right
// behind it: the name the walk uses to enter the folder when the listed name
// cannot be used. Null when memory is exhausted.
FolderNode* newNamedNode(const char* name, const char* enterName);

// A ".." node in front of, or among, `parent`'s children: the shared ".."
// text, so that it costs no more than the record; from the arena of
// `parent`'s tree when it has one. Not linked into the chain yet. Null when
// memory is exhausted.
FolderNode* newDotDotNode(FolderNode* parent);

// The ".." node among `folder`'s children. A folder the walk could not enter
// or list has none, nor does one whose listing left ".." out: it gets one in
// front, as an opened drive has, so that every listing below the drives has
// its way back up. Null when there is no memory for it.
FolderNode* ensureUpNode(FolderNode* folder);

// The name to enter the folder by: the listed name, or the kept enter name.
const char* enterNameOf(const FolderNode* node);

bool isDotDot(const FolderNode* node);

// A private heap copy of `text`; the caller owns it. Null when the heap is exhausted.
char* copyText(const char* text);

// Releases `first`, every node after it in its chain, all their subtrees and
// every text they own. Nodes of a drive's arena go with the arena: when the
// chain is a drive's whole tree, or the drive itself goes. Iterative: any
// depth and chain length. The caller clears the link that pointed at `first`.
void releaseChain(FolderNode* first);

#ifdef QUORVEL_TEST_HOOKS
// Test builds only: fails every allocation of the tree (a node with its
// texts, or a text) after `allowed` more have succeeded, as if no arena block
// or heap block could be had; a negative value allows all again.
void failTreeAllocationsAfter(long allowed);
#endif
