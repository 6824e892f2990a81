// The wait cursor for as long as a drive is read, and the arrow again after
// it, however the reading ends.
#pragma once

#include <windows.h>

struct WaitCursor {
    WaitCursor() { SetCursor(LoadCursorA(nullptr, IDC_WAIT)); }
    ~WaitCursor() { SetCursor(LoadCursorA(nullptr, IDC_ARROW)); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};
