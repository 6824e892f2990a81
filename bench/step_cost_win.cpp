// step-cost X:\ : what one call of each kind costs on this system, averaged
// over many repetitions in the drive's first subfolder: the current-directory
// steps, an open, and a listing read with FindFirstFileA or through the
// folder's own handle, and the handle walk's open of a folder relative to
// its parent's handle (NtOpenFile) with its close: the parts that a walk's
// time is made of. Also what turning one listed name into the tree's UTF-8
// costs, against turning it into the code page as the walk did before.
//   step-cost Q:\    prints one line per kind of step, in microseconds
#include "win32/nt_records.h"
#include "win32/system_call.h"
#include "win32/utf8_text.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

namespace {

const int repetitions = 4000;

double secondsNow() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <typename Step>
void report(const char* what, Step step) {
    double start = secondsNow();
    for (int i = 0; i < repetitions; ++i) step();
    std::printf("%-44s %8.1f us\n", what, (secondsNow() - start) / repetitions * 1e6);
}

bool firstSubfolder(char* name, size_t size) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("*.*", &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    bool seen = false;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && std::strcmp(found.cFileName, ".") &&
            std::strcmp(found.cFileName, "..") && std::strlen(found.cFileName) < size) {
            std::strcpy(name, found.cFileName);
            seen = true;
        }
    } while (!seen && FindNextFileA(search, &found));
    FindClose(search);
    return seen;
}


// Opens `name` (wide) below `parent` as the handle walk does; closes it.
void openRelativeAndClose(HANDLE parent, const wchar_t* name) {
    static NtOpenFileCall open = systemCall<NtOpenFileCall>("ntdll.dll", "NtOpenFile");
    NtName objectName = {static_cast<USHORT>(wcslen(name) * 2), static_cast<USHORT>(wcslen(name) * 2), name};
    NtObjectAttributes attributes = {sizeof attributes, parent, &objectName, 0, nullptr, nullptr};
    NtIoStatus io = {};
    HANDLE folder = nullptr;
    if (open(&folder, FILE_LIST_DIRECTORY | FILE_TRAVERSE | SYNCHRONIZE, &attributes, &io, 7, 0x4021) >= 0)
        CloseHandle(folder);
}

}  // namespace

int main(int argc, char** argv) {
    char folder[MAX_PATH];
    if (argc != 2 || !SetCurrentDirectoryA(argv[1]) || !firstSubfolder(folder, sizeof folder)) {
        std::fprintf(stderr, "usage: step-cost X:\\   (a drive with a subfolder)\n");
        return 2;
    }
    report("SetCurrentDirectoryA in and \"..\" out (pair)", [&] {
        SetCurrentDirectoryA(folder);
        SetCurrentDirectoryA("..");
    });
    report("CreateFileA + CloseHandle on the folder", [&] {
        CloseHandle(CreateFileA(folder, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    });
    report("GetFileAttributesA on the folder", [&] { GetFileAttributesA(folder); });
    HANDLE root = CreateFileA(".", FILE_LIST_DIRECTORY | FILE_TRAVERSE | SYNCHRONIZE, 7, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, folder, -1, wide, MAX_PATH);
    report("NtOpenFile from the parent's handle + close", [&] { openRelativeAndClose(root, wide); });
    CloseHandle(root);
    // A hundred conversions a step: one alone is below the clock's grain.
    const wchar_t* const names[] = {wide, L"\u043f\u0430\u043f\u043a\u0430 \u03c6\u03ac\u03ba\u03b5\u03bb\u03bf\u03c2"};
    const char* const which[] = {"the folder's", "a Cyrillic-Greek"};
    volatile char sink = 0;
    for (int n = 0; n < 2; ++n) {
        const wchar_t* name = names[n];
        size_t units = wcslen(name);
        char out[1024];
        char what[64];
        std::snprintf(what, sizeof what, "%s name to UTF-8, x100", which[n]);
        report(what, [&] {
            for (int k = 0; k < 100; ++k) sink = sink + utf16ToUtf8(name, units, out, sizeof out);
        });
        std::snprintf(what, sizeof what, "%s name to the code page, x100", which[n]);
        report(what, [&] {
            for (int k = 0; k < 100; ++k)
                sink = sink + WideCharToMultiByte(CP_ACP, 0, name, static_cast<int>(units), out, sizeof out,
                                                  nullptr, nullptr);
        });
    }
    SetCurrentDirectoryA(folder);
    report("listing of the folder (FindFirstFileA ...)", [] {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA("*.*", &found);
        if (search == INVALID_HANDLE_VALUE) return;
        while (FindNextFileA(search, &found)) {}
        FindClose(search);
    });
    report("listing through the folder's handle", [] {
        static char batch[16384];
        HANDLE folder = CreateFileA(".", FILE_LIST_DIRECTORY | FILE_TRAVERSE | SYNCHRONIZE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (folder == INVALID_HANDLE_VALUE) return;
        while (GetFileInformationByHandleEx(folder, FileIdBothDirectoryInfo, batch, sizeof batch)) {}
        CloseHandle(folder);
    });
    SetCurrentDirectoryA("C:\\");
    return 0;
}
