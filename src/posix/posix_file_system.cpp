#include "posix/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

// An open folder: its descriptor and where its listing stands.
struct OpenFolder {
    int fd;
    int dotsLeft;  // "." and ".." still to hand out
    bool ended;
};

namespace {

// Large enough that most folders come in one read, small enough to stay in cache.
const size_t listingBufferSize = 32 * 1024;

int openFolderAt(int dirFd, const char* name) {
    return openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

FolderIdentity identityOf(const struct stat& st) {
    return FolderIdentity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

bool isDotName(const char* name) {
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

void raiseOpenFileLimit() {
    rlimit limit;
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max) return;
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
}

// A folder's key is its name, without the terminating zero.
void setFolder(FolderEntry& entry, const char* name, bool isLink, uint64_t inode) {
    uint32_t keySize = isDotName(name) ? 0 : static_cast<uint32_t>(std::strlen(name));
    entry = FolderEntry{name, 0, true, isLink, isLink ? 0 : inode, name, keySize};
}

void setFile(FolderEntry& entry, const char* name, const struct stat& st) {
    entry = FolderEntry{name, static_cast<uint64_t>(st.st_size), false, false, 0, nullptr, 0};
}

}  // namespace

PosixFileSystem::PosixFileSystem(char driveLetter, const char* driveFolder, unsigned typeOfDrive,
                                 const char* image)
    : letter(driveLetter), folder(driveFolder), type(typeOfDrive), volumeImage(image ? image : ""),
      buffer(static_cast<char*>(std::malloc(listingBufferSize))) {
    raiseOpenFileLimit();
}

PosixFileSystem::~PosixFileSystem() {
    std::free(buffer);
}

uint32_t PosixFileSystem::logicalDrives() {
    return uint32_t{1} << (letter - 'A');
}

unsigned PosixFileSystem::driveType(const char* rootPath) {
    // Windows answers DRIVE_NO_ROOT_DIR (1) for a letter it does not know.
    return isOwnRootPath(rootPath) ? type : 1;
}

void PosixFileSystem::readVolumeLabel(const char* rootPath, char* label, unsigned size) {
    if (size == 0) return;
    label[0] = 0;
    if (!isOwnRootPath(rootPath)) return;
    size_t end = folder.find_last_not_of('/');
    if (end == std::string::npos) return;
    size_t start = folder.find_last_of('/', end);
    start = start == std::string::npos ? 0 : start + 1;
    size_t length = end + 1 - start;
    if (length > size - 1) length = size - 1;
    std::memcpy(label, folder.data() + start, length);
    label[length] = 0;
}

uint32_t PosixFileSystem::keyFor(const char* name, uint64_t, void* key, uint32_t room) {
    size_t length = std::strlen(name);
    if (length == 0 || length > room || isDotName(name)) return 0;
    std::memcpy(key, name, length);
    return static_cast<uint32_t>(length);
}

namespace {

const uint32_t volumeBufferSize = 1024 * 1024;

// The image's bytes through pread, whole or not at all. As Windows does
// for a volume, a read that is not of whole 512-byte sectors, into the
// buffer at such a place, is refused (and counted).
struct ImageBytes final : VolumeBytes {
    int fd;
    char* buffer;
    uint32_t& refused;
    ImageBytes(int descriptor, char* memory, uint32_t& refusals) : fd(descriptor), buffer(memory), refused(refusals) {}
    bool read(uint64_t offset, void* into, uint32_t length) override {
        char* at = static_cast<char*>(into);
        size_t place = static_cast<size_t>(at - buffer);
        if (!isWholeSectorRead(offset, length, place, volumeBufferSize, 512)) {
            ++refused;
            return false;
        }
        while (length > 0) {
            ssize_t got = pread(fd, at, length, static_cast<off_t>(offset));
            if (got <= 0) return false;
            at += got;
            offset += static_cast<uint64_t>(got);
            length -= static_cast<uint32_t>(got);
        }
        return true;
    }
};

}  // namespace

bool PosixFileSystem::openVolume(const char* rootPath, RawVolume& volume) {
    if (!isOwnRootPath(rootPath) || volumeImage.empty()) return false;
    int fd = ::open(volumeImage.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    void* buffer = std::aligned_alloc(4096, volumeBufferSize);
    ImageBytes* bytes = buffer ? new ImageBytes(fd, static_cast<char*>(buffer), refusedReads) : nullptr;
    if (!bytes) {
        std::free(buffer);
        close(fd);
        return false;
    }
    volume = RawVolume{bytes, static_cast<uint8_t*>(buffer), volumeBufferSize};
    return true;
}

void PosixFileSystem::closeVolume(RawVolume& volume) {
    ImageBytes* bytes = static_cast<ImageBytes*>(volume.bytes);
    close(bytes->fd);
    delete bytes;
    std::free(volume.buffer);
    volume = RawVolume{};
}

bool PosixFileSystem::isOwnRootPath(const char* path) const {
    return driveLetterOf(path) == letter;
}

OpenFolder* PosixFileSystem::open(int fd, bool isRoot) {
    OpenFolder* opened = fd < 0 ? nullptr : static_cast<OpenFolder*>(std::malloc(sizeof(OpenFolder)));
    if (!opened) {
        if (fd >= 0) close(fd);
        return nullptr;
    }
    // A mapped drive's root lists neither "." nor "..", every other folder both.
    *opened = OpenFolder{fd, isRoot ? 0 : 2, false};
    filled = position = 0;
    return opened;
}

OpenFolder* PosixFileSystem::openRoot(const char* rootPath, FolderIdentity& id) {
    if (!isOwnRootPath(rootPath) || !buffer) return nullptr;
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat st;
    if (fd >= 0 && fstat(fd, &st) != 0) {
        close(fd);
        return nullptr;
    }
    if (fd >= 0) id = identityOf(st);
    return open(fd, true);
}

// Links are followed: the walk has decided to enter this one. Out of
// descriptors, the folder is not entered.
OpenFolder* PosixFileSystem::openChild(OpenFolder* parent, const void* key, uint32_t keySize,
                                       FolderIdentity* linkTarget) {
    if (keySize == 0 || keySize >= sizeof nameBuffer) return nullptr;
    std::memcpy(nameBuffer, key, keySize);
    nameBuffer[keySize] = 0;
    int fd = openFolderAt(parent->fd, nameBuffer);
    if (fd >= 0 && linkTarget) {
        struct stat st;
        if (fstat(fd, &st) != 0) {
            close(fd);
            return nullptr;
        }
        *linkTarget = identityOf(st);
    }
    return open(fd, false);
}

bool PosixFileSystem::closeFolder(OpenFolder* opened) {
    close(opened->fd);
    std::free(opened);
    return true;
}

bool PosixFileSystem::nextEntry(OpenFolder* opened, FolderEntry& entry) {
    if (opened->dotsLeft > 0) {
        setFolder(entry, opened->dotsLeft == 2 ? "." : "..", false, 0);
        --opened->dotsLeft;
        return true;
    }
    while (!opened->ended) {
        if (position >= filled && !refill(opened->fd)) {
            opened->ended = true;
            break;
        }
        const dirent64* record = reinterpret_cast<const dirent64*>(buffer + position);
        position += record->d_reclen;
        if (isDotName(record->d_name)) continue;
        if (describe(opened->fd, record->d_name, record->d_type, record->d_ino, entry)) return true;
    }
    return false;
}

// False at the end of the folder and on a read error: the listing stops early.
bool PosixFileSystem::refill(int fd) {
    ssize_t got = getdents64(fd, buffer, listingBufferSize);
    if (got <= 0) return false;
    filled = static_cast<size_t>(got);
    position = 0;
    return true;
}

// Only files need a stat: the record's type already tells a folder. False
// for an entry that is left out (a dangling link, or one gone since listed).
bool PosixFileSystem::describe(int dirFd, const char* name, unsigned char recordType, uint64_t inode,
                               FolderEntry& entry) {
    if (recordType == DT_DIR) {
        setFolder(entry, name, false, inode);
        return true;
    }
    struct stat st;
    if (recordType != DT_LNK) {
        if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
        if (S_ISDIR(st.st_mode)) {
            setFolder(entry, name, false, inode);
            return true;
        }
        if (!S_ISLNK(st.st_mode)) {
            setFile(entry, name, st);
            return true;
        }
    }
    // A link counts as what it leads to, as Wine shows it.
    if (fstatat(dirFd, name, &st, 0) != 0) return false;
    if (S_ISDIR(st.st_mode))
        setFolder(entry, name, true, 0);
    else
        setFile(entry, name, st);
    return true;
}
