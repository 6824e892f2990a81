// Where the main window and the list go, in plain integers so that the
// arithmetic can be checked without a screen.
#pragma once

struct WindowPlacement {
    int left;
    int top;
    int width;
    int height;
};

// Six eighths of the screen, centred; each division drops its remainder
// before the multiplication (1366 wide gives 1020, not 1024).
inline WindowPlacement mainWindowPlacement(int screenWidth, int screenHeight) {
    int eighthWidth = screenWidth / 8;
    int eighthHeight = screenHeight / 8;
    return WindowPlacement{eighthWidth, eighthHeight, eighthWidth * 6, eighthHeight * 6};
}
