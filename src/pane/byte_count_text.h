// Counts as the pane writes them.
#pragma once

#include <cstdint>

// "<decimal digits><suffix>": at most 20 digits, then a suffix of up to 11
// characters.
struct ByteCountText {
    char text[32];
    int length;
};

// The count in decimal: no sign, no grouping, no leading zeros.
ByteCountText formatCount(uint64_t count, const char* suffix);

// The count line of a legend entry: the count and " byte(s)".
ByteCountText formatByteCount(uint64_t count);
