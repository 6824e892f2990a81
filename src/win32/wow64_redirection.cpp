#include "win32/wow64_redirection.h"

#include <windows.h>

namespace {

using DisableCall = BOOL(WINAPI*)(void** before);
using RevertCall = BOOL(WINAPI*)(void* before);

template <typename Call>
Call kernel32Call(const char* name) {
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    FARPROC call = kernel32 ? GetProcAddress(kernel32, name) : nullptr;
    return reinterpret_cast<Call>(reinterpret_cast<void (*)()>(call));
}

}  // namespace

void turnRedirectionOff(Wow64Redirection& redirection) {
    DisableCall disable = kernel32Call<DisableCall>("Wow64DisableWow64FsRedirection");
    redirection.off = disable && disable(&redirection.before);
}

void turnRedirectionBackOn(Wow64Redirection& redirection) {
    RevertCall revert = kernel32Call<RevertCall>("Wow64RevertWow64FsRedirection");
    if (redirection.off && revert) revert(redirection.before);
    redirection.off = false;
}
