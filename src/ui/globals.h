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

// The display's DPI (the screen's LOGPIXELSY), read once at start-up: the
// program declares itself DPI aware, so Windows does not stretch its
// bitmap, and it draws everything for this DPI itself. 96 until read.
extern int screenDpi;

// Fonts made for screenDpi by createFonts rather than the stock ones, whose
// size is the system's choice (Wine scales DEFAULT_GUI_FONT with the DPI;
// Windows does not say that it does, and keeps it for a session) and whose
// System face, the window DC's own font, is a bitmap font that Wine only
// stretches in height.
extern HFONT textFont;    // the information panel and the reading's lines
extern HFONT legendFont;  // the legend: at 96 DPI the window DC's own font

// Makes textFont and legendFont for screenDpi; they are kept for the run.
void createFonts();
