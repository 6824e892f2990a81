// The tree built from the records' facts, in three passes over records held
// nowhere but in the read buffer:
//   1. every record in order: a folder becomes a node at once, its parent
//      the folder it names where that one came before it; a file's size
//      goes to each folder that names it. A file or folder that names a
//      folder coming later in the table waits;
//   2. the waiting files and folders, their records read again;
//   3. each folder hung below the folder it names, and every folder checked
//      to lead up to the root or to a stale reference, never round a loop.
//
// A worked example. Records 64 "a" (a folder in the root, sequence 1), 65
// "f" (a file of 10 bytes in a), 66 "g" (a file of 7 bytes in 67), 67 "b"
// (a folder in a). Pass 1: a's node, below the root; f's 10 bytes to a; g
// waits (67 comes later); b's node, below a. Pass 2: g's 7 bytes to b.
// Pass 3: a hung below the root, b below a; both lead to the root.
//
// Beyond the tree, the reading keeps one place per record (its folder's
// node, its sequence number, whether it waits and is shown: 8 bytes in
// the 32-bit build) and the table's extents. Record numbers are 32-bit (NTFS counts no
// more clusters).
#include "tree/file_table.h"

#include "ntfs/little_endian.h"
#include "tree/drive_prompt.h"
#include "tree/file_system.h"
#include "tree/folder_node.h"
#include "tree/record_facts.h"
#include "tree/scan_marks.h"
#include "tree/table_bytes.h"
#include "tree/utf8.h"

#include <cstdlib>

namespace {

// What the reading keeps of one record.
struct RecordPlace {
    FolderNode* folder;  // a folder's node; null for any other record
    uint16_t sequence;   // what a reference to the folder must carry
    bool waits;          // names a folder that comes later in the table: read again
    // Leads up to the root as far as is known yet (a folder whose parent
    // comes later is taken to): its files are counted in the progress, which
    // counts what the tree will show.
    bool shown;
};

struct TreeBuilder {
    TableBytes& bytes;
    RecordPlace* places = nullptr;
    FolderNode* root;
    NodeArena* arena;
    DrivePrompt& prompt;
    ScanProgress& progress;
    TableFolders& linkPaths;
    uint32_t folders = 0;  // nodes made, the root aside

    TreeBuilder(TableBytes& table, FolderNode* rootNode, NodeArena* nodes, DrivePrompt& user, ScanProgress& shown,
                TableFolders& links)
        : bytes(table), root(rootNode), arena(nodes), prompt(user), progress(shown), linkPaths(links) {}

    ~TreeBuilder() { std::free(places); }

    // The folder a parent reference leads to; null where it leads to no
    // folder in use with that sequence number (a stale reference), or to a
    // link, whose contents the walk reads.
    FolderNode* folderOf(uint64_t parent) const {
        const RecordPlace& place = places[recordNumberOf(parent)];
        if (!place.folder || place.sequence != sequenceOf(parent) || (place.folder->scanMarks & scanMarkLink))
            return nullptr;
        return place.folder;
    }

    bool addFolder(uint32_t number, const RecordHeader& header, const RecordFacts& facts) {
        if (facts.names != 1) return false;
        char text[utf8RoomFor(longestName) + 1];
        utf16ToUtf8(facts.name, facts.nameLength, text, sizeof text);
        FolderNode* folder = newNamedNode(arena, text);
        if (!folder) return false;
        if (facts.isLink)
            folder->scanMarks |= scanMarkLink;
        else if (!(folder->firstChild = newDotDotNode(arena, folder)))
            return false;
        bool waits = facts.lastParent > number;
        // Its place first: a folder that names itself is on a loop.
        places[number] = RecordPlace{folder, header.sequence, waits, false};
        // Where the parent comes later, it is known at the second look.
        if (!waits) folder->parent = folderOf(facts.parents[0]);
        places[number].shown = waits || (folder->parent && places[recordNumberOf(facts.parents[0])].shown);
        ++folders;
        ++progress.folders;
        return true;
    }

    void count(uint64_t parent, uint64_t size) {
        FolderNode* folder = folderOf(parent);
        if (!folder) return;
        folder->filesBytes += size;
        if (!places[recordNumberOf(parent)].shown) return;
        ++progress.files;
        progress.bytes += size;
    }

    struct Counting {
        TreeBuilder* builder;
        uint64_t size;
    };

    static void countName(void* context, uint64_t parent) {
        Counting* counting = static_cast<Counting*>(context);
        counting->builder->count(parent, counting->size);
    }

    // A record met in the first pass, or again in the second (`waiting`).
    bool readRecord(uint32_t number, uint8_t* record, bool waiting) {
        RecordHeader header;
        RecordState state = readRecordHeader(record, recordSizeOf(bytes), header);
        if (state != RecordState::inUse || header.baseReference != 0) return state != RecordState::damaged;
        // A record read from somewhere else than its place: the table's runs are wrong.
        if (header.number != number && header.number != ~0u) return false;
        if (number == rootFolderRecord) {
            places[number] = RecordPlace{root, header.sequence, false, true};
            return header.flags & recordIsDirectory;
        }
        if (number < firstUserRecord) return true;
        RecordFacts facts;
        if (!readFacts(bytes, number, record, header, facts)) return false;
        if (facts.isFolder) {
            if (!waiting) return addFolder(number, header, facts);
            // A live volume may have changed the record since: then it is no longer the folder it was.
            FolderNode* folder = places[number].folder;
            if (!folder || facts.names != 1) return false;
            folder->parent = folderOf(facts.parents[0]);
            return true;
        }
        if (facts.lastParent > number && !waiting) {
            places[number].waits = true;
            return true;
        }
        if (facts.names > namesKept) {
            Counting counting{this, facts.size};
            return eachNameParent(bytes, number, record, header, countName, &counting);
        }
        for (uint32_t k = 0; k < facts.names; ++k) count(facts.parents[k], facts.size);
        return true;
    }

    // Reads the table's records from the start, chunk by chunk; the second
    // pass only reads the chunks that hold a waiting record.
    Reading pass(bool waiting) {
        uint32_t chunkRecords = recordsPerChunk(bytes);
        for (uint32_t first = 0; first < bytes.records; first += chunkRecords) {
            uint32_t count = bytes.records - first < chunkRecords ? bytes.records - first : chunkRecords;
            bool any = !waiting;
            for (uint32_t k = 0; k < count && !any; ++k) any = places[first + k].waits;
            if (!any) continue;
            if (!readChunk(bytes, first, count)) return Reading::notThisWay;
            for (uint32_t k = 0; k < count; ++k) {
                if (waiting && !places[first + k].waits) continue;
                if (!readRecord(first + k, bytes.chunk + (k << bytes.geometry.recordShift), waiting))
                    return Reading::notThisWay;
            }
            if (!prompt.keepReading(progress)) return Reading::stopped;
        }
        return Reading::read;
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
        for (uint32_t number = firstUserRecord; number < bytes.records; ++number) {
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

    // Folder nodes below `top`, ".." nodes aside; without recursion.
    static uint32_t foldersBelow(const FolderNode* top) {
        uint32_t count = 0;
        for (const FolderNode* node = top->firstChild; node; node = nextInTree(node, top)) count += !isDotDot(node);
        return count;
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
        for (uint32_t number = firstUserRecord; number < bytes.records && linkPaths.count; ++number) {
            TableFolder* found = tableFolderOf(linkPaths, places[number].folder);
            if (found) found->reference = fileReference(number, places[number].sequence);
        }
        return true;
    }

    Reading build() {
        places = static_cast<RecordPlace*>(std::calloc(bytes.records, sizeof(RecordPlace)));
        if (!places) return Reading::notThisWay;
        progress.fromFileTable = true;
        if (!prompt.keepReading(progress)) return Reading::stopped;
        for (int waiting = 0; waiting < 2; ++waiting) {
            Reading passed = pass(waiting == 1);
            if (passed != Reading::read) return passed;
        }
        // A table whose root is not a folder in use has no tree to hang.
        return places[rootFolderRecord].folder == root && hangFolders() && listLinks() ? Reading::read
                                                                                      : Reading::notThisWay;
    }
};

}  // namespace

Reading readFileTable(RawVolume& volume, FolderNode* root, NodeArena* arena, DrivePrompt& prompt,
                      ScanProgress& progress, TableFolders& linkPaths) {
    linkPaths = TableFolders{nullptr, 0};
    TableBytes bytes;
    Reading reading = Reading::notThisWay;
    if (openTable(volume, bytes)) {
        TreeBuilder builder(bytes, root, arena, prompt, progress, linkPaths);
        reading = builder.build();
    }
    closeTable(bytes);
    return reading;
}
