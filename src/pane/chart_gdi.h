// The lower two thirds of the main window: chart and legend, or the panel.
#pragma once

#include <windows.h>

#include <cstdint>

// Paints the pane part of `update` (its top is raised to the pane's top in
// place); an update wholly inside the list's third paints nothing.
void paintChartPane(HDC dc, RECT& update, HWND window);

void drawLegendEntry(HDC dc, int x, int y, HBRUSH brush, const char* label, uint64_t count);
