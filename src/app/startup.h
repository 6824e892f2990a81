// The program's start: palette, window class, windows, drive rows, message loop.
#pragma once

#include <windows.h>

// The whole run: every start-up step in order, then the message loop.
// Returns the quit message's code; a failed step ends the process instead.
int runQuorvel(HINSTANCE instance);

// Steps of the start-up, each usable on its own by test programs (which have
// no row-image bitmap). Those that can fail answer false where the start-up
// would stop.
// The display's DPI into screenDpi, before anything is sized by it.
void readScreenDpi();
void createPalette();
bool registerMainWindowClass();
bool createMainWindow(int screenWidth, int screenHeight);
bool createFolderList();
bool attachRowImages();
void addDriveRows();
int runMessageLoop();

// "The internal error", task-modal, then exit code 0xFFFFFFFF.
[[noreturn]] void internalErrorExit();
