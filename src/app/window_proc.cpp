#include "app/window_proc.h"

#include "app/message_box_prompt.h"
#include "app/scan_pump.h"
#include "list/navigation.h"
#include "pane/pane_gdi.h"
#include "pane/panel_gdi.h"
#include "ui/client_split.h"
#include "ui/globals.h"
#include "win32/win32_file_system.h"

#include <commctrl.h>

namespace {

// Either may read a drive; the pump ends once the list shows the outcome.
void openMarkedRow() {
    openSelectedRow(win32FileSystem(), messageBoxPrompt());
    endScanPump();
}

void readListedDriveAgain() {
    readDriveOfListingAgain(win32FileSystem(), messageBoxPrompt());
    endScanPump();
}

// The pane is repainted for whatever row is selected when WM_PAINT comes.
void invalidateWindow(HWND window) {
    InvalidateRect(window, nullptr, TRUE);
}

void fitFolderList(LPARAM size) {
    if (!folderList) return;
    int width = LOWORD(size);
    int height = HIWORD(size);
    MoveWindow(folderList, 0, 0, width, folderListHeight(height), TRUE);
}

void paintWindow(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    paintPane(dc, paint.rcPaint, window, shownReading());
    EndPaint(window, &paint);
}

// Only the list's notifications count; every one is answered with 0.
void handleListNotification(HWND window, const NMHDR* header) {
    if (header->hwndFrom != folderList) return;
    if (header->code == NM_DBLCLK) {
        openMarkedRow();
        invalidateWindow(window);
    } else if (header->code == LVN_KEYDOWN) {
        const NMLVKEYDOWN* key = reinterpret_cast<const NMLVKEYDOWN*>(header);
        if (key->wVKey == VK_RETURN) openMarkedRow();
        if (key->wVKey == VK_F5) readListedDriveAgain();
        // Before the list moves its selection; the repaint comes after it.
        invalidateWindow(window);
    } else if (header->code == NM_CLICK || header->code == NM_RCLICK) {
        // A right click moves the selection too; the pane has to follow it.
        invalidateWindow(window);
    }
}

}  // namespace

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        fitFolderList(lParam);
        return 0;
    case WM_PAINT:
        paintWindow(window);
        return 0;
    case WM_SETFOCUS:
        // Activation focuses the main window itself; the keys belong to the list.
        if (folderList) SetFocus(folderList);
        return 0;
    case WM_SETCURSOR:
        // The wait cursor stays over the list and the pane while a drive is read.
        if (shownReading() && LOWORD(lParam) == HTCLIENT) {
            SetCursor(LoadCursorA(nullptr, IDC_WAIT));
            return TRUE;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_CLOSE:
        // The window is not destroyed: the process ending takes it away.
        PostQuitMessage(0);
        return 0;
    case WM_NOTIFY:
        handleListNotification(window, reinterpret_cast<const NMHDR*>(lParam));
        return 0;
    case WM_MOUSEMOVE:
        updateLinkCursor(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_LBUTTONDOWN:
        openLinkAt(LOWORD(lParam), HIWORD(lParam));
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
