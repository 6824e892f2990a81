// The walk by folder handles, on every NT system: each folder opened from
// its parent's handle by the wide name its listing gave (or by its file ID),
// so no path text is built or parsed and no path limit applies.
#pragma once

#include "tree/file_system.h"

// Whether ntdll has the calls this walk needs (Windows 9x has none of them).
bool ntWalkAvailable();

// The index of the folder open as `folder` on its volume (what
// GetFileInformationByHandle gives, without that call's volume query, which
// under Wine is a round trip to the mount manager). Needs ntWalkAvailable.
bool ntFolderIndex(void* folder, uint64_t& index);

OpenFolder* ntOpenRoot(const char* rootPath, FolderIdentity& id);
OpenFolder* ntOpenChild(OpenFolder* parent, const void* key, uint32_t keySize, FolderIdentity* linkTarget);
bool ntNextEntry(OpenFolder* folder, FolderEntry& entry);
bool ntCloseFolder(OpenFolder* folder);
