#include "win32/win32_file_system.h"

#include "app/globals.h"

#include <windows.h>

#include <cstring>

namespace {

class Win32FileSystem final : public FileSystem {
public:
    uint32_t logicalDrives() override { return GetLogicalDrives(); }

    unsigned driveType(const char* rootPath) override { return GetDriveTypeA(rootPath); }

    void readVolumeLabel(const char* rootPath, char* label, unsigned size) override {
        // A failed query must not leave half a label behind.
        if (!GetVolumeInformationA(rootPath, label, size, nullptr, nullptr, nullptr, nullptr, 0))
            label[0] = 0;
    }

    bool askRetryMissingDrive() override {
        int answer = MessageBoxA(mainWindow, "Drive not found", "Quorvel 1.0",
                                 MB_ICONWARNING | MB_RETRYCANCEL);
        // The box took the keyboard focus; when it closes the system hands
        // it to the main window, where keys do nothing. The list gets it
        // back on Cancel and on a Retry that goes on to open the drive.
        SetFocus(folderList);
        return answer != IDCANCEL;
    }

    bool changeFolder(const char* path) override { return SetCurrentDirectoryA(path) != 0; }

    bool openListing(FolderEntry& entry) override {
        search = FindFirstFileA("*.*", &found);
        if (search == INVALID_HANDLE_VALUE) return false;
        describe(entry);
        return true;
    }

    bool nextEntry(FolderEntry& entry) override {
        if (!FindNextFileA(search, &found)) return false;
        describe(entry);
        return true;
    }

    void closeListing() override {
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

    void describe(FolderEntry& entry) const {
        entry.name = found.cFileName;
        // A name the ANSI code page cannot hold comes back with '?' in it
        // ('?' is never part of a real name) and cannot be entered by it;
        // its short name can.
        entry.enterName = nullptr;
        if (std::strchr(found.cFileName, '?') && found.cAlternateFileName[0])
            entry.enterName = found.cAlternateFileName;
        entry.size = (uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
        entry.isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.isLink = entry.isFolder && (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    }

    HANDLE search = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAA found;
};

}  // namespace

FileSystem& win32FileSystem() {
    static Win32FileSystem fs;
    return fs;
}
