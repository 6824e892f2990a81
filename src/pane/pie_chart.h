// The pie of the chart pane: green, white and blue wedges in a square box.
#pragma once

#include <windows.h>

// Draws the shares computePieGeometry shows into `dc` with the palette's pen
// and brushes, as wedges, or as one disc when a share is shown alone; the
// blue share is what the two fractions leave of the turn.
void drawPieChart(HDC dc, int left, int top, int width, int height,
                  double currentFraction, double filesFraction);
