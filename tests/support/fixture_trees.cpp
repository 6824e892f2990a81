#include "fixture_trees.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

namespace {

const uint64_t gib = uint64_t{1} << 30;
const size_t noFolder = static_cast<size_t>(-1);

struct PlanLink {
    std::string name;
    std::string target;  // relative to the folder holding the link; stays inside the tree
};

struct PlanFolder {
    std::string name;
    std::string path;  // "." for the root
    size_t parent;
    std::vector<size_t> subfolders;
    std::vector<PlanLink> links;  // directory links only
    uint64_t filesBytes;
};

// What has been written so far, kept as the walk will see it.
struct Plan {
    std::string dir;
    std::vector<PlanFolder> folders;
    bool ok = true;
};

std::string joinPath(const std::string& parent, const std::string& name) {
    return parent == "." ? name : parent + "/" + name;
}

std::string onDisk(const Plan& plan, const std::string& path) {
    return path == "." ? plan.dir : plan.dir + "/" + path;
}

bool startPlan(Plan& plan, const std::string& dir) {
    plan.dir = dir;
    plan.folders.push_back(PlanFolder{"", ".", noFolder, {}, {}, 0});
    return mkdir(dir.c_str(), 0755) == 0;
}

size_t addFolder(Plan& plan, size_t parent, const std::string& name) {
    std::string path = joinPath(plan.folders[parent].path, name);
    if (mkdir(onDisk(plan, path).c_str(), 0755) != 0) plan.ok = false;
    plan.folders.push_back(PlanFolder{name, path, parent, {}, {}, 0});
    size_t index = plan.folders.size() - 1;
    plan.folders[parent].subfolders.push_back(index);
    return index;
}

// Small files get real bytes; larger ones are sparse, so a big tree costs
// inodes rather than disk space.
void addFile(Plan& plan, size_t folder, const std::string& name, uint64_t size) {
    static char pattern[4096];
    if (!pattern[0]) std::memset(pattern, 'q', sizeof pattern);
    std::string file = onDisk(plan, joinPath(plan.folders[folder].path, name));
    int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        plan.ok = false;
        return;
    }
    bool written = size <= sizeof pattern
                       ? write(fd, pattern, size) == static_cast<ssize_t>(size)
                       : ftruncate(fd, static_cast<off_t>(size)) == 0;
    if (close(fd) != 0 || !written) plan.ok = false;
    plan.folders[folder].filesBytes += size;
}

void addSymlink(Plan& plan, size_t folder, const std::string& name, const std::string& target) {
    std::string link = onDisk(plan, joinPath(plan.folders[folder].path, name));
    if (symlink(target.c_str(), link.c_str()) != 0) plan.ok = false;
}

void addFolderLink(Plan& plan, size_t folder, const std::string& name, const std::string& target) {
    addSymlink(plan, folder, name, target);
    plan.folders[folder].links.push_back(PlanLink{name, target});
}

// A link to a file is listed with the size of the file it leads to.
void addFileLink(Plan& plan, size_t folder, const std::string& name, const std::string& target,
                 uint64_t targetSize) {
    addSymlink(plan, folder, name, target);
    plan.folders[folder].filesBytes += targetSize;
}

// The folder that `target`, taken from the folder `from`, leads to; noFolder
// when it leaves the tree or names nothing made here.
size_t resolveLink(const Plan& plan, size_t from, const std::string& target) {
    std::vector<std::string> parts;
    std::string path = plan.folders[from].path == "." ? target : plan.folders[from].path + "/" + target;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        std::string part = path.substr(start, end - start);
        if (part == "..") {
            if (parts.empty()) return noFolder;
            parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string resolved = ".";
    for (const std::string& part : parts) resolved = joinPath(resolved, part);
    for (size_t i = 0; i < plan.folders.size(); ++i)
        if (plan.folders[i].path == resolved) return i;
    return noFolder;
}

// The totals the walk must find: every folder entered, a directory link
// entered unless it leads to a folder on the path it was reached by. Returns
// the total of the folder `physical` reached as `logical`.
uint64_t expectWalk(const Plan& plan, size_t physical, const std::string& logical,
                    std::vector<size_t>& onPath, FixtureManifest& out) {
    const PlanFolder& folder = plan.folders[physical];
    size_t slot = out.size();
    out.push_back(FixtureFolder{logical, folder.filesBytes, 0});
    onPath.push_back(physical);
    uint64_t below = 0;
    for (size_t sub : folder.subfolders)
        below += expectWalk(plan, sub, joinPath(logical, plan.folders[sub].name), onPath, out);
    for (const PlanLink& link : folder.links) {
        size_t target = resolveLink(plan, physical, link.target);
        std::string path = joinPath(logical, link.name);
        if (std::find(onPath.begin(), onPath.end(), target) != onPath.end())
            out.push_back(FixtureFolder{path, 0, 0});
        else
            below += expectWalk(plan, target, path, onPath, out);
    }
    onPath.pop_back();
    out[slot].subfoldersBytes = below;
    return folder.filesBytes + below;
}

bool finishPlan(const Plan& plan, FixtureManifest& manifest) {
    if (!plan.ok) return false;
    for (const PlanFolder& folder : plan.folders)
        for (const PlanLink& link : folder.links)
            if (resolveLink(plan, &folder - plan.folders.data(), link.target) == noFolder) return false;
    manifest.clear();
    std::vector<size_t> onPath;
    expectWalk(plan, 0, ".", onPath, manifest);
    std::sort(manifest.begin(), manifest.end(),
              [](const FixtureFolder& a, const FixtureFolder& b) { return a.path < b.path; });
    return true;
}

// splitmix64: the same numbers on every machine and library.
struct Random {
    uint64_t state;

    uint64_t next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint64_t below(uint64_t bound) { return next() % bound; }
};

uint64_t randomFileSize(Random& random) {
    uint64_t kind = random.below(100);
    if (kind < 8) return 0;
    if (kind < 58) return 1 + random.below(1024);
    if (kind < 88) return 1024 + random.below(63 * 1024);
    if (kind < 98) return 64 * 1024 + random.below(4 << 20);
    return (4 << 20) + random.below(60 << 20);
}

}  // namespace

bool makeRandomTree(const std::string& dir, uint64_t seed, unsigned folderCount, unsigned fileCount,
                    FixtureManifest& manifest) {
    const unsigned maxDepth = 10;  // keeps paths short enough for Windows
    Plan plan;
    if (folderCount == 0 || !startPlan(plan, dir)) return false;
    Random random{seed};
    std::vector<unsigned> depth(1, 0);
    for (unsigned i = 1; i < folderCount && plan.ok; ++i) {
        size_t parent = random.below(i);
        while (depth[parent] >= maxDepth) parent = plan.folders[parent].parent;
        std::string name = "d" + std::to_string(plan.folders[parent].subfolders.size());
        addFolder(plan, parent, parent == 0 && name == "d0" ? ".git" : name);
        depth.push_back(depth[parent] + 1);
    }
    // Every fifth folder takes no files of its own: those without subfolders stay empty.
    std::vector<unsigned> filesIn(folderCount, 0);
    for (unsigned i = 0; i < fileCount && plan.ok; ++i) {
        size_t folder = random.below(folderCount);
        while (folder % 5 == 4) folder = plan.folders[folder].parent;
        std::string name = "f" + std::to_string(filesIn[folder]++);
        addFile(plan, folder, folder == 0 && name == "f0" ? ".profile" : name, randomFileSize(random));
    }
    return finishPlan(plan, manifest);
}

bool makeSparseTree(const std::string& dir, FixtureManifest& manifest) {
    Plan plan;
    if (!startPlan(plan, dir)) return false;
    addFile(plan, 0, "a.txt", 10);
    addFile(plan, 0, "b.txt", 0);
    addFile(plan, addFolder(plan, 0, "big"), "huge.bin", 5 * gib);
    addFile(plan, addFolder(plan, 0, "small"), "c.txt", 3);
    return finishPlan(plan, manifest);
}

bool makeWideTree(const std::string& dir, FixtureManifest& manifest) {
    Plan plan;
    if (!startPlan(plan, dir)) return false;
    size_t wide = addFolder(plan, 0, "wide");
    const std::string longTail(100, 'w');
    uint64_t size = 0;
    size_t wider = 0;
    for (unsigned i = 0; i < 3000 && plan.ok; ++i) {
        if (i % 1000 == 500) {
            size_t sub = addFolder(plan, wide, "s" + std::to_string(i / 1000 + 1));
            addFile(plan, sub, "f", ++size);
            if (i / 1000 == 1) wider = addFolder(plan, sub, "wider");
        }
        addFile(plan, wide, std::to_string(i) + longTail, ++size);
    }
    for (unsigned i = 0; i < 2000 && plan.ok; ++i) addFile(plan, wider, std::to_string(i) + longTail, ++size);
    return finishPlan(plan, manifest);
}

bool makeLoopTree(const std::string& dir, FixtureManifest& manifest) {
    Plan plan;
    if (!startPlan(plan, dir)) return false;
    addFile(plan, 0, "r.txt", 1);
    size_t a = addFolder(plan, 0, "a");
    addFile(plan, a, "a.txt", 10);
    size_t b = addFolder(plan, a, "b");
    addFile(plan, b, "b.txt", 100);
    addFolderLink(plan, b, "up", "../..");
    size_t c = addFolder(plan, a, "c");
    addFile(plan, c, "c.txt", 1000);
    addFolderLink(plan, c, "x", "..");
    addFolderLink(plan, c, "y", "..");
    size_t d = addFolder(plan, 0, "d");
    addFile(plan, d, "d.txt", 10000);
    addFolderLink(plan, d, "tob", "../a/b");
    addFileLink(plan, 0, "fl", "a/a.txt", 10);
    addSymlink(plan, 0, "dead", "nothere");
    return finishPlan(plan, manifest);
}

std::string manifestFileFor(const std::string& dir) {
    size_t end = dir.find_last_not_of('/');
    return dir.substr(0, end == std::string::npos ? dir.size() : end + 1) + ".manifest";
}

bool writeManifest(std::FILE* out, const FixtureManifest& manifest) {
    for (const FixtureFolder& folder : manifest)
        std::fprintf(out, "%s\t%llu\t%llu\n", folder.path.c_str(),
                     static_cast<unsigned long long>(folder.filesBytes),
                     static_cast<unsigned long long>(folder.subfoldersBytes));
    return !std::ferror(out);
}

bool writeManifest(const std::string& file, const FixtureManifest& manifest) {
    std::FILE* out = std::fopen(file.c_str(), "w");
    if (!out) return false;
    bool written = writeManifest(out, manifest);
    return std::fclose(out) == 0 && written;
}

bool readManifest(const std::string& file, FixtureManifest& manifest) {
    std::FILE* in = std::fopen(file.c_str(), "r");
    if (!in) return false;
    manifest.clear();
    bool ok = true;
    char* line = nullptr;
    size_t room = 0;
    while (getline(&line, &room, in) > 0) {
        char* tab = std::strchr(line, '\t');
        unsigned long long files = 0, subfolders = 0;
        if (!tab || std::sscanf(tab + 1, "%llu\t%llu", &files, &subfolders) != 2) ok = false;
        else manifest.push_back(FixtureFolder{std::string(line, tab), files, subfolders});
    }
    std::free(line);
    std::fclose(in);
    return ok;
}

namespace {

// Empties the folder `fd` of everything but folders; gives the name of one
// folder left in it, or an empty name when none is.
bool clearFiles(int fd, std::string& folderLeft) {
    folderLeft.clear();
    int listFd = dup(fd);
    if (listFd < 0) return false;
    if (lseek(listFd, 0, SEEK_SET) != 0) {
        close(listFd);
        return false;
    }
    DIR* listing = fdopendir(listFd);
    if (!listing) {
        close(listFd);
        return false;
    }
    bool ok = true;
    while (dirent* record = readdir(listing)) {
        const char* name = record->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
        struct stat st;
        if (fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode)) {
            folderLeft = name;
            break;
        }
        if (unlinkat(fd, name, 0) != 0) ok = false;
    }
    closedir(listing);
    return ok;
}

}  // namespace

bool removeTree(const std::string& dir) {
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    std::vector<std::string> names;  // from `dir` down to the folder `fd`
    for (;;) {
        std::string sub;
        if (!clearFiles(fd, sub)) break;
        if (!sub.empty()) {
            int subFd = openat(fd, sub.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (subFd < 0) break;
            close(fd);
            fd = subFd;
            names.push_back(sub);
            continue;
        }
        if (names.empty()) {
            close(fd);
            return rmdir(dir.c_str()) == 0;
        }
        int parentFd = openat(fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (parentFd < 0) break;
        close(fd);
        fd = parentFd;
        if (unlinkat(fd, names.back().c_str(), AT_REMOVEDIR) != 0) break;
        names.pop_back();
    }
    close(fd);
    return false;
}
