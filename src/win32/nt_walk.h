// The walk by folder handles, on every NT system: each folder opened from
// its parent's handle by the wide name its listing gave (or by its file ID),
// so no path text is built or parsed and no path limit applies.
#pragma once

#include "tree/file_system.h"

#include <windows.h>

// Whether ntdll has the calls this walk needs (Windows 9x has none of them).
bool ntWalkAvailable();

// The index of the folder open as `folder` on its volume (what
// GetFileInformationByHandle gives, without that call's volume query, which
// under Wine is a round trip to the mount manager). Needs ntWalkAvailable.
bool ntFolderIndex(void* folder, uint64_t& index);

// Where the folder open as `folder` lies: its volume's serial and its index
// there. A link may lead to another volume, so the root and every link's
// target are asked (one round trip to the mount manager under Wine).
bool ntFolderIdentity(void* folder, FolderIdentity& id);

class NtWalk final : public FolderWalk {
public:
    OpenFolder* openRoot(const char* rootPath, FolderIdentity& id) override;
    OpenFolder* openChild(OpenFolder* parent, const void* key, uint32_t keySize,
                          FolderIdentity* linkTarget) override;
    bool nextEntry(OpenFolder* folder, FolderEntry& entry) override;
    bool closeFolder(OpenFolder* folder) override;
    // The file ID, then the wide name: what a listing record carries.
    uint32_t keyFor(const char* name, uint64_t fileReference, void* key, uint32_t room) override;
    // By the file ID, relative to the root's handle (NTFS checks the
    // reference's sequence number).
    OpenFolder* openByReference(OpenFolder* root, uint64_t fileReference) override;

private:
    const FILE_ID_BOTH_DIR_INFO* nextRecord(bool first);
    void describe(const FILE_ID_BOTH_DIR_INFO& read, FolderEntry& entry);

    // The one listing being read: the walk reads a folder's listing whole
    // before it opens any subfolder, so one buffer serves every folder.
    HANDLE listed = nullptr;  // whose listing the buffer holds; null: none
    bool fromRoot = false;    // leave out "." and "..", which the Find calls do not list at a root
    bool ended = false;
    const FILE_ID_BOTH_DIR_INFO* next = nullptr;  // in `buffer`; null: read more
    char* buffer = nullptr;  // from the heap, once: an array here would be stored in the program file
    char* name = nullptr;    // the entry's name in UTF-8, at the buffer's end
    HANDLE rootFolder = nullptr;
};
