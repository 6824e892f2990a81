// What a row shows for a node. Portable, so it is checked natively too.
#pragma once

#include "tree/folder_node.h"

enum RowImage {
    rowImageFolder = 0,
    rowImageDrive = 1,
    rowImageUp = 2,
};

// " .." (a leading space sorts it above every folder name), else the name.
inline const char* rowLabel(const FolderNode* node) {
    return isDotDot(node) ? " .." : node->name;
}

inline int rowImage(const FolderNode* node) {
    if (isDotDot(node)) return rowImageUp;
    return node->isDrive ? rowImageDrive : rowImageFolder;
}
