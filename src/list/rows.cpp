#include "list/rows.h"

#include "list/row_text.h"
#include "ui/globals.h"
#include "ui/wide_text.h"

#include <commctrl.h>

#include <cstring>

namespace {

// A name has at most 255 UTF-16 units on every Windows file system; a
// drive row's label is "X:  " and a volume label of 32 at most.
const int labelRoom = MAX_PATH + 1;

}  // namespace

void addNodeRow(FolderNode* node) {
    WCHAR label[labelRoom];
    const char* text = rowLabel(node);
    utf8ToUtf16(text, std::strlen(text), label, labelRoom);
    addNodeRowLabelled(node, label);
}

void addNodeRowLabelled(FolderNode* node, const wchar_t* label) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = 0;  // the control sorts the row into place
    item.pszText = const_cast<WCHAR*>(label);
    item.iImage = rowImage(node);
    item.lParam = reinterpret_cast<LPARAM>(node);
    if (SendMessageA(folderList, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)) >= 0) return;
    // A list without the wide messages (Windows 9x): the label as the code
    // page reads it, in the same record but for the text's type.
    char narrow[2 * labelRoom];
    if (!WideCharToMultiByte(CP_ACP, 0, label, -1, narrow, sizeof narrow, nullptr, nullptr)) narrow[0] = 0;
    item.pszText = reinterpret_cast<WCHAR*>(narrow);
    SendMessageA(folderList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

FolderNode* rowNode(int row) {
    if (row < 0) return nullptr;
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.iSubItem = 0;
    if (!SendMessageA(folderList, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
    return reinterpret_cast<FolderNode*>(item.lParam);
}

FolderNode* selectedNode() {
    return rowNode(static_cast<int>(SendMessageA(folderList, LVM_GETSELECTIONMARK, 0, 0)));
}
