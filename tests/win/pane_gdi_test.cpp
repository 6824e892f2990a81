// The lower pane drawn into a 32-bit DIB section and checked pixel by pixel
// where the geometry functions put things.
#include "pane/chart_gdi.h"
#include "pane/chart_layout.h"
#include "pane/pane_gdi.h"
#include "pane/panel_gdi.h"
#include "pane/panel_layout.h"
#include "pane/progress_gdi.h"
#include "pane/progress_layout.h"
#include "res/resource_ids.h"
#include "tree/folder_node.h"
#include "ui/globals.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "support/canvas.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const int clientWidth = 800;
const int clientHeight = 600;
const int paneTop = clientHeight / 3;

const COLORREF sentinel = canvasSentinel;
const COLORREF green = RGB(0, 255, 0);
const COLORREF white = RGB(255, 255, 255);
const COLORREF blue = RGB(0, 0, 255);
const COLORREF black = RGB(0, 0, 0);
const COLORREF panelGrey = RGB(192, 192, 192);

std::string colourName(COLORREF c) {
    char text[32];
    std::snprintf(text, sizeof text, "rgb(%u,%u,%u)", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}



#define EXPECT_PIXEL(canvas, x, y, colour) \
    EXPECT_EQ(colourName((canvas).at(x, y)), colourName(colour)) << "at (" << (x) << ", " << (y) << ")"

FolderNode makeNode(FolderNode* parent, uint64_t filesBytes, uint64_t subfoldersBytes) {
    FolderNode node{};
    node.name = emptyText;
    node.parent = parent;
    node.filesBytes = filesBytes;
    node.subfoldersBytes = subfoldersBytes;
    return node;
}

// The row's node as item data, and the selection mark on it, as a click leaves them.
void showSelected(FolderNode* node) {
    SendMessageA(folderList, LVM_DELETEALLITEMS, 0, 0);
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.pszText = const_cast<char*>("row");
    item.lParam = reinterpret_cast<LPARAM>(node);
    SendMessageA(folderList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    SendMessageA(folderList, LVM_SETSELECTIONMARK, 0, 0);
}

void showNoSelection() {
    SendMessageA(folderList, LVM_DELETEALLITEMS, 0, 0);
    SendMessageA(folderList, LVM_SETSELECTIONMARK, 0, -1);
}

int lineHeightIn(HDC dc) {
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    return metrics.tmHeight;
}

// The panel's layout as the panel measures it: the default GUI font.
InfoPanelLayout expectedPanelLayout() {
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    int32_t widths[infoLineCount];
    for (int i = 0; i < infoLineCount; ++i) {
        SIZE extent{0, 0};
        GetTextExtentPoint32A(dc, infoLines[i].text, lstrlenA(infoLines[i].text), &extent);
        widths[i] = extent.cx;
    }
    DeleteDC(dc);
    return layoutInfoPanel(clientWidth, clientHeight, metrics.tmHeight, widths, 96);
}

void expectSameArea(const PixelRect& actual, const PixelRect& expected) {
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);
    EXPECT_EQ(actual.right, expected.right);
    EXPECT_EQ(actual.bottom, expected.bottom);
}

class PaneGdiTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        appInstance = GetModuleHandleA(nullptr);
        paletteGreen = CreateSolidBrush(green);
        paletteWhite = CreateSolidBrush(white);
        paletteBlue = CreateSolidBrush(blue);
        outlinePen = CreatePen(PS_SOLID, 0, black);
        createFonts();

        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = appInstance;
        windowClass.lpszClassName = "PaneGdiTestWindow";
        RegisterClassA(&windowClass);
        // A borderless popup, never shown: its client area is its whole size.
        mainWindow = CreateWindowExA(0, "PaneGdiTestWindow", "", WS_POPUP, 0, 0, clientWidth,
                                     clientHeight, nullptr, nullptr, appInstance, nullptr);
        folderList = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | LVS_LIST, 0, 0, clientWidth,
                                     paneTop, mainWindow, nullptr, appInstance, nullptr);
    }

    void SetUp() override {
        ASSERT_TRUE(mainWindow);
        ASSERT_TRUE(folderList);
        RECT client;
        GetClientRect(mainWindow, &client);
        ASSERT_EQ(client.right, clientWidth);
        ASSERT_EQ(client.bottom, clientHeight);
        ASSERT_TRUE(canvas.ready());
        // Listed folder: files of 100 bytes, subfolders of 300 and 600 bytes.
        listed = makeNode(nullptr, 100, 900);
        selected = makeNode(&listed, 100, 200);
        dotDot = makeNode(&listed, 0, 0);
        dotDot.name = dotDotText;
        root = makeNode(nullptr, 0, 0);
        drive = makeNode(&root, 100, 900);
        drive.isDrive = 1;
    }

    void TearDown() override { showNoSelection(); }

    void paint(RECT update) {
        paintPane(canvas.dc(), update, mainWindow, nullptr);
        lastUpdate = update;
    }

    void paintWhole() { paint(RECT{0, 0, clientWidth, clientHeight}); }

    Canvas canvas{clientWidth, clientHeight};
    FolderNode listed, selected, dotDot, root, drive;
    RECT lastUpdate{};
};

// ---- pie ----

struct WedgeSample {
    int dx, dy;  // from the box's centre
    COLORREF colour;
};

struct PieCase {
    const char* what;
    double currentFraction, filesFraction;
    WedgeSample samples[4];
};

// Box (100, 100) with side 200: centre (200, 200), radius 100.
const PieCase pieCases[] = {
    {"quarter and quarter", 0.25, 0.25,
     {{50, -50, green}, {-50, -50, white}, {0, 60, blue}, {-60, 20, blue}}},
    {"half and nothing", 0.5, 0.0,
     {{0, -60, green}, {-60, -20, green}, {60, 20, blue}, {-60, 20, blue}}},
    {"half and half", 0.5, 0.5,
     {{60, -20, green}, {60, 20, green}, {-60, -20, white}, {-60, 20, white}}},
    {"nothing at all", 0.0, 0.0,
     {{5, -60, blue}, {-5, -60, blue}, {60, 0, blue}, {0, 60, blue}}},
    {"the selected folder is everything", 1.0, 0.0,
     {{5, 60, green}, {-5, 60, green}, {0, -60, green}, {60, 0, green}}},
    {"files are everything", 0.0, 1.0,
     {{5, 60, white}, {-5, 60, white}, {0, -60, white}, {60, 0, white}}},
    {"a tiny selected share", 1e-9, 0.0,
     {{5, -60, blue}, {-5, -60, blue}, {60, 0, blue}, {0, 60, blue}}},
};

TEST_F(PaneGdiTest, PieWedgesWhereTheGeometryPutsThem) {
    for (const PieCase& c : pieCases) {
        SCOPED_TRACE(c.what);
        canvas.fill(sentinel);
        drawPieChart(canvas.dc(), 100, 100, 200, 200, c.currentFraction, c.filesFraction);
        for (const WedgeSample& s : c.samples) EXPECT_PIXEL(canvas, 200 + s.dx, 200 + s.dy, s.colour);
        // Corners of the box lie outside the disc.
        EXPECT_PIXEL(canvas, 105, 105, sentinel);
        EXPECT_PIXEL(canvas, 295, 295, sentinel);
    }
}

TEST_F(PaneGdiTest, NoWedgeForAZeroShare) {
    canvas.fill(sentinel);
    drawPieChart(canvas.dc(), 100, 100, 200, 200, 0.0, 0.25);
    EXPECT_EQ(canvas.count(green, 100, 100, 300, 300), 0);
    canvas.fill(sentinel);
    drawPieChart(canvas.dc(), 100, 100, 200, 200, 0.25, 0.0);
    EXPECT_EQ(canvas.count(white, 100, 100, 300, 300), 0);
    canvas.fill(sentinel);
    drawPieChart(canvas.dc(), 100, 100, 200, 200, 0.5, 0.5);
    EXPECT_EQ(canvas.count(blue, 100, 100, 300, 300), 0);
}

TEST_F(PaneGdiTest, ThirdsSumToOneOnThisFloatingPointUnit) {
    // On the x87 unit an 80-bit sum of these is below 1.0.
    volatile double twoThirds = 2.0 / 3.0;
    volatile double oneThird = 1.0 / 3.0;
    EXPECT_FALSE(computePieGeometry(0, 0, 100, 100, twoThirds, oneThird).drawBlue);
}

// ---- legend ----

TEST_F(PaneGdiTest, LegendEntrySwatchLabelAndCount) {
    TEXTMETRICA metrics = {};
    GetTextMetricsA(canvas.dc(), &metrics);
    const int h = metrics.tmHeight;
    ASSERT_GT(h, 4);
    const int x = 20, y = 30;
    const COLORREF text = GetSysColor(COLOR_BTNTEXT);

    drawLegendEntry(canvas.dc(), computeLegendEntry(x, y, h, 96), paletteBlue, "The rest of folders", 600);
    EXPECT_PIXEL(canvas, x + h, y + h / 2, blue);
    EXPECT_PIXEL(canvas, x, y, black);                      // outline, top-left
    EXPECT_PIXEL(canvas, x + 2 * h - 1, y + h - 1, black);  // outline, bottom-right
    EXPECT_PIXEL(canvas, x + 2 * h, y + h / 2, sentinel);   // two line heights wide
    EXPECT_PIXEL(canvas, x + h, y + h, sentinel);           // one line height high
    const int textX = x + 2 * h + 4;
    EXPECT_EQ(canvas.count(text, x + 2 * h, y, textX, y + 2 * h), 0);
    EXPECT_GT(canvas.count(text, textX, y, textX + 200, y + h), 0);
    EXPECT_GT(canvas.count(text, textX, y + h, textX + 200, y + 2 * h), 0);
}

// ---- fonts ----

// Made for 144 DPI the text's characters are 17 pixels high and the
// legend's cell 24, both of an outline font that draws at any size (Wine
// only stretches the System font's bitmaps in height).
TEST_F(PaneGdiTest, FontsForTheDisplaysDpi) {
    HFONT textAt96 = textFont, legendAt96 = legendFont;
    screenDpi = 144;
    createFonts();
    LOGFONTA text = {};
    GetObjectA(textFont, sizeof text, &text);
    EXPECT_EQ(text.lfHeight, -17);
    SelectObject(canvas.dc(), legendFont);
    TEXTMETRICA legend = {};
    GetTextMetricsA(canvas.dc(), &legend);
    EXPECT_EQ(legend.tmHeight, 24);
    EXPECT_TRUE(legend.tmPitchAndFamily & (TMPF_TRUETYPE | TMPF_VECTOR)) << int(legend.tmPitchAndFamily);
    screenDpi = 96;
    textFont = textAt96;
    legendFont = legendAt96;
}

// ---- chart pane ----

TEST_F(PaneGdiTest, ChartForAFolderRow) {
    showSelected(&selected);
    linkHotSpotCount = 2;
    paintWhole();
    EXPECT_EQ(lastUpdate.top, paneTop);
    EXPECT_EQ(linkHotSpotCount, 0);
    EXPECT_PIXEL(canvas, 5, paneTop - 1, sentinel);
    EXPECT_PIXEL(canvas, 790, 590, GetSysColor(COLOR_BTNFACE));
    EXPECT_PIXEL(canvas, 5, paneTop, GetSysColor(COLOR_BTNFACE));
    // Box (10, 210) side 380, centre (200, 400). 0.3 green and 0.1 white
    // centred on the top: green around -72 degrees, white around -144.
    EXPECT_PIXEL(canvas, 231, 305, green);
    EXPECT_PIXEL(canvas, 119, 341, white);
    EXPECT_PIXEL(canvas, 200, 500, blue);
    EXPECT_PIXEL(canvas, 12, 212, GetSysColor(COLOR_BTNFACE));  // outside the disc

    // Legend at x 420: green, blue, white, three lines apart.
    const int h = lineHeightIn(canvas.dc());
    ChartLayout layout = computeChartLayout(clientHeight, h, 96);
    ASSERT_EQ(layout.legendX, 420);
    const COLORREF swatches[3] = {green, blue, white};
    for (int i = 0; i < 3; ++i)
        EXPECT_PIXEL(canvas, 420 + h, layout.entries[i].y + h / 2, swatches[i]);
}

// The legend's six text lines, pixel for pixel against the same texts
// drawn with TextOutA where each belongs: a count beside the wrong label,
// a wrong count or a cut 64-bit count fails.
struct LegendCase {
    const char* what;
    uint64_t filesBytes, selectedBytes, restBytes;
    const char* counts[3];  // green, blue, white
};

const LegendCase legendCases[] = {
    {"the worked example", 100, 300, 600, {"300 byte(s)", "600 byte(s)", "100 byte(s)"}},
    {"5 GiB of files", 5368709120ull, 300, 600,
     {"300 byte(s)", "600 byte(s)", "5368709120 byte(s)"}},
    {"counts past 32 bits in the folders", 100, 4294967596ull, 5368709120ull,
     {"4294967596 byte(s)", "5368709120 byte(s)", "100 byte(s)"}},
};

TEST_F(PaneGdiTest, LegendTextsBesideTheirSwatches) {
    const char* labels[3] = {"The current folder", "The rest of folders", "Files"};
    // A legend font other than the window's own: entries and lines both go
    // by it, measured once.
    HFONT legendFontShown = legendFont;
    legendFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    SelectObject(canvas.dc(), legendFont);
    const int h = lineHeightIn(canvas.dc());
    HDC windowDc = GetDC(mainWindow);
    ASSERT_NE(h, lineHeightIn(windowDc));
    ReleaseDC(mainWindow, windowDc);
    const int entryStep = 3 * h;
    const int legendX = 420, textX = legendX + 2 * h + 4;
    // Right of the swatches down to the pane's bottom: only legend text lies there.
    const int areaLeft = legendX + 2 * h;
    const COLORREF face = GetSysColor(COLOR_BTNFACE);

    for (const LegendCase& c : legendCases) {
        SCOPED_TRACE(c.what);
        listed = makeNode(nullptr, c.filesBytes, c.selectedBytes + c.restBytes);
        selected = makeNode(&listed, 0, c.selectedBytes);
        showSelected(&selected);
        canvas.fill(sentinel);
        paintWhole();

        Canvas expected{clientWidth, clientHeight};
        ASSERT_TRUE(expected.ready());
        expected.fill(face);
        SelectObject(expected.dc(), GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(expected.dc(), TRANSPARENT);
        SetTextColor(expected.dc(), GetSysColor(COLOR_BTNTEXT));
        for (int i = 0; i < 3; ++i) {
            const int y = paneTop + 10 + i * entryStep;
            TextOutA(expected.dc(), textX, y, labels[i], lstrlenA(labels[i]));
            TextOutA(expected.dc(), textX, y + h, c.counts[i], lstrlenA(c.counts[i]));
        }
        ASSERT_GT(expected.count(GetSysColor(COLOR_BTNTEXT), areaLeft, paneTop, clientWidth, clientHeight),
                  0);

        POINT first{-1, -1};
        EXPECT_EQ(canvas.differences(expected, areaLeft, paneTop, clientWidth, clientHeight, first), 0)
            << "first at (" << first.x << ", " << first.y << ")";
    }
    legendFont = legendFontShown;
}

TEST_F(PaneGdiTest, ChartForADotDotRowHasNoGreen) {
    showSelected(&dotDot);
    paintWhole();
    EXPECT_EQ(canvas.count(green, 10, 210, 390, 590), 0);
    EXPECT_PIXEL(canvas, 200, 300, white);  // 0.1 of files centred on the top
    EXPECT_PIXEL(canvas, 287, 350, blue);
    EXPECT_PIXEL(canvas, 200, 500, blue);
}

TEST_F(PaneGdiTest, UpdateInTheListsThirdPaintsNothing) {
    showSelected(&selected);
    linkHotSpotCount = 2;
    paint(RECT{0, 0, clientWidth, paneTop - 50});
    EXPECT_EQ(lastUpdate.top, paneTop);  // raised in place all the same
    EXPECT_EQ(linkHotSpotCount, 2);
    EXPECT_EQ(canvas.count(sentinel, 0, 0, clientWidth, clientHeight), clientWidth * clientHeight);

    paint(RECT{0, 0, clientWidth, paneTop});  // bottom equal to the raised top
    EXPECT_EQ(linkHotSpotCount, 2);
    EXPECT_EQ(canvas.count(sentinel, 0, 0, clientWidth, clientHeight), clientWidth * clientHeight);
}

TEST_F(PaneGdiTest, StraddlingUpdateFillsOnlyThePanePart) {
    showSelected(&selected);
    paint(RECT{600, 100, 800, 300});
    EXPECT_EQ(lastUpdate.top, paneTop);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_PIXEL(canvas, 790, paneTop - 1, sentinel);
    EXPECT_PIXEL(canvas, 790, paneTop, face);
    EXPECT_PIXEL(canvas, 790, 299, face);
    EXPECT_PIXEL(canvas, 790, 300, sentinel);
    EXPECT_PIXEL(canvas, 599, 250, sentinel);
}

// ---- information panel ----

TEST_F(PaneGdiTest, PanelWithNoSelection) {
    showNoSelection();
    linkHotSpotCount = 0;
    paintWhole();
    InfoPanelLayout layout = expectedPanelLayout();

    EXPECT_PIXEL(canvas, 5, paneTop, panelGrey);
    EXPECT_PIXEL(canvas, 795, 595, panelGrey);
    EXPECT_PIXEL(canvas, 5, paneTop - 1, sentinel);

    ASSERT_EQ(linkHotSpotCount, 2);
    expectSameArea(linkHotSpots[0].area, layout.lines[3].area);
    expectSameArea(linkHotSpots[1].area, layout.lines[4].area);
    EXPECT_EQ(linkHotSpots[0].target, infoLines[3].text);
    EXPECT_EQ(linkHotSpots[1].target, infoLines[4].text);

    for (int i = 3; i < infoLineCount; ++i) {
        SCOPED_TRACE(i);
        const InfoLinePlace& line = layout.lines[i];
        ASSERT_GT(line.width, 10);
        // A blue underline across the text, its end point left undrawn.
        EXPECT_PIXEL(canvas, line.x, line.underlineY, blue);
        EXPECT_PIXEL(canvas, line.x + line.width / 2, line.underlineY, blue);
        EXPECT_PIXEL(canvas, line.x + line.width - 1, line.underlineY, blue);
        EXPECT_PIXEL(canvas, line.x + line.width, line.underlineY, panelGrey);
        EXPECT_PIXEL(canvas, line.x - 1, line.underlineY, panelGrey);
        EXPECT_GT(canvas.count(blue, line.x, line.y, line.x + line.width, line.underlineY), 0);
        EXPECT_EQ(canvas.count(black, line.x, line.y, line.x + line.width, line.underlineY + 1), 0);
    }
    // Title and rights line in black, with no underline.
    for (int i : {0, 2}) {
        const InfoLinePlace& line = layout.lines[i];
        EXPECT_GT(canvas.count(black, line.x, line.y, line.x + line.width, line.underlineY), 0);
        EXPECT_EQ(canvas.count(blue, 0, line.y, clientWidth, line.underlineY + 1), 0);
    }
    // The empty line keeps its slot, and nothing is drawn there.
    const InfoLinePlace& empty = layout.lines[1];
    EXPECT_EQ(empty.y, layout.lines[0].y + (layout.lines[2].y - layout.lines[0].y) / 2);
    EXPECT_EQ(canvas.count(panelGrey, 0, empty.y, clientWidth, empty.underlineY),
              clientWidth * (empty.underlineY - empty.y));
    EXPECT_TRUE(panelBrush);
    EXPECT_TRUE(linkPen);
}

TEST_F(PaneGdiTest, PanelForADriveRow) {
    showSelected(&drive);
    linkHotSpotCount = 0;
    paintWhole();
    EXPECT_PIXEL(canvas, 5, paneTop, panelGrey);
    EXPECT_EQ(canvas.count(green, 0, paneTop, clientWidth, clientHeight), 0);
    EXPECT_EQ(linkHotSpotCount, 2);
}

TEST_F(PaneGdiTest, SmallUpdateStillRebuildsBothHotSpots) {
    showNoSelection();
    linkHotSpotCount = 0;
    paint(RECT{0, 590, 10, 600});
    InfoPanelLayout layout = expectedPanelLayout();
    ASSERT_EQ(linkHotSpotCount, 2);
    expectSameArea(linkHotSpots[0].area, layout.lines[3].area);
    expectSameArea(linkHotSpots[1].area, layout.lines[4].area);
    EXPECT_PIXEL(canvas, 5, 595, panelGrey);
    EXPECT_PIXEL(canvas, 10, 595, sentinel);
    EXPECT_PIXEL(canvas, 5, 589, sentinel);
}

TEST_F(PaneGdiTest, ChartAfterPanelKillsTheLinks) {
    showNoSelection();
    paintWhole();
    ASSERT_EQ(linkHotSpotCount, 2);
    showSelected(&selected);
    paintWhole();
    EXPECT_EQ(linkHotSpotCount, 0);
    EXPECT_PIXEL(canvas, 795, 595, GetSysColor(COLOR_BTNFACE));
    EXPECT_PIXEL(canvas, 231, 305, green);
}

TEST_F(PaneGdiTest, HandCursorOnlyOverALinkLine) {
    showNoSelection();
    paintWhole();
    ASSERT_EQ(linkHotSpotCount, 2);
    // The test program carries Quorvel's resources: this is cursor 102, the
    // hand whose hot spot is at its finger tip.
    HCURSOR hand = LoadCursorA(appInstance, MAKEINTRESOURCEA(LINK_CURSOR));
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    ASSERT_NE(nullptr, hand);
    ASSERT_NE(hand, arrow);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(hand, &info));
    DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    EXPECT_EQ(6u, info.xHotspot);
    EXPECT_EQ(2u, info.yHotspot);
    const PixelRect area = linkHotSpots[0].area;

    SetCursor(arrow);
    updateLinkCursor(area.left, area.bottom - 1);  // the underline row
    EXPECT_EQ(GetCursor(), hand);
    updateLinkCursor(area.right, area.bottom - 1);
    EXPECT_EQ(GetCursor(), arrow);
    updateLinkCursor(area.right - 1, area.top);
    EXPECT_EQ(GetCursor(), hand);
    updateLinkCursor(area.left, area.bottom);
    EXPECT_EQ(GetCursor(), arrow);

    linkHotSpotCount = 0;  // as the chart leaves it
    updateLinkCursor(area.left, area.top);
    EXPECT_EQ(GetCursor(), arrow);
    openLinkAt(area.left, area.top);  // dead: nothing is opened
}

}  // namespace

// ---- reading progress ----

// The counts and a path far wider than the pane, its head and tail in other
// scripts and beyond the 16-bit plane, against the same texts drawn with
// TextOutW where each belongs, the path cut where cutInMiddle cuts it by
// each character's own width in the default GUI font (a surrogate pair
// measured whole): the wrong font, place, ground, text or cut fails.
TEST_F(PaneGdiTest, ReadingProgressCountsAndPathCutInTheMiddle) {
    const std::string path = "Q:\\\xF0\x9F\x98\x80\xD0\xB4" + std::string(200, 'n') + "\\\xD0\xBF\xF0\x9F\x98\x80";
    const std::wstring widePath = L"Q:\\\U0001F600\u0434" + std::wstring(200, L'n') + L"\\\u043F\U0001F600";
    linkHotSpotCount = 2;
    RECT update{0, 0, clientWidth, clientHeight};
    ShownReading reading{ScanProgress{12, 345, 5368709120ull, nullptr, false, false}, path.c_str()};
    paintPane(canvas.dc(), update, mainWindow, &reading);
    EXPECT_EQ(update.top, paneTop);
    EXPECT_EQ(linkHotSpotCount, 0);

    Canvas expected{clientWidth, clientHeight};
    ASSERT_TRUE(expected.ready());
    HDC dc = expected.dc();
    RECT pane{0, paneTop, clientWidth, clientHeight};
    FillRect(dc, &pane, panelGroundBrush());
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    std::vector<int32_t> widths;
    for (size_t i = 0; i < widePath.size(); ++i) {
        bool pair = widePath[i] >= 0xD800 && widePath[i] < 0xDC00;
        SIZE size{};
        GetTextExtentPoint32W(dc, &widePath[i], pair ? 2 : 1, &size);
        widths.push_back(size.cx);
        if (pair) widths.push_back(0), ++i;
    }
    SIZE dots{};
    GetTextExtentPoint32W(dc, L"...", 3, &dots);
    MiddleCut cut = cutInMiddle(widePath.data(), widePath.size(), widths.data(), dots.cx, clientWidth - 20);
    ASSERT_TRUE(cut.cut);
    ASSERT_GE(cut.headLength, 6u);  // "Q:\", the pair, the Cyrillic letter
    ASSERT_LE(cut.tailStart, widePath.size() - 4);
    // A look repaints the counts and the path, measured in the same font.
    RECT band = changingReadingLines(mainWindow);
    EXPECT_EQ(band.top, paneTop + 10 + metrics.tmHeight);
    EXPECT_EQ(band.bottom, paneTop + 10 + 5 * metrics.tmHeight);
    EXPECT_EQ(band.right, clientWidth);
    // The heading says whether the file table or the folders are read, and
    // why the folders are where an administrator would read the table.
    struct Heading {
        bool fromTable, tableNeedsAdministrator;
        const wchar_t* text;
    };
    for (Heading heading :
         {Heading{false, false, L"Reading the drive (Esc stops)"},
          Heading{true, false, L"Reading the file table (Esc stops)"},
          Heading{false, true, L"Reading folder by folder: run as administrator to read the file table (Esc stops)"}}) {
        RECT again{0, 0, clientWidth, clientHeight};
        reading.counts = ScanProgress{12, 345, 5368709120ull, nullptr, heading.fromTable, heading.tableNeedsAdministrator};
        paintPane(canvas.dc(), again, mainWindow, &reading);
        FillRect(dc, &pane, panelGroundBrush());
        const std::wstring lines[progressLineCount] = {
            heading.text, L"12 folder(s)", L"345 file(s)", L"5368709120 byte(s)",
            widePath.substr(0, cut.headLength) + L"..." + widePath.substr(cut.tailStart)};
        for (int i = 0; i < progressLineCount; ++i)
            TextOutW(dc, 10, paneTop + 10 + i * metrics.tmHeight, lines[i].data(), static_cast<int>(lines[i].size()));
        POINT first{-1, -1};
        EXPECT_EQ(canvas.differences(expected, 0, 0, clientWidth, clientHeight, first), 0)
            << "first at (" << first.x << ", " << first.y << ")";
    }
}
