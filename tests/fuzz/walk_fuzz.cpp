// libFuzzer target: the fuzzer's bytes shape an in-memory disk with failures
// everywhere (see support/random_disk.h); the product's walk must read it as
// the reference walk does. Build and run: see bench/README.md.

#include "support/random_disk.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    size_t used = 0;
    // Once the bytes run out every answer is the largest: no more failures,
    // and only folders, so that the disk is finished.
    PickBelow pick = [data, size, &used](unsigned bound) {
        if (used >= size) return bound - 1;
        unsigned value = data[used++];
        if (bound > 256 && used < size) value = value << 8 | data[used++];
        return value % bound;
    };
    MemoryFileSystem fs;
    buildRandomDisk(fs, 'R', 2 + pick(200), pick);
    long allocations = pick(4) == 0 ? static_cast<long>(pick(400)) : -1;
    int stopAfter = pick(4) == 0 ? static_cast<int>(pick(100)) : -1;
    std::string difference = walkDifference(fs, 'R', allocations, stopAfter);
    if (!difference.empty()) {
        std::fprintf(stderr, "walks differ: %s\n", difference.c_str());
        std::abort();
    }
    return 0;
}
