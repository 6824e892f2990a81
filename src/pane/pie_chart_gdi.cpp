#include "pane/pie_chart.h"

#include "app/globals.h"
#include "pane/pie_geometry.h"

namespace {

// A share shown alone is an ellipse: Pie with its two points on one ray
// would draw the same disc, but with a radius outlined across it.
void drawShare(HDC dc, const PieGeometry& pie, const PieWedge& wedge, HBRUSH brush) {
    SelectObject(dc, brush);
    if (wedge.wholeDisc) {
        Ellipse(dc, pie.left, pie.top, pie.right, pie.bottom);
        return;
    }
    Pie(dc, pie.left, pie.top, pie.right, pie.bottom, wedge.from.x, wedge.from.y, wedge.to.x,
        wedge.to.y);
}

}  // namespace

void drawPieChart(HDC dc, int left, int top, int width, int height,
                  double currentFraction, double filesFraction) {
    PieGeometry pie = computePieGeometry(left, top, width, height, currentFraction, filesFraction);
    SelectObject(dc, outlinePen);
    // Green, white, blue. The wedges only meet at their edges, so the order
    // decides no more than which outline lies on top.
    if (pie.drawGreen) drawShare(dc, pie, pie.wedges[pieGreen], paletteGreen);
    if (pie.drawWhite) drawShare(dc, pie, pie.wedges[pieWhite], paletteWhite);
    if (pie.drawBlue) drawShare(dc, pie, pie.wedges[pieBlue], paletteBlue);
}
