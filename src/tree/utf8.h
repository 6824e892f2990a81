// Names as the tree keeps them: UTF-8, converted from and to the UTF-16 of
// the system's listings by the program's own code, so that no system code
// page (and no UTF-8 code page, which old systems lack) stands between a
// name on disk and the name shown. Templates over the 16-bit unit type
// (WCHAR on Windows, char16_t or uint16_t natively).
#pragma once

#include <cstddef>
#include <cstdint>

// U+FFFD, shown for what is not a character: an unpaired surrogate, or a
// byte that does not belong to a UTF-8 sequence.
const uint32_t replacementCharacter = 0xFFFD;

// The longest name of a file or folder on every Windows file system (and
// in an NTFS file name attribute), in UTF-16 units.
const size_t longestName = 255;

// The most bytes `units` UTF-16 units take in UTF-8: a pair of surrogates
// takes 4 bytes, any other unit at most 3.
constexpr size_t utf8RoomFor(size_t units) {
    return 3 * units;
}

namespace utf8Detail {

inline bool isHighSurrogate(uint32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

inline bool isLowSurrogate(uint32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

inline size_t utf8Length(uint32_t code) {
    return code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
}

// The length of the sequence that a byte starts, by its top five bits; 0
// for a byte that starts none. C0, C1 and F5 to F7 start sequences that are
// overlong or past U+10FFFF, which the decoder tells once it has them.
inline size_t sequenceLength(unsigned char first) {
    static const unsigned char lengths[32] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                                              0, 0, 0, 0, 0, 0, 0, 0, 2, 2, 2, 2, 3, 3, 4, 0};
    return lengths[first >> 3];
}

inline void writeUtf8(uint32_t code, char* out, size_t length) {
    static const unsigned char lead[] = {0, 0, 0xC0, 0xE0, 0xF0};
    for (size_t i = length - 1; i > 0; --i) {
        out[i] = static_cast<char>(0x80 | (code & 0x3F));
        code >>= 6;
    }
    out[0] = static_cast<char>(lead[length] | code);
}

}  // namespace utf8Detail

// Writes the `units` UTF-16 units at `in` as UTF-8 to `out`, which has room
// for `room` bytes and gets a terminating zero (room > 0). An unpaired
// surrogate becomes U+FFFD. Where the room runs out the text ends at the
// last whole character. Returns the bytes written, the zero not counted.
template <typename Unit>
size_t utf16ToUtf8(const Unit* in, size_t units, char* out, size_t room) {
    using namespace utf8Detail;
    size_t written = 0;
    for (size_t i = 0; i < units; ++i) {
        uint32_t code = static_cast<uint16_t>(in[i]);
        if (isHighSurrogate(code) && i + 1 < units && isLowSurrogate(static_cast<uint16_t>(in[i + 1]))) {
            code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<uint16_t>(in[i + 1]) - 0xDC00);
            ++i;
        } else if (isHighSurrogate(code) || isLowSurrogate(code)) {
            code = replacementCharacter;
        }
        size_t length = utf8Length(code);
        if (written + length >= room) break;
        writeUtf8(code, out + written, length);
        written += length;
    }
    out[written] = 0;
    return written;
}

// Writes the `bytes` UTF-8 bytes at `in` as UTF-16 to `out`, which has room
// for `room` units and gets a terminating zero (room > 0); a byte that
// starts no well-formed sequence becomes U+FFFD. Where the room runs out
// the text ends at the last whole character. Returns the units written,
// the zero not counted. A text of n bytes never takes more than n units.
template <typename Unit>
size_t utf8ToUtf16(const char* in, size_t bytes, Unit* out, size_t room) {
    using namespace utf8Detail;
    size_t written = 0;
    size_t i = 0;
    while (i < bytes) {
        unsigned char first = static_cast<unsigned char>(in[i]);
        size_t length = sequenceLength(first);
        uint32_t code = length == 1 ? first : first & (0x7F >> length);
        bool wellFormed = length > 0 && i + length <= bytes;
        for (size_t k = 1; wellFormed && k < length; ++k) {
            unsigned char next = static_cast<unsigned char>(in[i + k]);
            wellFormed = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        // No overlong forms, no surrogates, nothing past U+10FFFF.
        if (wellFormed && (utf8Length(code) != length || (code & 0xFFFFF800) == 0xD800 || code > 0x10FFFF))
            wellFormed = false;
        if (!wellFormed) {
            code = replacementCharacter;
            length = 1;
        }
        size_t needed = code >= 0x10000 ? 2 : 1;
        if (written + needed >= room) break;
        if (needed == 2) {
            out[written++] = static_cast<Unit>(0xD800 + ((code - 0x10000) >> 10));
            out[written++] = static_cast<Unit>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            out[written++] = static_cast<Unit>(code);
        }
        i += length;
    }
    out[written] = 0;
    return written;
}
