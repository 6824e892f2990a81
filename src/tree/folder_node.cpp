#include "tree/folder_node.h"

#include "tree/scan_marks.h"

#include <cstdlib>
#include <cstring>

const char emptyText[] = "";
const char dotDotText[] = "..";
FolderNode* rootNode = nullptr;

namespace {

#ifdef QUORVEL_TEST_HOOKS
long allocationsLeft = -1;
#endif

void* allocate(size_t size) {
#ifdef QUORVEL_TEST_HOOKS
    if (allocationsLeft == 0) return nullptr;
    if (allocationsLeft > 0) --allocationsLeft;
#endif
    return std::malloc(size);
}

char* inlineText(FolderNode* node) {
    return reinterpret_cast<char*>(node + 1);
}

bool isSharedText(const char* text) {
    return text == emptyText || text == dotDotText;
}

void releaseNode(FolderNode* node) {
    if (!isSharedText(node->name) && node->name != inlineText(node))
        std::free(const_cast<char*>(node->name));
    std::free(const_cast<char*>(node->rootPath));
    std::free(node);
}

}  // namespace

#ifdef QUORVEL_TEST_HOOKS
void failTreeAllocationsAfter(long allowed) {
    allocationsLeft = allowed;
}
#endif

FolderNode* newFolderNode() {
    void* block = allocate(sizeof(FolderNode));
    if (!block) return nullptr;
    FolderNode* node = static_cast<FolderNode*>(block);
    *node = FolderNode{emptyText, nullptr, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0};
    return node;
}

FolderNode* newNamedNode(const char* name, const char* enterName) {
    size_t nameSize = std::strlen(name) + 1;
    size_t enterSize = enterName ? std::strlen(enterName) + 1 : 0;
    void* block = allocate(sizeof(FolderNode) + nameSize + enterSize);
    if (!block) return nullptr;
    FolderNode* node = static_cast<FolderNode*>(block);
    *node = FolderNode{emptyText, nullptr, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0};
    char* text = inlineText(node);
    std::memcpy(text, name, nameSize);
    if (enterName) {
        std::memcpy(text + nameSize, enterName, enterSize);
        node->scanMarks |= scanMarkEnterName;
    }
    node->name = text;
    return node;
}

FolderNode* newDotDotNode(FolderNode* parent) {
    FolderNode* node = newFolderNode();
    if (!node) return nullptr;
    node->name = dotDotText;
    node->parent = parent;
    return node;
}

FolderNode* ensureUpNode(FolderNode* folder) {
    for (FolderNode* child = folder->firstChild; child; child = child->next) {
        if (isDotDot(child)) return child;
    }
    FolderNode* up = newDotDotNode(folder);
    if (!up) return nullptr;
    up->next = folder->firstChild;
    folder->firstChild = up;
    return up;
}

const char* enterNameOf(const FolderNode* node) {
    if (node->scanMarks & scanMarkEnterName)
        return node->name + std::strlen(node->name) + 1;
    return node->name;
}

bool isDotDot(const FolderNode* node) {
    return std::strcmp(node->name, dotDotText) == 0;
}

char* copyText(const char* text) {
    size_t size = std::strlen(text) + 1;
    char* copy = static_cast<char*>(allocate(size));
    if (copy) std::memcpy(copy, text, size);
    return copy;
}

void releaseChain(FolderNode* first) {
    if (!first) return;
    // Post-order through the parent links, so no stack grows with depth or
    // with the length of a chain: a node goes once everything below it has.
    FolderNode* const stop = first->parent;
    FolderNode* node = first;
    for (;;) {
        while (node->firstChild) node = node->firstChild;
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
