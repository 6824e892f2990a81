#include "pane/pie_geometry.h"

#include <cmath>

namespace {

// A point about 1000 pixels from the centre: only its direction matters to
// the wedge drawing. The cast truncates toward zero in every rounding mode.
PiePoint radialPoint(int32_t centerX, int32_t centerY, double angle) {
    return PiePoint{centerX - static_cast<int32_t>(-1000.0 * std::cos(angle)),
                    centerY - static_cast<int32_t>(-1000.0 * std::sin(angle))};
}

bool samePoint(PiePoint a, PiePoint b) {
    return a.x == b.x && a.y == b.y;
}

// Equal start and end points make a whole disc; one pixel off makes a
// hairline wedge instead.
void nudgeIfSame(PiePoint fixed, PiePoint& moved) {
    if (samePoint(fixed, moved)) {
        moved.x += 1;
        moved.y += 1;
    }
}

}  // namespace

PieGeometry computePieGeometry(int32_t left, int32_t top, int32_t width, int32_t height,
                               double currentFraction, double filesFraction) {
    PieGeometry pie;
    // Held as a double in memory: on the 32-bit x87 unit the sum would stay
    // in 80 bits, and 2/3 + 1/3 would then compare below 1.0 and draw blue.
    volatile double heldSum = currentFraction + filesFraction;
    double sum = heldSum;
    pie.left = left;
    pie.top = top;
    pie.right = left + width;
    pie.bottom = top + height;
    pie.centerX = left + width / 2;
    pie.centerY = top + height / 2;

    pie.angles[0] = -((0.25 - 0.5 * sum) * pieTurn);
    pie.angles[1] = pie.angles[0] - currentFraction * pieTurn;
    pie.angles[2] = pie.angles[1] - filesFraction * pieTurn;
    for (int k = 0; k < 3; ++k)
        pie.points[k] = radialPoint(pie.centerX, pie.centerY, pie.angles[k]);

    // In this order, each test seeing what the one before left.
    nudgeIfSame(pie.points[0], pie.points[1]);
    nudgeIfSame(pie.points[1], pie.points[2]);
    nudgeIfSame(pie.points[2], pie.points[0]);

    pie.drawGreen = currentFraction > 0.0;
    pie.drawWhite = filesFraction > 0.0;
    // No tolerance: a sum one rounding step under 1.0 still draws blue.
    pie.drawBlue = sum < 1.0;
    return pie;
}
