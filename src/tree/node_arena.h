// Big heap blocks that the nodes and names of one drive's tree are carved
// from, given back all at once: a folder costs its record and its name, with
// no heap header for either, and a removable drive read again frees a few
// dozen blocks instead of two per folder.
#pragma once

#include <cstddef>

struct ArenaBlock;

struct NodeArena {
    ArenaBlock* blocks = nullptr;  // the newest first; each links to the one before
};

// Room for a record of `recordSize` bytes, aligned for any record, and for
// `textSize` bytes of text, in the same block. Records are carved from the
// front of a block and texts from its back, so texts need no alignment.
// False when no block can be had: the arena is left as it was.
bool carveFromArena(NodeArena& arena, size_t recordSize, size_t textSize, void*& record, char*& text);

// Gives every block back to the heap; the arena is empty afterwards.
void releaseArena(NodeArena& arena);
