#include "ntfs/boot_sector.h"

#include "ntfs/little_endian.h"

#include <cstring>

namespace {

// The shift of `value` when it is a power of two, else -1.
int shiftOf(uint32_t value) {
    int shift = value ? __builtin_ctz(value) : -1;
    return shift >= 0 && value == 1u << shift ? shift : -1;
}

// A size as the boot sector gives it, as a shift (or -1): a count of units
// of `unitShift` when positive, else 2 to the power of its negation, of
// those units (sectors per cluster, above 64 KiB) or of bytes (clusters per
// record, below a cluster).
int encodedShift(uint8_t field, int unitShift, bool negativeInUnits) {
    int8_t count = static_cast<int8_t>(field);
    int shift = shiftOf(static_cast<uint32_t>(count));
    if (count <= 0) return negativeInUnits ? unitShift - count : -count;
    return shift < 0 ? -1 : unitShift + shift;
}

}  // namespace

bool readBootSector(const uint8_t* sector, NtfsGeometry& geometry) {
    if (std::memcmp(sector + 3, "NTFS    ", 8) != 0 || le16(sector + 510) != 0xAA55) return false;
    int sectorShift = shiftOf(le16(sector + 0x0B));
    int clusterShift = encodedShift(sector[0x0D], sectorShift, true);
    int recordShift = encodedShift(sector[0x40], clusterShift, false);
    uint64_t clusters = le64(sector + 0x28) >> ((clusterShift - sectorShift) & 31);
    uint64_t mftCluster = le64(sector + 0x30);
    geometry.sectorShift = static_cast<uint8_t>(sectorShift);
    geometry.clusterShift = static_cast<uint8_t>(clusterShift);
    geometry.recordShift = static_cast<uint8_t>(recordShift);
    geometry.clusters = static_cast<uint32_t>(clusters);
    geometry.mftCluster = static_cast<uint32_t>(mftCluster);
    return sectorShift >= 9 && sectorShift <= 12 && clusterShift >= sectorShift && clusterShift <= 21 &&
           recordShift >= 10 && recordShift <= 12 && clusters <= 0xFFFFFFFF && mftCluster < clusters;
}
