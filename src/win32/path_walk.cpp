#include "win32/path_walk.h"

#include "win32/nt_walk.h"
#include "win32/plain_name.h"
#include "win32/utf8_text.h"

#include <windows.h>

#include <cstring>

// From the heap, once: in the program's data it would be stored in the
// program file.
struct PathWalkPlace {
    char expected[MAX_PATH + 1];  // where the walk is, with a trailing backslash
    size_t length;                // of `expected`; 0 until a root is opened
    OpenFolder* listed;           // whose listing `search` reads; null: none
    HANDLE search;                // null once that listing ended
    WIN32_FIND_DATAA found;
    char name[3 * MAX_PATH + 1];  // the found name in UTF-8
};

namespace {

// An open folder is told by the length of its path (its trailing backslash
// included): the walk only opens a subfolder of its innermost open folder,
// which is always the current directory, and closes that one first.
OpenFolder* asOpen(size_t length) {
    return reinterpret_cast<OpenFolder*>(length);
}

size_t lengthOf(OpenFolder* folder) {
    return reinterpret_cast<size_t>(folder);
}

}  // namespace

void PathWalk::endListing() {
    if (place->search) FindClose(place->search);
    place->search = nullptr;
    place->listed = nullptr;
}

// The system gives the current directory without its trailing backslash,
// but for a root; it is answered in process.
bool PathWalk::isAtExpected() const {
    char actual[MAX_PATH + 1];
    DWORD length = GetCurrentDirectoryA(sizeof actual, actual);
    size_t wanted = place->length == 3 ? 3 : place->length - 1;
    return length == wanted && std::memcmp(actual, place->expected, wanted) == 0;
}

namespace {

// The identity of the folder `path` names from the current directory
// (links followed): with its volume for a root or a link's target, by its
// index alone for a listed folder (the volume is its parent's); zero where
// the system cannot open a folder as a file (Windows 9x, which has no links
// either).
void identify(const char* path, FolderIdentity& id, bool withVolume) {
    id = FolderIdentity{0, 0};
    if (!ntWalkAvailable()) return;
    HANDLE folder = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return;
    bool known = withVolume ? ntFolderIdentity(folder, id) : ntFolderIndex(folder, id.index);
    if (!known) id = FolderIdentity{0, 0};
    CloseHandle(folder);
}

// The name a folder is entered by: its own where the path rules leave it
// alone, else its short name where that is plain, else none.
const char* enterName(const WIN32_FIND_DATAA& found) {
    if (isPlainWin32Name(found.cFileName)) return found.cFileName;
    if (isPlainWin32Name(found.cAlternateFileName)) return found.cAlternateFileName;
    return "";
}

}  // namespace

void PathWalk::describe(FolderEntry& entry) const {
    const WIN32_FIND_DATAA& found = place->found;
    // Shown as the code page reads it; entered by the 8-bit name, the key.
    utf8FromCodePage(found.cFileName, place->name, sizeof place->name);
    entry.name = place->name;
    entry.size = (uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
    entry.isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // The find data carries a reparse point's tag in its first reserved field.
    entry.isLink = entry.isFolder && (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
                   reparseTagIsLink(found.dwReserved0);
    const char* key = entry.isFolder ? enterName(found) : "";
    entry.key = key;
    entry.keySize = static_cast<uint32_t>(std::strlen(key));
    // The listing gives no index: the walk needs one for every folder that
    // may lie on its path, to tell a link that leads back up.
    FolderIdentity id = {0, 0};
    if (entry.keySize) identify(key, id, false);
    entry.fileIndex = id.index;
}

OpenFolder* PathWalk::openRoot(const char* rootPath, FolderIdentity& id) {
    if (!place && !(place = static_cast<PathWalkPlace*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof *place))))
        return nullptr;
    endListing();
    place->length = 0;
    if (std::strlen(rootPath) != 3 || !SetCurrentDirectoryA(rootPath)) return nullptr;
    std::memcpy(place->expected, rootPath, 4);
    place->length = 3;
    identify(".", id, true);
    return asOpen(place->length);
}

// One step down from the current directory, within the limit Windows sets
// for a current directory (Wine sets none, and a process that has been
// deeper faults later), and checked: a step that lands elsewhere is undone.
OpenFolder* PathWalk::openChild(OpenFolder* parent, const void* key, uint32_t keySize, FolderIdentity* linkTarget) {
    endListing();
    size_t length = lengthOf(parent);
    if (keySize == 0 || length != place->length || length + keySize + 2 > MAX_PATH) return nullptr;
    char* name = place->expected + length;
    std::memcpy(name, key, keySize);
    name[keySize] = 0;
    if (!SetCurrentDirectoryA(name)) {
        place->expected[length] = 0;
        return nullptr;
    }
    name[keySize] = '\\';
    name[keySize + 1] = 0;
    place->length = length + keySize + 1;
    if (!isAtExpected()) {
        place->length = length;
        place->expected[length] = 0;
        // Back where it came from, or lost: nothing more opens (see closeFolder).
        if (!SetCurrentDirectoryA(place->expected) || !isAtExpected()) place->length = 0;
        return nullptr;
    }
    if (linkTarget) identify(".", *linkTarget, true);
    return asOpen(place->length);
}

bool PathWalk::nextEntry(OpenFolder* folder, FolderEntry& entry) {
    if (place->listed != folder) {
        endListing();
        if (lengthOf(folder) != place->length) return false;
        place->listed = folder;
        HANDLE search = FindFirstFileA("*.*", &place->found);
        if (search == INVALID_HANDLE_VALUE) return false;
        place->search = search;
    } else if (!place->search || !FindNextFileA(place->search, &place->found)) {
        if (place->search) FindClose(place->search);
        place->search = nullptr;
        return false;
    }
    describe(entry);
    return true;
}

// A root stays the current directory; any other folder is left by "..",
// which must land in its parent.
bool PathWalk::closeFolder(OpenFolder* folder) {
    endListing();
    size_t length = lengthOf(folder);
    if (length != place->length) return false;
    if (length == 3) return true;
    do --length;
    while (place->expected[length - 1] != '\\');
    place->length = length;
    place->expected[length] = 0;
    if (SetCurrentDirectoryA("..") && isAtExpected()) return true;
    place->length = 0;
    return false;
}
