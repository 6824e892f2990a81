#include "win32/nt_walk.h"

#include "tree/utf8.h"
#include "win32/nt_records.h"
#include "win32/system_call.h"
#include "win32/utf8_text.h"

#include <cstddef>
#include <cstring>

namespace {

const ULONG fileInternalInformation = 6;
const ULONG fileIdBothDirectoryInformation = 37;
const ULONG fileDirectoryFile = 0x1;
const ULONG fileSynchronousIoNonalert = 0x20;
const ULONG fileOpenByFileId = 0x2000;
const ULONG fileOpenForBackupIntent = 0x4000;
const ACCESS_MASK listAndTraverse = FILE_LIST_DIRECTORY | FILE_TRAVERSE | SYNCHRONIZE;
const ULONG shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
const ULONG listingBytes = 65536;
const int nameBytes = utf8RoomFor(longestName) + 1;
// A key, the one layout of the walk's keys: the folder's file ID (8 bytes)
// and then its wide name, as the listing record lays them out, so that a
// listed folder's key is its record's own bytes (describe); keyFor writes
// the same for a folder the file table names, and keyParts reads it.
const uint32_t fileIdBytes = 8;
static_assert(offsetof(FILE_ID_BOTH_DIR_INFO, FileName) == offsetof(FILE_ID_BOTH_DIR_INFO, FileId) + fileIdBytes,
              "a listing record's file ID is followed by its name");

// The file ID and the name of a key, copied out: the walk keeps keys at
// any address. False where the key holds no file ID; no name (0 bytes)
// where it is longer than any name can be.
bool keyParts(const void* key, uint32_t keySize, char (&fileId)[fileIdBytes], WCHAR (&name)[longestName],
              ULONG& nameBytes) {
    if (keySize < fileIdBytes) return false;
    nameBytes = keySize - fileIdBytes <= sizeof name ? keySize - fileIdBytes : 0;
    std::memcpy(fileId, key, fileIdBytes);
    std::memcpy(name, static_cast<const char*>(key) + fileIdBytes, nameBytes);
    return true;
}

// What the system offers, the same for every walk: filled in by
// ntWalkAvailable, which the file system asks before any walk.
struct NtCalls {
    NtOpenFileCall openFile;
    NtQueryDirectoryFileCall queryDirectory;
    NtCloseCall close;
    NtQueryInformationFileCall queryInformation;
};

NtCalls nt;

OpenFolder* asOpen(HANDLE handle) {
    return static_cast<OpenFolder*>(handle);
}

HANDLE handleOf(OpenFolder* folder) {
    return static_cast<HANDLE>(folder);
}

HANDLE openRelative(HANDLE parent, const void* name, ULONG bytes, ULONG options) {
    NtName objectName = {static_cast<USHORT>(bytes), static_cast<USHORT>(bytes), name};
    NtObjectAttributes attributes = {sizeof attributes, parent, &objectName, 0, nullptr, nullptr};
    NtIoStatus io = {};
    HANDLE opened = nullptr;
    const ULONG always = fileDirectoryFile | fileSynchronousIoNonalert | fileOpenForBackupIntent;
    if (nt.openFile(&opened, listAndTraverse, &attributes, &io, shareAll, always | options) < 0) return nullptr;
    return opened;
}

// A name holding a separator would be read as a path: it opens another
// folder, or none.
bool holdsSeparator(const WCHAR* name, ULONG characters) {
    for (ULONG i = 0; i < characters; ++i)
        if (name[i] == L'\\' || name[i] == L'/') return true;
    return false;
}

bool isDotName(const FILE_ID_BOTH_DIR_INFO& read) {
    ULONG length = read.FileNameLength / sizeof(WCHAR);
    return (length == 1 || length == 2) && read.FileName[0] == L'.' && read.FileName[length - 1] == L'.';
}

}  // namespace

bool ntFolderIndex(void* folder, uint64_t& index) {
    NtIoStatus io = {};
    LARGE_INTEGER read;
    if (nt.queryInformation(folder, &io, &read, sizeof read, fileInternalInformation) < 0) return false;
    index = static_cast<uint64_t>(read.QuadPart);
    return true;
}

bool ntWalkAvailable() {
    if (!nt.openFile) {
        nt.openFile = systemCall<NtOpenFileCall>("ntdll.dll", "NtOpenFile");
        nt.queryDirectory = systemCall<NtQueryDirectoryFileCall>("ntdll.dll", "NtQueryDirectoryFile");
        nt.close = systemCall<NtCloseCall>("ntdll.dll", "NtClose");
        nt.queryInformation = systemCall<NtQueryInformationFileCall>("ntdll.dll", "NtQueryInformationFile");
    }
    return nt.openFile && nt.queryDirectory && nt.close && nt.queryInformation;
}

bool ntFolderIdentity(void* folder, FolderIdentity& id) {
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(folder, &information)) return false;
    id.volume = information.dwVolumeSerialNumber;
    id.index = uint64_t{information.nFileIndexHigh} << 32 | information.nFileIndexLow;
    return true;
}

// The next record of the listing, reading a buffer's worth when the last
// one is used up; null at the end.
const FILE_ID_BOTH_DIR_INFO* NtWalk::nextRecord(bool first) {
    if (!next) {
        NtIoStatus io = {};
        if (ended || nt.queryDirectory(listed, nullptr, nullptr, nullptr, &io, buffer, listingBytes,
                                       fileIdBothDirectoryInformation, FALSE, nullptr, first) != 0) {
            ended = true;
            return nullptr;
        }
        next = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer);
    }
    const FILE_ID_BOTH_DIR_INFO* read = next;
    next = read->NextEntryOffset ? reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(
                                       reinterpret_cast<const char*>(read) + read->NextEntryOffset)
                                 : nullptr;
    return read;
}

void NtWalk::describe(const FILE_ID_BOTH_DIR_INFO& read, FolderEntry& entry) {
    // As written: no code page between the listed name and the tree. An
    // unpaired surrogate shows as U+FFFD; the key keeps the name as listed.
    utf16ToUtf8(read.FileName, read.FileNameLength / sizeof(WCHAR), name, nameBytes);
    entry.name = name;
    entry.size = static_cast<uint64_t>(read.EndOfFile.QuadPart);
    entry.isFolder = (read.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // A reparse point's listing record carries its tag where the extended
    // attributes' size would be.
    entry.isLink = entry.isFolder && (read.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
                   reparseTagIsLink(read.EaSize);
    entry.fileIndex = static_cast<uint64_t>(read.FileId.QuadPart);
    entry.key = &read.FileId;
    entry.keySize = fileIdBytes + read.FileNameLength;
}

// The root by its path, once; it stays the current directory, so that
// nothing the walk holds keeps another folder current.
OpenFolder* NtWalk::openRoot(const char* rootPath, FolderIdentity& id) {
    if (!buffer) {
        buffer = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, listingBytes + nameBytes));
        if (!buffer) return nullptr;
        name = buffer + listingBytes;
    }
    if (!SetCurrentDirectoryA(rootPath)) return nullptr;
    HANDLE root = CreateFileA(rootPath, listAndTraverse, shareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (root == INVALID_HANDLE_VALUE) return nullptr;
    if (!ntFolderIdentity(root, id)) {
        nt.close(root);
        return nullptr;
    }
    rootFolder = root;
    return asOpen(root);
}

// By the name exactly as listed, case and all; by the file ID where the
// name cannot be one NT name or the system refuses it (a '?' or '*' in it).
OpenFolder* NtWalk::openChild(OpenFolder* parent, const void* key, uint32_t keySize, FolderIdentity* linkTarget) {
    char fileId[fileIdBytes];
    WCHAR wideName[longestName];
    ULONG nameSize;
    if (!keyParts(key, keySize, fileId, wideName, nameSize)) return nullptr;
    HANDLE opened = nullptr;
    if (nameSize > 0 && !holdsSeparator(wideName, nameSize / sizeof(WCHAR)))
        opened = openRelative(handleOf(parent), wideName, nameSize, 0);
    if (!opened) opened = openRelative(handleOf(parent), fileId, fileIdBytes, fileOpenByFileId);
    if (!opened) return nullptr;
    if (linkTarget && !ntFolderIdentity(opened, *linkTarget)) {
        nt.close(opened);
        return nullptr;
    }
    return asOpen(opened);
}

bool NtWalk::nextEntry(OpenFolder* folder, FolderEntry& entry) {
    bool first = listed != handleOf(folder);
    if (first) {
        listed = handleOf(folder);
        fromRoot = listed == rootFolder;
        ended = false;
        next = nullptr;
    }
    const FILE_ID_BOTH_DIR_INFO* read;
    do {
        read = nextRecord(first);
        first = false;
        if (!read) return false;
    } while (fromRoot && isDotName(*read));
    describe(*read, entry);
    return true;
}

bool NtWalk::closeFolder(OpenFolder* folder) {
    HANDLE handle = handleOf(folder);
    // The system may hand the same value out again for another folder.
    if (listed == handle) listed = nullptr;
    if (rootFolder == handle) rootFolder = nullptr;
    nt.close(handle);
    return true;
}

uint32_t NtWalk::keyFor(const char* name, uint64_t fileReference, void* key, uint32_t room) {
    WCHAR wideName[longestName + 1];
    size_t units = utf8ToUtf16(name, std::strlen(name), wideName, longestName + 1);
    uint32_t size = fileIdBytes + static_cast<uint32_t>(units * sizeof(WCHAR));
    if (units == 0 || size > room) return 0;
    std::memcpy(key, &fileReference, fileIdBytes);
    std::memcpy(static_cast<char*>(key) + fileIdBytes, wideName, units * sizeof(WCHAR));
    return size;
}

OpenFolder* NtWalk::openByReference(OpenFolder* root, uint64_t fileReference) {
    HANDLE opened = openRelative(handleOf(root), &fileReference, fileIdBytes, fileOpenByFileId);
    return opened ? asOpen(opened) : nullptr;
}
