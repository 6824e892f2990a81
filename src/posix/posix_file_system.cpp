#include "posix/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

// Large enough that most folders come in one read, small enough to stay in cache.
const size_t listingBufferSize = 32 * 1024;
const unsigned driveRootLevel = 1;

bool isDotName(const char* name) {
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

void raiseOpenFileLimit() {
    rlimit limit;
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max) return;
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
}

void setFolder(FolderEntry& entry, const char* name, bool isLink) {
    entry = FolderEntry{name, nullptr, 0, true, isLink};
}

void setFile(FolderEntry& entry, const char* name, const struct stat& st) {
    entry = FolderEntry{name, nullptr, static_cast<uint64_t>(st.st_size), false, false};
}

}  // namespace

PosixFileSystem::PosixFileSystem(char driveLetter, const char* driveFolder, unsigned typeOfDrive)
    : letter(driveLetter), folder(driveFolder), type(typeOfDrive),
      buffer(static_cast<char*>(std::malloc(listingBufferSize))) {
    raiseOpenFileLimit();
}

PosixFileSystem::~PosixFileSystem() {
    leaveAll();
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
    if (!isOwnRootPath(rootPath) || size == 0) return;
    size_t end = folder.find_last_not_of('/');
    if (end == std::string::npos) return;
    size_t start = folder.find_last_of('/', end);
    start = start == std::string::npos ? 0 : start + 1;
    size_t length = end + 1 - start;
    if (length > size - 1) length = size - 1;
    std::memcpy(label, folder.data() + start, length);
    label[length] = 0;
}

bool PosixFileSystem::isOwnRootPath(const char* path) const {
    char upper = path[0] >= 'a' && path[0] <= 'z' ? static_cast<char>(path[0] - 'a' + 'A') : path[0];
    return upper == letter && path[1] == ':' && path[2] == '\\' && path[3] == 0;
}

bool PosixFileSystem::changeFolder(const char* path) {
    if (path[0] != 0 && path[1] == ':' && path[2] == '\\' && path[3] == 0)
        return isOwnRootPath(path) && enterRoot();
    if (levels.empty()) return false;
    if (std::strcmp(path, "..") == 0) return stepUp();
    if (std::strcmp(path, ".") == 0) return true;
    // One step only: a longer path would leave ".." out of step with it.
    if (path[0] == 0 || std::strchr(path, '/')) return false;
    return stepDown(path);
}

// The folder up there is still open: one openat from it and one fchdir,
// whatever the number of levels.
bool PosixFileSystem::changeFolderUp(int levelsUp, const char* name) {
    if (levelsUp < 1 || static_cast<size_t>(levelsUp) >= levels.size()) return false;
    if (name && (name[0] == 0 || isDotName(name) || std::strchr(name, '/'))) return false;
    size_t kept = levels.size() - static_cast<size_t>(levelsUp);
    int fd = levels[kept - 1].fd;
    if (name) fd = openat(fd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    if (fchdir(fd) != 0) {
        if (name) close(fd);
        return false;
    }
    for (size_t i = kept; i < levels.size(); ++i) close(levels[i].fd);
    levels.resize(kept);
    if (name) levels.push_back(Level{fd, false});
    return true;
}

bool PosixFileSystem::canEnter(int levelsUp, const char* name) {
    if (levelsUp < 0 || static_cast<size_t>(levelsUp) >= levels.size()) return false;
    if (name[0] == 0 || isDotName(name) || std::strchr(name, '/')) return false;
    int fd = openat(levels[levels.size() - 1 - levelsUp].fd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    close(fd);
    return true;
}

bool PosixFileSystem::enterRoot() {
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    if (fchdir(fd) != 0) {
        close(fd);
        return false;
    }
    leaveAll();
    levels.push_back(Level{fd, false});
    return true;
}

// The process's current directory follows every step, as it does on Windows:
// one fchdir per step costs far less than the listing that follows it.
bool PosixFileSystem::stepDown(const char* name) {
    // Links are followed: the walk has already decided to enter this one.
    int fd = openat(levels.back().fd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    if (fchdir(fd) != 0) {
        close(fd);
        return false;
    }
    levels.push_back(Level{fd, false});
    return true;
}

bool PosixFileSystem::stepUp() {
    // "..", at the root of a drive, stays there, as on Windows.
    if (levels.size() == driveRootLevel) return true;
    if (fchdir(levels[levels.size() - 2].fd) != 0) return false;
    close(levels.back().fd);
    levels.pop_back();
    return true;
}

void PosixFileSystem::leaveAll() {
    listing = false;
    for (const Level& level : levels) close(level.fd);
    levels.clear();
}

bool PosixFileSystem::openListing(FolderEntry& entry) {
    if (levels.empty() || !buffer) return false;
    Level& current = levels.back();
    if (current.readBefore && lseek(current.fd, 0, SEEK_SET) != 0) return false;
    current.readBefore = true;
    listing = true;
    // A mapped drive's root lists neither "." nor "..", every other folder both.
    dotsLeft = levels.size() == driveRootLevel ? 0 : 2;
    filled = 0;
    position = 0;
    return nextEntry(entry);
}

bool PosixFileSystem::nextEntry(FolderEntry& entry) {
    if (!listing) return false;
    if (dotsLeft > 0) {
        setFolder(entry, dotsLeft == 2 ? "." : "..", false);
        --dotsLeft;
        return true;
    }
    for (;;) {
        if (position >= filled && !refill()) {
            listing = false;
            return false;
        }
        const dirent64* record = reinterpret_cast<const dirent64*>(buffer + position);
        position += record->d_reclen;
        if (isDotName(record->d_name)) continue;
        if (describe(record->d_name, record->d_type, entry)) return true;
    }
}

void PosixFileSystem::closeListing() {
    listing = false;
}

// False at the end of the folder and on a read error: the listing stops early.
bool PosixFileSystem::refill() {
    ssize_t got = getdents64(levels.back().fd, buffer, listingBufferSize);
    if (got <= 0) return false;
    filled = static_cast<size_t>(got);
    position = 0;
    return true;
}

// Only files need a stat: the record's type already tells a folder. False
// for an entry that is left out (a dangling link, or one gone since listed).
bool PosixFileSystem::describe(const char* name, unsigned char recordType, FolderEntry& entry) {
    if (recordType == DT_DIR) {
        setFolder(entry, name, false);
        return true;
    }
    int dirFd = levels.back().fd;
    struct stat st;
    if (recordType != DT_LNK) {
        if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
        if (S_ISDIR(st.st_mode)) {
            setFolder(entry, name, false);
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
        setFolder(entry, name, true);
    else
        setFile(entry, name, st);
    return true;
}

bool PosixFileSystem::identifyFolder(const char* name, int levelsUp, FolderIdentity& id) {
    if (levels.empty()) return false;
    struct stat st;
    if (name) {
        if (fstatat(levels.back().fd, name, &st, 0) != 0 || !S_ISDIR(st.st_mode)) return false;
    } else {
        if (levelsUp < 0 || static_cast<size_t>(levelsUp) >= levels.size()) return false;
        if (fstat(levels[levels.size() - 1 - levelsUp].fd, &st) != 0) return false;
    }
    id.volume = static_cast<uint64_t>(st.st_dev);
    id.index = static_cast<uint64_t>(st.st_ino);
    return true;
}
