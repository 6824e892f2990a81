// A drive read from its NTFS file table, natively: real volumes written by
// mkntfs and ntfs-3g, the table read from the image while the walk reads
// the same volume's mount. The tree must be the walk's, node for node, and
// every total the count on Linux; where the table is damaged, the walk
// reads the drive, with the same totals.

#include "../support/fixture_trees.h"
#include "../support/ntfs_volumes.h"
#include "../support/reference_walk.h"

#include "ntfs/file_record.h"
#include "posix/posix_file_system.h"
#include "tree/drive_prompt.h"
#include "tree/folder_node.h"
#include "tree/scan.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

// Remembers whether the reading came from the table, and stops it where asked.
struct TablePrompt final : DrivePrompt {
    bool fromTable = false;  // as the last report said
    ScanProgress last{};
    int reports = 0;
    int stopAt = -1;  // the report that answers false
    bool askRetryMissingDrive() override { return false; }
    void tellScanIncomplete() override { ADD_FAILURE() << "told incomplete"; }
    bool keepReading(const ScanProgress& progress) override {
        fromTable = progress.fromFileTable;
        last = progress;
        return reports++ != stopAt;
    }
};

std::map<std::string, std::pair<uint64_t, uint64_t>> totalsBelow(const FolderNode* drive) {
    std::map<std::string, std::pair<uint64_t, uint64_t>> totals;
    std::vector<std::pair<const FolderNode*, std::string>> pending{{drive, "."}};
    while (!pending.empty()) {
        auto [node, path] = pending.back();
        pending.pop_back();
        totals[path] = {node->filesBytes, node->subfoldersBytes};
        for (const FolderNode* child = node->firstChild; child; child = child->next)
            if (!isDotDot(child)) pending.emplace_back(child, path == "." ? child->name : path + "/" + child->name);
    }
    return totals;
}

std::map<std::string, std::pair<uint64_t, uint64_t>> totalsOf(const std::string& manifestFile) {
    FixtureManifest manifest;
    EXPECT_TRUE(readManifest(manifestFile, manifest)) << manifestFile;
    std::map<std::string, std::pair<uint64_t, uint64_t>> totals;
    for (const FixtureFolder& folder : manifest) totals[folder.path] = {folder.filesBytes, folder.subfoldersBytes};
    return totals;
}

struct ReadDrive {
    FolderNode* drive = newTestDrive('P');
    TablePrompt prompt;
    ~ReadDrive() { releaseChain(drive); }
};

class FileTable : public ::testing::Test {
protected:
    static void SetUpTestSuite() { volumes = new MountedNtfsVolumes({"parts", "grown", "surrogates"}); }
    static void TearDownTestSuite() {
        delete volumes;
        volumes = nullptr;
    }
    // Null, with the reason told, where the volume could not be made or
    // mounted (no ntfs-3g, no FUSE, not root).
    const NtfsVolume* volume(const char* name) {
        const NtfsVolume* found = volumes->find(name);
        if (!found) ADD_FAILURE() << "no NTFS volume " << name << ": " << volumes->error();
        return found;
    }
    static MountedNtfsVolumes* volumes;
};

MountedNtfsVolumes* FileTable::volumes = nullptr;

// A copy of the image, to be damaged.
std::vector<uint8_t> bytesAt(const std::string& image, uint64_t offset, size_t length) {
    std::vector<uint8_t> bytes(length);
    int fd = open(image.c_str(), O_RDONLY);
    EXPECT_EQ(pread(fd, bytes.data(), length, static_cast<off_t>(offset)), static_cast<ssize_t>(length));
    close(fd);
    return bytes;
}

std::string copyOf(const NtfsVolume& volume, const std::string& what) {
    std::string copy = volume.image + "." + what;
    std::string command = "cp --sparse=always '" + volume.image + "' '" + copy + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return copy;
}

void writeAt(const std::string& image, uint64_t offset, const void* bytes, size_t length) {
    int fd = open(image.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(pwrite(fd, bytes, length, static_cast<off_t>(offset)), static_cast<ssize_t>(length));
    close(fd);
}

// What make-ntfs-volumes says of where `path` (or "#N") lies in the
// image: the record's offset, "runs_offset" where record 0's runs begin,
// "extent_offset" and "extent_bytes" of the table's first extent.
std::map<std::string, uint64_t> whereIs(const std::string& image, const std::string& path) {
    std::string script = __FILE__;
    script = script.substr(0, script.rfind('/')) + "/../support/make-ntfs-volumes";
    std::string command = script + " where '" + image + "' '" + path + "'";
    std::map<std::string, uint64_t> facts;
    FILE* out = popen(command.c_str(), "r");
    char line[512];
    while (out && std::fgets(line, sizeof line, out)) {
        std::string text = line;
        bool extent = text.rfind("mft_extent vcn=0 ", 0) == 0;
        if (text.rfind("record=", 0) != 0 && text.rfind("mft_runs record=0 ", 0) != 0 && !extent) continue;
        if (text.rfind("record=", 0) == 0 && facts.count("record")) continue;
        std::string prefix = text.rfind("mft_runs", 0) == 0 ? "runs_" : extent ? "extent_" : "";
        for (size_t at = 0; (at = text.find('=', at)) != std::string::npos; ++at) {
            size_t start = text.rfind(' ', at);
            start = start == std::string::npos ? 0 : start + 1;
            facts[prefix + text.substr(start, at - start)] = std::stoull(text.substr(at + 1));
        }
    }
    if (out) pclose(out);
    return facts;
}

// A record of the image with its fixups put back, and its first attribute
// of `type` (type 0 where it has none).
struct ImageRecord {
    uint64_t offset;
    std::vector<uint8_t> bytes;
    RecordHeader header{};
    Attribute attribute{};
    // Where a byte of the attribute's value lies in the image.
    uint64_t valueAt(uint32_t within) const {
        return offset + static_cast<uint64_t>(attribute.value - bytes.data()) + within;
    }
};

ImageRecord recordAt(const std::string& image, uint64_t offset, uint64_t size, uint32_t type) {
    ImageRecord record{offset, bytesAt(image, offset, size)};
    EXPECT_EQ(readRecordHeader(record.bytes.data(), static_cast<uint32_t>(size), record.header), RecordState::inUse);
    AttributeCursor cursor = attributesOf(record.bytes.data(), record.header);
    while (nextAttribute(cursor, record.attribute) && record.attribute.type != type) {
    }
    if (record.attribute.type != type) record.attribute = Attribute{};
    return record;
}

std::vector<uint8_t> littleEndian(uint64_t value, size_t bytes) {
    std::vector<uint8_t> out(bytes);
    for (size_t i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
    return out;
}

// Each volume: the table read, the walk's tree in any order (names, links
// followed or not, each folder's bytes), and the count on Linux.
TEST_F(FileTable, EachVolumeReadsAsTheWalkAndTheCountOnLinux) {
    for (const char* name : {"parts", "grown"}) {
        const NtfsVolume* found = volume(name);
        ASSERT_NE(found, nullptr);
        const NtfsVolume& v = *found;
        PosixFileSystem byTable('P', v.mount.c_str(), 3, v.image.c_str());
        PosixFileSystem byWalk('P', v.mount.c_str());
        ReadDrive table, walk;
        ASSERT_TRUE(openDrive(byTable, table.prompt, table.drive)) << name;
        ASSERT_TRUE(openDrive(byWalk, walk.prompt, walk.drive)) << name;
        EXPECT_TRUE(table.prompt.fromTable) << name;
        EXPECT_FALSE(walk.prompt.fromTable) << name;
        EXPECT_EQ(byTable.refusedVolumeReads(), 0u) << name << ": reads not of whole sectors";
        EXPECT_EQ(firstTreeDifference(table.drive, walk.drive, true), "") << name;
        EXPECT_EQ(totalsBelow(table.drive), totalsOf(v.manifest)) << name;
    }
}

// Only name surrogates are links: the folder whose reparse point is a cloud
// file's placeholder is read from the table with its contents (no count on
// Linux or Wine sees them: the expectation is what was written), while the
// junction and the symbolic link to "plain" are read as links, by the walk.
TEST_F(FileTable, OnlyNameSurrogatesAreLinks) {
    const NtfsVolume* found = volume("surrogates");
    ASSERT_NE(found, nullptr);
    PosixFileSystem fs('P', found->mount.c_str(), 3, found->image.c_str());
    ReadDrive read;
    ASSERT_TRUE(openDrive(fs, read.prompt, read.drive));
    EXPECT_TRUE(read.prompt.fromTable);
    std::map<std::string, std::pair<uint64_t, uint64_t>> written = {
        {".", {0, 1024 + 3 * 500}},   {"placeholder", {1000, 24}}, {"placeholder/inner", {24, 0}},
        {"plain", {500, 0}},          {"junction", {500, 0}},      {"symbolic", {500, 0}},
    };
    EXPECT_EQ(totalsBelow(read.drive), written);
}

// A stop while the table is read leaves the drive with its tree; the next
// opening reads it whole.
TEST_F(FileTable, AStopLeavesTheDriveAsItWas) {
    const NtfsVolume* found = volume("grown");
    ASSERT_NE(found, nullptr);
    const NtfsVolume& v = *found;
    PosixFileSystem fs('P', v.mount.c_str(), 3, v.image.c_str());
    ReadDrive read;
    ASSERT_TRUE(openDrive(fs, read.prompt, read.drive));
    FolderNode* tree = read.drive->firstChild;
    uint64_t total = read.drive->filesBytes + read.drive->subfoldersBytes;
    for (int stopAt = 0; stopAt < 3; ++stopAt) {
        read.prompt.reports = 0;
        read.prompt.stopAt = stopAt;
        EXPECT_FALSE(readDriveAgain(fs, read.prompt, read.drive)) << stopAt;
        EXPECT_TRUE(read.prompt.fromTable) << stopAt;
        EXPECT_EQ(read.drive->firstChild, tree) << stopAt;
        EXPECT_EQ(read.drive->filesBytes + read.drive->subfoldersBytes, total) << stopAt;
    }
    read.prompt.stopAt = -1;
    ASSERT_TRUE(readDriveAgain(fs, read.prompt, read.drive));
    EXPECT_EQ(totalsBelow(read.drive), totalsOf(v.manifest));
}

// Damage the table cannot read exactly: the walk reads the drive (its
// mount is whole) and every total is the count's.
TEST_F(FileTable, DamageLeavesTheDriveToTheWalkWithExactTotals) {
    const NtfsVolume* found = volume("parts");
    ASSERT_NE(found, nullptr);
    const NtfsVolume& v = *found;
    auto folder = whereIs(v.image, "hardlinks/a");
    ASSERT_EQ(folder["in_use"], 1u);
    ASSERT_GE(folder["size"], 1024u) << "records of one stride";
    // The folder's first name: where its parent reference lies, and the
    // folder's own reference.
    ImageRecord name = recordAt(v.image, folder["offset"], folder["size"], attributeFileName);
    ASSERT_EQ(name.attribute.type, attributeFileName);
    uint64_t parentAt = name.valueAt(0);
    ASSERT_LT(parentAt % 512, 502u) << "the reference must not cross a sector's checked end";
    std::vector<uint8_t> selfBytes = littleEndian(folder["record"] | uint64_t{name.header.sequence} << 48, 8);
    // A file's name whose parent is the table's record count, one past its last.
    auto file = whereIs(v.image, "root.bin");
    ImageRecord fileName = recordAt(v.image, file["offset"], file["size"], attributeFileName);
    auto table = whereIs(v.image, "#0");
    ImageRecord tableData = recordAt(v.image, table["offset"], table["size"], attributeData);
    ASSERT_FALSE(tableData.attribute.resident);
    uint64_t records = tableData.attribute.initializedSize / table["size"];
    ASSERT_LT(fileName.valueAt(0) % 512, 504u);
    // An extension record of the file of 46 names (the first whose base it
    // is, in the table's first extent): made another file's, or given
    // another sequence number than its base record's list names.
    auto many = whereIs(v.image, "manynames/first");
    uint64_t extension = 0;
    for (uint64_t at = 0; at < table["extent_bytes"] && !extension; at += table["size"]) {
        std::vector<uint8_t> bytes = bytesAt(v.image, table["extent_offset"] + at, table["size"]);
        RecordHeader header;
        if (readRecordHeader(bytes.data(), static_cast<uint32_t>(bytes.size()), header) == RecordState::inUse &&
            (header.baseReference & 0xFFFFFFFFFFFF) == many["record"])
            extension = table["extent_offset"] + at;
    }
    ASSERT_NE(extension, 0u) << "manynames/first has no extension record in the first extent";
    uint8_t extensionSequence = bytesAt(v.image, extension + 0x10, 1)[0];
    // The table's first run starts elsewhere on the volume: its start
    // field's top byte changed. And a volume that, its boot sector says,
    // ends 100 clusters in, before the table does.
    uint8_t runHeader = bytesAt(v.image, table["runs_offset"], 1)[0];
    uint64_t startTop = table["runs_offset"] + (runHeader & 0x0F) + (runHeader >> 4);
    uint8_t moved = static_cast<uint8_t>(bytesAt(v.image, startTop, 1)[0] + 40);
    std::vector<uint8_t> shortVolume(8);
    shortVolume[0] = 100 * 4096 / 512 % 256;
    shortVolume[1] = 100 * 4096 / 512 / 256;
    struct Damage {
        const char* what;
        uint64_t offset;
        std::vector<uint8_t> bytes;
        uint64_t cutTo;  // the copy's length; 0: as long as the image
    };
    const Damage damages[] = {
        {"a torn sector in a folder's record", folder["offset"] + 510, {0xEE, 0xEE}, 0},
        {"a torn sector in a record's last stride", folder["offset"] + folder["size"] - 2, {0xEE, 0xEE}, 0},
        {"a name whose parent is one past the table's last record", fileName.valueAt(0), littleEndian(records, 6), 0},
        {"an extension record of another file", extension + 0x20, littleEndian(many["record"] + 1, 6), 0},
        {"an extension record of another sequence number", extension + 0x10,
         {static_cast<uint8_t>(extensionSequence + 1)}, 0},
        {"a folder that names itself as its parent", parentAt, selfBytes, 0},
        {"data runs that lead elsewhere", startTop, {moved}, 0},
        {"data runs past the volume's end", 0x28, shortVolume, 0},
        {"a volume cut short", 0, {}, table["offset"] + 64 * 1024},
    };
    for (const Damage& damage : damages) {
        std::string copy = copyOf(v, "damaged");
        if (!damage.bytes.empty()) writeAt(copy, damage.offset, damage.bytes.data(), damage.bytes.size());
        if (damage.cutTo) {
            ASSERT_EQ(truncate(copy.c_str(), static_cast<off_t>(damage.cutTo)), 0);
        }
        PosixFileSystem fs('P', v.mount.c_str(), 3, copy.c_str());
        ReadDrive read;
        ASSERT_TRUE(openDrive(fs, read.prompt, read.drive)) << damage.what;
        EXPECT_FALSE(read.prompt.fromTable) << damage.what;
        EXPECT_EQ(totalsBelow(read.drive), totalsOf(v.manifest)) << damage.what;
        unlink(copy.c_str());
    }
}

// A folder whose parent reference carries another sequence number than
// its parent's record is stale (no listing shows it): the table is read,
// and leaves it out with everything below it, in the tree and in the
// progress (its two names of one file aside).
TEST_F(FileTable, AFolderWithAStaleParentIsLeftOut) {
    const NtfsVolume* found = volume("parts");
    ASSERT_NE(found, nullptr);
    const NtfsVolume& v = *found;
    auto folder = whereIs(v.image, "hardlinks/a");
    ImageRecord name = recordAt(v.image, folder["offset"], folder["size"], attributeFileName);
    ASSERT_EQ(name.attribute.type, attributeFileName);
    uint64_t sequenceAt = name.valueAt(6);
    ASSERT_LT(sequenceAt % 512, 508u);
    std::vector<uint8_t> sequence = bytesAt(v.image, sequenceAt, 2);
    sequence[0] ^= 0x40;
    std::string copy = copyOf(v, "stale");
    writeAt(copy, sequenceAt, sequence.data(), sequence.size());
    PosixFileSystem fs('P', v.mount.c_str(), 3, copy.c_str());
    PosixFileSystem whole('P', v.mount.c_str(), 3, v.image.c_str());
    ReadDrive read, wholeRead;
    ASSERT_TRUE(openDrive(fs, read.prompt, read.drive));
    ASSERT_TRUE(openDrive(whole, wholeRead.prompt, wholeRead.drive));
    unlink(copy.c_str());
    EXPECT_TRUE(read.prompt.fromTable);
    EXPECT_EQ(read.prompt.last.files, wholeRead.prompt.last.files - 2);
    EXPECT_EQ(read.prompt.last.bytes, read.drive->filesBytes + read.drive->subfoldersBytes);
    EXPECT_EQ(wholeRead.prompt.last.bytes, wholeRead.drive->filesBytes + wholeRead.drive->subfoldersBytes);
    auto expected = totalsOf(v.manifest);
    auto gone = expected.at("hardlinks/a");
    for (auto at = expected.begin(); at != expected.end();)
        at = at->first == "hardlinks/a" || at->first.rfind("hardlinks/a/", 0) == 0 ? expected.erase(at) : std::next(at);
    expected.at("hardlinks").second -= gone.first + gone.second;
    expected.at(".").second -= gone.first + gone.second;
    ASSERT_GT(gone.first, 0u);
    EXPECT_EQ(totalsBelow(read.drive), expected);
}

// The drive's volume through a buffer of `size` bytes, the rest as given.
struct SmallBuffer final : FileSystem {
    FileSystem& inner;
    uint32_t size;
    SmallBuffer(FileSystem& disk, uint32_t bytes) : inner(disk), size(bytes) {}
    uint32_t logicalDrives() override { return inner.logicalDrives(); }
    unsigned driveType(const char* root) override { return inner.driveType(root); }
    void readVolumeLabel(const char* root, char* label, unsigned room) override {
        inner.readVolumeLabel(root, label, room);
    }
    OpenFolder* openRoot(const char* root, FolderIdentity& id) override { return inner.openRoot(root, id); }
    OpenFolder* openChild(OpenFolder* parent, const void* key, uint32_t keySize, FolderIdentity* target) override {
        return inner.openChild(parent, key, keySize, target);
    }
    bool nextEntry(OpenFolder* folder, FolderEntry& entry) override { return inner.nextEntry(folder, entry); }
    bool closeFolder(OpenFolder* folder) override { return inner.closeFolder(folder); }
    uint32_t keyFor(const char* name, uint64_t reference, void* key, uint32_t room) override {
        return inner.keyFor(name, reference, key, room);
    }
    bool openVolume(const char* root, RawVolume& volume) override {
        if (!inner.openVolume(root, volume)) return false;
        volume.bufferSize = size;
        return true;
    }
    void closeVolume(RawVolume& volume) override { inner.closeVolume(volume); }
};

// The parts volume said to have sectors of 4,096 bytes (its clusters one
// sector each): read from its table through the whole buffer; through one
// whose chunks would hold less than a sector, refused (a chunk of no
// records would never move on) and walked.
TEST_F(FileTable, ABufferTooSmallForOneChunkIsRefused) {
    const NtfsVolume* found = volume("parts");
    ASSERT_NE(found, nullptr);
    const NtfsVolume& v = *found;
    std::string copy = copyOf(v, "4kn");
    std::vector<uint8_t> boot = bytesAt(copy, 0, 512);
    ASSERT_EQ(boot[0x0B] | boot[0x0C] << 8, 512);
    ASSERT_EQ(boot[0x0D], 8);
    uint64_t sectors = 0;
    for (int i = 7; i >= 0; --i) sectors = sectors << 8 | boot[0x28 + i];
    std::vector<uint8_t> sectorSize = {0x00, 0x10, 1};
    writeAt(copy, 0x0B, sectorSize.data(), sectorSize.size());
    std::vector<uint8_t> count = littleEndian(sectors / 8, 8);
    writeAt(copy, 0x28, count.data(), count.size());
    for (uint32_t size : {1024u * 1024, 4096u}) {
        PosixFileSystem disk('P', v.mount.c_str(), 3, copy.c_str());
        SmallBuffer fs(disk, size);
        ReadDrive read;
        ASSERT_TRUE(openDrive(fs, read.prompt, read.drive)) << size;
        EXPECT_EQ(read.prompt.fromTable, size > 4096) << size;
        EXPECT_EQ(totalsBelow(read.drive), totalsOf(v.manifest)) << size;
    }
    unlink(copy.c_str());
}

}  // namespace
