// A POSIX folder seen the way the walk sees a Windows drive: one drive letter
// shows one folder; ".." goes back along the way the walk came (as on
// Windows, not to a link target's physical parent); every folder but the
// drive's root lists "." and ".." first. For native tests and benchmarks only.
#pragma once

#include "tree/file_system.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class PosixFileSystem final : public FileSystem {
public:
    enum : unsigned { driveTypeFixed = 3 };

    // Drive `letter` ('A' to 'Z') shows `folder`. Raises the open-file limit
    // to its hard maximum: the walk keeps a descriptor per level while it
    // can, and past the limit reopens the levels it had to close.
    PosixFileSystem(char letter, const char* folder, unsigned type = driveTypeFixed);
    ~PosixFileSystem();
    PosixFileSystem(const PosixFileSystem&) = delete;
    PosixFileSystem& operator=(const PosixFileSystem&) = delete;

    uint32_t logicalDrives() override;
    unsigned driveType(const char* rootPath) override;
    void readVolumeLabel(const char* rootPath, char* label, unsigned size) override;
    bool changeFolder(const char* path) override;
    bool changeFolderAlong(const FolderWay& way) override;
    bool openListing(FolderEntry& entry) override;
    bool nextEntry(FolderEntry& entry) override;
    void closeListing() override;
    // Not done here: the listing reads through the current folder's descriptor.
    bool openListingOf(const FolderWay&, FolderEntry&) override { return false; }
    bool identifyFolder(const char* name, int levelsUp, FolderIdentity& id) override;

private:
    struct Level {
        int fd;             // -1 while closed for want of descriptors
        bool readBefore;    // its offset has moved: rewind before listing again
        size_t nameEnd;     // where its name ends in `trail`, past the '/'
        FolderIdentity id;  // kept when closed
    };

    bool isOwnRootPath(const char* path) const;
    bool enterRoot();
    bool stepUp();
    bool stepDown(const char* name);
    int openMakingRoom(int dirFd, const char* name);
    bool closeOldestLevels();
    void closeLevel(Level& level);
    bool reopenParent();
    bool reopenUpTo(size_t target);
    void leaveAll();
    bool refill();
    bool describe(const char* name, unsigned char type, FolderEntry& entry);

    char letter;
    std::string folder;
    unsigned type;

    std::vector<Level> levels;  // the drive's root first, the current folder last
    // Levels 1 to lowestOpen - 1 are closed, the root and all above them open.
    size_t lowestOpen = 1;
    size_t reopenBatch = 1;  // how many closed levels to reopen at once
    std::string trail;       // the names of the levels below the root, each followed by '/'

    // The one listing: "." and ".." made up first, then the folder's records.
    char* buffer;
    bool listing = false;
    int dotsLeft = 0;
    size_t filled = 0;
    size_t position = 0;
};
