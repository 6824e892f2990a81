// The floor that reading a drive's file table is measured against: only
// its bytes read through the raw volume, in reads as large as the product's
// (half the buffer), along the runs of the table's first extent (the
// benchmark's volumes have no other), parsing nothing else. Prints
//   table_bytes=<B> records=<R> seconds=<S>
#pragma once

#include "ntfs/boot_sector.h"
#include "ntfs/data_runs.h"
#include "ntfs/file_record.h"
#include "tree/file_system.h"

#include <cstdio>

inline int readTableBytesOnly(FileSystem& fs, const char* rootPath, double (*now)()) {
    RawVolume volume{};
    if (!fs.openVolume(rootPath, volume)) {
        std::fprintf(stderr, "cannot open the volume of %s\n", rootPath);
        return 1;
    }
    double start = now();
    NtfsGeometry geometry;
    RecordHeader header;
    Attribute data{};
    bool found = false;
    uint32_t recordBytes = 1024;
    if (volume.bytes->read(0, volume.buffer, 4096) && readBootSector(volume.buffer, geometry)) {
        recordBytes = 1u << geometry.recordShift;
        uint32_t first = recordBytes > 4096 ? recordBytes : 4096;
        if (volume.bytes->read(uint64_t{geometry.mftCluster} << geometry.clusterShift, volume.buffer, first) &&
            readRecordHeader(volume.buffer, recordBytes, header) == RecordState::inUse) {
            AttributeCursor cursor = attributesOf(volume.buffer, header);
            while (!found && nextAttribute(cursor, data))
                found = data.type == attributeData && !data.named && !data.resident && data.lowestVcn == 0;
        }
    }
    if (!found) {
        std::fprintf(stderr, "no NTFS file table on %s\n", rootPath);
        fs.closeVolume(volume);
        return 1;
    }
    // The runs are read from a copy: the buffer is read into.
    uint8_t runs[1024];
    uint32_t runsLength = data.runsLength < sizeof runs ? data.runsLength : sizeof runs;
    for (uint32_t i = 0; i < runsLength; ++i) runs[i] = data.runs[i];
    uint64_t wanted = data.initializedSize;
    uint64_t read = 0;
    uint32_t chunk = volume.bufferSize / 2;
    RunCursor cursor = runsFrom(runs, runsLength, 0);
    DataRun run;
    bool whole = true;
    while (whole && read < wanted && nextRun(cursor, run)) {
        uint64_t at = run.lcn << geometry.clusterShift;
        uint64_t left = run.clusters << geometry.clusterShift;
        while (whole && left > 0 && read < wanted) {
            uint32_t take = left < chunk ? static_cast<uint32_t>(left) : chunk;
            whole = volume.bytes->read(at, volume.buffer, take);
            at += take;
            left -= take;
            read += take;
        }
    }
    double seconds = now() - start;
    fs.closeVolume(volume);
    if (!whole) return 1;
    std::printf("table_bytes=%llu records=%llu seconds=%.3f\n", static_cast<unsigned long long>(read),
                static_cast<unsigned long long>(wanted / recordBytes), seconds);
    return 0;
}
