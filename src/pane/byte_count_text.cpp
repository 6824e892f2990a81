#include "pane/byte_count_text.h"

#include <cstring>

namespace {

// count / 10, its remainder left in `rest`: long division by 16-bit digits,
// so that the 32-bit build divides in 32 bits and takes no 64-bit division
// from the runtime.
uint64_t divideByTen(uint64_t count, uint32_t& rest) {
    uint64_t quotient = 0;
    rest = 0;
    for (int shift = 48; shift >= 0; shift -= 16) {
        uint32_t part = rest << 16 | static_cast<uint32_t>(count >> shift & 0xFFFF);
        quotient |= static_cast<uint64_t>(part / 10) << shift;
        rest = part % 10;
    }
    return quotient;
}

}  // namespace

ByteCountText formatCount(uint64_t count, const char* suffix) {
    // Digits from the right into a scratch buffer; no locale, no grouping.
    char digits[20];
    int digitCount = 0;
    do {
        uint32_t digit;
        count = divideByTen(count, digit);
        digits[digitCount++] = static_cast<char>('0' + digit);
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
