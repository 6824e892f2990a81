#include "app/startup.h"

#include "app/window_geometry.h"
#include "app/window_proc.h"
#include "list/rows.h"
#include "res/resource_ids.h"
#include "tree/drives.h"
#include "tree/folder_node.h"
#include "ui/globals.h"
#include "win32/win32_file_system.h"

#include <commctrl.h>

namespace {

const char windowClassName[] = "Wind";
const char windowTitle[] = "Quorvel 1.0";
const UINT mainClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;  // 11
const DWORD folderListStyle = WS_CHILD | WS_VISIBLE | LVS_LIST | LVS_SINGLESEL |
                              LVS_SORTASCENDING | LVS_ALIGNLEFT;  // 0x50000817
const int rowImageWidth = 16;
const int rowImageGrowth = 1;

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

bool attachRowImages() {
    HIMAGELIST rowImages =
        ImageList_LoadImageA(appInstance, MAKEINTRESOURCEA(ROW_IMAGES_BITMAP), rowImageWidth,
                             rowImageGrowth, CLR_DEFAULT, IMAGE_BITMAP, 0);
    if (!rowImages) return false;
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
    createPalette();
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
