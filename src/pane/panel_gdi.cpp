#include "pane/panel_gdi.h"

#include "pane/line_height.h"
#include "pane/panel_layout.h"
#include "res/resource_ids.h"
#include "ui/globals.h"

#include <shellapi.h>

HBRUSH panelBrush = nullptr;
HPEN linkPen = nullptr;

namespace {

const COLORREF linkColour = RGB(0, 0, 255);

void showArrowCursor() {
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

}  // namespace

HBRUSH panelGroundBrush() {
    if (!panelBrush) panelBrush = CreateSolidBrush(RGB(192, 192, 192));
    return panelBrush;
}

void paintInfoPanel(HDC dc, HWND window, const RECT& update) {
    if (!linkPen) linkPen = CreatePen(PS_SOLID, 0, linkColour);

    // Only the ground keeps to the update rectangle; the lines and the hot
    // spots are laid out over the whole client area.
    FillRect(dc, &update, panelGroundBrush());
    SelectObject(dc, textFont);
    SelectObject(dc, linkPen);

    RECT client;
    GetClientRect(window, &client);
    int32_t lineHeight = lineHeightOf(dc);

    int32_t widths[infoLineCount];
    for (int i = 0; i < infoLineCount; ++i) {
        SIZE extent{0, 0};
        GetTextExtentPoint32A(dc, infoLines[i].text, lstrlenA(infoLines[i].text), &extent);
        widths[i] = extent.cx;
    }
    InfoPanelLayout layout = layoutInfoPanel(client.right, client.bottom, lineHeight, widths, screenDpi);
    placeLinkHotSpots(&layout);

    for (int i = 0; i < infoLineCount; ++i) {
        const InfoLine& info = infoLines[i];
        const InfoLinePlace& line = layout.lines[i];
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, info.linkKind != 0 ? linkColour : RGB(0, 0, 0));
        TextOutA(dc, line.x, line.y, info.text, lstrlenA(info.text));
        if (info.linkKind != 0) {
            // LineTo leaves the end point itself undrawn.
            MoveToEx(dc, line.x, line.underlineY, nullptr);
            LineTo(dc, line.x + line.width, line.underlineY);
        }
    }
}

void updateLinkCursor(int x, int y) {
    if (hitLinkHotSpot(x, y))
        SetCursor(LoadCursorA(appInstance, MAKEINTRESOURCEA(LINK_CURSOR)));
    else
        showArrowCursor();
}

void openLinkAt(int x, int y) {
    const LinkHotSpot* hit = hitLinkHotSpot(x, y);
    if (!hit) return;
    showArrowCursor();
    ShellExecuteA(mainWindow, "open", hit->target, nullptr, nullptr, SW_SHOWMAXIMIZED);
}
