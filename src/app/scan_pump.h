// The window while a drive is read on the program's only thread: the walk
// asks after every folder whether to go on, and at most every look interval
// the answer pumps the message queue, so the window paints (the pane shows
// the progress), the close box and Esc work, and Windows never takes the
// program for hung. Input meant for the list or the pane is dropped.
#pragma once

#include "pane/progress_layout.h"

#include <windows.h>

// The answer to DrivePrompt::keepReading: a clock check, and every
// scanLookInterval milliseconds (at the first folder at once) the progress
// shown and the queue pumped. False once Esc was pressed or the window
// closed.
bool keepReadingAndPump(const ScanProgress& progress);

// What the pane shows of the reading, as of the last look, or null when no
// drive is being read: copies, which stay valid (and shown behind a
// message box) when the walk and its tree are gone.
const ShownReading* shownReading();

// After an activation that may have read a drive, once the list shows what
// it leads to: the pane goes back to the chart or the panel, input that came
// after the last look is dropped too, and a quit asked for meanwhile is
// posted again for the message loop.
void endScanPump();

// Milliseconds between two looks at the queue: a paint or a key waits at
// most this and one folder's listing, within the 100 ms they may wait. A
// look with its paint costs about a millisecond under Wine, so looking more
// often would cost more than the 2 % of the walk it may.
const DWORD scanLookInterval = 90;
