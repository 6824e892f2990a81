#include "pane/pie_chart.h"

#include "app/globals.h"
#include "pane/pie_geometry.h"

namespace {

void drawWedge(HDC dc, const PieGeometry& pie, HBRUSH brush, PiePoint from, PiePoint to) {
    SelectObject(dc, brush);
    Pie(dc, pie.left, pie.top, pie.right, pie.bottom, from.x, from.y, to.x, to.y);
}

}  // namespace

void drawPieChart(HDC dc, int left, int top, int width, int height,
                  double currentFraction, double filesFraction) {
    PieGeometry pie = computePieGeometry(left, top, width, height, currentFraction, filesFraction);
    SelectObject(dc, outlinePen);
    // Green, white, blue: a wedge that came out as a whole disc is covered
    // by those drawn after it.
    if (pie.drawGreen) drawWedge(dc, pie, paletteGreen, pie.points[0], pie.points[1]);
    if (pie.drawWhite) drawWedge(dc, pie, paletteWhite, pie.points[1], pie.points[2]);
    if (pie.drawBlue) drawWedge(dc, pie, paletteBlue, pie.points[2], pie.points[0]);
}
