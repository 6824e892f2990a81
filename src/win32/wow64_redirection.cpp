#include "win32/wow64_redirection.h"

#include <windows.h>

namespace {

template <typename Call>
Call kernel32Call(const char* name) {
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    FARPROC call = kernel32 ? GetProcAddress(kernel32, name) : nullptr;
    return reinterpret_cast<Call>(reinterpret_cast<void (*)()>(call));
}

}  // namespace

void turnRedirectionOff(Wow64Redirection& redirection) {
    if (!redirection.lookedUp) {
        redirection.disable = kernel32Call<decltype(redirection.disable)>("Wow64DisableWow64FsRedirection");
        redirection.revert = kernel32Call<decltype(redirection.revert)>("Wow64RevertWow64FsRedirection");
        redirection.lookedUp = true;
    }
    redirection.off = redirection.disable && redirection.revert && redirection.disable(&redirection.before);
}

void turnRedirectionBackOn(Wow64Redirection& redirection) {
    if (redirection.off) redirection.revert(redirection.before);
    redirection.off = false;
}
