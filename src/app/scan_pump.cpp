#include "app/scan_pump.h"

#include "pane/progress_gdi.h"
#include "pane/progress_layout.h"
#include "ui/client_split.h"
#include "ui/globals.h"

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
    ProgressLayout layout = layoutProgress(client.right, client.bottom, readingLineHeight);
    RECT lines{0, layout.lineY[1], client.right, layout.lineY[progressLineCount - 1] + readingLineHeight};
    InvalidateRect(mainWindow, &lines, FALSE);
}

}  // namespace

bool keepReadingAndPump(const ScanProgress& progress) {
    DWORD now = GetTickCount();
    if (pump.reading && now - pump.lastLook < scanLookInterval) return !pump.stopAsked;
    // The first look covers the whole pane, which showed the panel.
    if (pump.reading)
        invalidateReadingLines();
    else
        invalidatePane();
    pump.reading = true;
    pump.lastLook = now;
    pump.shown = progress;
    pumpQueue();
    return !pump.stopAsked;
}

const ScanProgress* shownScanProgress() {
    return pump.reading ? &pump.shown : nullptr;
}

void forgetScanFolder() {
    pump.shown.folder = nullptr;
}

void endScanPump() {
    if (!pump.reading) return;
    pump.reading = false;
    invalidatePane();
    pumpQueue();
    if (pump.quitAsked) PostQuitMessage(pump.quitCode);
    pump = ScanPump{};
}
