// The drives the Windows test run maps before Wine starts (tests/win/run):
//   D: a chain 300 deep of 40-letter names   J: a chain 1000 deep of "j"
//   H: folder names that the path rules rewrite (a file list, H.files)
//   K: the chart drive of the end-to-end run
//   E: an empty folder         F: a small tree, drive type floppy (removable)
//   L: directory-link loops    M: a folder that does not exist
//   N: names in many scripts, labelled "Диск" (the end-to-end run's)
//   Q: a generated tree        S: a 5 GiB sparse file
//   U: folders named in Cyrillic and Japanese
//   V: a folder labelled "Fixtures" (through .windows-label)
//   P: the NTFS volume "parts", G: "grown" (tests/support/ntfs-volume-contents),
//      mounted read-only through ntfs-3g; \\.\P: and \\.\G: read their images
// In a 64-bit prefix, C: itself, counted on Linux (C.manifest).
// Manifests of the expected totals are copied to C:\fixtures\<letter>.manifest,
// file lists ("SIZE<TAB>PATH" per file) to C:\fixtures\<letter>.files.
#pragma once

#include "tree/folder_node.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

struct ExpectedTotals {
    uint64_t filesBytes;
    uint64_t subfoldersBytes;
};

// path ('/' between names, "." for the root) -> totals
std::map<std::string, ExpectedTotals> readManifest(char driveLetter);

// Every file of a drive with a file list: size and path ('/' between names).
std::vector<std::pair<uint64_t, std::string>> readFileList(char driveLetter);

// The same shape taken from a scanned drive: every folder node below it but
// ".." nodes, by path.
std::map<std::string, ExpectedTotals> totalsOf(const FolderNode* drive);

// "" where `found` holds the folders `expected` names, no more, each with
// its totals; else the first difference. With `asciiPathsOnly`, folders
// whose path is not ASCII are only counted (the path walk names them in
// the code page, manifests in UTF-8).
std::string firstTotalsDifference(const std::map<std::string, ExpectedTotals>& found,
                                  const std::map<std::string, ExpectedTotals>& expected, bool asciiPathsOnly = false);

void releaseDriveNode(FolderNode* drive);

// Busy bytes (headers included) of the C runtime's heap, where the tree lives.
uint64_t treeHeapBytes();
