#include "folder_count.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace {

using Identity = std::pair<dev_t, ino_t>;

struct Count {
    FixtureManifest folders;
    std::vector<Identity> onPath;  // the folders entered, from the root down
    bool ok = true;
};

// The names in the folder `fd`, read whole before any of them is opened, so
// that one descriptor per level is open.
bool listNames(int fd, std::vector<std::string>& names) {
    int listFd = openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0) return false;
    DIR* listing = fdopendir(listFd);
    if (!listing) {
        close(listFd);
        return false;
    }
    while (dirent* record = readdir(listing)) {
        const char* name = record->d_name;
        if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0) names.emplace_back(name);
    }
    closedir(listing);
    return true;
}

std::string joinPath(const std::string& parent, const std::string& name) {
    return parent == "." ? name : parent + "/" + name;
}

// Counts the open folder `fd` listed as `path`; gives its total.
uint64_t countBelow(Count& count, int fd, const std::string& path) {
    size_t slot = count.folders.size();
    count.folders.push_back(FixtureFolder{path, 0, 0});
    struct stat self;
    std::vector<std::string> names;
    if (fstat(fd, &self) != 0 || !listNames(fd, names)) {
        count.ok = false;
        return 0;
    }
    count.onPath.emplace_back(self.st_dev, self.st_ino);
    uint64_t files = 0, below = 0;
    for (const std::string& name : names) {
        if (name.find_first_of("\t\n") != std::string::npos) count.ok = false;
        struct stat st;
        if (fstatat(fd, name.c_str(), &st, 0) != 0) {
            // Only a dangling link may fail to give its target.
            struct stat link;
            if (fstatat(fd, name.c_str(), &link, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISLNK(link.st_mode))
                count.ok = false;
            continue;
        }
        if (!S_ISDIR(st.st_mode)) {
            files += static_cast<uint64_t>(st.st_size);
            continue;
        }
        std::string childPath = joinPath(path, name);
        if (std::find(count.onPath.begin(), count.onPath.end(), Identity(st.st_dev, st.st_ino)) !=
            count.onPath.end()) {
            count.folders.push_back(FixtureFolder{childPath, 0, 0});
            continue;
        }
        int childFd = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (childFd < 0) {
            count.ok = false;
            continue;
        }
        below += countBelow(count, childFd, childPath);
        close(childFd);
    }
    count.onPath.pop_back();
    count.folders[slot].filesBytes = files;
    count.folders[slot].subfoldersBytes = below;
    return files + below;
}

}  // namespace

bool countFolder(const std::string& dir, FixtureManifest& manifest) {
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    Count count;
    countBelow(count, fd, ".");
    close(fd);
    if (!count.ok) return false;
    manifest = std::move(count.folders);
    std::sort(manifest.begin(), manifest.end(),
              [](const FixtureFolder& a, const FixtureFolder& b) { return a.path < b.path; });
    return true;
}
