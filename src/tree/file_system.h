// The narrow view of the disk that the drive list and the walk need. The
// walk holds every folder of its path open and opens each subfolder from its
// open parent: an implementation hands out open folders, reads their
// entries and closes them, and keeps no place of its own.
#pragma once

#include <cstdint>

enum DriveType : unsigned {
    driveTypeRemovable = 2,  // the only answer the program tells apart
};

// The drive letter of a root path "X:\", in upper case; 0 for any other text.
inline char driveLetterOf(const char* path) {
    char letter = path[0] >= 'a' && path[0] <= 'z' ? static_cast<char>(path[0] - 'a' + 'A') : path[0];
    bool isRoot = letter >= 'A' && letter <= 'Z' && path[1] == ':' && path[2] == '\\' && path[3] == 0;
    return isRoot ? letter : 0;
}

struct FolderIdentity {
    uint64_t volume;
    uint64_t index;
};

// A folder with a reparse point is a directory link only where the point's
// tag is a name surrogate (bit 29: junctions, symbolic links): the tag of a
// cloud file's placeholder, of deduplicated or system-compressed data or of
// another filter leaves it an ordinary folder, whose contents are its own.
// A tag that is not known (0) is taken as a link, so that the loop guard
// applies to it.
inline bool reparseTagIsLink(uint32_t tag) {
    const uint32_t nameSurrogate = 0x20000000;
    return tag == 0 || (tag & nameSurrogate) != 0;
}

inline bool sameFolder(const FolderIdentity& a, const FolderIdentity& b) {
    return a.volume == b.volume && a.index == b.index;
}

// One entry of an open folder's listing, valid until the next call on that
// folder.
struct FolderEntry {
    const char* name;    // as listed, in UTF-8: what the user sees
    uint64_t size;       // files: the length in bytes
    bool isFolder;
    bool isLink;         // a folder reached through a directory link
    uint64_t fileIndex;  // folders: their index on the volume, as listed (0: not known)
    // Folders: what openChild needs to open this one, `keySize` bytes that
    // the walk keeps while the folder's parent is walked. An empty key
    // opens nothing: the folder cannot be entered.
    const void* key;
    uint32_t keySize;
};

// An implementation's own record of a folder it has opened.
struct OpenFolder;

// One way of walking a drive's folders: open the root, open a subfolder of
// an open folder by the key its entry carried, read entries, close.
class FolderWalk {
public:
    // Opens the drive's root folder ("X:\"); `id` is its identity. Null
    // when the drive is not there.
    virtual OpenFolder* openRoot(const char* rootPath, FolderIdentity& id) = 0;
    // Opens the subfolder of `parent` whose entry carried `key`. The walk
    // reads a folder's whole listing before it opens any subfolder of it, so
    // one listing is read at a time. With `linkTarget`, also tells where the
    // folder really is (a link's target). Null when it cannot be opened:
    // access denied, gone, out of handles.
    virtual OpenFolder* openChild(OpenFolder* parent, const void* key, uint32_t keySize,
                                  FolderIdentity* linkTarget) = 0;
    // The next entry of the folder's listing, "." and ".." where the listing
    // has them; false at its end, or where it cannot go on.
    virtual bool nextEntry(OpenFolder* folder, FolderEntry& entry) = 0;
    // Closes a folder whose subfolders opened from it are closed. False when
    // the file system has lost its place and can open nothing more below
    // the root (only a walk by the current directory can).
    virtual bool closeFolder(OpenFolder* folder) = 0;
    // The key this walk's listing gives a folder named `name` with the file
    // reference `fileReference` on its volume (what the file table says of
    // it), written to `key` (room for `room` bytes): its size, or 0 when the
    // walk cannot open a folder from what the table says.
    virtual uint32_t keyFor(const char* name, uint64_t fileReference, void* key, uint32_t room) {
        (void)name, (void)fileReference, (void)key, (void)room;
        return 0;
    }
    // Opens the folder whose file reference is `fileReference` on the
    // volume of the open root `root` (what the file table says of it), from
    // the root alone: none of the folders above it is opened. Null where
    // this walk cannot open a folder so, or no folder carries that
    // reference now (it was removed, its record used again).
    virtual OpenFolder* openByReference(OpenFolder* root, uint64_t fileReference) {
        (void)root, (void)fileReference;
        return nullptr;
    }

protected:
    ~FolderWalk() = default;
};

// A volume read as bytes, for its file table.
class VolumeBytes {
public:
    // Reads `length` bytes at `offset` into `into`, all of them, or answers
    // false. Offsets and lengths are multiples of the volume's sector size
    // (the first read, of the boot sector, is 4096 bytes at 0), and `into`
    // lies in the buffer the volume came with, at such a multiple.
    virtual bool read(uint64_t offset, void* into, uint32_t length) = 0;

protected:
    ~VolumeBytes() = default;
};

// Whether a read of `length` bytes at `offset` into the buffer `place`
// bytes in (a buffer of `bufferSize`) is of whole sectors of `sectorSize`,
// as Windows takes reads of a volume; test builds refuse any other.
inline bool isWholeSectorRead(uint64_t offset, uint32_t length, uintptr_t place, uint32_t bufferSize,
                              uint32_t sectorSize) {
    return offset % sectorSize == 0 && length % sectorSize == 0 && place % sectorSize == 0 && place <= bufferSize &&
           length <= bufferSize - place;
}

struct RawVolume {
    VolumeBytes* bytes;
    uint8_t* buffer;  // what reads go into: aligned as the volume needs
    uint32_t bufferSize;
};

// The drive list, and the walk of a drive's folders.
class FileSystem : public FolderWalk {
public:
    virtual uint32_t logicalDrives() = 0;
    virtual unsigned driveType(const char* rootPath) = 0;
    // Writes the volume label into `label` (room for `size` bytes) in
    // UTF-8, or an empty text when the volume cannot be read.
    virtual void readVolumeLabel(const char* rootPath, char* label, unsigned size) = 0;
    // Opens the drive's volume to read its bytes, with a buffer of up to
    // 1 MiB; false where it cannot be opened (no rights, no local volume),
    // which is no fault: the drive is then walked.
    virtual bool openVolume(const char* rootPath, RawVolume& volume) {
        (void)rootPath, (void)volume;
        return false;
    }
    virtual void closeVolume(RawVolume& volume) { (void)volume; }
    // True when only an administrator may open the drive's volume and the
    // system names its file system NTFS: a drive whose file table would be
    // read is walked instead, folder by folder, far more slowly.
    virtual bool volumeNeedsAdministrator(const char* rootPath) {
        (void)rootPath;
        return false;
    }
    // Called on the reading's thread as a reading of a drive begins and as
    // it ends, however it ends (see DriveReading): the disk is read as it
    // is for that time only (Windows: without WoW64's redirection).
    virtual void beginDriveReading() {}
    virtual void endDriveReading() {}

protected:
    ~FileSystem() = default;
};

// One reading of a drive, from its first call on the disk to its end:
// the file system's begin and end calls around it, whichever way it ends.
class DriveReading {
public:
    explicit DriveReading(FileSystem& fs) : fileSystem(fs) { fileSystem.beginDriveReading(); }
    ~DriveReading() { fileSystem.endDriveReading(); }
    DriveReading(const DriveReading&) = delete;
    DriveReading& operator=(const DriveReading&) = delete;

private:
    FileSystem& fileSystem;
};
