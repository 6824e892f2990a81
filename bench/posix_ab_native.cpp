// posix-ab PATH ROUNDS: two builds of the POSIX file system (A and B, linked
// in side by side by bench/ab-native) scan PATH in turns, in one process,
// A then B in even rounds and B then A in odd ones. Each scan is timed in
// process CPU time; a pair's ratio B/A is taken within the round, so that
// the load of other jobs, which drifts over seconds, mostly cancels. Both
// builds must give the same tree: a difference stops the run.

#include "counting_file_system.h"
#include "tree/drives.h"
#include "tree/folder_node.h"
#include "tree/scan.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

FileSystem* makeFileSystemA(const char* folder);
FileSystem* makeFileSystemB(const char* folder);

namespace {

double cpuMilliseconds() {
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// FNV-1a over the tree in walk order: names, marks, byte counts, and where
// each folder's children end.
uint64_t fingerprintOf(const FolderNode* drive) {
    uint64_t hash = 14695981039346656037ull;
    auto mix = [&hash](uint64_t value) {
        for (int i = 0; i < 8; ++i) {
            hash ^= (value >> (8 * i)) & 0xff;
            hash *= 1099511628211ull;
        }
    };
    mix(drive->filesBytes);
    mix(drive->subfoldersBytes);
    const FolderNode* node = drive->firstChild;
    while (node) {
        for (const char* c = node->name; *c; ++c) mix(static_cast<unsigned char>(*c));
        mix(node->scanMarks);
        mix(node->filesBytes);
        mix(node->subfoldersBytes);
        if (node->firstChild) {
            node = node->firstChild;
            continue;
        }
        while (node != drive && !node->next) {
            mix(0);  // end of a folder's children
            node = node->parent;
        }
        node = node == drive ? nullptr : node->next;
    }
    return hash;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || std::atoi(argv[2]) < 1) {
        std::fprintf(stderr, "usage: posix-ab PATH ROUNDS\n");
        return 2;
    }
    FileSystem* systems[2] = {makeFileSystemA(argv[1]), makeFileSystemB(argv[1])};
    int rounds = std::atoi(argv[2]);
    enumerateDrives(*systems[0]);
    FolderNode* drive = rootNode ? rootNode->firstChild : nullptr;
    if (!drive) return 1;

    std::vector<double> times[2];
    std::vector<double> ratios;
    uint64_t firstFingerprint = 0;
    for (int round = 0; round < rounds; ++round) {
        double pair[2];
        for (int turn = 0; turn < 2; ++turn) {
            int which = round % 2 ? 1 - turn : turn;
            drive->scanned = 0;  // a fixed drive is otherwise read once per run
            BenchPrompt prompt;
            double start = cpuMilliseconds();
            bool opened = openDrive(*systems[which], prompt, drive) && !prompt.incomplete;
            pair[which] = cpuMilliseconds() - start;
            if (!opened) {
                std::fprintf(stderr, "posix-ab: cannot scan %s\n", argv[1]);
                return 1;
            }
            uint64_t fingerprint = fingerprintOf(drive);
            if (round == 0 && turn == 0) {
                firstFingerprint = fingerprint;
            } else if (fingerprint != firstFingerprint) {
                std::fprintf(stderr, "posix-ab: %c gave another tree in round %d\n", "AB"[which], round);
                return 1;
            }
            times[which].push_back(pair[which]);
        }
        ratios.push_back(pair[1] / pair[0]);
        std::printf("round %d: A %.1f ms, B %.1f ms, B/A %.3f\n", round, pair[0], pair[1], ratios.back());
    }
    TreeCount count = countTree(drive);
    std::printf("folders=%llu bytes=%llu\n", static_cast<unsigned long long>(count.folders),
                static_cast<unsigned long long>(drive->filesBytes + drive->subfoldersBytes));
    std::printf("A median %.1f ms, B median %.1f ms, B/A median of the rounds %.3f (%.3f to %.3f)\n",
                median(times[0]), median(times[1]), median(ratios),
                *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()));
    return 0;
}
