// The in-memory folder tree: one FolderNode per drive, folder and ".." entry.
#pragma once

#include <cstddef>
#include <cstdint>

struct FolderNode {
    const char* name;          // never null; see the shared texts below
    FolderNode* parent;        // back reference
    FolderNode* next;          // owned: the next sibling
    uint8_t isDrive;
    uint8_t scanMarks;         // the walk's private marks (ScanMark), in what was padding
    const char* rootPath;      // drives only: "X:\"
    uint8_t scanned;           // drives only: the tree is built and stays
    FolderNode* firstChild;    // owned: the first child
    uint64_t filesBytes;       // files directly in this folder
    uint64_t subfoldersBytes;  // totals of all child nodes
};

// Texts shared by many nodes and never released.
extern const char emptyText[];
extern const char dotDotText[];

// The pseudo-root whose children are the drives; set by enumerateDrives.
extern FolderNode* rootNode;

// A node with the defaults: shared empty name, no links, zero counters.
// Null when the heap is exhausted.
FolderNode* newFolderNode();

// A node whose name is a private copy of `name` kept in the node's own block
// (one allocation per folder instead of two). `enterName`, when not null, is
// kept right behind it: the name the walk uses to enter the folder when the
// listed name cannot be used. Null when the heap is exhausted.
FolderNode* newNamedNode(const char* name, const char* enterName);

// A ".." node in front of, or among, `parent`'s children: the shared ".."
// text, so that it costs no more than the record. Not linked into the chain
// yet. Null when the heap is exhausted.
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
// every text they own. Iterative: any depth and chain length. The caller
// clears the link that pointed at `first`.
void releaseChain(FolderNode* first);

#ifdef QUORVEL_TEST_HOOKS
// Test builds only: fails every allocation of the tree after `allowed` more
// have succeeded; a negative value allows all again.
void failTreeAllocationsAfter(long allowed);
#endif
