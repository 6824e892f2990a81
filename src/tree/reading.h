// How reading a drive came out, and how each way of reading it did: the
// file table, the walk. One outcome for all of them.
#pragma once

enum class Reading {
    read,        // the tree is whole
    readInPart,  // the walk could not go on (the heap ran out, the disk lost its place): what was read stays
    stopped,     // the user asked: nothing of it is kept
    notThisWay,  // this way cannot read the drive (no volume, no NTFS, a table it cannot read exactly): nothing stays
};
