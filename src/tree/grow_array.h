// Growing a heap array by doubling: the one way the reading's arrays grow.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <limits>

// Makes room for twice `capacity` items (`first` when there are none yet),
// the items kept. False, the array as it was, when the heap has no room or
// the count would no longer fit its type.
template <typename Item, typename Count>
bool growArray(Item*& items, Count& capacity, Count first) {
    if (capacity > std::numeric_limits<Count>::max() / 2 || size_t(capacity) > SIZE_MAX / 2 / sizeof(Item))
        return false;
    Count wanted = capacity ? capacity * 2 : first;
    void* grown = std::realloc(items, sizeof(Item) * wanted);
    if (!grown) return false;
    items = static_cast<Item*>(grown);
    capacity = wanted;
    return true;
}
