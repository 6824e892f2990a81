#include "win32/win32_file_system.h"

#include "win32/nt_walk.h"
#include "win32/path_walk.h"

#include <windows.h>

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

    OpenFolder* openRoot(const char* rootPath, FolderIdentity& id) override {
        return byPath ? pathOpenRoot(rootPath, id) : ntOpenRoot(rootPath, id);
    }

    OpenFolder* openChild(OpenFolder* parent, const void* key, uint32_t keySize,
                          FolderIdentity* linkTarget) override {
        return byPath ? pathOpenChild(parent, key, keySize, linkTarget)
                      : ntOpenChild(parent, key, keySize, linkTarget);
    }

    bool nextEntry(OpenFolder* folder, FolderEntry& entry) override {
        return byPath ? pathNextEntry(folder, entry) : ntNextEntry(folder, entry);
    }

    bool closeFolder(OpenFolder* folder) override {
        return byPath ? pathCloseFolder(folder) : ntCloseFolder(folder);
    }

    bool byPath = !ntWalkAvailable();
};

// At namespace scope rather than inside the function: no guard, and so no
// thread-safe-static machinery from the C++ runtime.
Win32FileSystem fileSystem;

}  // namespace

FileSystem& win32FileSystem() {
    return fileSystem;
}

#ifdef QUORVEL_TEST_HOOKS
void useThePathWalk(bool byPath) {
    fileSystem.byPath = byPath || !ntWalkAvailable();
}
#endif
