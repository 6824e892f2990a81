#include "tree/node_arena.h"

#include <cstdint>
#include <cstdlib>

// Blocks double from 4 KiB to 64 KiB (less room for the heap's own
// header): a drive of a few folders takes one small block, one of 20,000
// folders about 30 blocks, and the last block wastes on average 32 KiB,
// under 2 bytes per folder. Blocks stay below the size at which heaps map
// large blocks on their own.
struct ArenaBlock {
    ArenaBlock* previous;
    size_t size;
    size_t front;  // offset of the first free byte
    size_t back;   // offset one past the last free byte
};

namespace {

const size_t headerRoom = 64;
const size_t firstBlockSize = 4 * 1024 - headerRoom;
const size_t largestBlockSize = 64 * 1024 - headerRoom;
const size_t recordAlignment = 8;  // for 64-bit counters

// constexpr, so that firstOffset is a constant: Quorvel.exe has no start-up
// code that would run an initialiser.
constexpr size_t alignUp(size_t offset) {
    return (offset + recordAlignment - 1) & ~(recordAlignment - 1);
}

constexpr size_t firstOffset = alignUp(sizeof(ArenaBlock));

char* bytesOf(ArenaBlock* block) {
    return reinterpret_cast<char*>(block);
}

bool fits(const ArenaBlock* block, size_t recordSize, size_t textSize) {
    size_t start = alignUp(block->front);
    return start <= block->back && block->back - start >= recordSize + textSize;
}

ArenaBlock* newBlock(size_t recordSize, size_t textSize, ArenaBlock* previous) {
    // A name is at most a few hundred bytes, but a record with a longer text
    // still gets a block of its own.
    size_t size = firstBlockSize;
    if (previous) size = previous->size < largestBlockSize / 2 ? previous->size * 2 + headerRoom : largestBlockSize;
    size_t needed = firstOffset + recordSize + textSize;
    if (size < needed) size = needed;
    void* memory = std::malloc(size);
    if (!memory) return nullptr;
    ArenaBlock* block = static_cast<ArenaBlock*>(memory);
    *block = ArenaBlock{previous, size, firstOffset, size};
    return block;
}

}  // namespace

bool carveFromArena(NodeArena& arena, size_t recordSize, size_t textSize, void*& record, char*& text) {
    ArenaBlock* block = arena.blocks;
    if (!block || !fits(block, recordSize, textSize)) {
        block = newBlock(recordSize, textSize, arena.blocks);
        if (!block) return false;
        arena.blocks = block;
    }
    size_t start = alignUp(block->front);
    record = bytesOf(block) + start;
    block->front = start + recordSize;
    block->back -= textSize;
    text = bytesOf(block) + block->back;
    return true;
}

void releaseArena(NodeArena& arena) {
    ArenaBlock* block = arena.blocks;
    while (block) {
        ArenaBlock* previous = block->previous;
        std::free(block);
        block = previous;
    }
    arena.blocks = nullptr;
}
