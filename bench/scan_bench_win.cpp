// scan-bench X:\ [reference|walk|tablebytes] : opens drive X with the
// product's openDrive over the Windows file system (its file table where
// the volume opens and holds one, else the walk by folder handles) and
// prints one line; "walk" does not try the file table, "reference" reads the
// drive with the tests' recursive reference walk, "tablebytes" only reads
// the file table's bytes through the raw volume (see table_bytes.h).
//   reader=<mft|walk> folders=<N> files=<F> bytes=<B> seconds=<S> peak_kib=<K> tree_bytes_per_folder=<T> name_bytes_per_folder=<L>
// N: folder nodes below the drive other than ".." nodes; F: file entries
// listed, or counted in the table; B: the drive's total; S: wall time of openDrive; K: peak working
// set. T: heap bytes the tree took (busy blocks of the C runtime's heap,
// headers included, walked before and after), divided by N; L: the average
// name length, so that T - L is the cost of a folder beyond its name.

#include "counting_file_system.h"
#include "table_bytes.h"
#include "../tests/support/reference_walk.h"
#include "tree/drives.h"
#include "tree/scan.h"
#include "win32/win32_file_system.h"

#include <windows.h>
#include <malloc.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>

namespace {

uint64_t heapBytesInUse() {
    HANDLE heap = reinterpret_cast<HANDLE>(_get_heap_handle());
    uint64_t used = 0;
    PROCESS_HEAP_ENTRY entry = {};
    HeapLock(heap);
    while (HeapWalk(heap, &entry)) {
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) used += entry.cbData + entry.cbOverhead;
    }
    HeapUnlock(heap);
    return used;
}

double secondsNow() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
    const char* variant = argc == 3 ? argv[2] : "";
    bool reference = std::strcmp(variant, "reference") == 0;
    bool walkOnly = std::strcmp(variant, "walk") == 0;
    bool tableBytes = std::strcmp(variant, "tablebytes") == 0;
    CountingFileSystem fs(win32FileSystem());
    if (argc > 3 || (argc == 3 && !reference && !walkOnly && !tableBytes) || std::strlen(argv[1]) != 3) {
        std::fprintf(stderr, "usage: scan-bench X:\\ [reference|walk|tablebytes]\n");
        return 2;
    }
    if (tableBytes) return readTableBytesOnly(fs, argv[1], secondsNow);
    fs.readTable = !walkOnly && !reference;
    enumerateDrives(fs);
    FolderNode* drive = rootNode->firstChild;
    while (drive && std::strcmp(drive->rootPath, argv[1]) != 0) drive = drive->next;
    if (!drive) {
        std::fprintf(stderr, "no drive %s\n", argv[1]);
        return 2;
    }
    uint64_t heapBefore = heapBytesInUse();
    double start = secondsNow();
    BenchPrompt prompt;
    bool opened = reference ? referenceReadDrive(fs, drive) : openDrive(fs, prompt, drive) && !prompt.incomplete;
    double seconds = secondsNow() - start;
    if (!opened) return 1;
    uint64_t heapAfter = heapBytesInUse();

    PROCESS_MEMORY_COUNTERS memory = {};
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    TreeCount tree = countTree(drive);
    double folders = tree.folders ? static_cast<double>(tree.folders) : 1.0;
    bool fromTable = prompt.last.fromFileTable;
    std::printf("reader=%s folders=%llu files=%llu bytes=%llu seconds=%.3f peak_kib=%lu tree_bytes_per_folder=%.1f name_bytes_per_folder=%.1f\n",
                fromTable ? "mft" : "walk", static_cast<unsigned long long>(tree.folders),
                static_cast<unsigned long long>(fromTable ? prompt.last.files + fs.files : fs.files),
                static_cast<unsigned long long>(drive->filesBytes + drive->subfoldersBytes), seconds,
                static_cast<unsigned long>(memory.PeakWorkingSetSize / 1024),
                static_cast<double>(heapAfter - heapBefore) / folders,
                static_cast<double>(tree.nameBytes) / folders);
    SetCurrentDirectoryA("C:\\");
    return 0;
}
