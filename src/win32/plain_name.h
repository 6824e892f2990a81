// Whether a listed folder name means the same folder when handed to the
// system's path calls. Names written by other systems may not: Windows path
// rules rewrite them on the way in.
#pragma once

// False for a name that a path call would take to somewhere else or refuse:
// "." and "..", a device name (CON, PRN, AUX, NUL, COM0-9, LPT0-9, CONIN$,
// CONOUT$, with or without an extension), a trailing dot or space, a control
// character or one of < > : " / \ | ? * (a '?' is also what the code page
// leaves of a character it cannot hold).
bool isPlainWin32Name(const char* name);
