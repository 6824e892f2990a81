// The information panel shown with no selection or a drive row, and its
// links, drawn with GDI from what panel_layout.h computes.
#pragma once

#include <windows.h>

// Made on the panel's first painting and kept until the process ends.
extern HBRUSH panelBrush;  // light grey ground
extern HPEN linkPen;       // blue underline of the link lines

// The panel's ground, made on first use: the pane's ground also while a
// drive is read.
HBRUSH panelGroundBrush();

void paintInfoPanel(HDC dc, HWND window, const RECT& update);
void updateLinkCursor(int x, int y);
void openLinkAt(int x, int y);
