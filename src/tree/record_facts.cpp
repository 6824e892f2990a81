#include "tree/record_facts.h"

#include "ntfs/little_endian.h"
#include "tree/file_system.h"
#include "tree/table_bytes.h"

namespace {

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
    auto take = [&](const Attribute& attribute) {
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
    };
    return eachAttribute(bytes, number, record, header, anyAttribute, take);
}

bool eachNameParent(TableBytes& bytes, uint32_t number, const uint8_t* record, const RecordHeader& header,
                    void (*visit)(void* context, uint64_t parent), void* context) {
    auto take = [&](const Attribute& attribute) {
        FileName name;
        if (!readName(bytes, attribute, name)) return false;
        if (name.nameSpace != nameSpaceDos) visit(context, name.parent);
        return true;
    };
    return eachAttribute(bytes, number, record, header, attributeFileName, take);
}
