// The file table read in three passes over records held nowhere but in the
// read buffer:
//   1. every record in order: a folder becomes a node at once; a file's
//      size goes to each folder that names it, or, where a folder it names
//      comes later in the table, the file waits;
//   2. the waiting files, their records read again;
//   3. each folder hung below the folder it names, and every folder checked
//      to lead up to the root or to a stale reference, never round a loop.
// Beyond the tree, the reading keeps one slot per record (what the record
// is as a parent) and the runs of the table's own data: a few bytes per
// record.
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
// A slot: 0 for a record that cannot be anyone's folder, else the folder's
// node, or this mark for a file whose names wait for the second pass.
const uintptr_t waitingFile = 1;

// While the table is read, a folder's subfoldersBytes holds where it stands:
// bits 0-31 its parent's record number, then, once hung below it, its own;
// bits 32-47 its parent's sequence number, until then; bits 48-63 its own.
uint64_t placeOf(uint32_t recordNumber, uint16_t parentSequence, uint16_t sequence) {
    return recordNumber | uint64_t{parentSequence} << 32 | uint64_t{sequence} << 48;
}

struct Extent {
    uint32_t vcn;
    uint32_t clusters;
    uint64_t lcn;
};

// What one file's attributes say, gathered over all its records.
struct Facts {
    bool counting;    // second look: each name's folder gets the size
    bool resolved;    // every folder a name leads to is known already
    bool isLink;
    bool hasData;
    uint64_t size;    // of the unnamed data stream, from its first extent
    uint32_t names;   // long names: each is a listing entry
    uint32_t number;  // the file's record
    uint64_t parent;  // a folder's: the reference its name gives
    uint8_t nameLength;
    uint16_t name[longestName];
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
    const uint8_t* singleRecord = nullptr;  // the record read on its own last
    uint32_t singleNumber = 0;
    RecordHeader singleHeader{};
    Extent* extents = nullptr;  // of the table's own data, in order
    uint32_t extentCount = 0;
    uint32_t extentCapacity = 0;
    uint32_t extentLimit = 0;
    uint32_t lastExtent = 0;  // where the last read began: reads mostly go on from there
    uint32_t records = 0;  // that were ever written: the table's initialized part
    uintptr_t* slots = nullptr;
    FolderNode* root;
    uint16_t rootSequence = 0;
    NodeArena* arena;
    DrivePrompt& prompt;
    ScanProgress& progress;
    uint32_t folders = 0;  // nodes made, the root aside

    Reader(RawVolume& raw, FolderNode* rootNode, NodeArena* nodes, DrivePrompt& user, ScanProgress& shown)
        : volume(*raw.bytes), root(rootNode), arena(nodes), prompt(user), progress(shown) {
        chunkRoom = raw.bufferSize / 2;
        listRoom = raw.bufferSize / 8 * 3;
        chunk = raw.buffer;
        list = chunk + chunkRoom;
        single = list + listRoom;
    }

    ~Reader() {
        std::free(extents);
        std::free(slots);
    }

    uint32_t recordSize() const { return 1u << geometry.recordShift; }

    uint32_t sectorSize() const { return 1u << geometry.sectorShift; }

    // Bytes [start, start + length) of the table's data, whole sectors,
    // through the extents they lie in.
    bool readTableBytes(uint64_t start, uint32_t length, uint8_t* into) {
        while (length > 0) {
            uint64_t vcn = start >> geometry.clusterShift;
            uint32_t k = lastExtent < extentCount && extents[lastExtent].vcn <= vcn ? lastExtent : 0;
            while (k < extentCount && extents[k].vcn + uint64_t{extents[k].clusters} <= vcn) ++k;
            if (k == extentCount) return false;
            lastExtent = k;
            uint64_t left = ((extents[k].vcn + uint64_t{extents[k].clusters}) << geometry.clusterShift) - start;
            uint32_t take = left < length ? static_cast<uint32_t>(left) : length;
            uint64_t at = (extents[k].lcn << geometry.clusterShift) + start - (uint64_t{extents[k].vcn} << geometry.clusterShift);
            if (!volume.read(at, into, take)) return false;
            start += take;
            into += take;
            length -= take;
        }
        return true;
    }

    // Record `number` read on its own into `single`, in use, its header
    // kept for the next entries that name the same record.
    bool readSingle(uint32_t number) {
        if (singleRecord && singleNumber == number) return true;
        singleRecord = nullptr;
        uint64_t start = uint64_t{number} << geometry.recordShift;
        uint64_t from = start >> geometry.sectorShift << geometry.sectorShift;
        uint32_t length = static_cast<uint32_t>(start - from) + recordSize() + sectorSize() - 1;
        length = length >> geometry.sectorShift << geometry.sectorShift;
        if (!readTableBytes(from, length, single)) return false;
        uint8_t* record = single + (start - from);
        if (readRecordHeader(record, recordSize(), singleHeader) != RecordState::inUse) return false;
        singleRecord = record;
        singleNumber = number;
        return true;
    }

    // The extents of the table's own data, in the order of their clusters.
    bool addExtents(const Attribute& data) {
        if (data.resident) return false;
        RunCursor runs = runsFrom(data.runs, data.runsLength, data.lowestVcn);
        uint64_t expected = extentCount ? extents[extentCount - 1].vcn + uint64_t{extents[extentCount - 1].clusters} : 0;
        if (data.lowestVcn != expected) return false;
        DataRun run;
        while (nextRun(runs, run)) {
            if (run.sparse || run.lcn + run.clusters > geometry.clusters || run.vcn + run.clusters > recordLimit * 8u ||
                extentCount == extentLimit)
                return false;
            if (extentCount == extentCapacity) {
                uint32_t wanted = extentCapacity ? extentCapacity * 2 : 16;
                void* grown = std::realloc(extents, sizeof(Extent) * wanted);
                if (!grown) return false;
                extents = static_cast<Extent*>(grown);
                extentCapacity = wanted;
            }
            extents[extentCount++] = Extent{static_cast<uint32_t>(run.vcn), static_cast<uint32_t>(run.clusters), run.lcn};
        }
        return !runs.damaged;
    }

    // An attribute list's value, resident or in clusters of its own.
    bool readListValue(const Attribute& attribute, const uint8_t*& value, uint32_t& length) {
        value = attribute.value;
        length = attribute.valueLength;
        if (attribute.resident) return true;
        if (attribute.lowestVcn != 0 || attribute.dataSize > listRoom) return false;
        RunCursor runs = runsFrom(attribute.runs, attribute.runsLength, 0);
        DataRun run;
        uint32_t filled = 0;
        while (filled < attribute.dataSize && nextRun(runs, run)) {
            if (run.sparse || run.lcn + run.clusters > geometry.clusters || run.clusters > listRoom >> geometry.clusterShift)
                return false;
            uint32_t bytes = static_cast<uint32_t>(run.clusters) << geometry.clusterShift;
            if (bytes > listRoom - filled || !volume.read(run.lcn << geometry.clusterShift, list + filled, bytes))
                return false;
            filled += bytes;
        }
        value = list;
        length = static_cast<uint32_t>(attribute.dataSize);
        return !runs.damaged && filled >= length;
    }

    // Finds, in the record the entry names, the attribute it stands for; an
    // extension record must be in use and belong to `base`, whose own
    // record is `baseRecord`.
    bool locate(const ListEntry& entry, uint64_t base, const uint8_t* baseRecord, const RecordHeader& baseHeader,
                Attribute& attribute) {
        const uint8_t* record = baseRecord;
        const RecordHeader* header = &baseHeader;
        if (recordNumberOf(entry.reference) != recordNumberOf(base)) {
            if (recordNumberOf(entry.reference) >= records ||
                !readSingle(static_cast<uint32_t>(recordNumberOf(entry.reference))) ||
                singleHeader.baseReference != base || singleHeader.sequence != sequenceOf(entry.reference))
                return false;
            record = singleRecord;
            header = &singleHeader;
        }
        AttributeCursor cursor = attributesOf(record, *header);
        while (nextAttribute(cursor, attribute))
            if (attribute.type == entry.type && attribute.id == entry.id) return true;
        return false;
    }

    uint16_t sequenceOfFolder(const FolderNode* folder) const {
        return folder == root ? rootSequence : static_cast<uint16_t>(folder->subfoldersBytes >> 48);
    }

    // The folder a parent reference leads to; null where it leads to no
    // folder in use with that sequence number (a stale reference), or to a
    // link, whose contents the walk reads.
    FolderNode* folderOf(uint64_t parent) const {
        uintptr_t slot = slots[recordNumberOf(parent)];
        FolderNode* folder = reinterpret_cast<FolderNode*>(slot);
        if (slot <= waitingFile || sequenceOfFolder(folder) != sequenceOf(parent) || (folder->scanMarks & scanMarkLink))
            return nullptr;
        return folder;
    }

    bool take(const Attribute& attribute, Facts& facts) {
        switch (attribute.type) {
        case attributeStandardInformation:
            facts.isLink |= (standardFileAttributes(attribute) & fileAttributeReparsePoint) != 0;
            return true;
        case attributeReparsePoint:
            facts.isLink = true;
            return true;
        case attributeData:
            // Named streams are not the file's size, nor are later extents.
            if (attribute.named || attribute.lowestVcn != 0 || facts.counting) return true;
            if (facts.hasData) return false;
            facts.hasData = true;
            facts.size = attribute.dataSize;
            return true;
        case attributeFileName: {
            FileName name;
            if (!readFileName(attribute, name) || recordNumberOf(name.parent) >= records) return false;
            if (name.nameSpace == nameSpaceDos) return true;
            if (facts.counting) {
                if (FolderNode* folder = folderOf(name.parent)) {
                    folder->filesBytes += facts.size;
                    ++progress.files;
                    progress.bytes += facts.size;
                }
                return true;
            }
            if (recordNumberOf(name.parent) > facts.number) facts.resolved = false;
            if (facts.names++ == 0) {
                facts.parent = name.parent;
                facts.nameLength = name.length;
                for (uint32_t i = 0; i < name.length; ++i) facts.name[i] = le16(name.name + 2 * i);
            }
            return true;
        }
        default:
            return true;
        }
    }

    // Takes each attribute of the file whose base record is `record`,
    // those its attribute list places in other records as well.
    bool takeAll(const uint8_t* record, const RecordHeader& header, Facts& facts) {
        uint64_t base = facts.number | uint64_t{header.sequence} << 48;
        AttributeCursor cursor = attributesOf(record, header);
        Attribute attribute;
        while (nextAttribute(cursor, attribute)) {
            if (attribute.type != attributeAttributeList) {
                if (!take(attribute, facts)) return false;
                continue;
            }
            const uint8_t* value;
            uint32_t length;
            if (!readListValue(attribute, value, length)) return false;
            ListCursor entries = listEntriesOf(value, length);
            ListEntry entry;
            Attribute placed;
            while (nextListEntry(entries, entry)) {
                if (recordNumberOf(entry.reference) == facts.number) continue;  // taken from here
                if (!locate(entry, base, record, header, placed) || !take(placed, facts)) return false;
            }
            if (entries.damaged) return false;
        }
        return !cursor.damaged;
    }

    bool addFolder(const RecordHeader& header, const Facts& facts) {
        if (facts.names != 1) return false;
        char text[longestName * 3 + 1];
        utf16ToUtf8(facts.name, facts.nameLength, text, sizeof text);
        FolderNode* folder = newNamedNode(arena, text);
        if (!folder) return false;
        if (facts.isLink) {
            folder->scanMarks |= scanMarkLink;
        } else if (!(folder->firstChild = newDotDotNode(arena, folder))) {
            return false;
        }
        folder->subfoldersBytes =
            placeOf(static_cast<uint32_t>(recordNumberOf(facts.parent)), sequenceOf(facts.parent), header.sequence);
        slots[facts.number] = reinterpret_cast<uintptr_t>(folder);
        ++folders;
        ++progress.folders;
        return true;
    }

    // A record met in the first pass, or again in the second (`waiting`).
    bool readRecord(uint32_t number, uint8_t* record, bool waiting) {
        RecordHeader header;
        RecordState state = readRecordHeader(record, recordSize(), header);
        if (state != RecordState::inUse || header.baseReference != 0) return state != RecordState::damaged;
        if (number == rootRecord) {
            rootSequence = header.sequence;
            slots[number] = reinterpret_cast<uintptr_t>(root);
            return header.flags & recordIsDirectory;
        }
        if (number < firstUserRecord) return true;
        Facts facts;
        facts.counting = facts.isLink = facts.hasData = false;
        facts.resolved = true;
        facts.size = 0;
        facts.names = 0;
        facts.number = number;
        if (!takeAll(record, header, facts)) return false;
        if (header.flags & recordIsDirectory) return addFolder(header, facts);
        slots[number] = 0;
        if (!facts.resolved && !waiting) {
            slots[number] = waitingFile;
            return true;
        }
        facts.counting = true;
        return takeAll(record, header, facts);
    }

    // Reads the table's records from the start, chunk by chunk; the second
    // pass only reads the chunks that hold a waiting file.
    TableReading pass(bool waiting) {
        uint32_t unitShift = geometry.recordShift > geometry.sectorShift ? geometry.recordShift : geometry.sectorShift;
        uint32_t chunkRecords = chunkRoom >> unitShift << unitShift >> geometry.recordShift;
        for (uint32_t first = 0; first < records; first += chunkRecords) {
            uint32_t count = records - first < chunkRecords ? records - first : chunkRecords;
            bool any = !waiting;
            for (uint32_t k = 0; k < count && !any; ++k) any = slots[first + k] == waitingFile;
            if (!any) continue;
            uint32_t bytes = ((count << geometry.recordShift) + sectorSize() - 1) >> geometry.sectorShift << geometry.sectorShift;
            if (!readTableBytes(uint64_t{first} << geometry.recordShift, bytes, chunk)) return TableReading::inexact;
            for (uint32_t k = 0; k < count; ++k) {
                if (waiting && slots[first + k] != waitingFile) continue;
                singleRecord = nullptr;
                if (!readRecord(first + k, chunk + (k << geometry.recordShift), waiting)) return TableReading::inexact;
            }
            if (!prompt.keepReading(progress)) return TableReading::stopped;
        }
        return TableReading::read;
    }

    // The table's own record, 0: its size, and the extents of its data,
    // from there and from the records its attribute list names.
    bool readOwnRecord() {
        uint8_t* own = chunk;  // record 0 stays here while others are read
        uint32_t length = recordSize() > sectorSize() ? recordSize() : sectorSize();
        RecordHeader header;
        if (!volume.read(geometry.mftCluster << geometry.clusterShift, own, length) ||
            readRecordHeader(own, recordSize(), header) != RecordState::inUse || header.baseReference != 0)
            return false;
        const uint8_t* listValue = nullptr;
        uint32_t listLength = 0;
        Attribute first{};
        Attribute attribute;
        AttributeCursor cursor = attributesOf(own, header);
        while (nextAttribute(cursor, attribute)) {
            if (attribute.type == attributeAttributeList && !readListValue(attribute, listValue, listLength)) return false;
            if (attribute.type == attributeData && !attribute.named && attribute.lowestVcn == 0) first = attribute;
        }
        // The first extent gives the table's size, and with it a bound on
        // the extents to come.
        if (cursor.damaged || first.type != attributeData || first.initializedSize > first.dataSize ||
            first.dataSize >> geometry.recordShift >= recordLimit)
            return false;
        records = static_cast<uint32_t>(first.initializedSize >> geometry.recordShift);
        extentLimit = records / 8 + 64;
        if (records <= firstUserRecord || !addExtents(first)) return false;
        // The later extents, where the list places them, in order: each in a
        // record that the extents before it reach.
        ListCursor entries = listEntriesOf(listValue, listLength);
        ListEntry entry;
        while (nextListEntry(entries, entry)) {
            if (entry.type != attributeData || entry.named || entry.lowestVcn == 0) continue;
            if (!locate(entry, uint64_t{header.sequence} << 48, own, header, attribute) || !addExtents(attribute))
                return false;
        }
        uint64_t mapped = uint64_t{extents[extentCount - 1].vcn + extents[extentCount - 1].clusters} << geometry.clusterShift;
        return !entries.damaged && first.dataSize <= mapped;
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
            if (slots[number] <= waitingFile) continue;
            FolderNode* folder = reinterpret_cast<FolderNode*>(slots[number]);
            uint64_t place = folder->subfoldersBytes;
            FolderNode* parent = folderOf((place & 0xFFFFFFFF) | (place >> 32 & 0xFFFF) << 48);
            if (!parent) parent = &stale;
            folder->parent = parent;
            folder->next = parent->firstChild->next;
            parent->firstChild->next = folder;
            folder->subfoldersBytes = placeOf(number, 0, static_cast<uint16_t>(place >> 48));
        }
        uint64_t reached = foldersBelow(root) + foldersBelow(&stale);
        // The stale ones go, or stay in the arena out of every tree.
        releaseChain(stale.firstChild);
        return reached == folders;
    }

    // Folder nodes below `top`, ".." nodes aside; without recursion.
    static uint64_t foldersBelow(const FolderNode* top) {
        uint64_t count = 0;
        const FolderNode* node = top->firstChild;
        while (node) {
            count += !isDotDot(node);
            if (node->firstChild) {
                node = node->firstChild;
                continue;
            }
            while (node != top && !node->next) node = node->parent;
            node = node == top ? nullptr : node->next;
        }
        return count;
    }

    TableReading read() {
        if (!volume.read(0, chunk, 4096) || !readBootSector(chunk, geometry)) return TableReading::notNtfs;
        if (!readOwnRecord()) return TableReading::inexact;
        // The table's last record must be there before a slot is made for
        // each: a boot sector cannot make the reading take more than the
        // volume holds.
        uint64_t last = ((uint64_t{records} << geometry.recordShift) - 1) >> geometry.sectorShift << geometry.sectorShift;
        slots = static_cast<uintptr_t*>(std::calloc(records, sizeof(uintptr_t)));
        if (!readTableBytes(last, sectorSize(), single) || !slots) return TableReading::inexact;
        progress.fromFileTable = true;
        if (!prompt.keepReading(progress)) return TableReading::stopped;
        for (int waiting = 0; waiting < 2; ++waiting) {
            TableReading passed = pass(waiting == 1);
            if (passed != TableReading::read) return passed;
        }
        // A table whose root is not a folder in use has no tree to hang.
        return slots[rootRecord] == reinterpret_cast<uintptr_t>(root) && hangFolders() ? TableReading::read
                                                                                        : TableReading::inexact;
    }
};

}  // namespace

TableReading readFileTable(RawVolume& volume, FolderNode* root, NodeArena* arena, DrivePrompt& prompt,
                           ScanProgress& progress) {
    Reader reader(volume, root, arena, prompt, progress);
    return reader.read();
}

uint64_t tableReferenceOf(const FolderNode* folder) {
    uint64_t place = folder->subfoldersBytes;
    return (place & 0xFFFFFFFF) | (place >> 48) << 48;
}

void finishTableTree(FolderNode* root, FolderNode* drive) {
    FolderNode* node = root->firstChild;
    for (FolderNode* top = node; top; top = top->next) top->parent = drive;
    // Below the root's folders, parents lead back to them and then to `drive`.
    while (node) {
        node->subfoldersBytes = 0;
        if (node->firstChild) {
            node = node->firstChild;
            continue;
        }
        while (node->parent != drive && !node->next) node = node->parent;
        node = node->next;
    }
}
