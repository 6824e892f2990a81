// libFuzzer target: a real NTFS volume (the image QUORVEL_FUZZ_VOLUME
// names, written by mkntfs and ntfs-3g) changed where the fuzzer's bytes
// say, in its boot sector and its file table mostly, then opened as a
// drive. The reading must end, in bounded memory, without a fault: from
// the file table, or by the walk (which finds an empty drive here) where
// the table cannot be read exactly. Build and run: see bench/README.md.

#include "support/memory_file_system.h"
#include "../support/reference_walk.h"

#include "tree/folder_node.h"
#include "tree/scan.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace {

struct ImageBytes final : VolumeBytes {
    std::vector<uint8_t>& image;
    explicit ImageBytes(std::vector<uint8_t>& bytes) : image(bytes) {}
    bool read(uint64_t offset, void* into, uint32_t length) override {
        if (offset > image.size() || length > image.size() - offset) return false;
        std::memcpy(into, image.data() + offset, length);
        return true;
    }
};

struct VolumeDisk final : MemoryFileSystem {
    ImageBytes bytes;
    explicit VolumeDisk(std::vector<uint8_t>& image) : bytes(image) {}
    std::vector<uint8_t> buffer = std::vector<uint8_t>(1024 * 1024);
    bool openVolume(const char*, RawVolume& volume) override {
        volume = RawVolume{&bytes, buffer.data(), static_cast<uint32_t>(buffer.size())};
        return true;
    }
};

std::vector<uint8_t> base;
uint64_t tableStart = 0;  // the file table's first bytes, where changes do the most
uint64_t tableLength = 1;

void loadBase() {
    const char* path = std::getenv("QUORVEL_FUZZ_VOLUME");
    FILE* file = path ? std::fopen(path, "rb") : nullptr;
    if (!file) {
        std::fprintf(stderr, "QUORVEL_FUZZ_VOLUME must name an NTFS image\n");
        std::abort();
    }
    uint8_t block[65536];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0) base.insert(base.end(), block, block + got);
    std::fclose(file);
    if (base.size() < 4096) std::abort();
    uint64_t clusterSize = static_cast<uint64_t>(base[0x0B] | base[0x0C] << 8) * base[0x0D];
    uint64_t mftCluster = 0;
    for (int i = 7; i >= 0; --i) mftCluster = mftCluster << 8 | base[0x30 + i];
    tableStart = mftCluster * clusterSize;
    tableLength = base.size() > tableStart + 256 * 1024 ? 256 * 1024 : 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (base.empty()) loadBase();
    VolumeDisk disk(base);
    std::vector<uint8_t>& image = base;
    // Changes: four bytes of place, one of length, then the bytes. One in
    // eight lands in the boot sector, the others in the file table. What
    // they overwrite is put back after the reading.
    std::vector<std::pair<uint64_t, uint8_t>> overwritten;
    size_t used = 0;
    while (used + 5 <= size) {
        uint32_t where = data[used] | data[used + 1] << 8 | data[used + 2] << 16 | uint32_t{data[used + 3]} << 24;
        size_t length = data[used + 4] % 16;
        used += 5;
        uint64_t at = where % 8 == 0 ? (where >> 3) % 512 : tableStart + (where >> 3) % tableLength;
        for (size_t k = 0; k < length && used < size && at + k < image.size(); ++k) {
            overwritten.emplace_back(at + k, image[at + k]);
            image[at + k] = data[used++];
        }
    }
    // Now and then the user stops the reading.
    int stopAfter = size > 0 && data[size - 1] % 5 == 0 ? data[size - 1] / 5 : -1;
    disk.whileReading = [&stopAfter](const ScanProgress&) { return stopAfter-- != 0; };
    disk.addDrive('R', "");
    FolderNode* drive = newTestDrive('R');
    openDrive(disk, disk, drive);
    releaseChain(drive);
    for (size_t k = overwritten.size(); k-- > 0;) image[overwritten[k].first] = overwritten[k].second;
    return 0;
}
