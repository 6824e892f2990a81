#include "pane/byte_count_text.h"

#include <cstring>

ByteCountText formatByteCount(uint64_t count) {
    // Digits from the right into a scratch buffer; no locale, no grouping.
    char digits[20];
    int digitCount = 0;
    do {
        digits[digitCount++] = static_cast<char>('0' + count % 10);
        count /= 10;
    } while (count != 0);

    static const char suffix[] = " byte(s)";
    ByteCountText result;
    result.length = 0;
    while (digitCount > 0) result.text[result.length++] = digits[--digitCount];
    std::memcpy(result.text + result.length, suffix, sizeof suffix);
    result.length += static_cast<int>(sizeof suffix) - 1;
    return result;
}
