#include "app/startup.h"

#include "app/window_geometry.h"
#include "app/window_proc.h"
#include "list/rows.h"
#include "res/resource_ids.h"
#include "tree/drives.h"
#include "tree/folder_node.h"
#include "ui/dpi_scale.h"
#include "ui/globals.h"
#include "win32/win32_file_system.h"

#include <commctrl.h>

namespace {

const char windowClassName[] = "Wind";
const char windowTitle[] = "Quorvel 1.0";
const UINT mainClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;  // 11
const DWORD folderListStyle = WS_CHILD | WS_VISIBLE | LVS_LIST | LVS_SINGLESEL |
                              LVS_SORTASCENDING | LVS_ALIGNLEFT;  // 0x50000817
// The row images' side at 96 DPI: the strip holds three such squares.
const int rowImageSide = 16;
const int rowImageCount = 3;

}  // namespace

void createPalette() {
    paletteGreen = CreateSolidBrush(RGB(0, 255, 0));
    paletteWhite = CreateSolidBrush(RGB(255, 255, 255));
    paletteBlue = CreateSolidBrush(RGB(0, 0, 255));
    outlinePen = CreatePen(PS_SOLID, 0, RGB(0, 0, 0));
}

bool registerMainWindowClass() {
    WNDCLASSA windowClass = {};
    windowClass.style = mainClassStyle;
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.hInstance = appInstance;
    windowClass.hIcon = LoadIconA(appInstance, MAKEINTRESOURCEA(APP_ICON));
    // No cursor: the pane sets it on every mouse move. No background: the
    // pane's painting covers everything below the list.
    windowClass.lpszClassName = windowClassName;
    return RegisterClassA(&windowClass) != 0;
}

bool createMainWindow(int screenWidth, int screenHeight) {
    WindowPlacement place = mainWindowPlacement(screenWidth, screenHeight);
    mainWindow = CreateWindowExA(0, windowClassName, windowTitle, WS_OVERLAPPEDWINDOW,
                                 place.left, place.top, place.width, place.height,
                                 nullptr, nullptr, appInstance, nullptr);
    return mainWindow != nullptr;
}

bool createFolderList() {
    // Zero size: the first WM_SIZE of the main window gives it its third.
    folderList = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, nullptr, folderListStyle,
                                 0, 0, 0, 0, mainWindow, nullptr, appInstance, nullptr);
    return folderList != nullptr;
}

void readScreenDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    if (dpi > 0) screenDpi = dpi;
}

namespace {

// The strip of row images with each pixel repeated to `side` pixels a side
// (24 at 144 DPI, 32 at 192; as drawn at 96): a copy of whole pixels, so
// the pixel art stays sharp, where LoadImage's own stretch blurs it.
HBITMAP rowImageStrip(int side) {
    HBITMAP art = static_cast<HBITMAP>(
        LoadImageA(appInstance, MAKEINTRESOURCEA(ROW_IMAGES_BITMAP), IMAGE_BITMAP, 0, 0, 0));
    if (!art) return nullptr;
    HDC screen = GetDC(nullptr);
    HDC from = CreateCompatibleDC(screen);
    HDC to = CreateCompatibleDC(screen);
    HBITMAP strip = CreateCompatibleBitmap(screen, rowImageCount * side, side);
    SelectObject(from, art);
    SelectObject(to, strip);
    SetStretchBltMode(to, COLORONCOLOR);
    StretchBlt(to, 0, 0, rowImageCount * side, side, from, 0, 0, rowImageCount * rowImageSide,
               rowImageSide, SRCCOPY);
    DeleteDC(from);
    DeleteDC(to);
    ReleaseDC(nullptr, screen);
    return strip;
}

}  // namespace

bool attachRowImages() {
    int side = scaledPixels(rowImageSide, screenDpi);
    HBITMAP strip = rowImageStrip(side);
    if (!strip) return false;
    HIMAGELIST rowImages = ImageList_Create(side, side, ILC_COLOR24 | ILC_MASK, rowImageCount, 0);
    // White, the strip's top-left pixel, shows the list through.
    if (!rowImages || ImageList_AddMasked(rowImages, strip, RGB(255, 255, 255)) < 0) return false;
    // The list owns the image list from here on.
    SendMessageA(folderList, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(rowImages));
    return true;
}

void addDriveRows() {
    if (!rootNode) return;
    for (FolderNode* drive = rootNode->firstChild; drive; drive = drive->next) addNodeRow(drive);
}

int runMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

void internalErrorExit() {
    MessageBoxA(nullptr, "The internal error", windowTitle, MB_OK | MB_TASKMODAL);
    ExitProcess(0xFFFFFFFF);
}

int runQuorvel(HINSTANCE instance) {
    InitCommonControls();
    appInstance = instance;
    readScreenDpi();
    createPalette();
    createFonts();
    if (!registerMainWindowClass()) internalErrorExit();
    if (!createMainWindow(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)))
        internalErrorExit();
    if (!createFolderList()) internalErrorExit();
    if (!attachRowImages()) internalErrorExit();
    enumerateDrives(win32FileSystem());
    addDriveRows();
    // The start-up show flag is not consulted: always the plain shown state.
    ShowWindow(mainWindow, SW_SHOW);
    UpdateWindow(mainWindow);
    SetFocus(folderList);
    return runMessageLoop();
}
