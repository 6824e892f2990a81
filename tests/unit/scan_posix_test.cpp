// The walk over real folders through PosixFileSystem: drive answers, listings,
// and the totals of whole trees made by the fixture generator.

#include "../support/fixture_trees.h"
#include "../support/ntfs_volumes.h"
#include "support/scripted_prompt.h"
#include "posix/posix_file_system.h"
#include "tree/drives.h"
#include "tree/folder_node.h"
#include "tree/scan.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

// No drive here goes missing and no walk runs out of memory.
ScriptedPrompt noPrompt;

using Totals = std::pair<uint64_t, uint64_t>;  // filesBytes, subfoldersBytes
using TotalsByPath = std::map<std::string, Totals>;

FolderIdentity identityOf(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return FolderIdentity{0, 0};
    return FolderIdentity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

TotalsByPath totalsOf(const FixtureManifest& manifest) {
    TotalsByPath totals;
    for (const FixtureFolder& f : manifest) totals[f.path] = Totals{f.filesBytes, f.subfoldersBytes};
    return totals;
}

// Every node below the drive but ".." nodes, by path ("." for the drive),
// without recursion; counts the ".." nodes and those that hold any bytes.
struct TreeTotals {
    TotalsByPath folders;
    size_t dotDots = 0;
    size_t dotDotsWithBytes = 0;
};

TreeTotals totalsOf(const FolderNode* drive) {
    TreeTotals tree;
    tree.folders["."] = Totals{drive->filesBytes, drive->subfoldersBytes};
    std::vector<std::pair<const FolderNode*, std::string>> pending;
    for (const FolderNode* child = drive->firstChild; child; child = child->next)
        pending.emplace_back(child, child->name);
    while (!pending.empty()) {
        auto [node, path] = pending.back();
        pending.pop_back();
        if (isDotDot(node)) {
            ++tree.dotDots;
            if (node->filesBytes || node->subfoldersBytes || node->firstChild) ++tree.dotDotsWithBytes;
            continue;
        }
        tree.folders[path] = Totals{node->filesBytes, node->subfoldersBytes};
        for (const FolderNode* child = node->firstChild; child; child = child->next)
            pending.emplace_back(child, path + "/" + child->name);
    }
    return tree;
}

struct Listed {
    std::string name;
    bool isFolder;
    bool isLink;
    uint64_t size;
    bool operator==(const Listed& o) const {
        return name == o.name && isFolder == o.isFolder && isLink == o.isLink && size == o.size;
    }
};

std::vector<Listed> listAll(FileSystem& fs, OpenFolder* folder) {
    std::vector<Listed> listed;
    FolderEntry entry;
    while (fs.nextEntry(folder, entry)) listed.push_back(Listed{entry.name, entry.isFolder, entry.isLink, entry.size});
    return listed;
}

OpenFolder* openNamed(FileSystem& fs, OpenFolder* parent, const std::string& name, FolderIdentity* target = nullptr) {
    return fs.openChild(parent, name.data(), static_cast<uint32_t>(name.size()), target);
}

// Lowers the soft open-file limit for one test and puts it back.
struct LowOpenFileLimit {
    rlimit saved{};
    explicit LowOpenFileLimit(rlim_t soft) {
        getrlimit(RLIMIT_NOFILE, &saved);
        rlimit low = saved;
        low.rlim_cur = soft;
        setrlimit(RLIMIT_NOFILE, &low);
    }
    ~LowOpenFileLimit() { setrlimit(RLIMIT_NOFILE, &saved); }
};

int openDescriptors() {
    int count = 0;
    DIR* dir = opendir("/proc/self/fd");
    if (!dir) return -1;
    while (readdir(dir)) ++count;
    closedir(dir);
    return count;
}

// `levels` nested folders named `name` below `dir`, each holding one file of
// 1 byte; openat all the way, so that the chain may outgrow any path.
bool makeChain(const std::string& dir, unsigned levels, const char* name = "d") {
    if (mkdir(dir.c_str(), 0755) != 0) return false;
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (unsigned i = 0; i < levels && fd >= 0; ++i) {
        int next = mkdirat(fd, name, 0755) == 0 ? openat(fd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
        close(fd);
        fd = next;
        int file = fd >= 0 ? openat(fd, "f", O_WRONLY | O_CREAT | O_CLOEXEC, 0644) : -1;
        bool written = file >= 0 && write(file, "q", 1) == 1;
        if (file >= 0) close(file);
        if (!written) fd = -1;
    }
    if (fd < 0) return false;
    close(fd);
    return true;
}

// Each test gets a fresh folder in /tmp, removed again with the tree built
// from it.
class PosixScan : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/quorvel-posix-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        base = pattern;
    }

    void TearDown() override {
        if (rootNode) releaseChain(rootNode);
        rootNode = nullptr;
        EXPECT_TRUE(removeTree(base));
    }

    // The drive node of `fs`, made the way start-up makes it.
    FolderNode* driveOf(FileSystem& fs) {
        enumerateDrives(fs);
        return rootNode ? rootNode->firstChild : nullptr;
    }

    // Opens `dir` as drive Q: with at most `limit` files open, hands the
    // drive to `check`, and expects every descriptor the walk opened closed
    // again.
    template <typename Check>
    void scanWithFewDescriptors(const std::string& dir, rlim_t limit, Check check) {
        int descriptorsBefore = openDescriptors();
        {
            PosixFileSystem fs('Q', dir.c_str());
            FolderNode* drive = driveOf(fs);
            ASSERT_NE(drive, nullptr);
            LowOpenFileLimit low(limit);
            ASSERT_TRUE(openDrive(fs, noPrompt, drive));
            check(drive);
            releaseChain(rootNode);
            rootNode = nullptr;
        }
        EXPECT_EQ(openDescriptors(), descriptorsBefore);
    }

    std::string base;
};

using PosixDrive = PosixScan;
using PosixListing = PosixScan;

TEST_F(PosixDrive, ShowsOneDriveLabelledWithItsFolderName) {
    ASSERT_EQ(mkdir((base + "/vol").c_str(), 0755), 0);
    PosixFileSystem fs('Q', (base + "/vol/").c_str());
    EXPECT_EQ(fs.logicalDrives(), uint32_t{1} << 16);
    EXPECT_EQ(fs.driveType("Q:\\"), 3u);
    EXPECT_EQ(fs.driveType("C:\\"), 1u);
    char label[3] = "xx";
    fs.readVolumeLabel("Q:\\", label, sizeof label);
    EXPECT_STREQ(label, "vo");

    FolderNode* drive = driveOf(fs);
    ASSERT_NE(drive, nullptr);
    EXPECT_STREQ(drive->name, "Q:  vol");
    EXPECT_STREQ(drive->rootPath, "Q:\\");
    EXPECT_EQ(drive->next, nullptr);
}

TEST_F(PosixDrive, MissingFolderPromptsUntilCancelAndLeavesDriveAlone) {
    PosixFileSystem fs('Q', (base + "/gone").c_str());
    ScriptedPrompt prompt;
    prompt.retriesLeft = 2;
    FolderNode* drive = driveOf(fs);
    ASSERT_NE(drive, nullptr);

    EXPECT_FALSE(openDrive(fs, prompt, drive));
    EXPECT_EQ(prompt.promptsShown, 3);
    EXPECT_EQ(drive->firstChild, nullptr);
    EXPECT_EQ(drive->scanned, 0);
}

TEST_F(PosixDrive, RemovableDriveIsScannedAgainWithTheSameTotals) {
    std::string dir = base + "/t";
    FixtureManifest manifest;
    ASSERT_TRUE(makeRandomTree(dir, 11, 40, 200, manifest));
    PosixFileSystem fs('Q', dir.c_str(), driveTypeRemovable);
    FolderNode* drive = driveOf(fs);
    ASSERT_NE(drive, nullptr);
    EXPECT_STREQ(drive->name, "Q:  ");  // a removable drive's label is not read

    ASSERT_TRUE(openDrive(fs, noPrompt, drive));
    EXPECT_EQ(drive->scanned, 0);
    TreeTotals first = totalsOf(drive);
    ASSERT_TRUE(openDrive(fs, noPrompt, drive));
    EXPECT_EQ(totalsOf(drive).folders, first.folders);
    EXPECT_EQ(first.folders, totalsOf(manifest));
}

TEST_F(PosixListing, DriveRootListsNoDotEntriesOtherFoldersListThemFirst) {
    std::string dir = base + "/l";
    FixtureManifest manifest;
    ASSERT_TRUE(makeLoopTree(dir, manifest));
    PosixFileSystem fs('Q', dir.c_str());
    FolderIdentity rootId;
    OpenFolder* root = fs.openRoot("q:\\", rootId);
    ASSERT_NE(root, nullptr);
    EXPECT_TRUE(sameFolder(rootId, identityOf(dir)));
    std::map<std::string, Listed> listed;
    for (const Listed& e : listAll(fs, root)) listed[e.name] = e;
    // "dead" leads nowhere and is left out; "fl" counts the file it leads to.
    std::map<std::string, Listed> expectedRoot{
        {"a", {"a", true, false, 0}},
        {"d", {"d", true, false, 0}},
        {"fl", {"fl", false, false, 10}},
        {"r.txt", {"r.txt", false, false, 1}},
    };
    EXPECT_EQ(listed, expectedRoot);

    OpenFolder* a = openNamed(fs, root, "a");
    ASSERT_NE(a, nullptr);
    std::vector<Listed> inA = listAll(fs, a);
    ASSERT_EQ(inA.size(), 5u);
    EXPECT_EQ(inA[0], (Listed{".", true, false, 0}));
    EXPECT_EQ(inA[1], (Listed{"..", true, false, 0}));
    EXPECT_TRUE(fs.closeFolder(a));

    // A link tells where it leads once it is opened; a missing name opens nothing.
    OpenFolder* d = openNamed(fs, root, "d");
    ASSERT_NE(d, nullptr);
    FolderIdentity target{};
    OpenFolder* tob = openNamed(fs, d, "tob", &target);
    ASSERT_NE(tob, nullptr);
    EXPECT_TRUE(sameFolder(target, identityOf(dir + "/a/b")));
    EXPECT_EQ(openNamed(fs, d, "gone"), nullptr);
    EXPECT_TRUE(fs.closeFolder(tob));
    EXPECT_TRUE(fs.closeFolder(d));
    EXPECT_TRUE(fs.closeFolder(root));
}

TEST_F(PosixScan, GeneratedTreeMatchesTheManifestInEveryFolder) {
    std::string dir = base + "/t";
    FixtureManifest manifest;
    ASSERT_TRUE(makeRandomTree(dir, 20240607, 200, 800, manifest));
    // The tree has what the walk must get right: empty folders, folders with
    // only files, and several levels.
    size_t empty = 0, onlyFiles = 0, deepest = 0;
    for (const FixtureFolder& f : manifest) {
        if (f.path == ".") continue;
        empty += f.filesBytes == 0 && f.subfoldersBytes == 0;
        onlyFiles += f.filesBytes > 0 && f.subfoldersBytes == 0;
        deepest = std::max<size_t>(deepest, std::count(f.path.begin(), f.path.end(), '/') + 1);
    }
    ASSERT_EQ(manifest.size(), 200u);
    ASSERT_GT(empty, 0u);
    ASSERT_GT(onlyFiles, 0u);
    ASSERT_GE(deepest, 4u);

    PosixFileSystem fs('Q', dir.c_str());
    FolderNode* drive = driveOf(fs);
    ASSERT_NE(drive, nullptr);
    ASSERT_TRUE(openDrive(fs, noPrompt, drive));
    EXPECT_EQ(drive->scanned, 1);
    TreeTotals tree = totalsOf(drive);
    EXPECT_EQ(tree.folders, totalsOf(manifest));
    EXPECT_EQ(tree.dotDots, manifest.size());  // the drive's own and one per folder below
    EXPECT_EQ(tree.dotDotsWithBytes, 0u);
}

// The NTFS volumes mounted through ntfs-3g (reparse points shown as links,
// hard links, a chain 300 deep) read as their counts on Linux say.
TEST_F(PosixScan, NtfsVolumesMatchTheirManifestsInEveryFolder) {
    MountedNtfsVolumes volumes({"parts", "grown"});
    ASSERT_EQ(volumes.error(), "");
    for (const char* name : {"parts", "grown"}) {
        const NtfsVolume* volume = volumes.find(name);
        ASSERT_NE(volume, nullptr) << name;
        FixtureManifest manifest;
        ASSERT_TRUE(readManifest(volume->manifest, manifest)) << name;
        PosixFileSystem fs('P', volume->mount.c_str());
        FolderNode* drive = driveOf(fs);
        ASSERT_NE(drive, nullptr) << name;
        ASSERT_TRUE(openDrive(fs, noPrompt, drive)) << name;
        EXPECT_EQ(totalsOf(drive).folders, totalsOf(manifest)) << name;
        releaseChain(rootNode);
        rootNode = nullptr;
    }
}

TEST_F(PosixScan, SparseFileOfFiveGiBCountsInFull) {
    std::string dir = base + "/s";
    FixtureManifest manifest;
    ASSERT_TRUE(makeSparseTree(dir, manifest));
    PosixFileSystem fs('Q', dir.c_str());
    FolderNode* drive = driveOf(fs);
    ASSERT_NE(drive, nullptr);
    ASSERT_TRUE(openDrive(fs, noPrompt, drive));
    TotalsByPath expected{
        {".", {10, 5368709123u}},
        {"big", {5368709120u, 0}},
        {"small", {3, 0}},
    };
    EXPECT_EQ(totalsOf(drive).folders, expected);
    EXPECT_EQ(totalsOf(manifest), expected);
}

TEST_F(PosixScan, LinkLoopsEndWithTheRightTotals) {
    std::string dir = base + "/l";
    FixtureManifest manifest;
    ASSERT_TRUE(makeLoopTree(dir, manifest));
    PosixFileSystem fs('Q', dir.c_str());
    FolderNode* drive = driveOf(fs);
    ASSERT_NE(drive, nullptr);
    ASSERT_TRUE(openDrive(fs, noPrompt, drive));
    // Links into the path ("up" to the root, "x" and "y" both to a) stay
    // empty; "tob" leads off the path to a/b and is walked like a folder.
    TotalsByPath expected{
        {".", {1 + 10, 11210}},
        {"a", {10, 1100}},
        {"a/b", {100, 0}},
        {"a/b/up", {0, 0}},
        {"a/c", {1000, 0}},
        {"a/c/x", {0, 0}},
        {"a/c/y", {0, 0}},
        {"d", {10000, 100}},
        {"d/tob", {100, 0}},
        {"d/tob/up", {0, 0}},
    };
    TreeTotals tree = totalsOf(drive);
    EXPECT_EQ(tree.folders, expected);
    EXPECT_EQ(tree.dotDotsWithBytes, 0u);
    EXPECT_EQ(totalsOf(manifest), expected);
}

TEST_F(PosixScan, EmptyRootGivesOneDotDotChildAndZeroCounters) {
    std::string dir = base + "/e";
    ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
    PosixFileSystem fs('Q', dir.c_str());
    FolderNode* drive = driveOf(fs);
    ASSERT_NE(drive, nullptr);
    ASSERT_TRUE(openDrive(fs, noPrompt, drive));
    ASSERT_NE(drive->firstChild, nullptr);
    EXPECT_STREQ(drive->firstChild->name, "..");
    EXPECT_EQ(drive->firstChild->next, nullptr);
    EXPECT_EQ(drive->filesBytes, 0u);
    EXPECT_EQ(drive->subfoldersBytes, 0u);
}

// 200 levels of 23-character names make a path longer than PATH_MAX: only
// single steps reach the bottom.
TEST_F(PosixScan, ChainLongerThanAnyPathIsWalkedToTheBottom) {
    const unsigned levels = 200;
    const char name[] = "a-folder-name-23-chars-";
    static_assert(levels * sizeof name > PATH_MAX, "the chain must outgrow any path");
    std::string dir = base + "/c";
    ASSERT_TRUE(makeChain(dir, levels, name));

    PosixFileSystem fs('Q', dir.c_str());
    FolderNode* drive = driveOf(fs);
    ASSERT_NE(drive, nullptr);
    ASSERT_TRUE(openDrive(fs, noPrompt, drive));
    EXPECT_EQ(drive->subfoldersBytes, levels);
    const FolderNode* node = drive;
    unsigned depth = 0;
    for (;;) {
        const FolderNode* sub = nullptr;
        for (const FolderNode* child = node->firstChild; child; child = child->next)
            if (!isDotDot(child)) sub = child;
        if (!sub) break;
        node = sub;
        ++depth;
        ASSERT_EQ(node->filesBytes, 1u);
        ASSERT_EQ(node->subfoldersBytes, levels - depth);
    }
    EXPECT_EQ(depth, levels);
}

// A chain six times deeper than the descriptors allowed: where they run
// out the folder is not entered, everything above it is counted, and the
// walk closes every descriptor it opened.
TEST_F(PosixScan, ChainDeeperThanTheOpenFileLimitStopsWhereTheDescriptorsEnd) {
    const unsigned levels = 400;
    std::string dir = base + "/c";
    ASSERT_TRUE(makeChain(dir, levels));
    scanWithFewDescriptors(dir, 64, [&](const FolderNode* drive) {
        const FolderNode* node = drive;
        unsigned depth = 0;
        for (;;) {
            const FolderNode* sub = nullptr;
            for (const FolderNode* child = node->firstChild; child; child = child->next)
                if (std::string(child->name) == "d") sub = child;
            if (!sub) break;
            node = sub;
            ++depth;
        }
        // The deepest node is listed but not entered: no bytes, no children.
        EXPECT_GT(depth, 40u);
        EXPECT_LT(depth, 64u);
        EXPECT_EQ(node->firstChild, nullptr);
        EXPECT_EQ(node->filesBytes, 0u);
        EXPECT_EQ(drive->subfoldersBytes, depth - 1);
    });
}

}  // namespace
