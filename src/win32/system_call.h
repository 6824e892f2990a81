// Calls of the system's own DLLs looked up at run time: older systems lack
// them, and a program that imported them would not start there.
#pragma once

#include <windows.h>

// The call `name` of the loaded DLL `module`; null where either is missing.
template <typename Call>
Call systemCall(const char* module, const char* name) {
    HMODULE loaded = GetModuleHandleA(module);
    FARPROC call = loaded ? GetProcAddress(loaded, name) : nullptr;
    return reinterpret_cast<Call>(reinterpret_cast<void (*)()>(call));
}
