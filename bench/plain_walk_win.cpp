// plain-walk X:\ : the speed limit of the listing calls. A plain recursive
// FindFirstFileA/FindNextFileA walk with full paths that builds nothing,
// printing the same line as scan-bench:
//   folders=<N> files=<F> bytes=<B> seconds=<S> peak_kib=<K>

#include <windows.h>
#include <psapi.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

struct Totals {
    uint64_t folders = 0;
    uint64_t files = 0;
    uint64_t bytes = 0;
};

// `path` holds the folder's path with a trailing backslash and has room to
// grow; it is restored before returning.
void walk(char* path, size_t length, Totals& totals) {
    std::strcpy(path + length, "*.*");
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            ++totals.files;
            totals.bytes += (uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
            continue;
        }
        if (!std::strcmp(found.cFileName, ".") || !std::strcmp(found.cFileName, "..")) continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
        size_t nameLength = std::strlen(found.cFileName);
        if (length + nameLength + 5 >= 32768) continue;
        ++totals.folders;
        std::memcpy(path + length, found.cFileName, nameLength);
        path[length + nameLength] = '\\';
        walk(path, length + nameLength + 1, totals);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

double secondsNow() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

char path[32768];

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || std::strlen(argv[1]) != 3) {
        std::fprintf(stderr, "usage: plain-walk X:\\\n");
        return 2;
    }
    std::strcpy(path, argv[1]);
    Totals totals;
    double start = secondsNow();
    walk(path, 3, totals);
    double seconds = secondsNow() - start;
    PROCESS_MEMORY_COUNTERS memory = {};
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    std::printf("folders=%llu files=%llu bytes=%llu seconds=%.3f peak_kib=%lu\n",
                static_cast<unsigned long long>(totals.folders), static_cast<unsigned long long>(totals.files),
                static_cast<unsigned long long>(totals.bytes), seconds,
                static_cast<unsigned long>(memory.PeakWorkingSetSize / 1024));
    return 0;
}
