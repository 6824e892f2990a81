#include "tree/table_bytes.h"

#include "ntfs/attribute_list.h"
#include "ntfs/data_runs.h"
#include "ntfs/little_endian.h"
#include "tree/file_system.h"
#include "tree/grow_array.h"

#include <cstdlib>

namespace {

const uint32_t recordLimit = 1u << 28;
const uint32_t bootSectorBytes = 4096;  // whole sectors of any size this reader takes

uint32_t sectorSizeOf(const TableBytes& bytes) {
    return 1u << bytes.geometry.sectorShift;
}

uint32_t sectorsFor(const TableBytes& bytes, uint32_t length) {
    return (length + sectorSizeOf(bytes) - 1) >> bytes.geometry.sectorShift;
}

// The sector of the table that record `number` starts in, and how far into it.
uint32_t sectorOf(const TableBytes& bytes, uint32_t number, uint32_t& within) {
    uint64_t byte = uint64_t{number} << bytes.geometry.recordShift;
    within = static_cast<uint32_t>(byte) & (sectorSizeOf(bytes) - 1);
    return static_cast<uint32_t>(byte >> bytes.geometry.sectorShift);
}

// Sectors [start, start + count) of what `extents` map, into `into`.
bool readThrough(TableBytes& bytes, Extents& extents, uint32_t start, uint32_t count, uint8_t* into) {
    const NtfsGeometry& geometry = bytes.geometry;
    const unsigned perCluster = geometry.clusterShift - geometry.sectorShift;
    while (count > 0) {
        uint32_t vcn = start >> perCluster;
        uint32_t k = extents.last < extents.count && extents.items[extents.last].vcn <= vcn ? extents.last : 0;
        while (k < extents.count && extents.items[k].vcn + extents.items[k].clusters <= vcn) ++k;
        if (k == extents.count) return false;
        extents.last = k;
        const Extent& extent = extents.items[k];
        uint32_t offset = start - (extent.vcn << perCluster);
        uint32_t take = (extent.clusters << perCluster) - offset;
        if (take > count) take = count;
        uint64_t at = (uint64_t{extent.lcn} << perCluster) + offset;
        if (!bytes.volume->read(at << geometry.sectorShift, into, take << geometry.sectorShift)) return false;
        start += take;
        into += take << geometry.sectorShift;
        count -= take;
    }
    return true;
}

// Adds the extent of a non-resident attribute that follows the ones
// `extents` holds.
bool addExtents(const NtfsGeometry& geometry, Extents& extents, const Attribute& data) {
    if (data.resident) return false;
    const Extent* last = extents.count ? &extents.items[extents.count - 1] : nullptr;
    if (data.lowestVcn != (last ? last->vcn + last->clusters : 0)) return false;
    RunCursor runs = runsFrom(data.runs, data.runsLength, data.lowestVcn);
    DataRun run;
    while (nextRun(runs, run)) {
        // Positions in what the extents map are counted in sectors, in 31 bits.
        if (run.sparse || run.lcn + run.clusters > geometry.clusters ||
            (run.vcn + run.clusters) << (geometry.clusterShift - geometry.sectorShift) > 1u << 31 ||
            extents.count == extents.limit)
            return false;
        if (extents.count == extents.capacity && !growArray(extents.items, extents.capacity, uint32_t{16})) return false;
        extents.items[extents.count++] =
            Extent{static_cast<uint32_t>(run.vcn), static_cast<uint32_t>(run.clusters), static_cast<uint32_t>(run.lcn)};
    }
    return !runs.damaged;
}

// The sectors that hold record `number`, into the single record's room;
// `within` is where the record starts in it.
bool readSectorsOf(TableBytes& bytes, uint32_t number, uint32_t& within) {
    uint32_t start = sectorOf(bytes, number, within);
    return readThrough(bytes, bytes.table, start, sectorsFor(bytes, within + recordSizeOf(bytes)), bytes.single);
}

// Record `number` read on its own, in use and naming itself, into the
// single record's room; kept for the next attributes that lie in it.
bool readAlone(TableBytes& bytes, uint32_t number) {
    if (bytes.alone && bytes.aloneNumber == number) return true;
    bytes.alone = nullptr;
    uint32_t within;
    RecordHeader& header = bytes.aloneHeader;
    if (!readSectorsOf(bytes, number, within) ||
        readRecordHeader(bytes.single + within, recordSizeOf(bytes), header) != RecordState::inUse ||
        (header.number != number && header.number != ~0u))
        return false;
    bytes.alone = bytes.single + within;
    bytes.aloneNumber = number;
    return true;
}

// Whether a chunk, and the room for a record read on its own, hold at
// least one record and one sector: a chunk of no records would never move
// on.
bool roomsHold(const TableBytes& bytes) {
    uint32_t unit = recordSizeOf(bytes) > sectorSizeOf(bytes) ? recordSizeOf(bytes) : sectorSizeOf(bytes);
    return bytes.chunkRoom >= unit && bytes.singleRoom >= unit;
}

// Record 0, the table's own: its size from the first extent of its unnamed
// data, then every extent of that data, the base record's and those its
// attribute list places in other records, in the list's order, each in a
// record that the extents before it reach.
bool mapTable(TableBytes& bytes) {
    uint8_t* own = bytes.chunk;  // stays here while extension records are read
    RecordHeader header;
    if (!bytes.volume->read(uint64_t{bytes.geometry.mftCluster} << bytes.geometry.clusterShift, own,
                            sectorsFor(bytes, recordSizeOf(bytes)) << bytes.geometry.sectorShift) ||
        readRecordHeader(own, recordSizeOf(bytes), header) != RecordState::inUse || header.baseReference != 0)
        return false;
    uint64_t dataSize = 0;
    auto take = [&bytes, &dataSize](const Attribute& data) {
        if (data.named) return true;
        // The first extent, which comes first, gives the sizes.
        if (data.lowestVcn == 0 && bytes.table.count == 0) {
            if (data.initializedSize > data.dataSize || data.dataSize >> bytes.geometry.recordShift >= recordLimit)
                return false;
            dataSize = data.dataSize;
            bytes.records = static_cast<uint32_t>(data.initializedSize >> bytes.geometry.recordShift);
            bytes.table.limit = bytes.records / 8 + 64;  // no more extents than so many records can need
            if (bytes.records <= firstUserRecord) return false;
        }
        return addExtents(bytes.geometry, bytes.table, data);
    };
    if (!eachAttribute(bytes, tableRecord, own, header, attributeData, take) || bytes.table.count == 0) return false;
    const Extent& last = bytes.table.items[bytes.table.count - 1];
    return dataSize >> bytes.geometry.clusterShift <= last.vcn + last.clusters;
}

}  // namespace

bool openTable(RawVolume& raw, TableBytes& bytes) {
    bytes = TableBytes{};
    bytes.volume = raw.bytes;
    bytes.chunk = raw.buffer;
    bytes.chunkRoom = raw.bufferSize / 2;
    bytes.list = bytes.chunk + bytes.chunkRoom;
    bytes.listRoom = raw.bufferSize / 8 * 3;
    bytes.single = bytes.list + bytes.listRoom;
    bytes.singleRoom = raw.bufferSize - bytes.chunkRoom - bytes.listRoom;
    if (bytes.chunkRoom < bootSectorBytes || !bytes.volume->read(0, bytes.chunk, bootSectorBytes) ||
        !readBootSector(bytes.chunk, bytes.geometry) || !roomsHold(bytes) || !mapTable(bytes))
        return false;
    // A boot sector cannot make the reading take more than the volume holds.
    uint32_t within;
    return readSectorsOf(bytes, bytes.records - 1, within);
}

void closeTable(TableBytes& bytes) {
    std::free(bytes.table.items);
    bytes.table = Extents{};
}

uint32_t recordsPerChunk(const TableBytes& bytes) {
    const NtfsGeometry& geometry = bytes.geometry;
    uint32_t unitShift = geometry.recordShift > geometry.sectorShift ? geometry.recordShift : geometry.sectorShift;
    return bytes.chunkRoom >> unitShift << unitShift >> geometry.recordShift;
}

bool readChunk(TableBytes& bytes, uint32_t first, uint32_t count) {
    bytes.alone = nullptr;
    uint32_t within;
    uint32_t start = sectorOf(bytes, first, within);
    return readThrough(bytes, bytes.table, start, sectorsFor(bytes, count << bytes.geometry.recordShift), bytes.chunk);
}

bool readListedAttribute(TableBytes& bytes, const ListEntry& entry, uint64_t base, Attribute& attribute) {
    uint64_t number = recordNumberOf(entry.reference);
    if (number >= bytes.records || !readAlone(bytes, static_cast<uint32_t>(number)) ||
        bytes.aloneHeader.baseReference != base || bytes.aloneHeader.sequence != sequenceOf(entry.reference))
        return false;
    AttributeCursor cursor = attributesOf(bytes.alone, bytes.aloneHeader);
    while (nextAttribute(cursor, attribute))
        if (attribute.type == entry.type && attribute.id == entry.id) return true;
    return false;
}

bool readListValue(TableBytes& bytes, const Attribute& list, const uint8_t*& value, uint32_t& length) {
    value = list.value;
    length = list.valueLength;
    if (list.resident) return true;
    Extent room[32];
    Extents extents{room, 0, 32, 32, 0};
    value = bytes.list;
    length = static_cast<uint32_t>(list.dataSize);
    return list.dataSize <= bytes.listRoom && addExtents(bytes.geometry, extents, list) &&
           readThrough(bytes, extents, 0, sectorsFor(bytes, length), bytes.list);
}

bool eachAttribute(TableBytes& bytes, uint32_t number, const uint8_t* record, const RecordHeader& header,
                   uint32_t type, bool (*take)(void* context, const Attribute& attribute), void* context) {
    AttributeCursor cursor = attributesOf(record, header);
    Attribute attribute;
    Attribute listed{};
    while (nextAttribute(cursor, attribute)) {
        if (attribute.type == attributeAttributeList)
            listed = attribute;
        else if ((type == anyAttribute || attribute.type == type) && !take(context, attribute))
            return false;
    }
    if (cursor.damaged) return false;
    if (listed.type != attributeAttributeList) return true;
    const uint8_t* value;
    uint32_t length;
    if (!readListValue(bytes, listed, value, length)) return false;
    ListCursor entries = listEntriesOf(value, length);
    ListEntry entry;
    uint64_t base = fileReference(number, header.sequence);
    while (nextListEntry(entries, entry)) {
        // Those in the base record were taken already.
        if (recordNumberOf(entry.reference) == number || (type != anyAttribute && entry.type != type)) continue;
        if (!readListedAttribute(bytes, entry, base, attribute) || !take(context, attribute)) return false;
    }
    return !entries.damaged;
}
