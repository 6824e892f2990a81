#include "posix/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

// Large enough that most folders come in one read, small enough to stay in cache.
const size_t listingBufferSize = 32 * 1024;
const unsigned driveRootLevel = 1;

bool isShortOfDescriptors() {
    return errno == EMFILE || errno == ENFILE;
}

int openFolderAt(int dirFd, const char* name) {
    return openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

FolderIdentity identityOf(const struct stat& st) {
    return FolderIdentity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

bool sameFolder(const FolderIdentity& a, const FolderIdentity& b) {
    return a.volume == b.volume && a.index == b.index;
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

// Up and at most one name down: one openat from the folder up there and one
// fchdir, whatever the number of levels. Only while that folder is still
// open: otherwise the walk takes the single steps, which reopen what was
// closed for want of descriptors. A failure leaves the walk where it was.
bool PosixFileSystem::changeFolderAlong(const FolderWay& way) {
    int levelsUp = way.levelsUp;
    const char* name = way.count == 1 ? way.names[0] : nullptr;
    if (way.count > 1 || levelsUp < 1 || static_cast<size_t>(levelsUp) >= levels.size()) return false;
    if (name && (name[0] == 0 || isDotName(name) || std::strchr(name, '/'))) return false;
    size_t kept = levels.size() - static_cast<size_t>(levelsUp);
    int fd = levels[kept - 1].fd;
    if (fd < 0) return false;
    if (name) fd = openFolderAt(fd, name);
    if (fd < 0) return false;
    if (fchdir(fd) != 0) {
        if (name) close(fd);
        return false;
    }
    for (size_t i = kept; i < levels.size(); ++i)
        if (levels[i].fd >= 0) close(levels[i].fd);
    levels.resize(kept);
    if (lowestOpen > kept) lowestOpen = kept;
    trail.resize(levels.back().nameEnd);
    if (name) {
        trail.append(name).push_back('/');
        levels.push_back(Level{fd, false, trail.size(), FolderIdentity{}});
    }
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
    levels.push_back(Level{fd, false, 0, FolderIdentity{}});
    return true;
}

// The process's current directory follows every step, as it does on Windows:
// one fchdir per step costs far less than the listing that follows it.
bool PosixFileSystem::stepDown(const char* name) {
    // Links are followed: the walk has already decided to enter this one.
    int fd = openMakingRoom(levels.back().fd, name);
    if (fd < 0) return false;
    if (fchdir(fd) != 0) {
        close(fd);
        return false;
    }
    trail.append(name).push_back('/');
    levels.push_back(Level{fd, false, trail.size(), FolderIdentity{}});
    return true;
}

// openat, and when the descriptors have run out, again after closing the
// oldest levels: a walk deeper than the open-file limit goes on.
int PosixFileSystem::openMakingRoom(int dirFd, const char* name) {
    int fd = openFolderAt(dirFd, name);
    if (fd < 0 && isShortOfDescriptors() && closeOldestLevels()) fd = openFolderAt(dirFd, name);
    return fd;
}

// Closes the older half of the open levels between the root and the current
// folder; they are reopened by name when the walk climbs back to them.
bool PosixFileSystem::closeOldestLevels() {
    if (levels.size() < 2 || levels.size() - 1 <= lowestOpen) return false;
    size_t count = (levels.size() - lowestOpen) / 2;
    for (size_t i = lowestOpen; i < lowestOpen + count; ++i) closeLevel(levels[i]);
    lowestOpen += count;
    reopenBatch = count;
    return true;
}

void PosixFileSystem::closeLevel(Level& level) {
    struct stat st;
    level.id = fstat(level.fd, &st) == 0 ? identityOf(st) : FolderIdentity{};
    close(level.fd);
    level.fd = -1;
}

// Reopens the closed parent of the current folder: through "..", in one
// step, when that is the folder it was; by name from the root when it is
// not (the current folder was entered through a link).
bool PosixFileSystem::reopenParent() {
    size_t parent = levels.size() - 2;
    int fd = openFolderAt(levels.back().fd, "..");
    struct stat st;
    if (fd >= 0 && fstat(fd, &st) == 0 && sameFolder(identityOf(st), levels[parent].id)) {
        levels[parent].fd = fd;
        levels[parent].readBefore = false;
        lowestOpen = parent;
        return true;
    }
    if (fd >= 0) close(fd);
    return reopenUpTo(parent);
}

// Reopens the closed level `target` and up to reopenBatch - 1 closed levels
// below it, name by name from the root (the way the walk came, links
// followed), so that the next steps up find them open. A level that no longer is the folder it was (moved or replaced
// meanwhile) is a failed step up.
bool PosixFileSystem::reopenUpTo(size_t target) {
    size_t first = target >= reopenBatch ? target + 1 - reopenBatch : 1;
    int fd = levels[0].fd;
    for (size_t i = 1; i <= target; ++i) {
        size_t start = levels[i - 1].nameEnd;
        std::string name = trail.substr(start, levels[i].nameEnd - 1 - start);
        int opened = openFolderAt(fd, name.c_str());
        if (opened < 0 && isShortOfDescriptors() && i >= first + 2) {
            // Fewer descriptors than the batch needs: give back its older half.
            size_t keepFrom = first + (i - first) / 2;
            for (size_t k = first; k < keepFrom; ++k) closeLevel(levels[k]);
            first = keepFrom;
            opened = openFolderAt(fd, name.c_str());
        }
        if (i - 1 >= 1 && i - 1 < first) close(fd);  // only a way to the batch
        struct stat st;
        bool same = opened >= 0 && fstat(opened, &st) == 0 && sameFolder(identityOf(st), levels[i].id);
        if (!same) {
            if (opened >= 0) close(opened);
            for (size_t k = first; k < i; ++k) closeLevel(levels[k]);
            return false;
        }
        if (i >= first) levels[i].fd = opened;
        levels[i].readBefore = false;
        fd = opened;
    }
    lowestOpen = first;
    return true;
}

bool PosixFileSystem::stepUp() {
    // "..", at the root of a drive, stays there, as on Windows.
    if (levels.size() == driveRootLevel) return true;
    size_t parent = levels.size() - 2;
    if (levels[parent].fd < 0 && !reopenParent()) return false;
    if (fchdir(levels[parent].fd) != 0) return false;
    close(levels.back().fd);
    levels.pop_back();
    trail.resize(levels.back().nameEnd);
    return true;
}

void PosixFileSystem::leaveAll() {
    listing = false;
    for (const Level& level : levels) {
        if (level.fd >= 0) close(level.fd);
    }
    levels.clear();
    trail.clear();
    lowestOpen = 1;
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
        const Level& level = levels[levels.size() - 1 - levelsUp];
        if (level.fd < 0) {
            id = level.id;
            return true;
        }
        if (fstat(level.fd, &st) != 0) return false;
    }
    id = identityOf(st);
    return true;
}
