#include "win32/win32_file_system.h"

#include "win32/nt_walk.h"
#include "win32/path_walk.h"
#include "win32/raw_volume.h"
#include "win32/utf8_text.h"
#include "win32/wow64_redirection.h"

#include <windows.h>

namespace {

// Each drive is read from its file table where its volume opens and holds
// one (the reading decides), else walked: by handles where ntdll has the
// calls, by the current directory where it has not. The walk is picked
// when the drive's root is opened; each way keeps its own state.
class Win32FileSystem final : public FileSystem {
public:
    uint32_t logicalDrives() override { return GetLogicalDrives(); }

    unsigned driveType(const char* rootPath) override { return GetDriveTypeA(rootPath); }

    // The label as written, from the wide call; from the code page where
    // that call fails (Windows 9x has only the 8-bit one). A failed query
    // must not leave half a label behind.
    void readVolumeLabel(const char* rootPath, char* label, unsigned size) override {
        const WCHAR root[] = {static_cast<WCHAR>(rootPath[0]), L':', L'\\', 0};
        WCHAR wide[MAX_PATH + 1];
        char narrow[MAX_PATH + 1];
        if (GetVolumeInformationW(root, wide, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0)) {
            size_t units = 0;
            while (wide[units]) ++units;
            utf16ToUtf8(wide, units, label, size);
        } else if (GetVolumeInformationA(rootPath, narrow, sizeof narrow, nullptr, nullptr, nullptr, nullptr, 0)) {
            utf8FromCodePage(narrow, label, size);
        } else {
            label[0] = 0;
        }
    }

    OpenFolder* openRoot(const char* rootPath, FolderIdentity& id) override {
        way = byPath || !ntWalkAvailable() ? static_cast<FolderWalk*>(&pathWalk) : &ntWalk;
        return way->openRoot(rootPath, id);
    }

    OpenFolder* openChild(OpenFolder* parent, const void* key, uint32_t keySize,
                          FolderIdentity* linkTarget) override {
        return way->openChild(parent, key, keySize, linkTarget);
    }

    bool nextEntry(OpenFolder* folder, FolderEntry& entry) override { return way->nextEntry(folder, entry); }

    bool closeFolder(OpenFolder* folder) override { return way->closeFolder(folder); }

    uint32_t keyFor(const char* name, uint64_t fileReference, void* key, uint32_t room) override {
        return way->keyFor(name, fileReference, key, room);
    }
    OpenFolder* openByReference(OpenFolder* root, uint64_t fileReference) override {
        return way->openByReference(root, fileReference);
    }

    bool openVolume(const char* rootPath, RawVolume& volume) override {
        return readTables && rawVolume.open(rootPath, volume);
    }

    void closeVolume(RawVolume& volume) override { rawVolume.close(volume); }

    bool volumeNeedsAdministrator(const char* rootPath) override {
        return readTables && ntfsVolumeNeedsAdministrator(rootPath);
    }

    void beginDriveReading() override { turnRedirectionOff(redirection); }
    void endDriveReading() override { turnRedirectionBackOn(redirection); }

    bool byPath = false;  // the path walk even where the handle walk could run: tests only
    bool readTables = true;  // false in tests only
    FolderWalk* way = nullptr;  // the drive's, from its root's opening on
    NtWalk ntWalk;
    PathWalk pathWalk;
    RawVolumeBytes rawVolume;
    Wow64Redirection redirection{};  // off while a drive is read
};

// Constant-initialised: nothing has to run before the program's entry.
Win32FileSystem fileSystem;

}  // namespace

FileSystem& win32FileSystem() {
    return fileSystem;
}

#ifdef QUORVEL_TEST_HOOKS
void useThePathWalk(bool byPath) {
    fileSystem.byPath = byPath;
}

void readFileTables(bool read) {
    fileSystem.readTables = read;
}
#endif
