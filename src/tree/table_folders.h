// The folders of a tree read from a file table that the walk opens on its
// way down to the tree's directory links: each link and each folder above
// one, with its file reference (its record's number and sequence number),
// by which a walk's file system can open it. Sorted by node, so that a
// folder's entry is found by a binary search.
#pragma once

#include <cstdint>
#include <cstdlib>

struct FolderNode;

struct TableFolder {
    const FolderNode* folder;
    uint64_t reference;
};

struct TableFolders {
    TableFolder* items;  // from the heap; the reading's caller frees it
    uint32_t count;
};

inline int byTableFolder(const void* a, const void* b) {
    const FolderNode* x = static_cast<const TableFolder*>(a)->folder;
    const FolderNode* y = static_cast<const TableFolder*>(b)->folder;
    return x < y ? -1 : x > y;
}

// `folder`'s entry; null where it has none.
inline TableFolder* tableFolderOf(const TableFolders& folders, const FolderNode* folder) {
    TableFolder key{folder, 0};
    return static_cast<TableFolder*>(
        std::bsearch(&key, folders.items, folders.count, sizeof(TableFolder), byTableFolder));
}
