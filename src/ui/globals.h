// Handles and drawing objects made once at start-up and kept for the whole
// run. Below list/, pane/ and app/, which all draw or send with them; the
// start-up in app/ fills them in.
#pragma once

#include <windows.h>

extern HINSTANCE appInstance;
extern HWND mainWindow;
extern HWND folderList;
extern HBRUSH paletteGreen;  // the selected folder
extern HBRUSH paletteWhite;  // files lying directly in the listed folder
extern HBRUSH paletteBlue;   // the listed folder's other subfolders
extern HPEN outlinePen;      // black, one pixel
