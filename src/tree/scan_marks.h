// Marks the walk keeps in FolderNode::scanMarks.
#pragma once

#include <cstdint>

enum ScanMark : uint8_t {
    scanMarkLink = 1,  // listed as a directory link: guarded against loops
};
