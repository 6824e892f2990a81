// scan-bench PATH: opens PATH as drive Q: with the product's openDrive over
// the POSIX file system and prints one line:
//   folders=<N> files=<F> bytes=<B> seconds=<S> peak_kib=<K>
// N: folder nodes below the drive other than ".." nodes; F: file entries
// listed; B: the drive's total; S: wall time of openDrive; K: peak RSS.

#include "counting_file_system.h"
#include "posix/posix_file_system.h"
#include "tree/drives.h"
#include "tree/folder_node.h"
#include "tree/scan.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: scan-bench PATH\n");
        return 2;
    }
    PosixFileSystem posix('Q', argv[1]);
    CountingFileSystem fs(posix);
    enumerateDrives(fs);
    FolderNode* drive = rootNode ? rootNode->firstChild : nullptr;
    if (!drive) return 1;

    auto start = std::chrono::steady_clock::now();
    BenchPrompt prompt;
    bool opened = openDrive(fs, prompt, drive) && !prompt.incomplete;
    std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    if (!opened) {
        std::fprintf(stderr, "scan-bench: cannot enter %s\n", argv[1]);
        return 1;
    }

    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    std::printf("folders=%llu files=%llu bytes=%llu seconds=%.3f peak_kib=%ld\n",
                static_cast<unsigned long long>(countTree(drive).folders),
                static_cast<unsigned long long>(fs.files),
                static_cast<unsigned long long>(drive->filesBytes + drive->subfoldersBytes),
                seconds.count(), usage.ru_maxrss);
    return 0;
}
