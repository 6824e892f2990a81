#include "ui/globals.h"

HINSTANCE appInstance = nullptr;
HWND mainWindow = nullptr;
HWND folderList = nullptr;
HBRUSH paletteGreen = nullptr;
HBRUSH paletteWhite = nullptr;
HBRUSH paletteBlue = nullptr;
HPEN outlinePen = nullptr;
