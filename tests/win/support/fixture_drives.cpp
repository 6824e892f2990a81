#include "fixture_drives.h"

#include <windows.h>
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Calls `take(line, tab)` for each line of C:\fixtures\<letter>.<kind> that
// holds a tab, with the newline dropped.
template <typename Take>
void readFixtureLines(char letter, const char* kind, Take take) {
    char file[64];
    std::snprintf(file, sizeof file, "C:\\fixtures\\%c.%s", letter, kind);
    FILE* in = std::fopen(file, "r");
    if (!in) return;
    char line[4096];
    while (std::fgets(line, sizeof line, in)) {
        line[std::strcspn(line, "\n")] = 0;
        if (char* tab = std::strchr(line, '\t')) take(line, tab);
    }
    std::fclose(in);
}

}  // namespace

std::map<std::string, ExpectedTotals> readManifest(char driveLetter) {
    std::map<std::string, ExpectedTotals> totals;
    readFixtureLines(driveLetter, "manifest", [&](char* line, char* tab) {
        *tab = 0;
        unsigned long long files = 0, subfolders = 0;
        if (std::sscanf(tab + 1, "%llu\t%llu", &files, &subfolders) == 2)
            totals[line] = ExpectedTotals{files, subfolders};
    });
    return totals;
}

std::vector<std::pair<uint64_t, std::string>> readFileList(char driveLetter) {
    std::vector<std::pair<uint64_t, std::string>> files;
    readFixtureLines(driveLetter, "files", [&](char* line, char* tab) {
        files.emplace_back(std::strtoull(line, nullptr, 10), std::string(tab + 1));
    });
    return files;
}

namespace {

void collect(const FolderNode* folder, const std::string& path, std::map<std::string, ExpectedTotals>& out) {
    out[path] = ExpectedTotals{folder->filesBytes, folder->subfoldersBytes};
    for (const FolderNode* child = folder->firstChild; child; child = child->next) {
        if (isDotDot(child)) continue;
        collect(child, path == "." ? std::string(child->name) : path + "/" + child->name, out);
    }
}

}  // namespace

std::map<std::string, ExpectedTotals> totalsOf(const FolderNode* drive) {
    std::map<std::string, ExpectedTotals> out;
    collect(drive, ".", out);
    return out;
}

std::string firstTotalsDifference(const std::map<std::string, ExpectedTotals>& found,
                                  const std::map<std::string, ExpectedTotals>& expected, bool asciiPathsOnly) {
    if (found.size() != expected.size())
        return std::to_string(found.size()) + " folders, not " + std::to_string(expected.size());
    for (const auto& [path, totals] : expected) {
        bool ascii = true;
        for (char c : path) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        if (asciiPathsOnly && !ascii) continue;
        auto it = found.find(path);
        if (it == found.end()) return path + ": missing";
        if (it->second.filesBytes != totals.filesBytes || it->second.subfoldersBytes != totals.subfoldersBytes)
            return path + ": " + std::to_string(it->second.filesBytes) + " + " +
                   std::to_string(it->second.subfoldersBytes) + " bytes, not " + std::to_string(totals.filesBytes) +
                   " + " + std::to_string(totals.subfoldersBytes);
    }
    return "";
}

void releaseDriveNode(FolderNode* drive) {
    releaseChain(drive);
}

uint64_t treeHeapBytes() {
    HANDLE heap = reinterpret_cast<HANDLE>(_get_heap_handle());
    uint64_t used = 0;
    PROCESS_HEAP_ENTRY entry = {};
    HeapLock(heap);
    while (HeapWalk(heap, &entry)) {
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) used += entry.cbData + entry.cbOverhead;
    }
    HeapUnlock(heap);
    return used;
}
