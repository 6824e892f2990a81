// The walk by the current directory, where ntdll's calls are missing
// (Windows 9x): single SetCurrentDirectoryA steps, each checked against
// GetCurrentDirectoryA, the ANSI listing calls and the path limit.
#pragma once

#include "tree/file_system.h"

struct PathWalkPlace;

class PathWalk final : public FolderWalk {
public:
    OpenFolder* openRoot(const char* rootPath, FolderIdentity& id) override;
    OpenFolder* openChild(OpenFolder* parent, const void* key, uint32_t keySize,
                          FolderIdentity* linkTarget) override;
    bool nextEntry(OpenFolder* folder, FolderEntry& entry) override;
    bool closeFolder(OpenFolder* folder) override;

private:
    void endListing();
    bool isAtExpected() const;
    void describe(FolderEntry& entry) const;

    PathWalkPlace* place = nullptr;  // from the heap, at the first root
};
