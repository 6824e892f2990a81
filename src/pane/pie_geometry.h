// Where the pie's three wedges start and end, and which of them are drawn.
#pragma once

#include <cstdint>

struct PiePoint {
    int32_t x;
    int32_t y;
};

struct PieGeometry {
    int32_t left, top, right, bottom;  // the box every wedge is drawn in
    int32_t centerX, centerY;
    double angles[3];    // screen radians: start of green, of white, of blue
    PiePoint points[3];  // radial points for the angles, nudged apart
    bool drawGreen;      // the selected folder's wedge, from points[0] to points[1]
    bool drawWhite;      // the files' wedge, from points[1] to points[2]
    bool drawBlue;       // the other subfolders' wedge, from points[2] to points[0]
};

// One full turn as the chart uses it (a little less than 2 pi).
constexpr double pieTurn = 6.283185307;

// Green and white together are centred on the top of the disc, green first
// counterclockwise from the right of the top; blue fills the remainder.
PieGeometry computePieGeometry(int32_t left, int32_t top, int32_t width, int32_t height,
                               double currentFraction, double filesFraction);
