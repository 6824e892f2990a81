// The file table's bytes: where the table (the MFT) lies on the volume, and
// its records read through those extents, in whole sectors, into the raw
// volume's one buffer.
//
// The buffer is shared three ways: half of it for chunks of records read in
// order, three eighths for one attribute list's value, the rest for one
// record read on its own (an extension record, the table's last record).
//
// A worked example. A volume of 512-byte sectors and 4 KiB clusters (8
// sectors each) whose record 0 maps the table's data in two extents:
// clusters 0-63 at cluster 786,432, clusters 64-79 at cluster 12,000.
// Record 300 of 1 KiB lies 307,200 bytes into the table: sector 600 of it,
// in cluster 75 (the second extent, 11 clusters in), so at the volume's
// sector (12,000 + 11) * 8 = 96,088. The table's 320 records (80 clusters)
// fit one chunk of 512 KiB: 640 sectors, 512 read from the first extent and
// 128 from the second.
#pragma once

#include "ntfs/boot_sector.h"
#include "ntfs/file_record.h"

#include <cstdint>

class VolumeBytes;
struct ListEntry;
struct RawVolume;

struct Extent {
    uint32_t vcn;  // the first of the table's clusters it maps
    uint32_t clusters;
    uint32_t lcn;  // the volume's cluster it starts at
};

// Where an attribute's clusters lie, in order. Grows on the heap up to its
// limit, or stays in the room it was given (capacity == limit).
struct Extents {
    Extent* items;
    uint32_t count;
    uint32_t capacity;
    uint32_t limit;
    uint32_t last;  // where the last read began: reads mostly go on from there
};

struct TableBytes {
    VolumeBytes* volume;
    NtfsGeometry geometry;
    uint8_t* chunk;  // records read in order
    uint32_t chunkRoom;
    uint8_t* list;  // one attribute list's value
    uint32_t listRoom;
    uint8_t* single;  // one record read on its own
    uint32_t singleRoom;
    Extents table;     // of the table's own data
    uint32_t records;  // that were ever written: the table's initialized part
    // The record read on its own last, kept for the next attribute that
    // lies in it; null when there is none.
    const uint8_t* alone;
    uint32_t aloneNumber;
    RecordHeader aloneHeader;
};

// Opens the file table of `raw`: its boot sector, record 0's extents (and
// their later parts, where its attribute list places them in records the
// extents before reach), and the last record, which must be there before
// anything is allocated for the records. False where the volume holds no
// NTFS, or a table this reader cannot read exactly; `bytes` is to be
// closed either way.
bool openTable(RawVolume& raw, TableBytes& bytes);
void closeTable(TableBytes& bytes);

inline uint32_t recordSizeOf(const TableBytes& bytes) {
    return 1u << bytes.geometry.recordShift;
}

// How many records one chunk holds: at least one (openTable refuses a
// buffer too small for that).
uint32_t recordsPerChunk(const TableBytes& bytes);

// Reads records [first, first + count) into the chunk, record k of them at
// chunk + (k << recordShift).
bool readChunk(TableBytes& bytes, uint32_t first, uint32_t count);

// Finds the attribute a file's list entry stands for, in the extension
// record it names, read on its own: that record must be in use, name
// itself, and belong to `base` (the base record's reference) with the
// sequence number the entry carries.
bool readListedAttribute(TableBytes& bytes, const ListEntry& entry, uint64_t base, Attribute& attribute);

// An attribute list's value, resident or in clusters of its own (read into
// the list's room).
bool readListValue(TableBytes& bytes, const Attribute& list, const uint8_t*& value, uint32_t& length);

const uint32_t anyAttribute = 0;

// Hands `take` each attribute of type `type` (or of any) of the file whose
// base record (number `number`, its header read) is `record`: those in the
// base record, then those its attribute list places in other records, in
// the list's order. False at the first it refuses, or where the records
// cannot be read exactly.
bool eachAttribute(TableBytes& bytes, uint32_t number, const uint8_t* record, const RecordHeader& header,
                   uint32_t type, bool (*take)(void* context, const Attribute& attribute), void* context);

// The same, `take` a function object.
template <typename Take>
bool eachAttribute(TableBytes& bytes, uint32_t number, const uint8_t* record, const RecordHeader& header,
                   uint32_t type, Take& take) {
    auto call = [](void* context, const Attribute& attribute) { return (*static_cast<Take*>(context))(attribute); };
    return eachAttribute(bytes, number, record, header, type, call, &take);
}
