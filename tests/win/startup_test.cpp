// The main window, its list and the window procedure's routing, on real
// windows (hidden). The start-up steps are taken one by one, as runQuorvel
// would end in its message loop.
#include "app/scan_pump.h"
#include "app/startup.h"
#include "list/navigation.h"
#include "list/rows.h"
#include "pane/panel_layout.h"
#include "res/resource_ids.h"
#include "tree/folder_node.h"
#include "ui/globals.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

namespace {

RECT listRectInParent() {
    RECT rect;
    GetWindowRect(folderList, &rect);
    MapWindowPoints(nullptr, mainWindow, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void sendSize(int width, int height) {
    SendMessageA(mainWindow, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
}

LRESULT sendListNotification(HWND from, UINT code, WORD key = 0) {
    NMLVKEYDOWN notification = {};
    notification.hdr.hwndFrom = from;
    notification.hdr.idFrom = 0;
    notification.hdr.code = code;
    notification.wVKey = key;
    return SendMessageA(mainWindow, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notification));
}

int rowCount() {
    return static_cast<int>(SendMessageA(folderList, LVM_GETITEMCOUNT, 0, 0));
}

int selectionMark() {
    return static_cast<int>(SendMessageA(folderList, LVM_GETSELECTIONMARK, 0, 0));
}

class StartupTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        InitCommonControls();
        appInstance = GetModuleHandleA(nullptr);
        createPalette();
        ASSERT_TRUE(registerMainWindowClass());
        ASSERT_TRUE(createMainWindow(1366, 768));
        ASSERT_TRUE(createFolderList());
    }

    void SetUp() override {
        SendMessageA(folderList, LVM_DELETEALLITEMS, 0, 0);
        returnDepth = 0;
        root = newFolderNode();
        const char* names[] = {"D:  Data", "C:  System", "A:  "};
        FolderNode** tail = &root->firstChild;
        for (const char* name : names) {
            FolderNode* drive = newNamedNode(nullptr, name);
            drive->parent = root;
            drive->isDrive = 1;
            drive->scanned = 1;
            FolderNode* up = newNamedNode(nullptr, "..");
            up->parent = drive;
            drive->firstChild = up;
            *tail = drive;
            tail = &drive->next;
        }
        rootNode = root;
    }

    void TearDown() override {
        SendMessageA(folderList, LVM_DELETEALLITEMS, 0, 0);
        rootNode = nullptr;
        releaseChain(root);
    }

    FolderNode* root = nullptr;
};

TEST_F(StartupTest, PaletteHasTheThreeColoursAndAThinBlackPen) {
    LOGBRUSH brush;
    ASSERT_EQ(int(sizeof brush), GetObjectA(paletteGreen, sizeof brush, &brush));
    EXPECT_EQ(RGB(0, 255, 0), brush.lbColor);
    ASSERT_EQ(int(sizeof brush), GetObjectA(paletteWhite, sizeof brush, &brush));
    EXPECT_EQ(RGB(255, 255, 255), brush.lbColor);
    ASSERT_EQ(int(sizeof brush), GetObjectA(paletteBlue, sizeof brush, &brush));
    EXPECT_EQ(0xFF0000u, brush.lbColor);
    LOGPEN pen;
    ASSERT_EQ(int(sizeof pen), GetObjectA(outlinePen, sizeof pen, &pen));
    EXPECT_EQ(UINT(PS_SOLID), pen.lopnStyle);
    EXPECT_EQ(0, pen.lopnWidth.x);
    EXPECT_EQ(RGB(0, 0, 0), pen.lopnColor);
}

TEST_F(StartupTest, MainWindowIsSixEighthsOfTheScreenAndHidden) {
    RECT rect;
    GetWindowRect(mainWindow, &rect);
    EXPECT_EQ(170, rect.left);
    EXPECT_EQ(96, rect.top);
    EXPECT_EQ(1020, rect.right - rect.left);
    EXPECT_EQ(576, rect.bottom - rect.top);
    EXPECT_FALSE(IsWindowVisible(mainWindow));
    char text[64] = {};
    GetWindowTextA(mainWindow, text, sizeof text);
    EXPECT_EQ(std::string("Quorvel 1.0"), text);
    GetClassNameA(mainWindow, text, sizeof text);
    EXPECT_EQ(std::string("Wind"), text);
    EXPECT_EQ(LONG(WS_OVERLAPPEDWINDOW), GetWindowLongA(mainWindow, GWL_STYLE) & LONG(WS_OVERLAPPEDWINDOW));
    EXPECT_EQ(11u, GetClassLongA(mainWindow, GCL_STYLE));
    EXPECT_EQ(0u, GetClassLongA(mainWindow, GCL_HBRBACKGROUND));
    EXPECT_EQ(0u, GetClassLongA(mainWindow, GCL_HCURSOR));
}

TEST_F(StartupTest, FolderListIsASortedSingleSelectionListChild) {
    char text[64] = {};
    GetClassNameA(folderList, text, sizeof text);
    EXPECT_EQ(std::string("SysListView32"), text);
    EXPECT_EQ(0x50000817, GetWindowLongA(folderList, GWL_STYLE) & 0x5000FFFF);
    EXPECT_EQ(LONG(WS_EX_CLIENTEDGE), GetWindowLongA(folderList, GWL_EXSTYLE) & LONG(WS_EX_CLIENTEDGE));
    EXPECT_EQ(mainWindow, GetParent(folderList));
    EXPECT_EQ(0, GetDlgCtrlID(folderList));
}

// The test programs carry Quorvel's manifest: the list's window procedure
// then lies in Common Controls 6, from the side-by-side store. (Wine's
// answers CCM_GETVERSION and DllGetVersion as version 5 does.)
TEST_F(StartupTest, FolderListIsCommonControls6s) {
    HMODULE owner = nullptr;
    auto procedure = reinterpret_cast<LPCSTR>(GetWindowLongPtrW(folderList, GWLP_WNDPROC));
    ASSERT_TRUE(GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                   GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, procedure, &owner));
    char path[MAX_PATH] = {};
    std::string file(path, GetModuleFileNameA(owner, path, MAX_PATH));
    CharLowerA(&file[0]);
    EXPECT_NE(file.find("\\winsxs\\x86_microsoft.windows.common-controls_6595b64144ccf1df_6.0."), std::string::npos)
        << file;
    EXPECT_EQ(file.substr(file.size() - 13), "\\comctl32.dll") << file;
}

TEST_F(StartupTest, SizeFitsTheListToTheUpperThird) {
    struct Size {
        int width, height, listHeight;
    };
    // (0, 0): minimised.
    for (Size size : {Size{640, 500, 166}, Size{641, 501, 167}, Size{0, 0, 0}, Size{800, 502, 167}}) {
        sendSize(size.width, size.height);
        RECT rect = listRectInParent();
        EXPECT_EQ(0, rect.left) << size.width;
        EXPECT_EQ(0, rect.top) << size.width;
        EXPECT_EQ(size.width, rect.right - rect.left);
        EXPECT_EQ(size.listHeight, rect.bottom - rect.top) << size.width;
    }
}

TEST_F(StartupTest, DriveRowsInLetterOrderWithNothingSelected) {
    addDriveRows();
    ASSERT_EQ(3, rowCount());
    char text[64];
    const char* expected[] = {"A:  ", "C:  System", "D:  Data"};
    for (int i = 0; i < 3; ++i) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = i;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(folderList, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(std::string(expected[i]), text);
        EXPECT_EQ(1, item.iImage);
    }
    EXPECT_EQ(-1, selectionMark());
    EXPECT_EQ(0, int(SendMessageA(folderList, LVM_GETSELECTEDCOUNT, 0, 0)));
}

TEST_F(StartupTest, NoDriveListGivesNoRows) {
    rootNode = nullptr;
    addDriveRows();
    EXPECT_EQ(0, rowCount());
}

TEST_F(StartupTest, DoubleClickFromTheListOpensTheMarkedRow) {
    addDriveRows();
    SendMessageA(folderList, LVM_SETSELECTIONMARK, 0, 1);
    EXPECT_EQ(0, sendListNotification(folderList, NM_DBLCLK));
    EXPECT_EQ(1, returnDepth);
    EXPECT_EQ(1, rowCount());  // the drive's " .." row
    EXPECT_EQ(0, selectionMark());
}

TEST_F(StartupTest, NotificationsFromAnotherWindowAreIgnored) {
    addDriveRows();
    SendMessageA(folderList, LVM_SETSELECTIONMARK, 0, 1);
    EXPECT_EQ(0, sendListNotification(mainWindow, NM_DBLCLK));
    EXPECT_EQ(0, sendListNotification(mainWindow, LVN_KEYDOWN, VK_RETURN));
    EXPECT_EQ(0, returnDepth);
    EXPECT_EQ(3, rowCount());
}

TEST_F(StartupTest, OnlyEnterOpensFromTheKeyboard) {
    addDriveRows();
    SendMessageA(folderList, LVM_SETSELECTIONMARK, 0, 2);
    EXPECT_EQ(0, sendListNotification(folderList, LVN_KEYDOWN, VK_DOWN));
    EXPECT_EQ(0, sendListNotification(folderList, LVN_KEYDOWN, 'R'));
    EXPECT_EQ(0, sendListNotification(folderList, NM_CLICK));
    EXPECT_EQ(0, sendListNotification(folderList, NM_RETURN));
    EXPECT_EQ(0, returnDepth);
    EXPECT_EQ(3, rowCount());
    EXPECT_EQ(0, sendListNotification(folderList, LVN_KEYDOWN, VK_RETURN));
    EXPECT_EQ(1, returnDepth);
    EXPECT_EQ(2, returnPositions[0]);
}

// Whether the main window is marked for repainting all over, the erase
// requested; the mark is taken away again for the next check.
bool wholeWindowInvalidated() {
    RECT update = {};
    RECT client;
    GetClientRect(mainWindow, &client);
    bool marked = GetUpdateRect(mainWindow, &update, FALSE) && EqualRect(&update, &client);
    ValidateRect(mainWindow, nullptr);
    return marked;
}

TEST_F(StartupTest, LeftAndRightClicksInTheListRepaintTheWholeWindow) {
    // Shown, as in the program, so that an update region is kept for it.
    ShowWindow(mainWindow, SW_SHOWNOACTIVATE);
    addDriveRows();
    ValidateRect(mainWindow, nullptr);
    ASSERT_FALSE(wholeWindowInvalidated());

    EXPECT_EQ(0, sendListNotification(folderList, NM_RCLICK));
    EXPECT_TRUE(wholeWindowInvalidated());
    EXPECT_EQ(0, sendListNotification(folderList, NM_CLICK));
    EXPECT_TRUE(wholeWindowInvalidated());
    // Other codes and other senders leave the window as it is.
    EXPECT_EQ(0, sendListNotification(folderList, LVN_ITEMCHANGED));
    EXPECT_FALSE(wholeWindowInvalidated());
    EXPECT_EQ(0, sendListNotification(mainWindow, NM_RCLICK));
    EXPECT_FALSE(wholeWindowInvalidated());
    EXPECT_EQ(0, returnDepth);
    ShowWindow(mainWindow, SW_HIDE);
}

TEST_F(StartupTest, FocusGivenToTheMainWindowGoesToTheList) {
    ShowWindow(mainWindow, SW_SHOW);
    SetFocus(mainWindow);
    EXPECT_EQ(folderList, GetFocus());

    // Activation, as after switching to another program and back.
    HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                 nullptr, appInstance, nullptr);
    ASSERT_TRUE(other);
    SetActiveWindow(other);
    EXPECT_NE(folderList, GetFocus());
    SetActiveWindow(mainWindow);
    EXPECT_EQ(mainWindow, GetActiveWindow());
    EXPECT_EQ(folderList, GetFocus());
    DestroyWindow(other);
    ShowWindow(mainWindow, SW_HIDE);
}

// The pointer's moves over the main window set the cursor: Quorvel's own
// hand (102) over a link, the arrow beside it.
TEST_F(StartupTest, MouseOverALinkShowsTheProgramsHandCursor) {
    HCURSOR hand = LoadCursorA(appInstance, MAKEINTRESOURCEA(LINK_CURSOR));
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    ASSERT_NE(nullptr, hand);
    linkHotSpots[0] = LinkHotSpot{{100, 300, 180, 316}, "http://quorvel.example.org/"};
    linkHotSpotCount = 1;
    SetCursor(nullptr);
    SendMessageA(mainWindow, WM_MOUSEMOVE, 0, MAKELPARAM(179, 315));
    EXPECT_EQ(hand, GetCursor());
    SendMessageA(mainWindow, WM_MOUSEMOVE, 0, MAKELPARAM(180, 315));
    EXPECT_EQ(arrow, GetCursor());
    linkHotSpotCount = 0;
}

TEST_F(StartupTest, CloseEndsTheLoopWithZeroAndKeepsTheWindow) {
    PostMessageA(mainWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, runMessageLoop());
    EXPECT_TRUE(IsWindow(mainWindow));
    EXPECT_TRUE(IsWindow(folderList));
}

// While a drive is read the pane paints copies: the folder being read (here
// a drive's stand-in) may be gone by the next paint.
TEST_F(StartupTest, TheReadingShownIsACopyOfTheCountsAndTheFolderPath) {
    FolderNode standIn{}, folder{};
    standIn.name = emptyText;
    standIn.isDrive = 1;
    standIn.rootPath = "Q:\\";
    folder.name = "папка";
    folder.parent = &standIn;
    ASSERT_TRUE(keepReadingAndPump(ScanProgress{1, 2, 3, &folder, false, false}));
    folder.name = standIn.rootPath = "gone";
    const ShownReading* shown = shownReading();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->counts.folder, nullptr);
    EXPECT_EQ(shown->counts.files, 2u);
    EXPECT_STREQ(shown->folderPath, "Q:\\папка");
    endScanPump();
    EXPECT_EQ(shownReading(), nullptr);
}

TEST_F(StartupTest, LoopReturnsTheQuitCode) {
    PostQuitMessage(9);
    EXPECT_EQ(9, runMessageLoop());
}

}  // namespace
