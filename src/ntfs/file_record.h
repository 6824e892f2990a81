// One record of the file table: its header, the update sequence that tells
// a record torn in the middle of a write, and its attributes.
#pragma once

#include <cstdint>

enum RecordFlag : uint16_t {
    recordInUse = 0x0001,
    recordIsDirectory = 0x0002,
};

// Records the format gives a meaning: the table's own, the root folder's,
// and below the first user record the volume's other files of its own.
enum ReservedRecord : uint32_t {
    tableRecord = 0,
    rootFolderRecord = 5,
    firstUserRecord = 16,
};

struct RecordHeader {
    uint16_t sequence;       // what a file reference to this record must carry
    uint16_t flags;          // RecordFlag
    uint64_t baseReference;  // 0 for a base record; an extension's base record
    uint32_t firstAttribute;
    uint32_t bytesInUse;
    uint32_t number;  // the record's own number, as it says; ~0 where its layout has none (NTFS 3.0)
};

enum class RecordState {
    unused,   // never written, or not in use
    inUse,
    damaged,  // in use, or cannot be told, but not readable as written
};

// Checks the record's signature and header, and puts back the two bytes
// the update sequence saved from the end of each of its 512-byte strides,
// which must all hold the sequence's number: a stride that does not was
// torn. `size` is the record size, a multiple of 512.
RecordState readRecordHeader(uint8_t* record, uint32_t size, RecordHeader& header);

enum AttributeType : uint32_t {
    attributeStandardInformation = 0x10,
    attributeAttributeList = 0x20,
    attributeFileName = 0x30,
    attributeData = 0x80,
    attributeReparsePoint = 0xC0,
    attributeEnd = 0xFFFFFFFF,
};

struct Attribute {
    uint32_t type;
    uint16_t id;    // told in a file's attribute list
    bool named;     // a stream or index of its own name
    bool resident;  // the value lies in the record
    const uint8_t* value;  // resident
    uint32_t valueLength;
    uint64_t lowestVcn;  // non-resident: where this extent's clusters start
    const uint8_t* runs;  // non-resident: the extent's data runs
    uint32_t runsLength;
    uint64_t dataSize;  // non-resident, first extent (lowestVcn 0) only
    uint64_t initializedSize;
};

// The attributes of one record, in order. Each is checked to lie within
// the record's bytes in use before it is handed out.
struct AttributeCursor {
    const uint8_t* record;
    uint32_t offset;
    uint32_t end;
    bool damaged;  // an attribute that does not fit: what follows is not read
};

AttributeCursor attributesOf(const uint8_t* record, const RecordHeader& header);

// The next attribute; false at the end marker, or where the record is
// damaged (the cursor says so).
bool nextAttribute(AttributeCursor& cursor, Attribute& attribute);

enum FileNameSpace : uint8_t {
    nameSpacePosix = 0,
    nameSpaceWin32 = 1,
    nameSpaceDos = 2,  // an 8.3 name beside a long one: never listed on its own
    nameSpaceWin32AndDos = 3,
};

struct FileName {
    uint64_t parent;  // file reference of the folder that holds the name
    uint8_t nameSpace;
    uint8_t length;       // UTF-16 units
    const uint8_t* name;  // UTF-16, little-endian, unaligned
};

// A resident $FILE_NAME value; false where it does not hold its name.
bool readFileName(const Attribute& attribute, FileName& name);

// The tag of a resident $REPARSE_POINT value (0 where it is not resident
// or too short to hold one).
uint32_t reparseTagOf(const Attribute& attribute);
