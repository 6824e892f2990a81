#include "list/navigation.h"

#include "list/rows.h"
#include "tree/folder_node.h"
#include "tree/scan.h"
#include "ui/globals.h"

#include <commctrl.h>

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

const int initialReturnCapacity = 50;
int initialReturnPositions[initialReturnCapacity];
int returnCapacity = initialReturnCapacity;
#ifdef QUORVEL_TEST_HOOKS
bool growthFails = false;
#else
const bool growthFails = false;
#endif

// Room for one more saved position; false (history untouched) when the heap
// has none.
bool reserveReturnSlot() {
    if (returnDepth < returnCapacity) return true;
    if (growthFails || returnCapacity > INT_MAX / 2) return false;
    int grown = returnCapacity * 2;
    bool onHeap = returnPositions != initialReturnPositions;
    void* block = onHeap ? std::realloc(returnPositions, sizeof(int) * grown)
                         : std::malloc(sizeof(int) * grown);
    if (!block) return false;
    if (!onHeap) std::memcpy(block, initialReturnPositions, sizeof initialReturnPositions);
    returnPositions = static_cast<int*>(block);
    returnCapacity = grown;
    return true;
}

// The row of `node` in the filled list. " .." is row 0 under most
// collations, but one that ignores punctuation puts a folder named "-"
// before it; the way back up must be selected all the same.
int rowOf(const FolderNode* node) {
    LVFINDINFOA find = {};
    find.flags = LVFI_PARAM;
    find.lParam = reinterpret_cast<LPARAM>(node);
    int row = static_cast<int>(SendMessageA(folderList, LVM_FINDITEMA, static_cast<WPARAM>(-1),
                                            reinterpret_cast<LPARAM>(&find)));
    return row < 0 ? 0 : row;
}

void selectRow(int row) {
    LVITEMA state = {};
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    state.stateMask = 0xFFFFFFFF;  // every other state bit of the row is cleared
    SendMessageA(folderList, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
    SendMessageA(folderList, LVM_ENSUREVISIBLE, row, TRUE);
    // The next activation and the pane read the selection through the mark.
    if (SendMessageA(folderList, LVM_GETSELECTIONMARK, 0, 0) != row)
        SendMessageA(folderList, LVM_SETSELECTIONMARK, 0, row);
}

}  // namespace

int* returnPositions = initialReturnPositions;
int returnDepth = 0;

#ifdef QUORVEL_TEST_HOOKS
void failReturnPositionsGrowth(bool fail) {
    growthFails = fail;
}
#endif

void openSelectedRow(FileSystem& fs, DrivePrompt& prompt) {
    FolderNode* node = selectedNode();
    if (!node) return;
    if (node->isDrive) {
        // Shown even when the tree is built already and nothing is scanned.
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        bool opened = openDrive(fs, prompt, node);
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        if (!opened) return;
    }
    int mark = static_cast<int>(SendMessageA(folderList, LVM_GETSELECTIONMARK, 0, 0));
    const FolderNode* shown;
    const FolderNode* up = nullptr;
    int row = 0;
    if (!isDotDot(node)) {
        if (!reserveReturnSlot()) return;
        up = ensureUpNode(node);
        if (!up) return;
        returnPositions[returnDepth] = mark;
        ++returnDepth;
        shown = node;
    } else {
        // The ".." node's parent is the listing shown; its parent the one above.
        const FolderNode* listed = node->parent;
        if (returnDepth <= 0 || !listed || !listed->parent) return;
        --returnDepth;
        row = returnPositions[returnDepth];
        shown = listed->parent;
    }
    fillRows(shown);
    if (up) row = rowOf(up);
    selectRow(row);
}
