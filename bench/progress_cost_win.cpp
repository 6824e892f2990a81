// progress-cost X:\ [ROUNDS] : what watching the walk costs. Reads drive X
// again and again with the product's walk (readDriveAgain over the
// system's calls), taking turns, ROUNDS rounds (default 7) of two reads:
// "plain", whose keepReading answers true at once, and "watched", the
// product's own answer (a clock check after every folder and, every look
// interval, the queue pumped and the progress painted into the shown main
// window). Prints one line per round and the median of the ratios:
//   round=<i> plain=<s> watched=<s> ratio=<watched/plain>
//   folders=<N> median_ratio=<r>
#include "app/message_box_prompt.h"
#include "app/scan_pump.h"
#include "app/startup.h"
#include "tree/drives.h"
#include "tree/folder_node.h"
#include "tree/scan.h"
#include "ui/globals.h"
#include "win32/win32_file_system.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct PlainPrompt final : DrivePrompt {
    bool askRetryMissingDrive() override { return false; }
    void tellScanIncomplete() override {}
    bool keepReading(const ScanProgress&) override { return true; }
};

double secondsNow() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Seconds for one read, or a negative number when the drive was not read.
double timedRead(FolderNode* drive, DrivePrompt& prompt) {
    double start = secondsNow();
    bool read = readDriveAgain(win32FileSystem(), prompt, drive);
    double seconds = secondsNow() - start;
    endScanPump();
    return read ? seconds : -1.0;
}

uint64_t folderCount(const FolderNode* drive) {
    uint64_t count = 0;
    const FolderNode* node = drive->firstChild;
    while (node && node != drive) {
        if (!isDotDot(node)) ++count;
        if (node->firstChild) {
            node = node->firstChild;
            continue;
        }
        while (node != drive && !node->next) node = node->parent;
        if (node != drive) node = node->next;
    }
    return count;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = argc == 3 ? std::atoi(argv[2]) : 7;
    if (argc < 2 || argc > 3 || std::strlen(argv[1]) != 3 || rounds < 1) {
        std::fprintf(stderr, "usage: progress-cost X:\\ [ROUNDS]\n");
        return 2;
    }
    InitCommonControls();
    appInstance = GetModuleHandleA(nullptr);
    createPalette();
    if (!registerMainWindowClass() || !createMainWindow(1024, 768) || !createFolderList()) return 1;
    ShowWindow(mainWindow, SW_SHOW);
    UpdateWindow(mainWindow);
    enumerateDrives(win32FileSystem());
    FolderNode* drive = rootNode->firstChild;
    while (drive && std::strcmp(drive->rootPath, argv[1]) != 0) drive = drive->next;
    if (!drive) {
        std::fprintf(stderr, "no drive %s\n", argv[1]);
        return 2;
    }
    PlainPrompt plain;
    if (timedRead(drive, plain) < 0) return 1;  // warms the cache
    std::vector<double> ratios;
    for (int i = 0; i < rounds; ++i) {
        // Which goes first changes every round, so a drift favours neither.
        bool watchedFirst = i % 2 == 1;
        double first = timedRead(drive, watchedFirst ? messageBoxPrompt() : plain);
        double second = timedRead(drive, watchedFirst ? plain : messageBoxPrompt());
        double plainSeconds = watchedFirst ? second : first;
        double watchedSeconds = watchedFirst ? first : second;
        if (plainSeconds <= 0 || watchedSeconds <= 0) return 1;
        ratios.push_back(watchedSeconds / plainSeconds);
        std::printf("round=%d plain=%.3f watched=%.3f ratio=%.4f\n", i + 1, plainSeconds,
                    watchedSeconds, ratios.back());
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("folders=%llu median_ratio=%.4f\n",
                static_cast<unsigned long long>(folderCount(drive)), ratios[ratios.size() / 2]);
    SetCurrentDirectoryA("C:\\");
    return 0;
}
