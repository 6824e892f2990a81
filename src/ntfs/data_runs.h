// The data runs of a non-resident attribute's extent: which clusters of
// the volume hold which of its clusters (virtual cluster numbers, VCNs).
// Each run is a header byte giving the sizes of two fields that follow: the
// run's length in clusters, and its start as a signed distance from the
// previous run's start; no start field makes a sparse run.
#pragma once

#include <cstdint>

struct DataRun {
    uint64_t vcn;       // the first cluster of the attribute it maps
    uint64_t clusters;  // more than 0
    uint64_t lcn;       // the volume's cluster it starts at; 0 when sparse
    bool sparse;        // no clusters on the volume: reads as zeros
};

struct RunCursor {
    const uint8_t* at;
    const uint8_t* end;
    uint64_t vcn;  // where the next run starts
    uint64_t lcn;  // where the last run started, for the next run's distance
    bool damaged;  // a run that does not fit its bytes or leaves the volume's numbers
};

RunCursor runsFrom(const uint8_t* runs, uint32_t length, uint64_t lowestVcn);

// The next run; false at the end of the runs, or where they are damaged
// (the cursor says so).
bool nextRun(RunCursor& cursor, DataRun& run);
