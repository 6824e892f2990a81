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
#include "tree/walk.h"

#include "tree/drive_prompt.h"
#include "tree/file_system.h"
#include "tree/folder_node.h"
#include "tree/grow_array.h"
#include "tree/scan_marks.h"

#include <cstdlib>
#include <cstring>

namespace {

// A byte stack that grows on the heap: the keys of the subfolders of every
// folder on the walk's path, each behind a header.
struct KeyStack {
    char* bytes = nullptr;
    size_t size = 0;
    size_t capacity = 0;

    ~KeyStack() { std::free(bytes); }

    bool push(const void* data, size_t length) {
        while (size + length > capacity)
            if (!growArray(bytes, capacity, size_t{4096})) return false;
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
    OpenFolder* folder;     // null: on the path, but not opened
    FolderNode* node;
    FolderNode* nextChild;  // the next child to come to
    FolderIdentity id;      // where it is, for the loop guard
    size_t keysStart;       // its subfolders' keys, from here to the next level's
    size_t nextKey;         // the key of the next child that has one
};

struct Walk {
    FolderWalk& fs;
    DrivePrompt& prompt;
    NodeArena* arena;
    Level* levels = nullptr;
    int depth = 0;  // levels in use
    int capacity = 0;
    KeyStack keys;
    ScanProgress& progress;  // what the reading has read, links and all
    bool lost = false;  // the disk cannot open anything more below the root

    Walk(FolderWalk& system, DrivePrompt& user, NodeArena* nodes, ScanProgress& shown)
        : fs(system), prompt(user), arena(nodes), progress(shown) {}

    ~Walk() {
        while (depth > 0) leave();
        std::free(levels);
    }

    bool push(OpenFolder* folder, FolderNode* node, const FolderIdentity& id) {
        if (depth == capacity && !growArray(levels, capacity, 64)) return false;
        levels[depth++] = Level{folder, node, nullptr, id, keys.size, keys.size};
        return true;
    }

    // Closes the innermost folder, where it was opened, and forgets its
    // subfolders' keys.
    void leave() {
        Level& level = levels[--depth];
        if (level.folder && !fs.closeFolder(level.folder)) lost = true;
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
        // A ".." is never followed, whatever it is (Wine lists a drive's
        // root as a mount point).
        if (entry.isLink && !up) child->scanMarks |= scanMarkLink;
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
        // A listed folder lies on its parent's volume; a link's target says
        // where it lies.
        FolderIdentity id{level.id.volume, header.fileIndex};
        OpenFolder* folder = fs.openChild(level.folder, key, header.keySize, header.isLink ? &id : nullptr);
        if (!folder) return Entry::notEntered;
        bool loops = header.isLink && isOnPath(id);
        if (!loops && push(folder, child, id)) return Entry::entered;
        if (!fs.closeFolder(folder)) lost = true;
        return loops ? Entry::notEntered : Entry::outOfMemory;
    }

    // Depth-first below the root, which is open and listed at level 0.
    Reading run() {
        if (!prompt.keepReading(progress)) return Reading::stopped;
        while (depth > 0) {
            if (lost) return Reading::readInPart;
            KeyHeader header;
            const char* key;
            FolderNode* child = nextKeyed(header, key);
            if (!child) {
                leave();
                continue;
            }
            Entry entry = enter(child, header, key);
            if (entry == Entry::outOfMemory) return Reading::readInPart;
            if (entry == Entry::notEntered) continue;
            if (!list(child)) return Reading::readInPart;
            if (!prompt.keepReading(progress)) return Reading::stopped;
        }
        return lost ? Reading::readInPart : Reading::read;
    }
};

// The folders from the drive's root down to `link`'s parent, top first;
// `count` of them. Null when there is no memory for the list.
FolderNode** foldersAbove(FolderNode* link, const FolderNode* standIn, int& count) {
    count = 0;
    for (FolderNode* node = link->parent; node != standIn; node = node->parent) ++count;
    FolderNode** above = static_cast<FolderNode**>(std::malloc(sizeof(FolderNode*) * (count ? count : 1)));
    if (!above) return nullptr;
    int k = count;
    for (FolderNode* node = link->parent; node != standIn; node = node->parent) above[--k] = node;
    return above;
}

uint64_t referenceOf(const TableFolders& linkPaths, const FolderNode* folder) {
    const TableFolder* found = tableFolderOf(linkPaths, folder);
    return found ? found->reference : 0;
}

enum class Way { reached, notReached, outOfMemory };

// Room for the key a walk gives a folder the table names (NT's: a file ID
// and a name of at most 255 UTF-16 units, 518 bytes).
const uint32_t keyRoom = 1024;

// Opens `link`'s parent by its file reference, from the root, where the
// file system can: the folders above it stay closed and are on the path
// for the loop guard alone, as the table names them (the root's volume,
// their reference, which is what the system gives as a folder's index).
Way reachByReference(Walk& walk, FolderNode** above, int count, const TableFolders& linkPaths) {
    uint64_t parentReference = referenceOf(linkPaths, above[count - 1]);
    OpenFolder* parent = parentReference ? walk.fs.openByReference(walk.levels[0].folder, parentReference) : nullptr;
    if (!parent) return Way::notReached;
    uint64_t volume = walk.levels[0].id.volume;
    bool pushed = true;
    for (int k = 0; k < count - 1 && pushed; ++k)
        pushed = walk.push(nullptr, above[k], FolderIdentity{volume, referenceOf(linkPaths, above[k])});
    if (pushed && walk.push(parent, above[count - 1], FolderIdentity{volume, parentReference})) return Way::reached;
    walk.fs.closeFolder(parent);
    return Way::outOfMemory;
}

// Opens each folder down to `link`'s parent from the one above it, by the
// key the walk's listing would give it.
Way reachByKeys(Walk& walk, FolderNode** above, int count, const TableFolders& linkPaths) {
    char key[keyRoom];
    for (int k = 0; k < count; ++k) {
        uint32_t keySize = walk.fs.keyFor(above[k]->name, referenceOf(linkPaths, above[k]), key, sizeof key);
        if (!keySize) return Way::notReached;
        FolderIdentity id;
        OpenFolder* folder = walk.fs.openChild(walk.levels[walk.depth - 1].folder, key, keySize, &id);
        if (!folder) return Way::notReached;
        if (!walk.push(folder, above[k], id)) {
            walk.fs.closeFolder(folder);
            return Way::outOfMemory;
        }
    }
    return Way::reached;
}

// Opens the root and the way down to `link`'s parent, then reads the link
// as the walk reads it from its parent. A link whose parent cannot be
// opened is left unentered, as the walk would leave it.
Reading walkLink(Walk& walk, FolderNode* link, FolderNode* standIn, const char* rootPath,
                 const TableFolders& linkPaths) {
    FolderIdentity rootId;
    OpenFolder* root = walk.fs.openRoot(rootPath, rootId);
    if (!root) return Reading::readInPart;
    if (!walk.push(root, standIn, rootId)) {
        walk.fs.closeFolder(root);
        return Reading::readInPart;
    }
    int count;
    FolderNode** above = foldersAbove(link, standIn, count);
    if (!above) return Reading::readInPart;
    Way way = count == 0 ? Way::reached : reachByReference(walk, above, count, linkPaths);
    if (way == Way::notReached) way = reachByKeys(walk, above, count, linkPaths);
    std::free(above);
    if (way != Way::reached) return way == Way::outOfMemory ? Reading::readInPart : Reading::read;
    char key[keyRoom];
    KeyHeader header{0, walk.fs.keyFor(link->name, referenceOf(linkPaths, link), key, sizeof key), 1};
    if (!header.keySize) return Reading::read;
    Walk::Entry entry = walk.enter(link, header, key);
    if (entry == Walk::Entry::outOfMemory) return Reading::readInPart;
    if (entry == Walk::Entry::notEntered) return Reading::read;
    if (!walk.list(link)) return Reading::readInPart;
    return walk.run();
}

}  // namespace

Reading walkDrive(FolderWalk& fs, DrivePrompt& prompt, NodeArena* arena, OpenFolder* root,
                  const FolderIdentity& rootId, FolderNode* standIn, bool tableNeedsAdministrator) {
    ScanProgress progress{};
    progress.tableNeedsAdministrator = tableNeedsAdministrator;
    Walk walk(fs, prompt, arena, progress);
    if (!walk.push(root, standIn, rootId)) {
        fs.closeFolder(root);
        return Reading::readInPart;
    }
    return walk.list(standIn) ? walk.run() : Reading::readInPart;
}

Reading walkTableLinks(FolderWalk& fs, DrivePrompt& prompt, NodeArena* arena, FolderNode* standIn,
                      const char* rootPath, const TableFolders& linkPaths, ScanProgress& progress) {
    // One walk for every link, its progress going on from the table's.
    // Pre-order over the table's folders; a link's folders, once walked,
    // are not gone through again.
    Walk walk(fs, prompt, arena, progress);
    for (FolderNode* node = standIn->firstChild; node;) {
        bool isLink = node->scanMarks & scanMarkLink;
        if (isLink) {
            Reading ending = walkLink(walk, node, standIn, rootPath, linkPaths);
            // Whatever stopped it, the next link is opened from the root again.
            while (walk.depth > 0) walk.leave();
            if (walk.lost) ending = Reading::readInPart;
            if (ending != Reading::read) return ending;
        }
        node = nextInTree(node, standIn, !isLink);
    }
    return Reading::read;
}
