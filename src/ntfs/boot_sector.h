// The first sector of an NTFS volume: its sizes and where its file table
// (the MFT) begins.
#pragma once

#include <cstdint>

// Sizes are powers of two, kept as shifts.
struct NtfsGeometry {
    uint8_t sectorShift;   // every read of the volume is whole sectors
    uint8_t clusterShift;
    uint8_t recordShift;   // one record of the file table
    uint32_t clusters;     // on the volume: NTFS counts them in 32 bits
    uint32_t mftCluster;   // the file table's first cluster
};

// False where `sector` (the first 512 bytes of the volume) is not an NTFS
// boot sector, or gives sizes this reader does not take: sectors of 512 to
// 4096 bytes, clusters of a sector to 2 MiB, records of 1 to 4 KiB.
bool readBootSector(const uint8_t* sector, NtfsGeometry& geometry);
