#include "ntfs/attribute_list.h"

#include "ntfs/little_endian.h"

bool nextListEntry(ListCursor& cursor, ListEntry& entry) {
    if (cursor.at >= cursor.end) return false;
    const uint32_t left = static_cast<uint32_t>(cursor.end - cursor.at);
    uint32_t length = left >= 0x1A ? le16(cursor.at + 4) : 0;
    uint32_t nameLength = left >= 0x1A ? cursor.at[6] : 0;
    uint32_t nameOffset = left >= 0x1A ? cursor.at[7] : 0;
    if (length < 0x1A || length > left || (nameLength && nameOffset + 2 * nameLength > length)) {
        cursor.damaged = true;
        return false;
    }
    entry.type = le32(cursor.at);
    entry.named = nameLength > 0;
    entry.lowestVcn = le64(cursor.at + 0x08);
    entry.reference = le64(cursor.at + 0x10);
    entry.id = le16(cursor.at + 0x18);
    cursor.at += length;
    return true;
}
