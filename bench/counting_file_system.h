// Benchmark helpers shared by the native and the Windows scan benchmarks.
#pragma once

#include "tree/drive_prompt.h"
#include "tree/file_system.h"
#include "tree/folder_node.h"

#include <cstdint>

// A benchmark asks nobody: a missing drive is given up at once, and a walk
// that ran out of memory is remembered so that its numbers are not trusted.
struct BenchPrompt final : DrivePrompt {
    bool incomplete = false;
    bool askRetryMissingDrive() override { return false; }
    void tellScanIncomplete() override { incomplete = true; }
};

// Counts the file entries the walk is handed, leaving everything to `inner`;
// can refuse the folded steps or the listings from outside, so that the walk
// falls back to the single steps and each saving is measured alone.
class CountingFileSystem final : public FileSystem {
public:
    explicit CountingFileSystem(FileSystem& fs) : inner(fs) {}
    uint64_t files = 0;
    bool refuseFoldedSteps = false;
    bool refuseListingsOf = false;

    uint32_t logicalDrives() override { return inner.logicalDrives(); }
    unsigned driveType(const char* rootPath) override { return inner.driveType(rootPath); }
    void readVolumeLabel(const char* rootPath, char* label, unsigned size) override {
        inner.readVolumeLabel(rootPath, label, size);
    }
    bool changeFolder(const char* path) override { return inner.changeFolder(path); }
    bool changeFolderAlong(const FolderWay& way) override {
        return !refuseFoldedSteps && inner.changeFolderAlong(way);
    }
    bool openListing(FolderEntry& entry) override { return count(inner.openListing(entry), entry); }
    bool nextEntry(FolderEntry& entry) override { return count(inner.nextEntry(entry), entry); }
    void closeListing() override { inner.closeListing(); }
    bool openListingOf(const FolderWay& way, FolderEntry& entry) override {
        return !refuseListingsOf && count(inner.openListingOf(way, entry), entry);
    }
    bool identifyFolder(const char* name, int levelsUp, FolderIdentity& id) override {
        return inner.identifyFolder(name, levelsUp, id);
    }

private:
    bool count(bool listed, const FolderEntry& entry) {
        if (listed && !entry.isFolder) ++files;
        return listed;
    }
    FileSystem& inner;
};

// Folder nodes below `drive` (".." nodes left out) and the bytes of their
// names; iterative, any depth.
struct TreeCount {
    uint64_t folders = 0;
    uint64_t nameBytes = 0;
};

inline TreeCount countTree(const FolderNode* drive) {
    TreeCount count;
    const FolderNode* node = drive->firstChild;
    while (node) {
        if (!isDotDot(node)) {
            ++count.folders;
            for (const char* c = node->name; *c; ++c) ++count.nameBytes;
        }
        if (node->firstChild) {
            node = node->firstChild;
            continue;
        }
        while (node != drive && !node->next) node = node->parent;
        node = node == drive ? nullptr : node->next;
    }
    return count;
}
