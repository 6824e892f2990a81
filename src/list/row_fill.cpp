#include "list/row_fill.h"

#include "list/descending_order.h"
#include "list/row_text.h"
#include "list/rows.h"
#include "ui/globals.h"
#include "ui/wide_text.h"

#include <commctrl.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

struct RowKey {
    const WCHAR* label;  // the label as the control compares it: in UTF-16, as written
    FolderNode* node;
};

int countChildren(const FolderNode* shown) {
    int count = 0;
    for (const FolderNode* child = shown->firstChild; child; child = child->next) ++count;
    return count;
}

// Wine's sorted list view compares each wide label with lstrcmpW, scanning
// from the top; the same comparison here makes every row compare at or
// below the row above it, so it lands at the top after one comparison. Any other collation (Windows) still gets every
// row in its right place, only with more comparing.
int compareLabels(const RowKey& a, const RowKey& b) {
    return lstrcmpW(a.label, b.label);
}

// False when there is no memory for the keys; nothing was added then.
bool addRowsDescending(const FolderNode* shown, int count) {
    if (static_cast<size_t>(count) > SIZE_MAX / (2 * sizeof(RowKey))) return false;
    size_t labelChars = 0;
    for (const FolderNode* child = shown->firstChild; child; child = child->next)
        labelChars += std::strlen(rowLabel(child)) + 1;
    // The keys and a scratch for sorting them, then the labels: a label
    // never has more UTF-16 units than its UTF-8 text has bytes.
    size_t keyBytes = sizeof(RowKey) * 2 * count;
    if (labelChars > (SIZE_MAX - keyBytes) / sizeof(WCHAR)) return false;
    RowKey* keys = static_cast<RowKey*>(std::malloc(keyBytes + sizeof(WCHAR) * labelChars));
    if (!keys) return false;
    WCHAR* out = reinterpret_cast<WCHAR*>(keys + 2 * count);
    int filled = 0;
    for (FolderNode* child = shown->firstChild; child; child = child->next) {
        const char* label = rowLabel(child);
        size_t bytes = std::strlen(label);
        keys[filled++] = RowKey{out, child};
        out += utf8ToUtf16(label, bytes, out, bytes + 1) + 1;
    }
    // Stable, so rows with equal labels go in chain order and end up in
    // reverse chain order, as they would when added in chain order.
    sortDescendingStable(keys, keys + count, static_cast<size_t>(count), compareLabels);
    for (int i = 0; i < count; ++i) addNodeRowLabelled(keys[i].node, keys[i].label);
    std::free(keys);
    return true;
}

}  // namespace

void fillRows(const FolderNode* shown) {
    SendMessageA(folderList, WM_SETREDRAW, FALSE, 0);
    SendMessageA(folderList, LVM_DELETEALLITEMS, 0, 0);
    int count = countChildren(shown);
    SendMessageA(folderList, LVM_SETITEMCOUNT, count, 0);
    if (count > 0 && !addRowsDescending(shown, count)) {
        // Short of memory: the slow way still gives the same rows.
        for (FolderNode* child = shown->firstChild; child; child = child->next) addNodeRow(child);
    }
    SendMessageA(folderList, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(folderList, nullptr, TRUE);
}
