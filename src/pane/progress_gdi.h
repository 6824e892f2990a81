// The pane while a drive is read, drawn with GDI from progress_layout.h:
// the counts so far and the folder being read, on the information panel's
// ground and in its font (a drive row is selected while its drive is read).
#pragma once

#include "tree/drive_prompt.h"

#include <windows.h>

// The line height of the last progress painted; 0 before the first. The
// pump repaints only the lines' band once the whole pane has been painted.
extern int readingLineHeight;

// Paints the pane part of `update` (its top raised to the pane's top in
// place): the counts of `progress` and `folderPath` (UTF-8), the path of the
// folder being read as the caller copied it. The progress's folder is not
// read: its node may be gone by the time the pane is painted.
void paintReadingProgress(HDC dc, RECT& update, HWND window, const ScanProgress& progress,
                          const char* folderPath);
