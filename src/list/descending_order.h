// A stable merge sort into descending order, for the order in which rows are
// handed to the sorted list control. Portable: the key comparison is passed in.
#pragma once

#include <cstddef>

// Sorts items[0 .. count-1] so that compare(items[i], items[i+1]) >= 0;
// items that compare equal keep their order. `scratch` has room for `count`.
// compare(a, b) is negative, zero or positive as a sorts before, with or after b.
template <typename Item, typename Compare>
void sortDescendingStable(Item* items, Item* scratch, size_t count, Compare compare) {
    Item* from = items;
    Item* to = scratch;
    for (size_t width = 1; width < count; width *= 2) {
        for (size_t start = 0; start < count; start += 2 * width) {
            size_t middle = start + width < count ? start + width : count;
            size_t end = middle + width < count ? middle + width : count;
            size_t left = start;
            size_t right = middle;
            size_t out = start;
            // Taking the left item on a tie keeps equal items in their order.
            while (left < middle && right < end)
                to[out++] = compare(from[left], from[right]) >= 0 ? from[left++] : from[right++];
            while (left < middle) to[out++] = from[left++];
            while (right < end) to[out++] = from[right++];
        }
        Item* swap = from;
        from = to;
        to = swap;
    }
    if (from != items) {
        for (size_t i = 0; i < count; ++i) items[i] = from[i];
    }
}
