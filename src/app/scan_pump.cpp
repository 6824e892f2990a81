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
    ScanProgress shown;
};

ScanPump pump;

// The path of the folder being read, copied at each look: its node may be
// the walk's stand-in for the drive, or go with the tree of a reading that
// was stopped, before the pane is painted again. Kept for the run; where
// there is no memory for a longer path, the last one stays.
char* folderPath = nullptr;
size_t folderPathRoom = 0;

void copyFolderPath(const FolderNode* folder) {
    size_t length = folderPathLength(folder);
    if (length >= folderPathRoom) {
        char* grown = static_cast<char*>(std::realloc(folderPath, length + 1));
        if (!grown) return;
        folderPath = grown;
        folderPathRoom = length + 1;
    }
    writeFolderPath(folder, folderPath);
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

// Only the counts and the path change from one look to the next; every
// pixel less to paint counts, as a paint costs more than a look.
void invalidateReadingLines() {
    RECT client;
    GetClientRect(mainWindow, &client);
    ProgressLayout layout = layoutProgress(client.right, client.bottom, readingLineHeight, screenDpi);
    RECT lines{0, layout.lineY[1], client.right, layout.lineY[progressLineCount - 1] + readingLineHeight};
    InvalidateRect(mainWindow, &lines, FALSE);
}

}  // namespace

bool keepReadingAndPump(const ScanProgress& progress) {
    DWORD now = GetTickCount();
    if (pump.reading && now - pump.lastLook < scanLookInterval) return !pump.stopAsked;
    // The first look covers the whole pane, which showed the panel, and so
    // does one whose heading changes (the file table given up for the walk).
    if (pump.reading && pump.shown.fromFileTable == progress.fromFileTable)
        invalidateReadingLines();
    else
        invalidatePane();
    pump.reading = true;
    pump.lastLook = now;
    pump.shown = progress;
    pump.shown.folder = nullptr;  // the pane paints the copy
    copyFolderPath(progress.folder);
    pumpQueue();
    return !pump.stopAsked;
}

const ScanProgress* shownScanProgress() {
    return pump.reading ? &pump.shown : nullptr;
}

const char* shownFolderPath() {
    return folderPath ? folderPath : "";
}

void endScanPump() {
    if (!pump.reading) return;
    pump.reading = false;
    invalidatePane();
    pumpQueue();
    if (pump.quitAsked) PostQuitMessage(pump.quitCode);
    pump = ScanPump{};
}
