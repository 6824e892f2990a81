// The boot sector's sizes and the data runs' fields, as tables: the
// encodings a volume writer may choose, which the volumes made for the
// other tests (mkntfs's defaults) do not all show.

#include "ntfs/boot_sector.h"
#include "ntfs/data_runs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// Sectors per cluster and clusters per record as the boot sector gives
// them: a count, or 2 to the power of the byte's negation.
TEST(NtfsBootSector, SizesInEitherEncoding) {
    struct Case {
        uint16_t sectorSize;
        uint8_t perCluster, perRecord;
        bool taken;
        int clusterShift, recordShift;
    };
    const Case cases[] = {
        {512, 8, 0xF6, true, 12, 10},     // 4 KiB clusters, 1 KiB records
        {4096, 1, 0xF4, true, 12, 12},    // 4Kn sectors, 4 KiB records
        {512, 0xF4, 0xF6, true, 21, 10},  // 2 MiB clusters: 2^12 sectors
        {512, 1, 2, true, 9, 10},         // records of two clusters
        {512, 8, 3, false, 0, 0},         // three clusters: no power of two
        {512, 6, 0xF6, false, 0, 0},
        {256, 8, 0xF6, false, 0, 0},      // sectors too small
        {512, 8, 0xF5, true, 12, 11},     // 2 KiB records
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> sector(512);
        std::memcpy(sector.data() + 3, "NTFS    ", 8);
        sector[0x0B] = static_cast<uint8_t>(c.sectorSize);
        sector[0x0C] = static_cast<uint8_t>(c.sectorSize >> 8);
        sector[0x0D] = c.perCluster;
        sector[0x28] = 0x00, sector[0x29] = 0x00, sector[0x2A] = 0x10;  // 2^20 sectors
        sector[0x30] = 4;
        sector[0x40] = c.perRecord;
        sector[510] = 0x55, sector[511] = 0xAA;
        NtfsGeometry geometry{};
        bool taken = readBootSector(sector.data(), geometry);
        EXPECT_EQ(taken, c.taken) << int(c.perCluster) << " " << int(c.perRecord);
        if (!c.taken || !taken) continue;
        EXPECT_EQ(geometry.clusterShift, c.clusterShift);
        EXPECT_EQ(geometry.recordShift, c.recordShift);
        EXPECT_EQ(geometry.clusters, (uint64_t{1} << 20) >> (c.clusterShift - geometry.sectorShift));
    }
}

// Runs: lengths and starts of 1 to 8 bytes, a start that goes back (a
// negative distance), a sparse run, and runs that do not fit their bytes.
TEST(NtfsDataRuns, FieldsOfEveryWidthAndDirection) {
    const uint8_t runs[] = {0x21, 0x10, 0x00, 0x01,        // 16 clusters at 256
                            0x11, 0x05, 0xF0,              // 5 at 256 - 16 = 240
                            0x01, 0x07,                    // 7 sparse
                            0x31, 0x02, 0x00, 0x00, 0x01,  // 2 at 240 + 65536 = 65776
                            0x00};
    RunCursor cursor = runsFrom(runs, sizeof runs, 100);
    DataRun run;
    struct Expected {
        uint64_t vcn, clusters, lcn;
        bool sparse;
    };
    const Expected expected[] = {{100, 16, 256, false}, {116, 5, 240, false}, {121, 7, 0, true}, {128, 2, 65776, false}};
    for (const Expected& e : expected) {
        ASSERT_TRUE(nextRun(cursor, run));
        EXPECT_EQ(run.vcn, e.vcn);
        EXPECT_EQ(run.clusters, e.clusters);
        EXPECT_EQ(run.lcn, e.lcn);
        EXPECT_EQ(run.sparse, e.sparse);
    }
    EXPECT_FALSE(nextRun(cursor, run));
    EXPECT_FALSE(cursor.damaged);

    const std::vector<std::vector<uint8_t>> damaged = {
        {0x21, 0x10, 0x00},        // the start field cut short
        {0x21, 0x00, 0x01, 0x00},  // a run of no clusters
        {0x11, 0x01, 0xFF, 0x00},  // a start before the volume's first cluster
        {0x11, 0x01, 0x01},        // no zero byte at the end
        {0x09, 0x01, 0x00},        // a length field of 9 bytes
    };
    for (const std::vector<uint8_t>& bytes : damaged) {
        cursor = runsFrom(bytes.data(), static_cast<uint32_t>(bytes.size()), 0);
        while (nextRun(cursor, run)) {
        }
        EXPECT_TRUE(cursor.damaged) << int(bytes[0]);
    }
}

}  // namespace
