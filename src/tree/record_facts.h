// What a file is, read from its records: a function of its base record and
// the extension records its attribute list names (read through the
// table's bytes), keeping nothing from one file to the next.
//
// A worked example. A file of 1,000 bytes under three names, "one" and
// "one-again" in folder a (record 66, sequence 1) and "two" in folder b
// (record 67, sequence 1), each name with a DOS name beside it: its base
// record holds $STANDARD_INFORMATION, six $FILE_NAME attributes and an
// unnamed $DATA of 1,000 bytes. Its facts: a file, no link, size 1,000,
// three names (DOS names are no listing entries), parents {a, a, b} as file
// references (66 | 1 << 48, ...), the highest parent record 67, first name
// "one".
#pragma once

#include "ntfs/file_record.h"
#include "tree/utf8.h"

#include <cstdint>

struct TableBytes;

// The names whose folders the facts keep: a file of more names is gone
// through again for the rest (eachNameParent).
const uint32_t namesKept = 4;

struct RecordFacts {
    bool isFolder;
    bool isLink;       // a reparse point whose tag is a name surrogate
    uint64_t size;     // of the unnamed data stream, from its first extent
    uint32_t names;    // long names, DOS names aside: each is a listing entry
    uint32_t lastParent;  // the highest record number a name leads to
    uint64_t parents[namesKept];  // the first names' folders, as file references
    uint8_t nameLength;  // the first name's
    // UTF-16 units in the system's wide type (16 bits on Windows), so that
    // the program converts names with the one routine the walk uses too.
    wchar_t name[longestName];
};

// The facts of the file whose base record (number `number`, its header
// read) is `record`. False where its records cannot be read exactly: a
// damaged attribute or list, an extension record that is not its own, two
// first extents of its data, a name that leads past the table's records.
bool readFacts(TableBytes& bytes, uint32_t number, const uint8_t* record, const RecordHeader& header,
               RecordFacts& facts);

// Calls `visit` with the folder of each long name of that file, in order.
bool eachNameParent(TableBytes& bytes, uint32_t number, const uint8_t* record, const RecordHeader& header,
                    void (*visit)(void* context, uint64_t parent), void* context);
