#include "ntfs/attribute_list.h"

#include "ntfs/little_endian.h"

namespace {

// An attribute list entry, as the format names its fields.
enum ListField : uint32_t {
    typeCode = 0x00,
    recordLength = 0x04,
    attributeNameLength = 0x06,
    attributeNameOffset = 0x07,
    lowestVcn = 0x08,
    segmentReference = 0x10,  // the record that holds the attribute
    instance = 0x18,
    fixedPart = 0x1A,
};

}  // namespace

bool nextListEntry(ListCursor& cursor, ListEntry& entry) {
    if (cursor.at >= cursor.end) return false;
    const uint32_t left = static_cast<uint32_t>(cursor.end - cursor.at);
    uint32_t length = left >= fixedPart ? le16(cursor.at + recordLength) : 0;
    uint32_t nameLength = left >= fixedPart ? cursor.at[attributeNameLength] : 0;
    uint32_t nameOffset = left >= fixedPart ? cursor.at[attributeNameOffset] : 0;
    if (length < fixedPart || length > left || (nameLength && nameOffset + 2 * nameLength > length)) {
        cursor.damaged = true;
        return false;
    }
    entry.type = le32(cursor.at + typeCode);
    entry.named = nameLength > 0;
    entry.lowestVcn = le64(cursor.at + lowestVcn);
    entry.reference = le64(cursor.at + segmentReference);
    entry.id = le16(cursor.at + instance);
    cursor.at += length;
    return true;
}
