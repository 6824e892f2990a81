// progress-cost X:\ [ROUNDS] : what watching the walk costs. Reads drive X
// again and again with the product's walk (readDriveAgain over the
// system's calls), taking turns, ROUNDS rounds (default 7) of two reads:
// "plain", whose keepReading answers true at once, and "watched", the
// product's own answer (a clock check after every folder and, every look
// interval, the queue pumped and the progress painted into the shown main
// window). The watched reads also time every answer, so the share of the
// walk spent in the checks is measured directly, free of the drift between
// two reads. Prints one line per round and the medians:
//   round=<i> plain=<s> watched=<s> ratio=<watched/plain> checks=<s> share=<checks/watched>
//   folders=<N> median_ratio=<r> median_share=<s>
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

double secondsNow();

// The product's answer, timed.
struct TimedPrompt final : DrivePrompt {
    double seconds = 0;
    bool askRetryMissingDrive() override { return messageBoxPrompt().askRetryMissingDrive(); }
    void tellScanIncomplete() override { messageBoxPrompt().tellScanIncomplete(); }
    bool keepReading(const ScanProgress& progress) override {
        double start = secondsNow();
        bool goOn = messageBoxPrompt().keepReading(progress);
        seconds += secondsNow() - start;
        return goOn;
    }
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
    std::vector<double> ratios, shares;
    for (int i = 0; i < rounds; ++i) {
        // Which goes first changes every round, so a drift favours neither.
        bool watchedFirst = i % 2 == 1;
        TimedPrompt watched;
        double first = timedRead(drive, watchedFirst ? static_cast<DrivePrompt&>(watched) : plain);
        double second = timedRead(drive, watchedFirst ? plain : static_cast<DrivePrompt&>(watched));
        double plainSeconds = watchedFirst ? second : first;
        double watchedSeconds = watchedFirst ? first : second;
        if (plainSeconds <= 0 || watchedSeconds <= 0) return 1;
        ratios.push_back(watchedSeconds / plainSeconds);
        shares.push_back(watched.seconds / watchedSeconds);
        std::printf("round=%d plain=%.3f watched=%.3f ratio=%.4f checks=%.4f share=%.4f\n", i + 1,
                    plainSeconds, watchedSeconds, ratios.back(), watched.seconds, shares.back());
    }
    std::sort(ratios.begin(), ratios.end());
    std::sort(shares.begin(), shares.end());
    std::printf("folders=%llu median_ratio=%.4f median_share=%.4f\n",
                static_cast<unsigned long long>(folderCount(drive)), ratios[ratios.size() / 2],
                shares[shares.size() / 2]);
    SetCurrentDirectoryA("C:\\");
    return 0;
}
