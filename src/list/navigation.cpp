#include "list/navigation.h"

#include "list/row_fill.h"
#include "list/rows.h"
#include "tree/folder_node.h"
#include "tree/grow_array.h"
#include "tree/scan.h"
#include "ui/globals.h"
#include "ui/wait_cursor.h"

#include <commctrl.h>

#include <cstdlib>
#include <cstring>

namespace {

int returnCapacity = 0;
#ifdef QUORVEL_TEST_HOOKS
bool growthFails = false;
#else
const bool growthFails = false;
#endif

// Room for one more saved position; false (history untouched) when the heap
// has none.
bool reserveReturnSlot() {
    if (returnDepth < returnCapacity) return true;
    return !growthFails && growArray(returnPositions, returnCapacity, 64);
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

// The names from a drive's root down to the listed folder, and the selected
// row's name, copied: reading the drive again frees every node they came from.
struct WayDown {
    char* names = nullptr;               // one after another, each ending in 0
    int count = 0;                       // names below the drive's root
    const char* selectedName = nullptr;  // inside `names`; null for " .." or none
    ~WayDown() { std::free(names); }
};

bool rememberWay(const FolderNode* listed, const FolderNode* drive, const FolderNode* selected,
                 WayDown& way) {
    for (const FolderNode* node = listed; node != drive; node = node->parent) ++way.count;
    size_t pathSize = way.count ? namesBelowLength(listed, drive) + 1 : 0;
    bool keepSelected = selected && !isDotDot(selected) && !selected->isDrive;
    size_t selectedSize = keepSelected ? std::strlen(selected->name) + 1 : 0;
    way.names = static_cast<char*>(std::malloc(pathSize + selectedSize + 1));
    if (!way.names) return false;
    writeNamesBelow(listed, drive, 0, way.names);
    if (keepSelected) {
        std::memcpy(way.names + pathSize, selected->name, selectedSize);
        way.selectedName = way.names + pathSize;
    }
    return true;
}

}  // namespace

int* returnPositions = nullptr;
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
        bool opened;
        {
            // Shown even when the tree is built already and nothing is scanned.
            WaitCursor wait;
            opened = openDrive(fs, prompt, node);
        }
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

void readDriveOfListingAgain(FileSystem& fs, DrivePrompt& prompt) {
    FolderNode* selected = selectedNode();
    // Every row of a folder's listing is a child of the folder listed.
    FolderNode* first = rowNode(0);
    FolderNode* listed = returnDepth > 0 && first ? first->parent : nullptr;
    FolderNode* drive = returnDepth > 0 ? driveOf(listed) : selected;
    if (!drive || !drive->isDrive) return;
    WayDown way;
    if (listed && !rememberWay(listed, drive, selected, way)) return;

    bool read;
    {
        WaitCursor wait;
        read = readDriveAgain(fs, prompt, drive);
    }
    // Not read: the old tree and the rows into it are as they were. The
    // drive list's rows are the drives, which stay.
    if (!read || !listed) return;

    // The rows point into the old tree, which is gone: down from the root
    // by the kept names, as far as they still lead. Each listing on the way
    // is filled to find the row the user came down from, as the way back
    // up needs it.
    FolderNode* shown = drive;
    int depth = 1;
    bool whole = true;
    const char* name = way.names;
    for (int k = 0; k < way.count; ++k, name += std::strlen(name) + 1) {
        FolderNode* child = childNamed(shown, name);
        if (!child || !ensureUpNode(child)) {
            whole = false;
            break;
        }
        fillRows(shown);
        returnPositions[depth] = rowOf(child);
        shown = child;
        ++depth;
    }
    returnDepth = depth;
    fillRows(shown);
    FolderNode* again = whole && way.selectedName ? childNamed(shown, way.selectedName) : nullptr;
    selectRow(rowOf(again ? again : ensureUpNode(shown)));
}
