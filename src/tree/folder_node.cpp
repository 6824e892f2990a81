#include "tree/folder_node.h"

#include "tree/node_arena.h"

#include <cstdlib>
#include <cstring>

const char emptyText[] = "";
const char dotDotText[] = "..";
FolderNode* rootNode = nullptr;

static_assert(sizeof(void*) != 4 || sizeof(FolderNode) == 40, "the 32-bit record is 40 bytes");
static_assert(alignof(FolderNode) <= 8, "arena records are aligned to 8");

namespace {

enum NodeStorage : uint8_t {
    storedInArena = 1,  // the record and its texts go with their drive's arena
    driveWithArena = 2,  // a drive's record, its arena right behind it
};

// What newDriveNode makes: the drive's node, then its arena. Reading the
// drive again builds the new tree in an arena of its own and swaps the two.
struct DriveRecord {
    FolderNode node;
    NodeArena arena;
};

#ifdef QUORVEL_TEST_HOOKS
long allocationsLeft = -1;
#endif

bool allocationAllowed() {
#ifdef QUORVEL_TEST_HOOKS
    if (allocationsLeft == 0) return false;
    if (allocationsLeft > 0) --allocationsLeft;
#endif
    return true;
}

// The arena of the tree that `node` stands in, if it is carved from one.
NodeArena* arenaOf(FolderNode* node) {
    if (!node->isDrive && !(node->storage & storedInArena)) return nullptr;
    while (node && !node->isDrive) node = node->parent;
    return node ? arenaOfDrive(node) : nullptr;
}

// A node with the defaults and `textSize` bytes of room for its texts: from
// `arena`, or as one heap block with the texts right behind the record.
FolderNode* makeNode(NodeArena* arena, size_t textSize, char*& text) {
    if (!allocationAllowed()) return nullptr;
    void* record;
    if (arena) {
        if (!carveFromArena(*arena, sizeof(FolderNode), textSize, record, text)) return nullptr;
    } else {
        record = std::malloc(sizeof(FolderNode) + textSize);
        if (!record) return nullptr;
        text = static_cast<char*>(record) + sizeof(FolderNode);
    }
    FolderNode* node = static_cast<FolderNode*>(record);
    uint8_t storage = arena ? storedInArena : 0;
    *node = FolderNode{emptyText, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, storage, 0, 0};
    return node;
}

bool isSharedText(const char* text) {
    return text == emptyText || text == dotDotText;
}

// Arena nodes are left to their arena; a drive takes its arena along.
void releaseNode(FolderNode* node) {
    if (node->storage & storedInArena) return;
    if (NodeArena* arena = arenaOfDrive(node)) releaseArena(*arena);
    const char* inlineText = reinterpret_cast<const char*>(node + 1);
    if (!isSharedText(node->name) && node->name != inlineText) std::free(const_cast<char*>(node->name));
    std::free(const_cast<char*>(node->rootPath));
    std::free(node);
}

// Post-order through the parent links, so no stack grows with depth or with
// the length of a chain: a node goes once everything below it has. The walk
// does not go below an arena node: it only ever gets arena children, which
// go with their arena.
void releaseEachNode(FolderNode* first) {
    FolderNode* const stop = first->parent;
    FolderNode* node = first;
    for (;;) {
        while (node->firstChild && !(node->storage & storedInArena)) node = node->firstChild;
        FolderNode* parent = node->parent;
        FolderNode* next = node->next;
        releaseNode(node);
        if (next) {
            node = next;
            continue;
        }
        if (parent == stop) return;
        // Every child of `parent` is gone; release it next.
        parent->firstChild = nullptr;
        node = parent;
    }
}

}  // namespace

#ifdef QUORVEL_TEST_HOOKS
void failTreeAllocationsAfter(long allowed) {
    allocationsLeft = allowed;
}
#endif

FolderNode* newDriveNode() {
    if (!allocationAllowed()) return nullptr;
    DriveRecord* record = static_cast<DriveRecord*>(std::malloc(sizeof(DriveRecord)));
    if (!record) return nullptr;
    record->node = FolderNode{emptyText, nullptr, nullptr, nullptr, nullptr, 1, 0, 0, driveWithArena, 0, 0};
    record->arena = NodeArena{};
    return &record->node;
}

NodeArena* arenaOfDrive(FolderNode* drive) {
    if (!drive->isDrive || !(drive->storage & driveWithArena)) return nullptr;
    return &reinterpret_cast<DriveRecord*>(drive)->arena;
}

void replaceTreeOf(FolderNode* drive, FolderNode* firstChild, NodeArena& built) {
    // The old tree goes with the drive's arena, which then takes the new one's blocks.
    if (drive->firstChild) releaseChain(drive->firstChild);
    drive->firstChild = firstChild;
    if (NodeArena* own = arenaOfDrive(drive)) {
        releaseArena(*own);
        *own = built;
        built = NodeArena{};
    }
}

FolderNode* newFolderNode() {
    char* text;
    return makeNode(nullptr, 0, text);
}

FolderNode* newNamedNode(NodeArena* arena, const char* name) {
    size_t nameSize = std::strlen(name) + 1;
    char* text;
    FolderNode* node = makeNode(arena, nameSize, text);
    if (!node) return nullptr;
    std::memcpy(text, name, nameSize);
    node->name = text;
    return node;
}

FolderNode* newDotDotNode(NodeArena* arena, FolderNode* parent) {
    char* text;
    FolderNode* node = makeNode(arena, 0, text);
    if (!node) return nullptr;
    node->name = dotDotText;
    node->parent = parent;
    return node;
}

FolderNode* ensureUpNode(FolderNode* folder) {
    for (FolderNode* child = folder->firstChild; child; child = child->next) {
        if (isDotDot(child)) return child;
    }
    FolderNode* up = newDotDotNode(arenaOf(folder), folder);
    if (!up) return nullptr;
    up->next = folder->firstChild;
    folder->firstChild = up;
    return up;
}

bool isDotDot(const FolderNode* node) {
    return std::strcmp(node->name, dotDotText) == 0;
}

FolderNode* childNamed(const FolderNode* folder, const char* name) {
    for (FolderNode* child = folder->firstChild; child; child = child->next)
        if (!isDotDot(child) && std::strcmp(child->name, name) == 0) return child;
    return nullptr;
}

FolderNode* driveOf(const FolderNode* node) {
    while (node && !node->isDrive) node = node->parent;
    return const_cast<FolderNode*>(node);
}

size_t namesBelowLength(const FolderNode* folder, const FolderNode* top) {
    size_t length = 0;
    for (const FolderNode* node = folder; node != top; node = node->parent) length += std::strlen(node->name) + 1;
    return length ? length - 1 : 0;
}

void writeNamesBelow(const FolderNode* folder, const FolderNode* top, char separator, char* out) {
    // Names from the folder up, each written in front of the one below it.
    size_t end = namesBelowLength(folder, top);
    out[end] = 0;
    for (const FolderNode* node = folder; node != top; node = node->parent) {
        size_t nameLength = std::strlen(node->name);
        end -= nameLength;
        std::memcpy(out + end, node->name, nameLength);
        if (node->parent != top) out[--end] = separator;
    }
}

FolderNode* nextInTree(const FolderNode* node, const FolderNode* top, bool intoChildren) {
    if (intoChildren && node->firstChild) return node->firstChild;
    while (node != top && !node->next) node = node->parent;
    return node == top ? nullptr : node->next;
}

char* copyText(const char* text) {
    if (!allocationAllowed()) return nullptr;
    size_t size = std::strlen(text) + 1;
    char* copy = static_cast<char*>(std::malloc(size));
    if (copy) std::memcpy(copy, text, size);
    return copy;
}

void releaseChain(FolderNode* first) {
    if (!first) return;
    FolderNode* drive = first->parent;
    NodeArena* arena = drive && drive->firstChild == first ? arenaOfDrive(drive) : nullptr;
    releaseEachNode(first);
    if (arena) releaseArena(*arena);
}
