// The file table read in three passes over records held nowhere but in the
// read buffer:
//   1. every record in order: a folder becomes a node at once, its parent
//      the folder it names where that one came before it; a file's size
//      goes to each folder that names it. A file or folder that names a
//      folder coming later in the table waits;
//   2. the waiting files and folders, their records read again;
//   3. each folder hung below the folder it names, and every folder checked
//      to lead up to the root or to a stale reference, never round a loop.
// Beyond the tree, the reading keeps one place per record (its folder's
// node, its sequence number, whether it waits: 8 bytes in the 32-bit build)
// and the extents of the table's own data. Cluster and record numbers are 32-bit (NTFS counts no more
// clusters), positions in the table are counted in sectors.
#include "tree/file_table.h"

#include "ntfs/attribute_list.h"
#include "ntfs/boot_sector.h"
#include "ntfs/data_runs.h"
#include "ntfs/file_record.h"
#include "ntfs/little_endian.h"
#include "tree/drive_prompt.h"
#include "tree/file_system.h"
#include "tree/folder_node.h"
#include "tree/scan_marks.h"
#include "tree/utf8.h"

#include <cstdlib>
#include <cstring>

namespace {

const uint32_t rootRecord = 5;
const uint32_t firstUserRecord = 16;  // below it, the root aside: the volume's own files
const uint32_t recordLimit = 1u << 28;
const uint32_t longestName = 255;  // UTF-16 units
// What the reading keeps of one record.
struct RecordPlace {
    FolderNode* folder;  // a folder's node; null for any other record
    uint16_t sequence;   // what a reference to the folder must carry
    bool waits;          // names a folder that comes later in the table: read again
};

struct Extent {
    uint32_t vcn;
    uint32_t clusters;
    uint32_t lcn;
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

enum class Look {
    facts,     // what the file is, its size, where its names lead
    counting,  // each name's folder gets the size
    mapping,   // the table's own record: the extents of its data
};

// The names of a file kept from the first look, so that most files need
// no second: a file of more names takes a second look to count them.
const uint32_t namesKept = 4;

// What one file's attributes say, gathered over all its records. Only the
// counts and flags are set before a look; the rest is written as it is met.
struct Facts {
    Look look;
    bool resolved;  // every folder a name leads to is known already
    bool isLink;
    bool hasData;
    uint64_t size;    // of the unnamed data stream, from its first extent
    uint32_t names;   // long names: each is a listing entry
    uint32_t number;  // the file's record
    uint64_t parents[namesKept];  // the folders the first names give (a folder's: its one)
    uint8_t nameLength;  // the first name's
    // UTF-16 units in the system's wide type (16 bits on Windows), so that
    // the program converts names with the one routine the walk uses too.
    wchar_t name[longestName];

    Facts(Look first, uint32_t record)
        : look(first), resolved(true), isLink(false), hasData(false), size(0), names(0), number(record) {}
};

struct Reader {
    VolumeBytes& volume;
    NtfsGeometry geometry{};
    // The buffer in three: sequential reads of the table (half of it), one
    // attribute list, one record read on its own.
    uint8_t* chunk;
    uint8_t* list;
    uint8_t* single;
    uint32_t chunkRoom;
    uint32_t listRoom;
    uint32_t singleRoom;
    const uint8_t* singleRecord = nullptr;  // the record read on its own last
    uint32_t singleNumber = 0;
    RecordHeader singleHeader{};
    Extents table{};  // of the table's own data
    uint32_t records = 0;  // that were ever written: the table's initialized part
    RecordPlace* places = nullptr;
    FolderNode* root;
    NodeArena* arena;
    DrivePrompt& prompt;
    ScanProgress& progress;
    TableFolders& linkPaths;
    uint32_t folders = 0;  // nodes made, the root aside

    Reader(RawVolume& raw, FolderNode* rootNode, NodeArena* nodes, DrivePrompt& user, ScanProgress& shown,
           TableFolders& links)
        : volume(*raw.bytes), root(rootNode), arena(nodes), prompt(user), progress(shown), linkPaths(links) {
        chunkRoom = raw.bufferSize / 2;
        listRoom = raw.bufferSize / 8 * 3;
        chunk = raw.buffer;
        list = chunk + chunkRoom;
        single = list + listRoom;
        singleRoom = raw.bufferSize - chunkRoom - listRoom;
    }

    ~Reader() {
        std::free(table.items);
        std::free(places);
    }

    uint32_t recordSize() const { return 1u << geometry.recordShift; }

    // Sectors [start, start + count) of what `extents` map.
    bool readThrough(Extents& extents, uint32_t start, uint32_t count, uint8_t* into) {
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
            if (!volume.read(at << geometry.sectorShift, into, take << geometry.sectorShift)) return false;
            start += take;
            into += take << geometry.sectorShift;
            count -= take;
        }
        return true;
    }

    // The sectors that hold records [first, first + count): where the first
    // one starts within them, and how many.
    uint32_t sectorOf(uint32_t number, uint32_t& within) const {
        uint64_t byte = uint64_t{number} << geometry.recordShift;
        within = static_cast<uint32_t>(byte) & ((1u << geometry.sectorShift) - 1);
        return static_cast<uint32_t>(byte >> geometry.sectorShift);
    }

    uint32_t sectorsFor(uint32_t bytes) const {
        return (bytes + (1u << geometry.sectorShift) - 1) >> geometry.sectorShift;
    }

    // Record `number` read on its own into `single`, in use, its header
    // kept for the next entries that name the same record.
    bool readSingle(uint32_t number) {
        if (singleRecord && singleNumber == number) return true;
        singleRecord = nullptr;
        uint32_t within;
        uint32_t start = sectorOf(number, within);
        if (!readThrough(table, start, sectorsFor(within + recordSize()), single) ||
            readRecordHeader(single + within, recordSize(), singleHeader) != RecordState::inUse ||
            (singleHeader.number != number && singleHeader.number != ~0u))
            return false;
        singleRecord = single + within;
        singleNumber = number;
        return true;
    }

    // Adds the extent of a non-resident attribute that follows the ones
    // `extents` holds.
    bool addExtents(Extents& extents, const Attribute& data) {
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
            if (extents.count == extents.capacity) {
                uint32_t wanted = extents.capacity ? extents.capacity * 2 : 16;
                void* grown = std::realloc(extents.items, sizeof(Extent) * wanted);
                if (!grown) return false;
                extents.items = static_cast<Extent*>(grown);
                extents.capacity = wanted;
            }
            extents.items[extents.count++] =
                Extent{static_cast<uint32_t>(run.vcn), static_cast<uint32_t>(run.clusters), static_cast<uint32_t>(run.lcn)};
        }
        return !runs.damaged;
    }

    // An attribute list's value, resident or in clusters of its own.
    bool readListValue(const Attribute& attribute, const uint8_t*& value, uint32_t& length) {
        value = attribute.value;
        length = attribute.valueLength;
        if (attribute.resident) return true;
        Extent room[32];
        Extents extents{room, 0, 32, 32, 0};
        value = list;
        length = static_cast<uint32_t>(attribute.dataSize);
        return attribute.dataSize <= listRoom && addExtents(extents, attribute) &&
               readThrough(extents, 0, sectorsFor(length), list);
    }

    // Finds, in the record the entry names, the attribute it stands for; an
    // extension record must be in use and belong to `base`.
    bool locate(const ListEntry& entry, uint64_t base, Attribute& attribute) {
        uint64_t number = recordNumberOf(entry.reference);
        if (number >= records || !readSingle(static_cast<uint32_t>(number)) || singleHeader.baseReference != base ||
            singleHeader.sequence != sequenceOf(entry.reference))
            return false;
        AttributeCursor cursor = attributesOf(singleRecord, singleHeader);
        while (nextAttribute(cursor, attribute))
            if (attribute.type == entry.type && attribute.id == entry.id) return true;
        return false;
    }

    // The folder a parent reference leads to; null where it leads to no
    // folder in use with that sequence number (a stale reference), or to a
    // link, whose contents the walk reads.
    FolderNode* folderOf(uint64_t parent) const {
        const RecordPlace& place = places[recordNumberOf(parent)];
        if (!place.folder || place.sequence != sequenceOf(parent) || (place.folder->scanMarks & scanMarkLink))
            return nullptr;
        return place.folder;
    }

    bool take(const Attribute& attribute, Facts& facts) {
        switch (attribute.type) {
        case attributeReparsePoint:
            facts.isLink = reparseTagIsLink(reparseTagOf(attribute));
            return true;
        case attributeData:
            // Named streams are not the file's size, nor are later extents.
            if (attribute.named) return true;
            if (facts.look == Look::mapping) return addExtents(table, attribute);
            if (attribute.lowestVcn != 0 || facts.look == Look::counting) return true;
            if (facts.hasData) return false;
            facts.hasData = true;
            facts.size = attribute.dataSize;
            return true;
        case attributeFileName: {
            FileName name;
            if (!readFileName(attribute, name) || recordNumberOf(name.parent) >= records) return false;
            if (name.nameSpace == nameSpaceDos || facts.look == Look::mapping) return true;
            if (facts.look == Look::counting) {
                count(name.parent, facts.size);
                return true;
            }
            if (recordNumberOf(name.parent) > facts.number) facts.resolved = false;
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
    }

    // Takes each attribute of the file whose base record is `record`, then
    // those its attribute list places in other records, in the list's
    // order (the table's own extents come in order so).
    bool takeAll(const uint8_t* record, const RecordHeader& header, Facts& facts) {
        AttributeCursor cursor = attributesOf(record, header);
        Attribute attribute;
        Attribute listed{};
        while (nextAttribute(cursor, attribute)) {
            if (attribute.type == attributeAttributeList)
                listed = attribute;
            else if (!take(attribute, facts))
                return false;
        }
        if (cursor.damaged) return false;
        if (listed.type != attributeAttributeList) return true;
        const uint8_t* value;
        uint32_t length;
        if (!readListValue(listed, value, length)) return false;
        ListCursor entries = listEntriesOf(value, length);
        ListEntry entry;
        uint64_t base = facts.number | uint64_t{header.sequence} << 48;
        while (nextListEntry(entries, entry)) {
            // Taken from here already; or not wanted now.
            if (recordNumberOf(entry.reference) == facts.number ||
                (facts.look == Look::mapping && entry.type != attributeData))
                continue;
            if (!locate(entry, base, attribute) || !take(attribute, facts)) return false;
        }
        return !entries.damaged;
    }

    bool addFolder(const RecordHeader& header, const Facts& facts) {
        if (facts.names != 1) return false;
        char text[longestName * 3 + 1];
        utf16ToUtf8(facts.name, facts.nameLength, text, sizeof text);
        FolderNode* folder = newNamedNode(arena, text);
        if (!folder) return false;
        if (facts.isLink)
            folder->scanMarks |= scanMarkLink;
        else if (!(folder->firstChild = newDotDotNode(arena, folder)))
            return false;
        places[facts.number] = RecordPlace{folder, header.sequence, !facts.resolved};
        // Where the parent comes later, it is known at the second look.
        if (facts.resolved) folder->parent = folderOf(facts.parents[0]);
        ++folders;
        ++progress.folders;
        return true;
    }

    void count(uint64_t parent, uint64_t size) {
        if (FolderNode* folder = folderOf(parent)) {
            folder->filesBytes += size;
            ++progress.files;
            progress.bytes += size;
        }
    }

    // A record met in the first pass, or again in the second (`waiting`).
    bool readRecord(uint32_t number, uint8_t* record, bool waiting) {
        RecordHeader header;
        RecordState state = readRecordHeader(record, recordSize(), header);
        if (state != RecordState::inUse || header.baseReference != 0) return state != RecordState::damaged;
        // A record read from somewhere else than its place: the table's runs are wrong.
        if (header.number != number && header.number != ~0u) return false;
        if (number == rootRecord) {
            places[number] = RecordPlace{root, header.sequence, false};
            return header.flags & recordIsDirectory;
        }
        if (number < firstUserRecord) return true;
        Facts facts(Look::facts, number);
        if (!takeAll(record, header, facts)) return false;
        if (header.flags & recordIsDirectory) {
            if (!waiting) return addFolder(header, facts);
            // A live volume may have changed the record since: then it is no longer the folder it was.
            FolderNode* folder = places[number].folder;
            if (!folder || facts.names != 1) return false;
            folder->parent = folderOf(facts.parents[0]);
            return true;
        }
        if (!facts.resolved && !waiting) {
            places[number].waits = true;
            return true;
        }
        if (facts.names > namesKept) {
            facts.look = Look::counting;
            return takeAll(record, header, facts);
        }
        for (uint32_t k = 0; k < facts.names; ++k) count(facts.parents[k], facts.size);
        return true;
    }

    // Reads the table's records from the start, chunk by chunk; the second
    // pass only reads the chunks that hold a waiting record.
    Reading pass(bool waiting) {
        uint32_t unitShift = geometry.recordShift > geometry.sectorShift ? geometry.recordShift : geometry.sectorShift;
        uint32_t chunkRecords = chunkRoom >> unitShift << unitShift >> geometry.recordShift;
        for (uint32_t first = 0; first < records; first += chunkRecords) {
            uint32_t count = records - first < chunkRecords ? records - first : chunkRecords;
            bool any = !waiting;
            for (uint32_t k = 0; k < count && !any; ++k) any = places[first + k].waits;
            if (!any) continue;
            uint32_t within;
            uint32_t start = sectorOf(first, within);
            if (!readThrough(table, start, sectorsFor(count << geometry.recordShift), chunk)) return Reading::notThisWay;
            for (uint32_t k = 0; k < count; ++k) {
                if (waiting && !places[first + k].waits) continue;
                singleRecord = nullptr;
                if (!readRecord(first + k, chunk + (k << geometry.recordShift), waiting)) return Reading::notThisWay;
            }
            if (!prompt.keepReading(progress)) return Reading::stopped;
        }
        return Reading::read;
    }

    // The table's own record, 0: its size from the first extent of its
    // data, then the later extents, where its attribute list places them,
    // each in a record that the extents before it reach.
    bool readOwnRecord() {
        uint8_t* own = chunk;  // record 0 stays here while others are read
        RecordHeader header;
        if (!volume.read(uint64_t{geometry.mftCluster} << geometry.clusterShift, own,
                         sectorsFor(recordSize()) << geometry.sectorShift) ||
            readRecordHeader(own, recordSize(), header) != RecordState::inUse || header.baseReference != 0)
            return false;
        Attribute first{};
        AttributeCursor cursor = attributesOf(own, header);
        bool found = false;
        while (!found && nextAttribute(cursor, first))
            found = first.type == attributeData && !first.named && first.lowestVcn == 0;
        if (!found || first.initializedSize > first.dataSize || first.dataSize >> geometry.recordShift >= recordLimit)
            return false;
        records = static_cast<uint32_t>(first.initializedSize >> geometry.recordShift);
        table.limit = records / 8 + 64;  // no more extents than so many records can need
        Facts facts(Look::mapping, 0);
        if (records <= firstUserRecord || !takeAll(own, header, facts) || table.count == 0) return false;
        const Extent& last = table.items[table.count - 1];
        return first.dataSize >> geometry.clusterShift <= last.vcn + last.clusters;
    }

    // Each folder below the folder its name gives, behind that one's ".."
    // node. One whose parent reference is stale goes below `stale` with
    // everything under it: not counted, as no listing shows it. A folder
    // that leads to neither the root nor a stale reference is on a loop.
    bool hangFolders() {
        FolderNode stale = *root;
        stale.isDrive = 0;
        stale.firstChild = newDotDotNode(nullptr, &stale);
        if (!stale.firstChild) return false;
        for (uint32_t number = firstUserRecord; number < records; ++number) {
            FolderNode* folder = places[number].folder;
            if (!folder) continue;
            if (!folder->parent) folder->parent = &stale;
            FolderNode* parent = folder->parent;
            folder->next = parent->firstChild->next;
            parent->firstChild->next = folder;
        }
        uint32_t reached = foldersBelow(root) + foldersBelow(&stale);
        // The stale ones go, or stay in the arena out of every tree.
        releaseChain(stale.firstChild);
        return reached == folders;
    }

    // The links of the tree and the folders above them, each once, with
    // their file references: the walk opens its way down to a link by them.
    bool listLinks() {
        uint32_t count = 0;
        for (const FolderNode* node = root->firstChild; node; node = nextInTree(node, root))
            if (node->scanMarks & scanMarkLink)
                for (const FolderNode* up = node; up != root; up = up->parent) ++count;
        linkPaths.items = static_cast<TableFolder*>(std::malloc(sizeof(TableFolder) * (count ? count : 1)));
        if (!linkPaths.items) return false;
        TableFolder* filled = linkPaths.items;
        for (const FolderNode* node = root->firstChild; node; node = nextInTree(node, root))
            if (node->scanMarks & scanMarkLink)
                for (const FolderNode* up = node; up != root; up = up->parent) *filled++ = TableFolder{up, 0};
        std::qsort(linkPaths.items, count, sizeof(TableFolder), byTableFolder);
        // The same folders lie next to each other now: each is kept once.
        linkPaths.count = 0;
        for (uint32_t k = 0; k < count; ++k)
            if (k == 0 || linkPaths.items[k].folder != linkPaths.items[k - 1].folder)
                linkPaths.items[linkPaths.count++] = linkPaths.items[k];
        for (uint32_t number = firstUserRecord; number < records && linkPaths.count; ++number) {
            TableFolder* found = tableFolderOf(linkPaths, places[number].folder);
            if (found) found->reference = number | uint64_t{places[number].sequence} << 48;
        }
        return true;
    }

    // Folder nodes below `top`, ".." nodes aside; without recursion.
    static uint32_t foldersBelow(const FolderNode* top) {
        uint32_t count = 0;
        for (const FolderNode* node = top->firstChild; node; node = nextInTree(node, top)) count += !isDotDot(node);
        return count;
    }

    // Whether a chunk, and the room for a record read on its own, hold at
    // least one record and one sector: a chunk of no records would never
    // move on.
    bool roomsHold() const {
        uint32_t unit = recordSize() > 1u << geometry.sectorShift ? recordSize() : 1u << geometry.sectorShift;
        return chunkRoom >= unit && singleRoom >= unit;
    }

    Reading read() {
        if (chunkRoom < 4096 || !volume.read(0, chunk, 4096) || !readBootSector(chunk, geometry))
            return Reading::notThisWay;
        if (!roomsHold()) return Reading::notThisWay;
        if (!readOwnRecord()) return Reading::notThisWay;
        // The table's last record must be there before a slot is made for
        // each: a boot sector cannot make the reading take more than the
        // volume holds.
        uint32_t within;
        uint32_t last = sectorOf(records - 1, within);
        if (!readThrough(table, last, sectorsFor(within + recordSize()), single)) return Reading::notThisWay;
        places = static_cast<RecordPlace*>(std::calloc(records, sizeof(RecordPlace)));
        if (!places) return Reading::notThisWay;
        progress.fromFileTable = true;
        if (!prompt.keepReading(progress)) return Reading::stopped;
        for (int waiting = 0; waiting < 2; ++waiting) {
            Reading passed = pass(waiting == 1);
            if (passed != Reading::read) return passed;
        }
        // A table whose root is not a folder in use has no tree to hang.
        return places[rootRecord].folder == root && hangFolders() && listLinks() ? Reading::read
                                                                                  : Reading::notThisWay;
    }
};

}  // namespace

Reading readFileTable(RawVolume& volume, FolderNode* root, NodeArena* arena, DrivePrompt& prompt,
                           ScanProgress& progress, TableFolders& linkPaths) {
    linkPaths = TableFolders{nullptr, 0};
    Reader reader(volume, root, arena, prompt, progress, linkPaths);
    return reader.read();
}
