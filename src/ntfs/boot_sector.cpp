#include "ntfs/boot_sector.h"

#include "ntfs/little_endian.h"

#include <cstring>

namespace {

// The shift of a power of two from `low` to `high` (both shifts); 0 for
// anything else.
int shiftOf(uint64_t value, int low, int high) {
    for (int shift = low; shift <= high; ++shift)
        if (value == uint64_t{1} << shift) return shift;
    return 0;
}

// A size given as a count of units when positive, else as 2 to the power
// of its negation, in bytes (sectors per cluster, clusters per record).
uint64_t encodedSize(uint8_t field, int unitShift) {
    int8_t count = static_cast<int8_t>(field);
    if (count > 0) return static_cast<uint64_t>(count) << unitShift;
    return -count < 32 ? uint64_t{1} << -count : 0;
}

}  // namespace

bool readBootSector(const uint8_t* sector, NtfsGeometry& geometry) {
    if (std::memcmp(sector + 3, "NTFS    ", 8) != 0 || le16(sector + 510) != 0xAA55) return false;
    int sectorShift = shiftOf(le16(sector + 0x0B), 8, 12);
    int clusterShift = sectorShift ? shiftOf(encodedSize(sector[0x0D], sectorShift), sectorShift, 21) : 0;
    int recordShift = clusterShift ? shiftOf(encodedSize(sector[0x40], clusterShift), 10, 12) : 0;
    if (!recordShift) return false;
    uint64_t clusters = le64(sector + 0x28) >> (clusterShift - sectorShift);
    uint64_t mftCluster = le64(sector + 0x30);
    if (mftCluster >= clusters) return false;
    geometry = NtfsGeometry{static_cast<uint8_t>(sectorShift), static_cast<uint8_t>(clusterShift),
                            static_cast<uint8_t>(recordShift), clusters, mftCluster};
    return true;
}
