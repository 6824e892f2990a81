#include "ui/globals.h"

#include "ui/dpi_scale.h"

HINSTANCE appInstance = nullptr;
HWND mainWindow = nullptr;
HWND folderList = nullptr;
HBRUSH paletteGreen = nullptr;
HBRUSH paletteWhite = nullptr;
HBRUSH paletteBlue = nullptr;
HPEN outlinePen = nullptr;
int screenDpi = baseDpi;
HFONT textFont = nullptr;
HFONT legendFont = nullptr;

namespace {

// At 96 DPI the default GUI font's characters are 11 pixels high (8
// points), the System font's cell 16.
const int textFontPixels = 11;
const int legendCellPixels = 16;

}  // namespace

void createFonts() {
    // The default GUI font's face and style, at its size for screenDpi
    // (a negative height is the characters' em height, without leading).
    LOGFONTA font;
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    font.lfHeight = -scaledPixels(textFontPixels, screenDpi);
    textFont = CreateFontIndirectA(&font);
    // At 96 DPI the legend keeps the window DC's own font, as it always
    // was; elsewhere the same face as the text with the System font's cell
    // height scaled (a positive height is the whole cell).
    if (screenDpi == baseDpi) {
        legendFont = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    } else {
        font.lfHeight = scaledPixels(legendCellPixels, screenDpi);
        legendFont = CreateFontIndirectA(&font);
    }
}
