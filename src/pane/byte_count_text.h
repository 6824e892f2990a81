// The count line of a legend entry.
#pragma once

#include <cstdint>

// "<decimal digits> byte(s)": at most 20 digits and the suffix.
struct ByteCountText {
    char text[29];
    int length;
};

ByteCountText formatByteCount(uint64_t count);
