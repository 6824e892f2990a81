#include "ntfs/boot_sector.h"

#include "ntfs/little_endian.h"

#include <cstring>

namespace {

// The shift of a power of two within [low, high]; 0 for any other value.
int shiftOf(uint64_t value, int low, int high) {
    uint32_t narrow = static_cast<uint32_t>(value);
    int shift = narrow ? __builtin_ctz(narrow) : 0;
    return value == uint64_t{1} << shift && shift >= low && shift <= high ? shift : 0;
}

// A size given as a count of units when positive, else as 2 to the power
// of its negation, in bytes (sectors per cluster, clusters per record).
uint64_t encodedSize(uint8_t field, int unitShift) {
    int8_t count = static_cast<int8_t>(field);
    return count > 0 ? static_cast<uint64_t>(count) << unitShift : count > -32 ? uint64_t{1} << -count : 0;
}

}  // namespace

bool readBootSector(const uint8_t* sector, NtfsGeometry& geometry) {
    if (std::memcmp(sector + 3, "NTFS    ", 8) != 0 || le16(sector + 510) != 0xAA55) return false;
    int sectorShift = shiftOf(le16(sector + 0x0B), 9, 12);
    int clusterShift = shiftOf(encodedSize(sector[0x0D], sectorShift), sectorShift, 21);
    int recordShift = shiftOf(encodedSize(sector[0x40], clusterShift), 10, 12);
    if (!sectorShift || !clusterShift || !recordShift) return false;
    geometry.sectorShift = static_cast<uint8_t>(sectorShift);
    geometry.clusterShift = static_cast<uint8_t>(clusterShift);
    geometry.recordShift = static_cast<uint8_t>(recordShift);
    uint64_t clusters = le64(sector + 0x28) >> (clusterShift - sectorShift);
    uint64_t mftCluster = le64(sector + 0x30);
    geometry.clusters = static_cast<uint32_t>(clusters);
    geometry.mftCluster = static_cast<uint32_t>(mftCluster);
    return clusters <= 0xFFFFFFFF && mftCluster < clusters;
}
