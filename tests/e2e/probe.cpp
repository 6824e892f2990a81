// Reads facts about a running Quorvel for the end-to-end script. Run it with
// wine in the same prefix while Quorvel.exe is up:
//   probe window       "rect L T W H", "client L T W H" (screen pixels),
//                      "title TEXT" and "minimised 0|1" of the main window
//   probe rows         "count N", "mark M", then one line per row:
//                      row<TAB>index<TAB>image<TAB>state (hex)<TAB>label
//                      (the label as the list holds it in UTF-16, as UTF-8)
//   probe rowrect N    left top width height of row N (screen pixels)
//   probe iconrect N   the same for the image part of row N
//   probe box          the message box captioned "Quorvel 1.0": "text TEXT",
//                      then "button TEXT" for each of its buttons
//   probe button TEXT  the centre "X Y" of that button of the box (screen pixels)
//   probe boxid        a number that names the box now up: a box that
//                      closed and opened again gives another
//   probe listcolour RRGGBB  sets the list's background colour (a colour
//                      scheme whose window colour is not white) and repaints
//   probe painted      exit code 0 when neither the main window nor its list
//                      has a part still waiting to be painted
//   probe running EXE  exit code 0 while a process of that file name runs
//                      (in this prefix), 1 when none does
//   probe focus        "list" when the list has the keyboard focus of
//                      Quorvel's thread, else "other CLASS"
//   probe minimise     asks the main window to minimise and probe restore to
//   probe restore      come back, as its title-bar buttons do (WM_SYSCOMMAND)
// Exit code 0; 1 when the window, row or box is not there; 2 on a wrong command.
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

HWND findMainWindow() {
    return FindWindowA("Wind", "Quorvel 1.0");
}

HWND findList(HWND main) {
    return main ? FindWindowExA(main, nullptr, WC_LISTVIEWA, nullptr) : nullptr;
}

// A block of memory inside the list's process: list-view messages carry
// pointers that are used as they are, not copied across processes.
struct RemoteBlock {
    HANDLE process = nullptr;
    char* address = nullptr;
    // Where the wineserver's reads and writes land relative to the target's
    // own addresses: 0 natively; under qemu-user, whose guest memory sits
    // at the host address plus its guest base, the wineserver (a host
    // process) needs the guest base added.
    SIZE_T hostOffset = 0;
    static const SIZE_T size = 4096;

    bool open(HWND window) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
        if (!process) return false;
        if (!findHostOffset(window)) return false;
        address = static_cast<char*>(
            VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        return address != nullptr;
    }

    // The target's module header ("MZ", then "PE" where it points) is looked
    // for at its own address plus each page offset in turn.
    bool findHostOffset(HWND window) {
        char* image = reinterpret_cast<char*>(GetWindowLongPtrA(GetAncestor(window, GA_ROOT), GWLP_HINSTANCE));
        if (!image) return false;
        for (SIZE_T offset = 0; offset <= 0x100000; offset += 0x1000) {
            IMAGE_DOS_HEADER dos = {};
            DWORD signature = 0;
            if (!ReadProcessMemory(process, image + offset, &dos, sizeof dos, nullptr)) continue;
            if (dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew <= 0 || dos.e_lfanew > 4096) continue;
            if (!ReadProcessMemory(process, image + offset + dos.e_lfanew, &signature, sizeof signature, nullptr))
                continue;
            if (signature != IMAGE_NT_SIGNATURE) continue;
            hostOffset = offset;
            return true;
        }
        return false;
    }

    bool write(SIZE_T offset, const void* data, SIZE_T length) {
        return WriteProcessMemory(process, address + hostOffset + offset, data, length, nullptr) != 0;
    }

    bool read(SIZE_T offset, void* data, SIZE_T length) {
        return ReadProcessMemory(process, address + hostOffset + offset, data, length, nullptr) != 0;
    }

    ~RemoteBlock() {
        if (address) VirtualFreeEx(process, address, 0, MEM_RELEASE);
        if (process) CloseHandle(process);
    }
};

int saysNo(const char* what) {
    std::printf("no %s\n", what);
    return 1;
}

void printRect(const char* what, const RECT& rect) {
    if (what) std::printf("%s ", what);
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

int probeWindow() {
    HWND main = findMainWindow();
    if (!main) {
        std::printf("no window\n");
        return 1;
    }
    RECT rect;
    GetWindowRect(main, &rect);
    printRect("rect", rect);
    RECT client;
    GetClientRect(main, &client);
    MapWindowPoints(main, nullptr, reinterpret_cast<POINT*>(&client), 2);
    printRect("client", client);
    char title[256] = {};
    GetWindowTextA(main, title, sizeof title);
    std::printf("title %s\n", title);
    std::printf("minimised %d\n", IsIconic(main) ? 1 : 0);
    return 0;
}

int postSystemCommand(WPARAM command) {
    HWND main = findMainWindow();
    if (!main) return saysNo("window");
    return PostMessageA(main, WM_SYSCOMMAND, command, 0) ? 0 : 1;
}

int probeRows() {
    HWND list = findList(findMainWindow());
    if (!list) return saysNo("list");
    int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    int mark = static_cast<int>(SendMessageA(list, LVM_GETSELECTIONMARK, 0, 0));
    std::printf("count %d\nmark %d\n", count, mark);
    RemoteBlock remote;
    if (!remote.open(list)) {
        std::printf("cannot reach the list's process\n");
        return 1;
    }
    const SIZE_T textOffset = 256;
    const int textSize = static_cast<int>(RemoteBlock::size - textOffset);
    const int textUnits = textSize / static_cast<int>(sizeof(WCHAR));
    for (int i = 0; i < count; ++i) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
        item.iItem = i;
        item.stateMask = 0xFFFFFFFF;
        item.pszText = reinterpret_cast<WCHAR*>(remote.address + textOffset);
        item.cchTextMax = textUnits;
        WCHAR text[RemoteBlock::size / sizeof(WCHAR)] = {};
        if (!remote.write(0, &item, sizeof item) || !remote.write(textOffset, L"", sizeof(WCHAR))) return 1;
        SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.address));
        if (!remote.read(0, &item, sizeof item) || !remote.read(textOffset, text, textSize)) return 1;
        text[textUnits - 1] = 0;
        // The label as the list holds it, in UTF-8 by the system's own conversion.
        char label[3 * RemoteBlock::size] = {};
        WideCharToMultiByte(CP_UTF8, 0, text, -1, label, sizeof label, nullptr, nullptr);
        std::printf("row\t%d\t%d\t0x%x\t%s\n", i, item.iImage, item.state, label);
    }
    return 0;
}

int probeRowRect(int row, int part) {
    HWND list = findList(findMainWindow());
    if (!list) return saysNo("list");
    RemoteBlock remote;
    if (!remote.open(list)) {
        std::printf("cannot reach the list's process\n");
        return 1;
    }
    RECT rect = {};
    rect.left = part;
    if (!remote.write(0, &rect, sizeof rect)) return 1;
    if (!SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(remote.address))) {
        std::printf("no row %d\n", row);
        return 1;
    }
    if (!remote.read(0, &rect, sizeof rect)) return 1;
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    printRect(nullptr, rect);
    return 0;
}

BOOL CALLBACK printBoxChild(HWND child, LPARAM) {
    char className[64] = {};
    char text[512] = {};
    GetClassNameA(child, className, sizeof className);
    GetWindowTextA(child, text, sizeof text);
    if (lstrcmpiA(className, "Button") == 0) {
        std::printf("button %s\n", text);
    } else if (lstrcmpiA(className, "Static") == 0 && text[0]) {
        std::printf("text %s\n", text);
    }
    return TRUE;
}

int probeBox() {
    HWND box = FindWindowA("#32770", "Quorvel 1.0");
    if (!box) {
        std::printf("no box\n");
        return 1;
    }
    EnumChildWindows(box, printBoxChild, 0);
    return 0;
}

int probePainted() {
    HWND main = findMainWindow();
    HWND list = findList(main);
    if (!list) return saysNo("list");
    if (GetUpdateRect(main, nullptr, FALSE) || GetUpdateRect(list, nullptr, FALSE)) {
        std::printf("pending\n");
        return 1;
    }
    std::printf("painted\n");
    return 0;
}

int probeRunning(const char* exe) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 2;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    bool running = false;
    for (BOOL more = Process32First(snapshot, &entry); more && !running; more = Process32Next(snapshot, &entry))
        running = lstrcmpiA(entry.szExeFile, exe) == 0;
    CloseHandle(snapshot);
    std::printf("%s\n", running ? "running" : "not running");
    return running ? 0 : 1;
}

int probeBoxId() {
    HWND box = FindWindowA("#32770", "Quorvel 1.0");
    if (!box) return saysNo("box");
    std::printf("%lu\n", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(box)));
    return 0;
}

int probeListColour(const char* hex) {
    HWND list = findList(findMainWindow());
    if (!list) return saysNo("list");
    unsigned long rgb = std::strtoul(hex, nullptr, 16);
    COLORREF colour = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    if (!SendMessageA(list, LVM_SETBKCOLOR, 0, colour)) return 1;
    return InvalidateRect(list, nullptr, TRUE) ? 0 : 1;
}

struct ButtonSearch {
    const char* text;
    HWND found;
};

BOOL CALLBACK findBoxButton(HWND child, LPARAM param) {
    ButtonSearch* search = reinterpret_cast<ButtonSearch*>(param);
    char className[64] = {};
    char text[512] = {};
    GetClassNameA(child, className, sizeof className);
    GetWindowTextA(child, text, sizeof text);
    if (lstrcmpiA(className, "Button") == 0 && std::strcmp(text, search->text) == 0) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}

int probeButton(const char* text) {
    HWND box = FindWindowA("#32770", "Quorvel 1.0");
    ButtonSearch search = {text, nullptr};
    if (box) EnumChildWindows(box, findBoxButton, reinterpret_cast<LPARAM>(&search));
    if (!search.found) {
        std::printf("no button %s\n", text);
        return 1;
    }
    RECT rect;
    GetWindowRect(search.found, &rect);
    std::printf("%ld %ld\n", (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    return 0;
}

int probeFocus() {
    HWND list = findList(findMainWindow());
    if (!list) return saysNo("list");
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(list, nullptr), &info)) {
        std::printf("no thread info\n");
        return 1;
    }
    if (info.hwndFocus == list) {
        std::printf("list\n");
        return 0;
    }
    char className[64] = "none";
    if (info.hwndFocus) GetClassNameA(info.hwndFocus, className, sizeof className);
    std::printf("other %s\n", className);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "window") == 0) return probeWindow();
    if (argc == 2 && std::strcmp(argv[1], "rows") == 0) return probeRows();
    if (argc == 2 && std::strcmp(argv[1], "box") == 0) return probeBox();
    if (argc == 2 && std::strcmp(argv[1], "boxid") == 0) return probeBoxId();
    if (argc == 2 && std::strcmp(argv[1], "painted") == 0) return probePainted();
    if (argc == 2 && std::strcmp(argv[1], "focus") == 0) return probeFocus();
    if (argc == 3 && std::strcmp(argv[1], "listcolour") == 0) return probeListColour(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "running") == 0) return probeRunning(argv[2]);
    if (argc == 2 && std::strcmp(argv[1], "minimise") == 0) return postSystemCommand(SC_MINIMIZE);
    if (argc == 2 && std::strcmp(argv[1], "restore") == 0) return postSystemCommand(SC_RESTORE);
    if (argc == 3 && std::strcmp(argv[1], "button") == 0) return probeButton(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "rowrect") == 0) return probeRowRect(std::atoi(argv[2]), LVIR_BOUNDS);
    if (argc == 3 && std::strcmp(argv[1], "iconrect") == 0) return probeRowRect(std::atoi(argv[2]), LVIR_ICON);
    std::fprintf(stderr, "usage: probe window | rows | rowrect N | iconrect N | box | boxid | button TEXT"
                         " | listcolour RRGGBB | painted | running EXE | focus"
                         " | minimise | restore\n");
    return 2;
}
