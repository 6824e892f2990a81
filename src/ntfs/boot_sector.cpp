#include "ntfs/boot_sector.h"

#include "ntfs/little_endian.h"

#include <cstring>

namespace {

// The boot sector's fields, as the format names them.
enum BootField : uint32_t {
    oemId = 0x03,  // "NTFS    "
    bytesPerSector = 0x0B,
    sectorsPerCluster = 0x0D,
    totalSectors = 0x28,
    mftLcn = 0x30,  // the file table's first cluster
    clustersPerFileRecordSegment = 0x40,
    endOfSectorMarker = 0x1FE,  // 0xAA55
};

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
    if (std::memcmp(sector + oemId, "NTFS    ", 8) != 0 || le16(sector + endOfSectorMarker) != 0xAA55) return false;
    int sectorShift = shiftOf(le16(sector + bytesPerSector));
    int clusterShift = encodedShift(sector[sectorsPerCluster], sectorShift, true);
    int recordShift = encodedShift(sector[clustersPerFileRecordSegment], clusterShift, false);
    uint64_t clusters = le64(sector + totalSectors) >> ((clusterShift - sectorShift) & 31);
    uint64_t mftCluster = le64(sector + mftLcn);
    geometry.sectorShift = static_cast<uint8_t>(sectorShift);
    geometry.clusterShift = static_cast<uint8_t>(clusterShift);
    geometry.recordShift = static_cast<uint8_t>(recordShift);
    geometry.clusters = static_cast<uint32_t>(clusters);
    geometry.mftCluster = static_cast<uint32_t>(mftCluster);
    return sectorShift >= 9 && sectorShift <= 12 && clusterShift >= sectorShift && clusterShift <= 21 &&
           recordShift >= 10 && recordShift <= 12 && clusters <= 0xFFFFFFFF && mftCluster < clusters;
}
