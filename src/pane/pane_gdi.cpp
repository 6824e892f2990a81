#include "pane/pane_gdi.h"

#include "list/rows.h"
#include "pane/chart_gdi.h"
#include "pane/panel_gdi.h"
#include "pane/panel_layout.h"
#include "pane/progress_gdi.h"
#include "tree/folder_node.h"
#include "ui/client_split.h"

void paintPane(HDC dc, RECT& update, HWND window, const ShownReading* reading) {
    RECT client;
    GetClientRect(window, &client);
    LONG paneTop = folderListHeight(client.bottom);
    if (update.top < paneTop) update.top = paneTop;
    if (update.bottom <= update.top) return;

    // While a drive is read the list's rows may point into a tree being
    // replaced: the pane shows the reading, not the selection. Read once:
    // the chart is for this very row.
    const FolderNode* selected = reading ? nullptr : selectedNode();
    bool panel = !reading && (!selected || selected->isDrive);
    // Links of an earlier panel are no longer on screen.
    if (!panel) placeLinkHotSpots(nullptr);
    if (reading)
        paintReadingProgress(dc, update, window, *reading);
    else if (panel)
        paintInfoPanel(dc, window, update);
    else
        paintChart(dc, update, window, selected);
}
