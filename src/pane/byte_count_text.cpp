#include "pane/byte_count_text.h"

#include <cstring>

ByteCountText formatCount(uint64_t count, const char* suffix) {
    // Digits from the right into a scratch buffer; no locale, no grouping.
    char digits[20];
    int digitCount = 0;
    do {
        digits[digitCount++] = static_cast<char>('0' + count % 10);
        count /= 10;
    } while (count != 0);

    ByteCountText result;
    result.length = 0;
    while (digitCount > 0) result.text[result.length++] = digits[--digitCount];
    size_t suffixLength = std::strlen(suffix);
    if (suffixLength > sizeof result.text - 21) suffixLength = sizeof result.text - 21;
    std::memcpy(result.text + result.length, suffix, suffixLength);
    result.length += static_cast<int>(suffixLength);
    result.text[result.length] = 0;
    return result;
}

ByteCountText formatByteCount(uint64_t count) {
    return formatCount(count, " byte(s)");
}
