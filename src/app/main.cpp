// Where the process starts. Quorvel.exe is linked without the C runtime's
// start-up (cmake/quorvel.ld): the loader has bound msvcrt.dll and the
// other DLLs, which set themselves up; the program's globals are constants
// or zeros from the file, with no initialiser to run.
#include "app/startup.h"

extern "C" [[noreturn]] void quorvelStart() {
    // The command line and the start-up show flag are not read; the exit
    // code is the quit message's (a failed start-up has ended the process).
    ExitProcess(static_cast<UINT>(runQuorvel(GetModuleHandleA(nullptr))));
}
