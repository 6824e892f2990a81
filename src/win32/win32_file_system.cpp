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

    // "..\..\a\b" in one call: the target is known, so it gets the same
    // checks as the single steps, and every case those would treat apart (a
    // name to refuse, a path too long, a step that leads elsewhere) is left
    // to them.
    bool changeFolderAlong(const FolderWay& way) override { return move(way); }

    // The folder is opened with the rights to list it and to make it
    // current, so that a listing from here also tells that a step into the
    // folder would be taken; its entries are read through that handle, which
    // steps taken meanwhile do not move. Where the system cannot read a
    // listing through a handle, the walk steps in and lists from there.
    bool openListingOf(const FolderWay& way, FolderEntry& entry) override {
        char path[MAX_PATH];
        char reached[MAX_PATH];
        return way.count >= 1 && readEntries && relativePath(way, path, reached) &&
               openThroughHandle(path, entry, false);
    }

    // Through a handle too where the system can, for the names' full text;
    // elsewhere, and where a file system cannot list through a handle, with
    // the ANSI calls. Those list no "." and ".." in a drive's root, whatever
    // the file system holds, and neither does the handle's listing.
    bool openListing(FolderEntry& entry) override {
        if (readEntries && openThroughHandle(".", entry, pathLength == 3)) return true;
        search = FindFirstFileA("*.*", &found);
        if (search == INVALID_HANDLE_VALUE) return false;
        nameExact = true;  // the ANSI calls do not tell whether a name lost characters
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

    bool openThroughHandle(const char* path, FolderEntry& entry, bool isRoot) {
        // From the heap, once: an array in the object would be stored in the program file.
        if (!batch && !(batch = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, batchSize)))) return false;
        listed = CreateFileA(path, FILE_LIST_DIRECTORY | FILE_TRAVERSE | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (listed == INVALID_HANDLE_VALUE) return false;
        batchEntry = nullptr;
        listingRoot = isRoot;
        if (nextEntry(entry)) return true;
        closeListing();
        return false;
    }

    // Moves to the next entry of the listing read through `listed`, reading
    // the next batch when this one is used up.
    bool nextFromBatch() {
        const FILE_ID_BOTH_DIR_INFO* read;
        do {
            if (!batchEntry) {
                if (!readEntries(listed, FileIdBothDirectoryInfo, batch, batchSize)) return false;
                batchEntry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(batch);
            }
            read = batchEntry;
            batchEntry = read->NextEntryOffset
                             ? reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(reinterpret_cast<const char*>(read) +
                                                                             read->NextEntryOffset)
                             : nullptr;
        } while (listingRoot && isDotName(*read));
        take(*read);
        return true;
    }

    static bool isDotName(const FILE_ID_BOTH_DIR_INFO& read) {
        DWORD length = read.FileNameLength / sizeof(WCHAR);
        return (length == 1 || length == 2) && read.FileName[0] == L'.' && read.FileName[length - 1] == L'.';
    }

    // Writes the entry into `found` as the ANSI listing calls would.
    void take(const FILE_ID_BOTH_DIR_INFO& read) {
        found.dwFileAttributes = read.FileAttributes;
        found.nFileSizeHigh = static_cast<DWORD>(read.EndOfFile.QuadPart >> 32);
        found.nFileSizeLow = static_cast<DWORD>(read.EndOfFile.QuadPart);
        toAnsi(read.FileName, read.FileNameLength, found.cFileName, sizeof found.cFileName);
        toAnsi(read.ShortName, read.ShortNameLength, found.cAlternateFileName, sizeof found.cAlternateFileName);
        nameExact = true;
        if (read.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            nameExact = meansTheSame(found.cFileName, read.FileName, read.FileNameLength);
            if (!meansTheSame(found.cAlternateFileName, read.ShortName, read.ShortNameLength))
                found.cAlternateFileName[0] = 0;
        }
    }

    // A name that does not fit comes out empty, which no step accepts.
    static void toAnsi(const WCHAR* name, DWORD bytes, char* out, int size) {
        int length = bytes ? WideCharToMultiByte(CP_ACP, 0, name, static_cast<int>(bytes / sizeof(WCHAR)), out,
                                                 size - 1, nullptr, nullptr)
                           : 0;
        out[length] = 0;
    }

    // Whether the code page's text names what the listing named. The code
    // page puts '?' for a character it cannot hold, and a look-alike for
    // some ("ā" becomes "a"): a step by that text would lead elsewhere, or
    // into a twin that is then counted twice.
    static bool meansTheSame(const char* ansi, const WCHAR* name, DWORD bytes) {
        WCHAR back[MAX_PATH];
        int length = MultiByteToWideChar(CP_ACP, 0, ansi, -1, back, MAX_PATH) - 1;
        return length >= 0 && static_cast<DWORD>(length) * sizeof(WCHAR) == bytes &&
               std::memcmp(back, name, bytes) == 0;
    }

    void describe(FolderEntry& entry) const {
        entry.name = found.cFileName;
        entry.size = (uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
        entry.isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.isLink = entry.isFolder && (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        // A folder whose name the path rules would rewrite (a device name, a
        // trailing dot, a '?') or the code page does not hold exactly is
        // entered by its short name; without one (an empty enter name) it is
        // not entered.
        entry.enterName = nullptr;
        if (entry.isFolder && (!nameExact || !isPlainWin32Name(found.cFileName)))
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
    bool stepDown(const char* name) { return move(FolderWay{0, 1, &name}); }

    // The steps of `way` in one call. A step that leads anywhere but where
    // expected is undone, and the folder counts as one that could not be
    // entered.
    bool move(const FolderWay& way) {
        char step[MAX_PATH];
        char reached[MAX_PATH];
        if (!relativePath(way, step, reached)) return false;
        if (!SetCurrentDirectoryA(step)) return false;
        if (isAt(reached)) {
            pathLength = std::strlen(reached);
            std::memcpy(expected, reached, pathLength + 1);
            return true;
        }
        if (!returnToExpected()) pathLength = 0;
        return false;
    }

    // Writes the relative path of `way` into `step` (MAX_PATH bytes), without
    // a backslash at its end, and the path expected in the folder it leads
    // to into `reached` (the same room), with one. False where a single step
    // of it would be refused: above the root, into a name the path rules
    // rewrite, or to a current directory past the limit.
    bool relativePath(const FolderWay& way, char* step, char* reached) const {
        size_t length = way.levelsUp == 0 ? pathLength : ancestorLength(way.levelsUp);
        size_t stepLength = static_cast<size_t>(way.levelsUp) * 3;
        if (length == 0 || way.levelsUp + way.count < 1 || stepLength >= MAX_PATH) return false;
        std::memcpy(reached, expected, length);
        for (int i = 0; i < way.levelsUp; ++i) std::memcpy(step + i * 3, "..\\", 3);
        for (int i = 0; i < way.count; ++i) {
            const char* name = way.names[i];
            size_t nameLength = std::strlen(name);
            if (!isPlainWin32Name(name)) return false;
            // The current directory counts its trailing backslash and the zero.
            if (length + nameLength + 2 > currentDirectoryLimit || stepLength + nameLength + 1 > MAX_PATH)
                return false;
            std::memcpy(reached + length, name, nameLength);
            reached[length + nameLength] = '\\';
            length += nameLength + 1;
            std::memcpy(step + stepLength, name, nameLength);
            step[stepLength + nameLength] = '\\';
            stepLength += nameLength + 1;
        }
        reached[length] = 0;
        step[stepLength - 1] = 0;
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
        if (moved && isAt(expected)) return true;
        if (returnToExpected()) return true;
        pathLength = 0;  // lost: nothing but a drive's root is entered again
        return false;
    }

    // The system reports the current directory without the trailing
    // backslash, but for a root.
    bool isAt(const char* path) const {
        char actual[MAX_PATH + 1];
        DWORD length = GetCurrentDirectoryA(sizeof actual, actual);
        size_t expectedLength = std::strlen(path);
        size_t wanted = expectedLength == 3 ? 3 : expectedLength - 1;
        return length == wanted && std::memcmp(actual, path, wanted) == 0;
    }

    bool returnToExpected() {
        return SetCurrentDirectoryA(expected) != 0 && isAt(expected);
    }

    ReadEntriesCall readEntries = findReadEntries();
    HANDLE search = INVALID_HANDLE_VALUE;  // a listing of the current directory
    HANDLE listed = INVALID_HANDLE_VALUE;  // or one read through the folder's own handle
    WIN32_FIND_DATAA found;
    bool nameExact = true;     // found.cFileName holds the folder's name as the listing gave it
    bool listingRoot = false;  // the listing through `listed` leaves out "." and ".."
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
