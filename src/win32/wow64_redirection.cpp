#include "win32/wow64_redirection.h"

#include "win32/system_call.h"

void turnRedirectionOff(Wow64Redirection& redirection) {
    if (!redirection.lookedUp) {
        redirection.disable =
            systemCall<decltype(redirection.disable)>("kernel32.dll", "Wow64DisableWow64FsRedirection");
        redirection.revert = systemCall<decltype(redirection.revert)>("kernel32.dll", "Wow64RevertWow64FsRedirection");
        redirection.lookedUp = true;
    }
    redirection.off = redirection.disable && redirection.revert && redirection.disable(&redirection.before);
}

void turnRedirectionBackOn(Wow64Redirection& redirection) {
    if (redirection.off) redirection.revert(redirection.before);
    redirection.off = false;
}
