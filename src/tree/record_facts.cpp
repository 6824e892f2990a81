#include "tree/record_facts.h"

#include "ntfs/attribute_list.h"
#include "ntfs/little_endian.h"
#include "tree/file_system.h"
#include "tree/table_bytes.h"

namespace {

// Hands `take` each attribute of the file whose base record is `record`,
// then those its attribute list places in other records, in the list's
// order; stops at the first it refuses.
template <typename Take>
bool eachAttribute(TableBytes& bytes, uint32_t number, const uint8_t* record, const RecordHeader& header, Take take) {
    AttributeCursor cursor = attributesOf(record, header);
    Attribute attribute;
    Attribute listed{};
    while (nextAttribute(cursor, attribute)) {
        if (attribute.type == attributeAttributeList)
            listed = attribute;
        else if (!take(attribute))
            return false;
    }
    if (cursor.damaged) return false;
    if (listed.type != attributeAttributeList) return true;
    const uint8_t* value;
    uint32_t length;
    if (!readListValue(bytes, listed, value, length)) return false;
    ListCursor entries = listEntriesOf(value, length);
    ListEntry entry;
    uint64_t base = number | uint64_t{header.sequence} << 48;
    while (nextListEntry(entries, entry)) {
        // Those in the base record were taken already.
        if (recordNumberOf(entry.reference) == number) continue;
        if (!readListedAttribute(bytes, entry, base, attribute) || !take(attribute)) return false;
    }
    return !entries.damaged;
}

// A $FILE_NAME that holds its name and leads to a record of the table.
bool readName(const TableBytes& bytes, const Attribute& attribute, FileName& name) {
    return readFileName(attribute, name) && recordNumberOf(name.parent) < bytes.records;
}

}  // namespace

bool readFacts(TableBytes& bytes, uint32_t number, const uint8_t* record, const RecordHeader& header,
               RecordFacts& facts) {
    facts.isFolder = (header.flags & recordIsDirectory) != 0;
    facts.isLink = false;
    facts.size = 0;
    facts.names = 0;
    facts.lastParent = 0;
    facts.nameLength = 0;
    bool hasData = false;
    return eachAttribute(bytes, number, record, header, [&](const Attribute& attribute) {
        switch (attribute.type) {
        case attributeReparsePoint:
            facts.isLink = reparseTagIsLink(reparseTagOf(attribute));
            return true;
        case attributeData:
            // Named streams are not the file's size, nor are later extents.
            if (attribute.named || attribute.lowestVcn != 0) return true;
            if (hasData) return false;
            hasData = true;
            facts.size = attribute.dataSize;
            return true;
        case attributeFileName: {
            FileName name;
            if (!readName(bytes, attribute, name)) return false;
            if (name.nameSpace == nameSpaceDos) return true;
            uint32_t parent = static_cast<uint32_t>(recordNumberOf(name.parent));
            if (parent > facts.lastParent) facts.lastParent = parent;
            if (facts.names < namesKept) facts.parents[facts.names] = name.parent;
            if (facts.names++ == 0) {
                facts.nameLength = name.length;
                for (uint32_t i = 0; i < name.length; ++i) facts.name[i] = static_cast<wchar_t>(le16(name.name + 2 * i));
            }
            return true;
        }
        default:
            return true;
        }
    });
}

bool eachNameParent(TableBytes& bytes, uint32_t number, const uint8_t* record, const RecordHeader& header,
                    void (*visit)(void* context, uint64_t parent), void* context) {
    return eachAttribute(bytes, number, record, header, [&](const Attribute& attribute) {
        FileName name;
        if (attribute.type != attributeFileName) return true;
        if (!readName(bytes, attribute, name)) return false;
        if (name.nameSpace != nameSpaceDos) visit(context, name.parent);
        return true;
    });
}
