#include "ntfs/file_record.h"

#include "ntfs/little_endian.h"

#include <cstring>

namespace {

// A file record segment's header, as the format names its fields.
enum RecordField : uint32_t {
    updateSequenceArrayOffset = 0x04,
    updateSequenceArraySize = 0x06,
    sequenceNumber = 0x10,
    firstAttributeOffset = 0x14,
    recordFlags = 0x16,
    firstFreeByte = 0x18,  // the bytes in use
    baseFileRecordSegment = 0x20,
    segmentNumber = 0x2C,  // where the update sequence array starts at 0x30 or later (NTFS 3.1)
    headerOfNtfs30 = 0x28,  // the shortest header: no segment number
    headerOfNtfs31 = 0x30,
};

// An attribute record's header: the common part, then the resident or the
// non-resident form.
enum AttributeField : uint32_t {
    typeCode = 0x00,
    recordLength = 0x04,
    formCode = 0x08,  // 0: resident
    nameLength = 0x09,
    nameOffset = 0x0A,
    instance = 0x0E,  // the id an attribute list names it by
    valueLength = 0x10,
    valueOffset = 0x14,
    residentHeader = 0x18,
    lowestVcn = 0x10,
    mappingPairsOffset = 0x20,  // the data runs
    fileSize = 0x30,
    validDataLength = 0x38,  // the initialized size
    nonResidentHeader = 0x40,
};

// A $FILE_NAME value.
enum FileNameField : uint32_t {
    parentDirectory = 0x00,
    fileNameLength = 0x40,
    fileNameFlags = 0x41,  // the namespace
    fileNameChars = 0x42,
};

// A $REPARSE_POINT value begins with its tag.
const uint32_t reparseTagBytes = 4;

const uint32_t stride = 512;  // the update sequence checks the end of every 512 bytes

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
    uint16_t flags = le16(record + recordFlags);
    uint32_t sequenceOffset = le16(record + updateSequenceArrayOffset);
    uint32_t sequenceCount = le16(record + updateSequenceArraySize);
    // The sequence itself must lie in the first stride, before its end.
    if (size % stride != 0 || sequenceCount != size / stride + 1 || sequenceOffset < headerOfNtfs30 ||
        sequenceOffset + 2 * sequenceCount > stride - 2)
        return notReadable(flags);
    const uint8_t* sequence = record + sequenceOffset;
    for (uint32_t k = 1; k < sequenceCount; ++k) {
        uint8_t* strideEnd = record + k * stride - 2;
        if (strideEnd[0] != sequence[0] || strideEnd[1] != sequence[1]) return notReadable(flags);
    }
    for (uint32_t k = 1; k < sequenceCount; ++k) std::memcpy(record + k * stride - 2, sequence + 2 * k, 2);
    header.sequence = le16(record + sequenceNumber);
    header.flags = flags;
    header.firstAttribute = le16(record + firstAttributeOffset);
    header.bytesInUse = le32(record + firstFreeByte);
    header.baseReference = le64(record + baseFileRecordSegment);
    header.number = sequenceOffset >= headerOfNtfs31 ? le32(record + segmentNumber) : ~0u;
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
    attribute.type = le32(at + typeCode);
    if (attribute.type == attributeEnd) return false;
    if (cursor.end - cursor.offset < 8) return damage(cursor);
    uint32_t length = le32(at + recordLength);
    uint32_t nameCharacters = at[nameLength];
    uint32_t nameAt = le16(at + nameOffset);
    attribute.resident = at[formCode] == 0;
    uint32_t fixedPart = attribute.resident ? residentHeader : nonResidentHeader;
    if (length < fixedPart || length > cursor.end - cursor.offset || length % 8 != 0 ||
        (nameCharacters && nameAt + 2 * nameCharacters > length))
        return damage(cursor);
    attribute.named = nameCharacters > 0;
    attribute.id = le16(at + instance);
    if (attribute.resident) {
        attribute.valueLength = le32(at + valueLength);
        uint32_t valueAt = le16(at + valueOffset);
        if (valueAt > length || attribute.valueLength > length - valueAt) return damage(cursor);
        attribute.value = at + valueAt;
        attribute.runs = nullptr;
        attribute.runsLength = 0;
        attribute.lowestVcn = 0;
        attribute.dataSize = attribute.initializedSize = attribute.valueLength;
    } else {
        attribute.value = nullptr;
        attribute.valueLength = 0;
        attribute.lowestVcn = le64(at + lowestVcn);
        uint32_t runsAt = le16(at + mappingPairsOffset);
        if (runsAt < nonResidentHeader || runsAt >= length) return damage(cursor);
        attribute.runs = at + runsAt;
        attribute.runsLength = length - runsAt;
        attribute.dataSize = le64(at + fileSize);
        attribute.initializedSize = le64(at + validDataLength);
    }
    cursor.offset += length;
    return true;
}

bool readFileName(const Attribute& attribute, FileName& name) {
    if (!attribute.resident || attribute.valueLength < fileNameChars) return false;
    const uint8_t* value = attribute.value;
    name.parent = le64(value + parentDirectory);
    name.length = value[fileNameLength];
    name.nameSpace = value[fileNameFlags];
    name.name = value + fileNameChars;
    return name.length > 0 && fileNameChars + 2u * name.length <= attribute.valueLength && name.nameSpace <= nameSpaceWin32AndDos;
}

uint32_t reparseTagOf(const Attribute& attribute) {
    if (!attribute.resident || attribute.valueLength < reparseTagBytes) return 0;
    return le32(attribute.value);
}
