// The lower two thirds of the main window, whichever it shows: a drive
// being read, the chart of the selected folder, or the information panel
// (no selection, or a drive row).
#pragma once

#include "pane/progress_layout.h"

#include <windows.h>

// Paints the pane part of `update` (its top raised to the pane's top in
// place); an update wholly inside the list's third paints nothing and
// leaves the panel's links as they are. With `reading` the pane shows it.
void paintPane(HDC dc, RECT& update, HWND window, const ShownReading* reading);
