// Where the pie's three wedges start and end, and how each share is drawn.
#pragma once

#include <cstdint>

struct PiePoint {
    int32_t x;
    int32_t y;
};

// How one share is drawn when it is drawn at all.
struct PieWedge {
    bool wholeDisc;     // the only share shown: an ellipse filling the box
    PiePoint from, to;  // else a wedge counterclockwise on the screen from `from` to `to`
};

// Indexes of the shares in drawing order.
enum PieShare { pieGreen = 0, pieWhite = 1, pieBlue = 2 };

struct PieGeometry {
    int32_t left, top, right, bottom;  // the box every wedge is drawn in
    int32_t centerX, centerY;
    double shares[3];    // green, white, and blue as what the two leave, never below 0
    double angles[3];    // screen radians: start of green, of white, of blue
    PiePoint points[3];  // radial points for the angles
    double minimumAngle;  // radians: a narrower share is not shown
    bool drawGreen;       // the selected folder's share
    bool drawWhite;       // the files' share
    bool drawBlue;        // the other subfolders' share
    PieWedge wedges[3];   // green, white, blue; only those drawn are filled in
};

// One full turn as the chart uses it (a little less than 2 pi).
constexpr double pieTurn = 6.283185307;

// The narrowest wedge drawn: its two edges must meet the rim this many
// pixels apart, or the wedge drawing may take them for one direction.
constexpr double pieMinimumRimPixels = 3.0;

// Green and white together are centred on the top of the disc, green first
// counterclockwise from the right of the top; blue fills the remainder.
// A share of 0, or one too narrow to show, draws nothing: its sliver goes to
// the wedge shown before it. A share shown alone is the whole disc.
PieGeometry computePieGeometry(int32_t left, int32_t top, int32_t width, int32_t height,
                               double currentFraction, double filesFraction);
