#include "app/scan_pump.h"

#include "pane/progress_gdi.h"
#include "pane/progress_layout.h"
#include "ui/client_split.h"
#include "ui/globals.h"

#include <cstdlib>

namespace {

// One record for the whole run: plain data, reset when a reading ends.
struct ScanPump {
    bool reading;    // keepReading came since the last endScanPump
    bool stopAsked;  // Esc, or the window closed
    bool quitAsked;  // WM_QUIT taken from the queue: posted again at the end
    int quitCode;
    DWORD lastLook;
    // What the pane shows: the counts and the path at the last look. The
    // path is copied into `pathRoom` bytes of the heap, as its node may be
    // the stand-in for the drive, or go with the tree of a reading that was
    // stopped, before the pane is painted again; where there is no memory
    // for a longer path, the last one stays.
    ShownReading shown;
    char* path;
    size_t pathRoom;
};

ScanPump pump;

void copyFolderPath(const FolderNode* folder) {
    size_t length = folderPathLength(folder);
    if (length >= pump.pathRoom) {
        char* grown = static_cast<char*>(std::realloc(pump.path, length + 1));
        if (!grown) return;
        pump.path = grown;
        pump.pathRoom = length + 1;
    }
    writeFolderPath(folder, pump.path);
}

// Keys, clicks and double clicks for the list or the pane: not for now, and
// not for later either. Non-client messages (caption, close box) are not
// among them.
bool isInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
}

void takeInput(const MSG& message) {
    if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) pump.stopAsked = true;
    // Alt+F4 goes on to the default handling, which asks the window to close.
    if (message.message == WM_SYSKEYDOWN && message.wParam == VK_F4) DispatchMessageA(&message);
}

// Everything queued now: input dropped, the rest dispatched (paints, the
// close box, messages sent from other threads). A quit stops the reading.
void pumpQueue() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            pump.stopAsked = pump.quitAsked = true;
            pump.quitCode = static_cast<int>(message.wParam);
            return;
        }
        if (isInput(message.message))
            takeInput(message);
        else
            DispatchMessageA(&message);
    }
}

void invalidatePane() {
    RECT client;
    GetClientRect(mainWindow, &client);
    client.top = folderListHeight(client.bottom);
    InvalidateRect(mainWindow, &client, FALSE);
}

}  // namespace

bool keepReadingAndPump(const ScanProgress& progress) {
    DWORD now = GetTickCount();
    if (pump.reading && now - pump.lastLook < scanLookInterval) return !pump.stopAsked;
    // The first look covers the whole pane, which showed the panel, and so
    // does one whose heading changes (the file table given up for the walk).
    // Otherwise only the counts and the path change; every pixel less to
    // paint counts, as a paint costs more than a look.
    if (pump.reading && pump.shown.counts.fromFileTable == progress.fromFileTable) {
        RECT lines = changingReadingLines(mainWindow);
        InvalidateRect(mainWindow, &lines, FALSE);
    } else {
        invalidatePane();
    }
    pump.reading = true;
    pump.lastLook = now;
    pump.shown.counts = progress;
    pump.shown.counts.folder = nullptr;  // the pane paints the copy
    copyFolderPath(progress.folder);
    pump.shown.folderPath = pump.path ? pump.path : "";
    pumpQueue();
    return !pump.stopAsked;
}

const ShownReading* shownReading() {
    return pump.reading ? &pump.shown : nullptr;
}

void endScanPump() {
    if (!pump.reading) return;
    pump.reading = false;
    invalidatePane();
    pumpQueue();
    if (pump.quitAsked) PostQuitMessage(pump.quitCode);
    std::free(pump.path);
    pump = ScanPump{};
}
