#include "tree/node_arena.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

struct Carved {
    char* record;
    char* text;
};

Carved carve(NodeArena& arena, size_t recordSize, size_t textSize) {
    void* record = nullptr;
    char* text = nullptr;
    EXPECT_TRUE(carveFromArena(arena, recordSize, textSize, record, text));
    return Carved{static_cast<char*>(record), text};
}

// Records side by side from the front, texts from the back, every byte
// writable (ASan checks), none shared, records on 8-byte boundaries.
TEST(NodeArena, RecordsAndTextsFillBlocksWithoutOverlap) {
    NodeArena arena;
    std::vector<Carved> carved;
    for (int i = 0; i < 5000; ++i) {
        Carved c = carve(arena, 40, static_cast<size_t>(i % 13));
        std::memset(c.record, 0x11, 40);
        std::memset(c.text, 0x22, static_cast<size_t>(i % 13));
        EXPECT_EQ(reinterpret_cast<uintptr_t>(c.record) % 8, 0u) << i;
        carved.push_back(c);
    }
    size_t sideBySide = 0;
    for (size_t i = 1; i < carved.size(); ++i) {
        if (carved[i].record != carved[i - 1].record + 40) continue;  // a new block
        ++sideBySide;
        EXPECT_EQ(carved[i].text, carved[i - 1].text - (i % 13)) << i;
    }
    // 5000 records of 40 bytes and about 30 KB of text: blocks of 4, 8, 16,
    // 32, then 64 KiB, seven in all.
    EXPECT_GE(sideBySide, carved.size() - 7);
    for (const Carved& c : carved) {
        for (int k = 0; k < 40; ++k) ASSERT_EQ(c.record[k], 0x11);
    }
    releaseArena(arena);
    EXPECT_EQ(arena.blocks, nullptr);
}

TEST(NodeArena, TextLargerThanABlockGetsABlockOfItsOwn) {
    NodeArena arena;
    carve(arena, 40, 3);
    const size_t huge = 200 * 1024;
    Carved big = carve(arena, 40, huge);
    std::memset(big.text, 'x', huge);
    std::memset(big.record, 0, 40);
    Carved after = carve(arena, 40, 3);
    std::memset(after.record, 0, 40);
    releaseArena(arena);
    EXPECT_EQ(arena.blocks, nullptr);
}

TEST(NodeArena, ReleasingAnEmptyArenaDoesNothing) {
    NodeArena arena;
    releaseArena(arena);
    EXPECT_EQ(arena.blocks, nullptr);
}

}  // namespace
