// Time to refill the folder list with N folders, through the same fill that
// navigation uses, on the real main window and list. Under Wine the sorted
// list view is the slow part: the targets are 0.5 s for 10,000 folders and
// 5 s for 100,000. The folders are named like random words in Latin
// letters, then (10,000 more) in other scripts, beyond the 16-bit plane and
// with combining marks.
#include "app/startup.h"
#include "list/row_fill.h"
#include "tree/folder_node.h"
#include "ui/globals.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>

namespace {

const char* const latinSyllables[] = {"ka", "lo", "Mi", "nu", "pe", "Ro", "sa", "ti", "ve", "Xo",
                                      "bra", "cun", "dal", "fe", "gor", "hin", "jas", "qu", "wy", "zen"};
const char* const otherSyllables[] = {"ка", "Ло", "ми", "ну", "φα", "Κε", "日", "本", "語", "😀",
                                      "Łó", "dź", "e\xCC\x81", "ō", "שׁ", "ع", "ले", "한", "ça", "ñu"};
const unsigned syllableCount = 20;

unsigned nextRandom(unsigned& state) {
    state = state * 1103515245u + 12345u;
    return state >> 8;
}

// A folder with a ".." node and `count` subfolders named like random words,
// in the random order a listing might give.
FolderNode* makeFolder(int count, unsigned seed, const char* const* syllables) {
    FolderNode* folder = newNamedNode(nullptr, "bench");
    FolderNode* up = newNamedNode(nullptr, "..");
    if (!folder || !up) return nullptr;
    up->parent = folder;
    folder->firstChild = up;
    FolderNode** tail = &up->next;
    char name[128];
    for (int i = 0; i < count; ++i) {
        name[0] = 0;
        int parts = 2 + static_cast<int>(nextRandom(seed) % 4);
        for (int k = 0; k < parts; ++k) std::strcat(name, syllables[nextRandom(seed) % syllableCount]);
        FolderNode* child = newNamedNode(nullptr, name);
        if (!child) return nullptr;
        child->parent = folder;
        *tail = child;
        tail = &child->next;
    }
    return folder;
}

double seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// The rows must be what the bench claims to have timed: all of them, " .."
// first, each no greater than the next in the control's comparison.
bool rowsLookRight(int expected) {
    int count = static_cast<int>(SendMessageA(folderList, LVM_GETITEMCOUNT, 0, 0));
    if (count != expected) return false;
    WCHAR previous[128] = {};
    WCHAR text[128];
    for (int i = 0; i < count; ++i) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = text;
        item.cchTextMax = 128;
        SendMessageW(folderList, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        if (i == 0 && lstrcmpW(text, L" ..") != 0) return false;
        if (i > 0 && lstrcmpW(previous, text) > 0) return false;
        lstrcpyW(previous, text);
    }
    return true;
}

}  // namespace

int main() {
    InitCommonControls();
    appInstance = GetModuleHandleA(nullptr);
    createPalette();
    if (!registerMainWindowClass() || !createMainWindow(1024, 768) || !createFolderList()) {
        std::printf("list-fill: cannot create the window\n");
        return 1;
    }
    ShowWindow(mainWindow, SW_SHOW);
    UpdateWindow(mainWindow);

    const int sizes[] = {10000, 100000, 10000};
    const double targets[] = {0.5, 5.0, 0.5};
    const char* const* syllables[] = {latinSyllables, latinSyllables, otherSyllables};
    int failures = 0;
    for (int i = 0; i < 3; ++i) {
        FolderNode* folder = makeFolder(sizes[i], 2024u + i, syllables[i]);
        if (!folder) {
            std::printf("list-fill: out of memory building %d folders\n", sizes[i]);
            return 1;
        }
        SendMessageA(folderList, LVM_DELETEALLITEMS, 0, 0);
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        fillRows(folder);
        QueryPerformanceCounter(&end);
        double taken = seconds(start, end);
        bool right = rowsLookRight(sizes[i] + 1);
        std::printf("list-fill: %d folders%s %.3f s (target %.1f s)%s\n", sizes[i],
                    i == 2 ? " named in other scripts" : "", taken, targets[i], right ? "" : " ROWS WRONG");
        std::fflush(stdout);
        if (!right) ++failures;
        SendMessageA(folderList, LVM_DELETEALLITEMS, 0, 0);
        releaseChain(folder);
    }
    return failures ? 1 : 0;
}
