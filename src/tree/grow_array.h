// Growing a heap array by doubling: the one way the reading's arrays grow.
#pragma once

#include <cstdlib>

// Makes room for twice `capacity` items (`first` when there are none yet),
// the items kept. False, the array as it was, when the heap has no room.
template <typename Item, typename Count>
bool growArray(Item*& items, Count& capacity, Count first) {
    Count wanted = capacity ? capacity * 2 : first;
    void* grown = std::realloc(items, sizeof(Item) * wanted);
    if (!grown) return false;
    items = static_cast<Item*>(grown);
    capacity = wanted;
    return true;
}
