// The boot sector's sizes and the data runs' fields, as tables: the
// encodings a volume writer may choose, which the volumes made for the
// other tests (mkntfs's defaults) do not all show.

#include "ntfs/boot_sector.h"
#include "ntfs/data_runs.h"
#include "ntfs/file_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
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

// A record of 1,024 bytes laid out as a writer lays it out: the header, the
// update sequence at 0x30 (its number 1 at both strides' ends), one
// resident $FILE_NAME from 0x38 holding the name "abcd" in folder 5, the
// end marker.
struct HandMadeRecord {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(1024);
    const uint32_t name = 0x38;  // the attribute
    const uint32_t value = name + 0x18;

    void put(uint32_t at, uint64_t number, int size) {
        for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<uint8_t>(number >> (8 * i));
    }

    HandMadeRecord() {
        std::memcpy(bytes.data(), "FILE", 4);
        put(0x04, 0x30, 2);  // the update sequence's offset and count
        put(0x06, 3, 2);
        put(0x10, 1, 2);  // sequence number
        put(0x14, name, 2);
        put(0x16, 1, 2);  // in use
        put(0x30, 1, 2);
        put(510, 1, 2);
        put(1022, 1, 2);
        uint32_t length = 0x18 + 0x50;
        put(name, 0x30, 4);
        put(name + 4, length, 4);
        put(name + 0x10, 0x42 + 8, 4);  // the value's length and offset
        put(name + 0x14, 0x18, 2);
        put(value, 5 | uint64_t{5} << 48, 8);
        bytes[value + 0x40] = 4;
        bytes[value + 0x41] = 1;
        std::memcpy(bytes.data() + value + 0x42, "a\0b\0c\0d\0", 8);
        put(name + length, 0xFFFFFFFF, 4);
        put(0x18, name + length + 8, 4);  // bytes in use
    }
};

// Records damaged by hand, one fault each: every length and offset the
// parser reads is checked against the bytes that are there.
TEST(NtfsFileRecord, HandMadeRecordsMalformedOneWayEach) {
    struct Case {
        const char* what;
        std::function<void(HandMadeRecord&)> damage;
        bool attributeRead, nameRead;
    };
    const Case cases[] = {
        {"as written", [](HandMadeRecord&) {}, true, true},
        {"an attribute running past the bytes in use", [](HandMadeRecord& r) { r.put(0x18, r.name + 0x40, 4); },
         false, false},
        {"a value running past its attribute", [](HandMadeRecord& r) { r.put(r.name + 0x10, 0x51, 4); }, false,
         false},
        {"a name running past its value", [](HandMadeRecord& r) { r.bytes[r.value + 0x40] = 5; }, true, false},
        {"a name of no characters", [](HandMadeRecord& r) { r.bytes[r.value + 0x40] = 0; }, true, false},
    };
    for (const Case& c : cases) {
        HandMadeRecord record;
        c.damage(record);
        RecordHeader header;
        ASSERT_EQ(readRecordHeader(record.bytes.data(), 1024, header), RecordState::inUse) << c.what;
        AttributeCursor cursor = attributesOf(record.bytes.data(), header);
        Attribute attribute{};
        bool read = nextAttribute(cursor, attribute);
        EXPECT_EQ(read, c.attributeRead) << c.what;
        EXPECT_EQ(cursor.damaged, !c.attributeRead) << c.what;
        FileName name{};
        EXPECT_EQ(read && readFileName(attribute, name), c.nameRead) << c.what;
        if (c.nameRead) {
            EXPECT_EQ(name.parent, 5 | uint64_t{5} << 48);
            EXPECT_EQ(name.length, 4);
        }
    }
}

// A torn stride is told wherever it lies, the last as well as the first.
TEST(NtfsFileRecord, ATornStrideAnywhere) {
    for (uint32_t end : {510u, 1022u}) {
        HandMadeRecord record;
        record.put(end, 2, 2);
        RecordHeader header;
        EXPECT_EQ(readRecordHeader(record.bytes.data(), 1024, header), RecordState::damaged) << end;
    }
}

}  // namespace
