#include "ntfs/data_runs.h"

namespace {

// Cluster numbers of a volume stay far below 2^48.
const uint64_t clusterLimit = uint64_t{1} << 48;

bool damage(RunCursor& cursor) {
    cursor.damaged = true;
    return false;
}

}  // namespace

RunCursor runsFrom(const uint8_t* runs, uint32_t length, uint64_t lowestVcn) {
    return RunCursor{runs, runs + length, lowestVcn, 0, false};
}

bool nextRun(RunCursor& cursor, DataRun& run) {
    if (cursor.damaged || cursor.at >= cursor.end) return damage(cursor);
    uint8_t header = *cursor.at;
    if (header == 0) return false;
    unsigned lengthBytes = header & 0x0F;
    unsigned startBytes = header >> 4;
    if (lengthBytes == 0 || lengthBytes > 8 || startBytes > 8 ||
        static_cast<unsigned>(cursor.end - cursor.at) < 1 + lengthBytes + startBytes)
        return damage(cursor);
    const uint8_t* field = cursor.at + 1;
    uint64_t clusters = 0;
    for (unsigned i = 0; i < lengthBytes; ++i) clusters |= static_cast<uint64_t>(field[i]) << (8 * i);
    field += lengthBytes;
    uint64_t distance = 0;
    for (unsigned i = 0; i < startBytes; ++i) distance |= static_cast<uint64_t>(field[i]) << (8 * i);
    // Sign-extend the distance from its top byte.
    if (startBytes > 0 && startBytes < 8 && (field[startBytes - 1] & 0x80)) distance |= ~uint64_t{0} << (8 * startBytes);
    if (clusters == 0 || clusters >= clusterLimit || cursor.vcn >= clusterLimit) return damage(cursor);
    run.vcn = cursor.vcn;
    run.clusters = clusters;
    run.sparse = startBytes == 0;
    if (!run.sparse) {
        uint64_t lcn = cursor.lcn + distance;  // wraps round for a negative distance
        if (lcn >= clusterLimit) return damage(cursor);
        cursor.lcn = lcn;
    }
    run.lcn = run.sparse ? 0 : cursor.lcn;
    cursor.vcn += clusters;
    cursor.at += 1 + lengthBytes + startBytes;
    return true;
}
