// Benchmark helpers shared by the native and the Windows scan benchmarks.
#pragma once

#include "tree/drive_prompt.h"
#include "tree/file_system.h"
#include "tree/folder_node.h"

#include <cstdint>

// A benchmark asks nobody: a missing drive is given up at once, and a walk
// that could not go on to its end is remembered so that its numbers are not
// trusted. The walk's progress reports cost only the counting here.
struct BenchPrompt final : DrivePrompt {
    bool incomplete = false;
    uint64_t progressReports = 0;
    ScanProgress last{};  // what the last report said: whether the file table was read, and its counts
    bool askRetryMissingDrive() override { return false; }
    void tellScanIncomplete() override { incomplete = true; }
    bool keepReading(const ScanProgress& progress) override {
        ++progressReports;
        last = progress;
        return true;
    }
};

// Counts the file entries the walk is handed, leaving everything to `inner`.
class CountingFileSystem final : public FileSystem {
public:
    explicit CountingFileSystem(FileSystem& fs) : inner(fs) {}
    uint64_t files = 0;

    uint32_t logicalDrives() override { return inner.logicalDrives(); }
    unsigned driveType(const char* rootPath) override { return inner.driveType(rootPath); }
    void readVolumeLabel(const char* rootPath, char* label, unsigned size) override {
        inner.readVolumeLabel(rootPath, label, size);
    }
    OpenFolder* openRoot(const char* rootPath, FolderIdentity& id) override { return inner.openRoot(rootPath, id); }
    OpenFolder* openChild(OpenFolder* parent, const void* key, uint32_t keySize,
                          FolderIdentity* linkTarget) override {
        return inner.openChild(parent, key, keySize, linkTarget);
    }
    bool nextEntry(OpenFolder* folder, FolderEntry& entry) override {
        bool listed = inner.nextEntry(folder, entry);
        if (listed && !entry.isFolder) ++files;
        return listed;
    }
    bool closeFolder(OpenFolder* folder) override { return inner.closeFolder(folder); }
    uint32_t keyFor(const char* name, uint64_t fileReference, void* key, uint32_t room) override {
        return inner.keyFor(name, fileReference, key, room);
    }
    bool openVolume(const char* rootPath, RawVolume& volume) override {
        return readTable && inner.openVolume(rootPath, volume);
    }
    void closeVolume(RawVolume& volume) override { inner.closeVolume(volume); }
    bool volumeNeedsAdministrator(const char* rootPath) override {
        return readTable && inner.volumeNeedsAdministrator(rootPath);
    }
    void beginDriveReading() override { inner.beginDriveReading(); }
    void endDriveReading() override { inner.endDriveReading(); }
    bool readTable = true;  // false: the walk reads every drive

private:
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
    for (const FolderNode* node = drive->firstChild; node; node = nextInTree(node, drive)) {
        if (isDotDot(node)) continue;
        ++count.folders;
        for (const char* c = node->name; *c; ++c) ++count.nameBytes;
    }
    return count;
}
