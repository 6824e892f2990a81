#include "ntfs/file_record.h"

#include "ntfs/little_endian.h"

#include <cstring>

namespace {

const uint32_t stride = 512;

RecordState notReadable(uint16_t flags) {
    return flags & recordInUse ? RecordState::damaged : RecordState::unused;
}

bool damage(AttributeCursor& cursor) {
    cursor.damaged = true;
    return false;
}

}  // namespace

RecordState readRecordHeader(uint8_t* record, uint32_t size, RecordHeader& header) {
    if (std::memcmp(record, "FILE", 4) != 0) {
        // Never written: nothing to read. Anything else ("BAAD", stray
        // bytes) may have held a file.
        static const uint8_t blank[4] = {0, 0, 0, 0};
        return std::memcmp(record, blank, 4) == 0 ? RecordState::unused : RecordState::damaged;
    }
    uint16_t flags = le16(record + 0x16);
    uint32_t sequenceOffset = le16(record + 0x04);
    uint32_t sequenceCount = le16(record + 0x06);
    // The sequence itself must lie in the first stride, before its end.
    if (size % stride != 0 || sequenceCount != size / stride + 1 || sequenceOffset < 0x28 ||
        sequenceOffset + 2 * sequenceCount > stride - 2)
        return notReadable(flags);
    const uint8_t* sequence = record + sequenceOffset;
    for (uint32_t k = 1; k < sequenceCount; ++k) {
        uint8_t* strideEnd = record + k * stride - 2;
        if (strideEnd[0] != sequence[0] || strideEnd[1] != sequence[1]) return notReadable(flags);
    }
    for (uint32_t k = 1; k < sequenceCount; ++k) std::memcpy(record + k * stride - 2, sequence + 2 * k, 2);
    header.sequence = le16(record + 0x10);
    header.flags = flags;
    header.firstAttribute = le16(record + 0x14);
    header.bytesInUse = le32(record + 0x18);
    header.baseReference = le64(record + 0x20);
    header.number = sequenceOffset >= 0x30 ? le32(record + 0x2C) : ~0u;
    if (header.bytesInUse > size || header.firstAttribute < sequenceOffset + 2 * sequenceCount ||
        header.firstAttribute + 8 > header.bytesInUse)
        return notReadable(flags);
    return flags & recordInUse ? RecordState::inUse : RecordState::unused;
}

AttributeCursor attributesOf(const uint8_t* record, const RecordHeader& header) {
    return AttributeCursor{record, header.firstAttribute, header.bytesInUse, false};
}

bool nextAttribute(AttributeCursor& cursor, Attribute& attribute) {
    if (cursor.damaged || cursor.end - cursor.offset < 4) return damage(cursor);
    const uint8_t* at = cursor.record + cursor.offset;
    attribute.type = le32(at);
    if (attribute.type == attributeEnd) return false;
    if (cursor.end - cursor.offset < 8) return damage(cursor);
    uint32_t length = le32(at + 4);
    uint32_t nameLength = at[0x09];
    uint32_t nameOffset = le16(at + 0x0A);
    attribute.resident = at[0x08] == 0;
    uint32_t fixedPart = attribute.resident ? 0x18 : 0x40;
    if (length < fixedPart || length > cursor.end - cursor.offset || length % 8 != 0 ||
        (nameLength && nameOffset + 2 * nameLength > length))
        return damage(cursor);
    attribute.named = nameLength > 0;
    attribute.id = le16(at + 0x0E);
    if (attribute.resident) {
        attribute.valueLength = le32(at + 0x10);
        uint32_t valueOffset = le16(at + 0x14);
        if (valueOffset > length || attribute.valueLength > length - valueOffset) return damage(cursor);
        attribute.value = at + valueOffset;
        attribute.runs = nullptr;
        attribute.runsLength = 0;
        attribute.lowestVcn = 0;
        attribute.dataSize = attribute.initializedSize = attribute.valueLength;
    } else {
        attribute.value = nullptr;
        attribute.valueLength = 0;
        attribute.lowestVcn = le64(at + 0x10);
        uint32_t runsOffset = le16(at + 0x20);
        if (runsOffset < 0x40 || runsOffset >= length) return damage(cursor);
        attribute.runs = at + runsOffset;
        attribute.runsLength = length - runsOffset;
        attribute.dataSize = le64(at + 0x30);
        attribute.initializedSize = le64(at + 0x38);
    }
    cursor.offset += length;
    return true;
}

bool readFileName(const Attribute& attribute, FileName& name) {
    if (!attribute.resident || attribute.valueLength < 0x42) return false;
    const uint8_t* value = attribute.value;
    name.parent = le64(value);
    name.length = value[0x40];
    name.nameSpace = value[0x41];
    name.name = value + 0x42;
    return name.length > 0 && 0x42 + 2u * name.length <= attribute.valueLength && name.nameSpace <= nameSpaceWin32AndDos;
}

uint32_t reparseTagOf(const Attribute& attribute) {
    if (!attribute.resident || attribute.valueLength < 4) return 0;
    return le32(attribute.value);
}
