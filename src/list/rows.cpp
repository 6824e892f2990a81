#include "list/rows.h"

#include "list/row_text.h"
#include "ui/globals.h"

#include <commctrl.h>

void addNodeRow(FolderNode* node) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = 0;  // the control sorts the row into place
    item.pszText = const_cast<char*>(rowLabel(node));
    item.iImage = rowImage(node);
    item.lParam = reinterpret_cast<LPARAM>(node);
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
