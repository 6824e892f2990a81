// The lower two thirds of the main window when a folder row is selected:
// the pie and its legend, drawn with GDI from what chart_layout.h computes.
#pragma once

#include "pane/chart_layout.h"

#include <windows.h>

#include <cstdint>

struct FolderNode;

// Paints `update`, a part of the pane: the breakdown of `selected`, a
// folder row's node, and its legend.
void paintChart(HDC dc, const RECT& update, HWND window, const FolderNode* selected);

// Draws the shares computePieGeometry shows into `dc` with the palette's pen
// and brushes, as wedges, or as one disc when a share is shown alone; the
// blue share is what the two fractions leave of the turn.
void drawPieChart(HDC dc, int left, int top, int width, int height,
                  double currentFraction, double filesFraction);

// One entry where computeLegendEntry placed it: swatch, label, count line.
void drawLegendEntry(HDC dc, const LegendEntryLayout& entry, HBRUSH brush, const char* label,
                     uint64_t count);
