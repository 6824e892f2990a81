// The walk by the current directory, where ntdll's calls are missing
// (Windows 9x): single SetCurrentDirectoryA steps, each checked against
// GetCurrentDirectoryA, the ANSI listing calls and the path limit.
#pragma once

#include "tree/file_system.h"

OpenFolder* pathOpenRoot(const char* rootPath, FolderIdentity& id);
OpenFolder* pathOpenChild(OpenFolder* parent, const void* key, uint32_t keySize, FolderIdentity* linkTarget);
bool pathNextEntry(OpenFolder* folder, FolderEntry& entry);
bool pathCloseFolder(OpenFolder* folder);
