// On 64-bit Windows a 32-bit program runs under WoW64, and the system shows
// it System32 with SysWOW64's contents (the walk by folder handles as well
// as the listing calls): a drive read so misses what only the 64-bit
// System32 holds. A reading of a drive turns that redirection off on its
// thread and back on when it ends, and nothing else runs with it off: the
// loader and the shell need it, as with it off the DLLs they load come
// from the 64-bit System32. The user is asked and the window painted with
// it on, so it goes off and on again around every look at the window.
#pragma once

// The thread's redirection, as one reading of a drive found it, and
// kernel32's two calls for it, looked up at the first reading.
struct Wow64Redirection {
    int(__stdcall* disable)(void** before);
    int(__stdcall* revert)(void* before);
    bool lookedUp;
    void* before;  // what turning it off gave, to put it back with
    bool off;      // turned off by this reading, and not back on yet
};

// Turns the redirection off on this thread. Nothing happens where the
// system has none: kernel32's calls are looked up at run time, as 32-bit
// Windows XP, 2000 and 9x lack them (and 32-bit Windows that has them
// refuses).
void turnRedirectionOff(Wow64Redirection& redirection);

// Puts the redirection back as turnRedirectionOff found it.
void turnRedirectionBackOn(Wow64Redirection& redirection);
