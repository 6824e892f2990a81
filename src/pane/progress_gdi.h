// The pane while a drive is read, drawn with GDI from progress_layout.h:
// the counts so far and the folder being read, on the information panel's
// ground and in its font (a drive row is selected while its drive is read).
#pragma once

#include "pane/progress_layout.h"

#include <windows.h>

// Paints `update`, a part of the pane: the heading, the counts and the
// folder's path of `reading`.
void paintReadingProgress(HDC dc, const RECT& update, HWND window, const ShownReading& reading);

// The band of the window's client area that changes from one look at a
// reading to the next: the counts and the path.
RECT changingReadingLines(HWND window);
