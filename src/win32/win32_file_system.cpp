#include "win32/win32_file_system.h"

#include "win32/plain_name.h"

#include <windows.h>

#include <cstring>

namespace {

// The longest current directory Windows accepts, counting its trailing
// backslash and the terminating zero.
const size_t currentDirectoryLimit = MAX_PATH;

// GetFileInformationByHandleEx, looked up at run time: systems before Vista
// do not have it.
using ReadEntriesCall = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);

ReadEntriesCall findReadEntries() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    FARPROC call = kernel ? GetProcAddress(kernel, "GetFileInformationByHandleEx") : nullptr;
    return reinterpret_cast<ReadEntriesCall>(reinterpret_cast<void (*)()>(call));
}

class Win32FileSystem final : public FileSystem {
public:
    uint32_t logicalDrives() override { return GetLogicalDrives(); }

    unsigned driveType(const char* rootPath) override { return GetDriveTypeA(rootPath); }

    void readVolumeLabel(const char* rootPath, char* label, unsigned size) override {
        // A failed query must not leave half a label behind.
        if (!GetVolumeInformationA(rootPath, label, size, nullptr, nullptr, nullptr, nullptr, 0))
            label[0] = 0;
    }

    // The walk's steps are relative, but this side keeps the whole path it
    // expects to be in, so that every step can be checked in process
    // (GetCurrentDirectoryA does not go to the wineserver) and a name that
    // the path rules rewrite cannot take the walk somewhere else unseen.
    bool changeFolder(const char* path) override {
        if (isRootPath(path)) return enterRoot(path);
        if (pathLength == 0) return false;
        if (std::strcmp(path, "..") == 0) return stepUp();
        return stepDown(path);
    }

    // "..\..\name" in one call: the target is known, so it gets the same
    // checks as the single steps, and every case those would treat apart (a
    // name to refuse, a path too long, a step that leads elsewhere) is left
    // to them.
    bool changeFolderUp(int levelsUp, const char* name) override {
        return levelsUp >= 1 && move(levelsUp, name);
    }

    // The folder is opened with the rights to list it and to make it
    // current, so that a listing from here also tells that a step into the
    // folder would be taken; its entries are read through that handle, which
    // steps taken meanwhile do not move. Where the system cannot read a
    // listing through a handle, the walk steps in and lists from there.
    bool openListingOf(int levelsUp, const char* name, FolderEntry& entry) override {
        char path[MAX_PATH];
        size_t length;
        if (!name || !readEntries || !relativePath(levelsUp, name, "", path, length)) return false;
        // From the heap, once: an array in the object would be stored in the program file.
        if (!batch && !(batch = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, batchSize)))) return false;
        listed = CreateFileA(path, FILE_LIST_DIRECTORY | FILE_TRAVERSE | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (listed == INVALID_HANDLE_VALUE) return false;
        batchEntry = nullptr;
        if (nextEntry(entry)) return true;
        closeListing();
        return false;
    }

    bool openListing(FolderEntry& entry) override {
        search = FindFirstFileA("*.*", &found);
        if (search == INVALID_HANDLE_VALUE) return false;
        describe(entry);
        return true;
    }

    bool nextEntry(FolderEntry& entry) override {
        if (listed != INVALID_HANDLE_VALUE) {
            if (!nextFromBatch()) return false;
        } else if (!FindNextFileA(search, &found)) {
            return false;
        }
        describe(entry);
        return true;
    }

    void closeListing() override {
        if (listed != INVALID_HANDLE_VALUE) {
            CloseHandle(listed);
            listed = INVALID_HANDLE_VALUE;
            return;
        }
        FindClose(search);
        search = INVALID_HANDLE_VALUE;
    }

    bool identifyFolder(const char* name, int levelsUp, FolderIdentity& id) override {
        HANDLE folder;
        if (name) {
            folder = CreateFileA(name, 0, shareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        } else {
            wchar_t* path = ancestorPath(levelsUp);
            if (!path) return false;
            folder = CreateFileW(path, 0, shareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
            HeapFree(GetProcessHeap(), 0, path);
        }
        if (folder == INVALID_HANDLE_VALUE) return false;
        BY_HANDLE_FILE_INFORMATION info;
        bool known = GetFileInformationByHandle(folder, &info) != 0;
        CloseHandle(folder);
        if (!known) return false;
        id.volume = info.dwVolumeSerialNumber;
        id.index = (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
        return true;
    }

private:
    static const DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

    // "." for 0, else "..\.." with `levelsUp` steps; wide, so that no
    // length limit of the ANSI calls applies to a deep path.
    static wchar_t* ancestorPath(int levelsUp) {
        size_t length = levelsUp == 0 ? 1 : static_cast<size_t>(levelsUp) * 3 - 1;
        wchar_t* path = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, (length + 1) * sizeof(wchar_t)));
        if (!path) return nullptr;
        if (levelsUp == 0) {
            path[0] = L'.';
        } else {
            for (int i = 0; i < levelsUp; ++i) {
                wchar_t* step = path + i * 3;
                step[0] = L'.';
                step[1] = L'.';
                if (i + 1 < levelsUp) step[2] = L'\\';
            }
        }
        path[length] = 0;
        return path;
    }

    // Moves to the next entry of the listing read through `listed`, reading
    // the next batch when this one is used up, and writes it into `found`
    // as the ANSI listing calls would.
    bool nextFromBatch() {
        if (!batchEntry) {
            if (!readEntries(listed, FileIdBothDirectoryInfo, batch, batchSize)) return false;
            batchEntry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(batch);
        }
        const FILE_ID_BOTH_DIR_INFO& read = *batchEntry;
        batchEntry = read.NextEntryOffset
                         ? reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(reinterpret_cast<const char*>(batchEntry) +
                                                                         read.NextEntryOffset)
                         : nullptr;
        found.dwFileAttributes = read.FileAttributes;
        found.nFileSizeHigh = static_cast<DWORD>(read.EndOfFile.QuadPart >> 32);
        found.nFileSizeLow = static_cast<DWORD>(read.EndOfFile.QuadPart);
        toAnsi(read.FileName, read.FileNameLength, found.cFileName, sizeof found.cFileName);
        toAnsi(read.ShortName, read.ShortNameLength, found.cAlternateFileName, sizeof found.cAlternateFileName);
        return true;
    }

    // A name that does not fit comes out empty, which no step accepts.
    static void toAnsi(const WCHAR* name, DWORD bytes, char* out, int size) {
        int length = bytes ? WideCharToMultiByte(CP_ACP, 0, name, static_cast<int>(bytes / sizeof(WCHAR)), out,
                                                 size - 1, nullptr, nullptr)
                           : 0;
        out[length] = 0;
    }

    void describe(FolderEntry& entry) const {
        entry.name = found.cFileName;
        // A folder name that the path rules would rewrite (a device name, a
        // trailing dot, a character the code page cannot hold and shows as
        // '?') is entered by its short name, where the listing gives one.
        entry.size = (uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
        entry.isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.isLink = entry.isFolder && (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entry.enterName = nullptr;
        if (entry.isFolder && !isPlainWin32Name(found.cFileName) && found.cAlternateFileName[0])
            entry.enterName = found.cAlternateFileName;
    }

    static bool isRootPath(const char* path) {
        return path[0] && path[1] == ':' && path[2] == '\\' && path[3] == 0;
    }

    bool enterRoot(const char* rootPath) {
        if (!SetCurrentDirectoryA(rootPath)) return false;
        std::memcpy(expected, rootPath, 4);
        pathLength = 3;
        return true;
    }

    // Windows refuses a current directory past its limit; Wine does not, and
    // a process that has been that deep faults later. So the limit is kept
    // here, before the system is asked (relativePath).
    bool stepDown(const char* name) { return move(0, name); }

    // `levelsUp` levels up and into `name` (either may be missing, not both)
    // in one call. A step that leads anywhere but where expected is undone,
    // and the folder counts as one that could not be entered.
    bool move(int levelsUp, const char* name) {
        char step[MAX_PATH];
        size_t length;
        if (!relativePath(levelsUp, name, "", step, length)) return false;
        char previous[MAX_PATH + 1];
        size_t previousLength = pathLength;
        std::memcpy(previous, expected, pathLength + 1);
        if (!SetCurrentDirectoryA(step)) return false;
        size_t target = levelsUp == 0 ? pathLength : ancestorLength(levelsUp);
        if (name) {
            std::memcpy(expected + target, name, length - target - 1);
            expected[length - 1] = '\\';
        }
        expected[length] = 0;
        pathLength = length;
        if (isWhereExpected()) return true;
        std::memcpy(expected, previous, previousLength + 1);
        pathLength = previousLength;
        if (!returnToExpected()) pathLength = 0;
        return false;
    }

    // Writes "..\" `levelsUp` times, `name` (may be null) and `tail` into
    // `out` (MAX_PATH bytes), without a backslash at the end when both are
    // empty; `length` is the expected path's length in the folder reached,
    // its trailing backslash included. False where a single step into `name`
    // would be refused: a name the path rules rewrite, a current directory
    // past the limit.
    bool relativePath(int levelsUp, const char* name, const char* tail, char* out, size_t& length) const {
        size_t target = levelsUp == 0 ? pathLength : ancestorLength(levelsUp);
        if (target == 0 || (name && !isPlainWin32Name(name))) return false;
        size_t nameLength = name ? std::strlen(name) : 0;
        size_t tailLength = std::strlen(tail);
        length = target + (name ? nameLength + 1 : 0);
        size_t outLength = static_cast<size_t>(levelsUp) * 3 + nameLength + tailLength;
        if (length + 1 > currentDirectoryLimit || outLength + 1 > MAX_PATH) return false;
        for (int i = 0; i < levelsUp; ++i) std::memcpy(out + i * 3, "..\\", 3);
        std::memcpy(out + levelsUp * 3, name ? name : "", nameLength);
        std::memcpy(out + levelsUp * 3 + nameLength, tail, tailLength + 1);
        if (!name && tailLength == 0) out[outLength - 1] = 0;
        return true;
    }

    // The length of the expected path `levelsUp` levels up, its trailing
    // backslash included; 0 when that is above the root or nothing is entered.
    size_t ancestorLength(int levelsUp) const {
        if (pathLength < 3 || levelsUp < 1) return 0;
        size_t length = pathLength;
        for (int i = 0; i < levelsUp; ++i) {
            if (length == 3) return 0;
            --length;
            while (expected[length - 1] != '\\') --length;
        }
        return length;
    }

    bool stepUp() {
        if (pathLength == 3) return SetCurrentDirectoryA("..") != 0;  // stays at the root
        size_t length = ancestorLength(1);
        bool moved = SetCurrentDirectoryA("..") != 0;
        pathLength = length;
        expected[pathLength] = 0;
        if (moved && isWhereExpected()) return true;
        if (returnToExpected()) return true;
        pathLength = 0;  // lost: nothing but a drive's root is entered again
        return false;
    }

    // The system reports the current directory without the trailing
    // backslash, but for a root.
    bool isWhereExpected() const {
        char actual[MAX_PATH + 1];
        DWORD length = GetCurrentDirectoryA(sizeof actual, actual);
        size_t wanted = pathLength == 3 ? 3 : pathLength - 1;
        return length == wanted && std::memcmp(actual, expected, wanted) == 0;
    }

    bool returnToExpected() {
        return SetCurrentDirectoryA(expected) != 0 && isWhereExpected();
    }

    ReadEntriesCall readEntries = findReadEntries();
    HANDLE search = INVALID_HANDLE_VALUE;  // a listing of the current directory
    HANDLE listed = INVALID_HANDLE_VALUE;  // or one read through the folder's own handle
    WIN32_FIND_DATAA found;
    static const DWORD batchSize = 16384;
    char* batch = nullptr;  // entries read through `listed`, a batch at a time
    const FILE_ID_BOTH_DIR_INFO* batchEntry = nullptr;  // next in `batch`; null: read a batch
    char expected[MAX_PATH + 1] = {};  // where the walk is, with a trailing backslash
    size_t pathLength = 0;             // 0 until a drive's root is entered
};

// At namespace scope rather than inside the function: no guard, and so no
// thread-safe-static machinery from the C++ runtime.
Win32FileSystem fileSystem;

}  // namespace

FileSystem& win32FileSystem() {
    return fileSystem;
}
