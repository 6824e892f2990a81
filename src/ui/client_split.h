// How the main window's client area is shared: the folder list takes the
// upper third, the pane the rest. Portable, so the native tests check it.
#pragma once

// The list's height, and so the pane's top edge (`paneTop`): one integer
// division, so the two meet without gap or overlap.
inline int folderListHeight(int clientHeight) {
    return clientHeight / 3;
}
