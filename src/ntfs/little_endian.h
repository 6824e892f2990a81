// Fields of the volume's records, read byte by byte in little-endian order:
// never a record laid over the bytes, so no alignment or padding matters.
#pragma once

#include <cstdint>

inline uint16_t le16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}

inline uint32_t le32(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
           static_cast<uint32_t>(at[3]) << 24;
}

inline uint64_t le64(const uint8_t* at) {
    return le32(at) | static_cast<uint64_t>(le32(at + 4)) << 32;
}

// A file reference: the record's number in its low 48 bits, the record's
// sequence number (bumped each time the record is freed) in the high 16.
inline uint64_t recordNumberOf(uint64_t reference) {
    return reference & 0xFFFFFFFFFFFFull;
}

inline uint16_t sequenceOf(uint64_t reference) {
    return static_cast<uint16_t>(reference >> 48);
}

inline uint64_t fileReference(uint64_t recordNumber, uint16_t sequence) {
    return recordNumber | uint64_t{sequence} << 48;
}
