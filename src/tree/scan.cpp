// The walk holds every folder on its path open and opens each subfolder
// from its open parent, so no path is ever spelled out: any depth, any name.
//
// A worked example. The drive Q: holds the file r (5 bytes) and the folders
// a (with a1, and a file of 7 bytes) and b:
//
//   open the root        levels: [Q:]        listing: r, a, b  -> Q: files 5
//                        nodes:  Q: -> "..", a, b (the drive's own ".." first)
//   open a from Q:       levels: [Q:, a]     listing: ., .., a1, f -> a files 7
//   open a1 from a       levels: [Q:, a, a1] listing: ., ..
//   a1 done: close it    levels: [Q:, a]
//   a done: close it     levels: [Q:]
//   open b from Q:       levels: [Q:, b]     ...
//
// A folder's whole listing is read before any subfolder of it is opened:
// its nodes are made in the listing's order, and what the file system needs
// to open each subfolder again (its key: a wide name, a file ID) is kept on
// a stack of keys only until the folder is done. Totals are a pass of their
// own at the end.
#include "tree/scan.h"

#include "tree/drive_prompt.h"
#include "tree/file_system.h"
#include "tree/folder_node.h"
#include "tree/node_arena.h"
#include "tree/scan_marks.h"

#include <cstdlib>
#include <cstring>

namespace {

// How a walk ended.
enum class Ending {
    complete,
    incomplete,  // the heap ran out, or the disk lost its place: what was read stays
    stopped,     // the user asked: nothing of it is kept
};

// A byte stack that grows on the heap: the keys of the subfolders of every
// folder on the walk's path, each behind a header.
struct KeyStack {
    char* bytes = nullptr;
    size_t size = 0;
    size_t capacity = 0;

    ~KeyStack() { std::free(bytes); }

    bool push(const void* data, size_t length) {
        if (size + length > capacity) {
            size_t wanted = capacity ? capacity * 2 : 4096;
            while (wanted < size + length) wanted *= 2;
            void* grown = std::realloc(bytes, wanted);
            if (!grown) return false;
            bytes = static_cast<char*>(grown);
            capacity = wanted;
        }
        std::memcpy(bytes + size, data, length);
        size += length;
        return true;
    }
};

// What is kept of a subfolder's entry until the walk comes to it.
struct KeyHeader {
    uint64_t fileIndex;
    uint32_t keySize;
    uint8_t isLink;
};

// One folder of the walk's path.
struct Level {
    OpenFolder* folder;
    FolderNode* node;
    FolderNode* nextChild;  // the next child to come to
    FolderIdentity id;      // where it is, for the loop guard
    size_t keysStart;       // its subfolders' keys, from here to the next level's
    size_t nextKey;         // the key of the next child that has one
};

struct Walk {
    FileSystem& fs;
    DrivePrompt& prompt;
    NodeArena* arena;
    FolderIdentity rootId{};
    Level* levels = nullptr;
    int depth = 0;  // levels in use
    int capacity = 0;
    KeyStack keys;
    ScanProgress progress{};
    bool lost = false;  // the disk cannot open anything more below the root

    Walk(FileSystem& system, DrivePrompt& user, NodeArena* nodes) : fs(system), prompt(user), arena(nodes) {}

    ~Walk() {
        while (depth > 0) leave();
        std::free(levels);
    }

    bool push(OpenFolder* folder, FolderNode* node, const FolderIdentity& id) {
        if (depth == capacity) {
            int wanted = capacity ? capacity * 2 : 64;
            void* grown = std::realloc(levels, sizeof(Level) * wanted);
            if (!grown) return false;
            levels = static_cast<Level*>(grown);
            capacity = wanted;
        }
        levels[depth++] = Level{folder, node, nullptr, id, keys.size, keys.size};
        return true;
    }

    // Closes the innermost folder and forgets its subfolders' keys.
    void leave() {
        Level& level = levels[--depth];
        if (!fs.closeFolder(level.folder)) lost = true;
        keys.size = level.keysStart;
    }

    // Adds a node for the folder entry behind `*tail`, its key kept; false
    // when the heap ran out.
    bool appendChild(FolderNode* folder, FolderNode**& tail, const FolderEntry& entry) {
        // Every listed folder has a ".." entry: it shares the one ".." text.
        bool up = std::strcmp(entry.name, "..") == 0;
        FolderNode* child = up ? newDotDotNode(arena, folder) : newNamedNode(arena, entry.name);
        if (!child) return false;
        child->parent = folder;
        if (entry.isLink) child->scanMarks |= scanMarkLink;
        *tail = child;
        tail = &child->next;
        if (up) return true;
        KeyHeader header{entry.fileIndex, entry.keySize, entry.isLink};
        return keys.push(&header, sizeof header) && keys.push(entry.key, entry.keySize);
    }

    // Reads the innermost folder's listing into its node: one child per
    // folder entry but ".", the file sizes into filesBytes, the children's
    // parent `parent`. False when the heap ran out; what was read stays.
    bool list(FolderNode* parent) {
        Level& level = levels[depth - 1];
        FolderNode* node = level.node;
        FolderNode** tail = &node->firstChild;
        while (*tail) tail = &(*tail)->next;
        FolderEntry entry;
        while (fs.nextEntry(level.folder, entry)) {
            if (!entry.isFolder) {
                node->filesBytes += entry.size;
                ++progress.files;
                progress.bytes += entry.size;
                continue;
            }
            if (std::strcmp(entry.name, ".") == 0) continue;
            if (!appendChild(parent, tail, entry)) return false;
        }
        level.nextChild = node->firstChild;
        ++progress.folders;
        progress.folder = node;
        return true;
    }

    // The next child of the innermost folder that has a key, and that key.
    FolderNode* nextKeyed(KeyHeader& header, const char*& key) {
        Level& level = levels[depth - 1];
        while (FolderNode* child = level.nextChild) {
            level.nextChild = child->next;
            if (isDotDot(child)) continue;
            std::memcpy(&header, keys.bytes + level.nextKey, sizeof header);
            key = keys.bytes + level.nextKey + sizeof header;
            level.nextKey += sizeof header + header.keySize;
            return child;
        }
        return nullptr;
    }

    // A link may be followed only when it leads to no folder on the path:
    // otherwise the walk would go round the loop again and again. A folder
    // whose index is not known matches nothing.
    bool isOnPath(const FolderIdentity& id) const {
        if (id.index == 0) return false;
        for (int k = 0; k < depth; ++k) {
            if (sameFolder(levels[k].id, id)) return true;
        }
        return false;
    }

    enum class Entry { entered, notEntered, outOfMemory };

    // Opens `child` of the innermost folder and makes it the innermost.
    Entry enter(FolderNode* child, const KeyHeader& header, const char* key) {
        Level& level = levels[depth - 1];
        FolderIdentity id{rootId.volume, header.fileIndex};
        OpenFolder* folder = fs.openChild(level.folder, key, header.keySize, header.isLink ? &id : nullptr);
        if (!folder) return Entry::notEntered;
        bool loops = header.isLink && isOnPath(id);
        if (!loops && push(folder, child, id)) return Entry::entered;
        if (!fs.closeFolder(folder)) lost = true;
        return loops ? Entry::notEntered : Entry::outOfMemory;
    }

    // Depth-first below the root, which is open and listed at level 0.
    Ending run() {
        if (!prompt.keepReading(progress)) return Ending::stopped;
        while (depth > 0) {
            if (lost) return Ending::incomplete;
            KeyHeader header;
            const char* key;
            FolderNode* child = nextKeyed(header, key);
            if (!child) {
                leave();
                continue;
            }
            Entry entry = enter(child, header, key);
            if (entry == Entry::outOfMemory) return Ending::incomplete;
            if (entry == Entry::notEntered) continue;
            if (!list(child)) return Ending::incomplete;
            if (!prompt.keepReading(progress)) return Ending::stopped;
        }
        return lost ? Ending::incomplete : Ending::complete;
    }
};

// Opens the drive's root, asking the user while it is missing; null when
// the user gives up.
OpenFolder* openRootAsking(FileSystem& fs, DrivePrompt& prompt, const FolderNode* drive, FolderIdentity& id) {
    for (;;) {
        OpenFolder* root = fs.openRoot(drive->rootPath, id);
        if (root || !prompt.askRetryMissingDrive()) return root;
    }
}

// Reads the drive's tree beside the one it has and, unless the user stops
// the walk, puts it in that one's place with its totals. False when the
// root is missing and given up, or the walk was stopped: the drive is then
// as it was.
bool readDrive(FileSystem& fs, DrivePrompt& prompt, FolderNode* drive) {
    FolderIdentity rootId;
    OpenFolder* root = openRootAsking(fs, prompt, drive, rootId);
    if (!root) return false;

    // The new tree is carved from an arena of its own, which the drive
    // takes over when it takes the tree; a drive without an arena (tests
    // make some) gets heap nodes.
    NodeArena built;
    NodeArena* arena = arenaOfDrive(drive) ? &built : nullptr;

    // The new tree hangs from a stand-in until it is whole: the drive keeps
    // its old tree and counters meanwhile, and they stay if the user stops.
    FolderNode standIn = *drive;
    standIn.storage = 0;  // the drive's arena stays the drive's
    standIn.firstChild = nullptr;
    standIn.filesBytes = 0;
    standIn.subfoldersBytes = 0;

    Ending ending = Ending::incomplete;
    {
        Walk walk(fs, prompt, arena);
        walk.rootId = rootId;
        if (!walk.push(root, &standIn, rootId)) {
            fs.closeFolder(root);
        } else if ((standIn.firstChild = newDotDotNode(arena, drive))) {
            // The drive's own way back up, in front of what its root lists.
            if (walk.list(drive)) ending = walk.run();
        }
    }

    if (ending == Ending::stopped) {
        if (standIn.firstChild) releaseChain(standIn.firstChild);
        releaseArena(built);
        return false;
    }
    // The drive's type is asked after the root's listing, as the medium is there.
    bool removable = fs.driveType(drive->rootPath) == driveTypeRemovable;
    replaceTreeOf(drive, standIn.firstChild, built);
    drive->filesBytes = standIn.filesBytes;
    drive->subfoldersBytes = 0;
    rollUpTotals(drive);
    // A fixed drive is read once per run; one read only in part, or a
    // removable one, is read anew at the next opening.
    drive->scanned = ending == Ending::complete && !removable;
    if (ending == Ending::incomplete) prompt.tellScanIncomplete();
    return true;
}

}  // namespace

void rollUpTotals(FolderNode* drive) {
    FolderNode* node = drive->firstChild;
    if (!node) return;
    for (;;) {
        while (node->firstChild) node = node->firstChild;
        for (;;) {
            node->parent->subfoldersBytes += node->filesBytes + node->subfoldersBytes;
            if (node->next) break;
            node = node->parent;
            if (node->isDrive) return;
        }
        node = node->next;
    }
}

bool openDrive(FileSystem& fs, DrivePrompt& prompt, FolderNode* drive) {
    if (!drive->isDrive || drive->scanned) return true;
    return readDrive(fs, prompt, drive);
}

bool readDriveAgain(FileSystem& fs, DrivePrompt& prompt, FolderNode* drive) {
    return drive->isDrive && readDrive(fs, prompt, drive);
}
