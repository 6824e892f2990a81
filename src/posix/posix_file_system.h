// A POSIX folder seen the way the walk sees a Windows drive: one drive letter
// shows one folder; every folder but the drive's root lists "." and ".."
// first. Each open folder is a descriptor, each subfolder opened from its
// parent's. For native tests and benchmarks only.
#pragma once

#include "tree/file_system.h"

#include <cstddef>
#include <cstdint>
#include <string>

class PosixFileSystem final : public FileSystem {
public:
    enum : unsigned { driveTypeFixed = 3 };

    // Drive `letter` ('A' to 'Z') shows `folder`; its raw volume, where
    // `volumeImage` names one, is that file (a volume image, the device of a
    // mount). Raises the open-file limit to its hard maximum: the walk holds
    // a descriptor per level of its path.
    PosixFileSystem(char letter, const char* folder, unsigned type = driveTypeFixed,
                    const char* volumeImage = nullptr);
    ~PosixFileSystem();
    PosixFileSystem(const PosixFileSystem&) = delete;
    PosixFileSystem& operator=(const PosixFileSystem&) = delete;

    uint32_t logicalDrives() override;
    unsigned driveType(const char* rootPath) override;
    void readVolumeLabel(const char* rootPath, char* label, unsigned size) override;
    OpenFolder* openRoot(const char* rootPath, FolderIdentity& id) override;
    OpenFolder* openChild(OpenFolder* parent, const void* key, uint32_t keySize,
                          FolderIdentity* linkTarget) override;
    bool nextEntry(OpenFolder* folder, FolderEntry& entry) override;
    bool closeFolder(OpenFolder* folder) override;
    uint32_t keyFor(const char* name, uint64_t fileReference, void* key, uint32_t room) override;
    bool openVolume(const char* rootPath, RawVolume& volume) override;
    void closeVolume(RawVolume& volume) override;
    // Reads of the volume refused for not being of whole sectors.
    uint32_t refusedVolumeReads() const { return refusedReads; }

private:
    bool isOwnRootPath(const char* path) const;
    OpenFolder* open(int fd, bool isRoot);
    bool refill(int fd);
    bool describe(int dirFd, const char* name, unsigned char type, uint64_t inode, FolderEntry& entry);

    char letter;
    std::string folder;
    unsigned type;
    std::string volumeImage;
    uint32_t refusedReads = 0;

    // The one listing read at a time: "." and ".." made up first, then the
    // folder's records.
    char* buffer;
    size_t filled = 0;
    size_t position = 0;
    char nameBuffer[256];  // a key made back into a name for openat
};
