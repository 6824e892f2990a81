// The narrow view of the disk that the drive list and the walk need. The
// walk moves with relative steps through the current directory, so an
// implementation keeps one current directory and at most one listing.
#pragma once

#include <cstdint>

enum DriveType : unsigned {
    driveTypeRemovable = 2,  // the only answer the program tells apart
};

struct FolderEntry {
    const char* name;       // as listed: what the user sees
    const char* enterName;  // null, or a name to enter the folder by instead (empty: it cannot be)
    uint64_t size;          // files: the length in bytes
    bool isFolder;
    bool isLink;            // a folder reached through a directory link
};

// A folder named from the current directory: `levelsUp` ".." steps, then
// the steps into `names[0]` to `names[count - 1]`, one below the other.
struct FolderWay {
    int levelsUp;
    int count;
    const char* const* names;
};

struct FolderIdentity {
    uint64_t volume;
    uint64_t index;
};

class FileSystem {
public:
    // Drive list.
    virtual uint32_t logicalDrives() = 0;
    virtual unsigned driveType(const char* rootPath) = 0;
    // Writes the volume label into `label` (room for `size` bytes); leaves it
    // untouched when the volume cannot be read.
    virtual void readVolumeLabel(const char* rootPath, char* label, unsigned size) = 0;

    // Makes `path` current: a drive's root path, a folder's name, or "..".
    virtual bool changeFolder(const char* path) = 0;
    // Takes the single steps of `way` as one step. True only where the
    // single steps would all succeed and end in the same folder; on false
    // the current directory is as it was, and the caller takes the single
    // steps to find out which of them fails.
    virtual bool changeFolderAlong(const FolderWay& way) = 0;
    // Lists the current directory: the first entry, or false when no listing
    // can be started. `entry` stays valid until the next call.
    virtual bool openListing(FolderEntry& entry) = 0;
    virtual bool nextEntry(FolderEntry& entry) = 0;
    virtual void closeListing() = 0;
    // Lists the folder at the end of `way` (at least one name) without
    // making it current: the first entry, or false when this cannot be done
    // (the caller then steps in and lists it there). True only where the
    // single steps of `way` would all succeed: a folder listed so counts as
    // entered. Steps taken while it is open leave it alone.
    virtual bool openListingOf(const FolderWay& way, FolderEntry& entry) = 0;

    // The identity of the folder `name` in the current directory (links
    // followed), or of the current directory's ancestor `levelsUp` steps up
    // when `name` is null (0 is the current directory itself).
    virtual bool identifyFolder(const char* name, int levelsUp, FolderIdentity& id) = 0;

protected:
    ~FileSystem() = default;
};
