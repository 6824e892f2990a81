// Random in-memory disks with failures everywhere the walk can meet one, and
// the check that the product's walk reads them exactly as the reference
// walk does. Shared by the seeded unit test and the fuzz target.
#pragma once

#include "memory_file_system.h"

#include <functional>
#include <string>

// A number below `bound` (which is at least 1): from a seeded generator in
// the unit test, from the fuzzer's bytes in the fuzz target.
using PickBelow = std::function<unsigned(unsigned bound)>;

// Fills drive `letter` of `fs` with at most `folders` folders: random shapes
// (wide, deep, empty), files, links (loops among them), and folders that
// cannot be opened, listed to the end or identified, or whose closing
// loses the disk's place.
void buildRandomDisk(MemoryFileSystem& fs, char letter, unsigned folders, const PickBelow& pick);

// Reads drive `letter` with openDrive and with the reference walk, each with
// the heap failing after `allocations` tree allocations (negative: never);
// first, unless `stopAfter` is negative, with openDrive stopped by the user
// after that many progress reports.
// Empty when both give the same tree, end in the same folder and close
// every folder they opened; else what differs.
std::string walkDifference(MemoryFileSystem& fs, char letter, long allocations, int stopAfter = -1);
