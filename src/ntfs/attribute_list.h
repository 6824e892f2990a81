// The attribute list of a file whose attributes fill more than one record:
// one entry per attribute (or per extent of one), naming the record that
// holds it.
#pragma once

#include <cstdint>

struct ListEntry {
    uint32_t type;
    bool named;
    uint64_t lowestVcn;  // for the extents of a non-resident attribute
    uint64_t reference;  // the record that holds the attribute
    uint16_t id;         // the attribute's in that record
};

struct ListCursor {
    const uint8_t* at;
    const uint8_t* end;
    bool damaged;
};

inline ListCursor listEntriesOf(const uint8_t* value, uint32_t length) {
    return ListCursor{value, value + length, false};
}

// The next entry; false at the end of the list, or where an entry does not
// fit (the cursor says so).
bool nextListEntry(ListCursor& cursor, ListEntry& entry);
