#include "memory_file_system.h"

#include <cstring>

// The disk's record of an open folder.
struct OpenFolder {
    MemoryFolder* folder;
    size_t position = 0;
    int handedOut = 0;
};

MemoryFolder& MemoryFolder::file(const std::string& name, uint64_t size) {
    MemoryEntry e;
    e.name = name;
    e.size = size;
    entries.push_back(e);
    return *this;
}

MemoryEntry& MemoryFolder::entry(const std::string& name) {
    for (MemoryEntry& e : entries)
        if (e.name == name) return e;
    static MemoryEntry none;
    return none;
}

MemoryFolder& MemoryFileSystem::newFolder() {
    folders.emplace_back();
    MemoryFolder& f = folders.back();
    f.id = static_cast<int>(folders.size());
    f.owner = this;
    MemoryEntry dot, dotDot;
    dot.name = ".";
    dot.isFolder = true;
    dotDot.name = "..";
    dotDot.isFolder = true;
    f.entries.push_back(dot);
    f.entries.push_back(dotDot);
    return f;
}

MemoryFolder& MemoryFolder::folder(const std::string& name) {
    MemoryFolder& sub = owner->newFolder();
    MemoryEntry e;
    e.name = name;
    e.isFolder = true;
    e.folder = &sub;
    entries.push_back(e);
    return sub;
}

MemoryFolder& MemoryFolder::link(const std::string& name, MemoryFolder& target) {
    MemoryEntry e;
    e.name = name;
    e.isFolder = true;
    e.isLink = true;
    e.folder = &target;
    entries.push_back(e);
    return *this;
}

MemoryFileSystem::~MemoryFileSystem() {
    for (OpenFolder* record : opened) delete record;
}

MemoryFolder& MemoryFileSystem::addDrive(char letter, const std::string& volumeLabel, unsigned type) {
    folders.emplace_back();
    MemoryFolder& root = folders.back();
    root.id = static_cast<int>(folders.size());
    root.owner = this;
    Drive& d = drives[letter];
    d.type = type;
    d.volumeLabel = volumeLabel;
    d.root = &root;
    return root;
}

std::string MemoryFileSystem::currentPath() const {
    return currentDrive ? std::string(1, currentDrive) + ":\\" : "";
}

uint32_t MemoryFileSystem::logicalDrives() {
    uint32_t mask = 0;
    for (auto& [letter, d] : drives) mask |= uint32_t{1} << (letter - 'A');
    return mask;
}

unsigned MemoryFileSystem::driveType(const char* rootPath) {
    auto found = drives.find(rootPath[0]);
    return found == drives.end() ? 1 : found->second.type;
}

void MemoryFileSystem::readVolumeLabel(const char* rootPath, char* label, unsigned size) {
    ++labelsRead;
    labelReadFor.push_back(rootPath);
    auto found = drives.find(rootPath[0]);
    label[0] = 0;
    if (found == drives.end() || !found->second.present) return;
    std::strncpy(label, found->second.volumeLabel.c_str(), size - 1);
    label[size - 1] = 0;
}

void MemoryFileSystem::countDiskCall() {
    ++diskCalls;
    if (!reading) ++misplacedCalls;
}

void MemoryFileSystem::beginDriveReading() {
    if (reading) ++misplacedCalls;  // readings never overlap
    reading = true;
}

bool MemoryFileSystem::volumeNeedsAdministrator(const char* rootPath) {
    auto found = drives.find(rootPath[0]);
    return found != drives.end() && found->second.tableNeedsAdministrator;
}

bool MemoryFileSystem::askRetryMissingDrive() {
    ++promptsShown;
    if (reading) ++misplacedCalls;
    if (whilePromptShown) whilePromptShown();
    if (promptAnswers.empty()) return false;
    bool retry = promptAnswers.front();
    promptAnswers.erase(promptAnswers.begin());
    return retry;
}

bool MemoryFileSystem::keepReading(const ScanProgress& progress) {
    ++progressReports;
    if (reading) ++misplacedCalls;
    return !whileReading || whileReading(progress);
}

OpenFolder* MemoryFileSystem::open(MemoryFolder* folder) {
    opened.push_back(new OpenFolder{folder});
    ++openFolders;
    ++folder->opens;
    return opened.back();
}

OpenFolder* MemoryFileSystem::openRoot(const char* rootPath, FolderIdentity& id) {
    countDiskCall();
    auto found = drives.find(driveLetterOf(rootPath));
    if (found == drives.end() || !found->second.present) return nullptr;
    currentDrive = found->first;
    lost = false;
    id = FolderIdentity{static_cast<uint64_t>(currentDrive), static_cast<uint64_t>(found->second.root->id)};
    return open(found->second.root);
}

// The key is the folder's number: as a handle or a file ID does, it finds
// the folder under a new name, and nothing once it is gone from its parent.
OpenFolder* MemoryFileSystem::openChild(OpenFolder* parent, const void* key, uint32_t keySize,
                                        FolderIdentity* linkTarget) {
    countDiskCall();
    int id;
    if (lost || keySize != sizeof id) return nullptr;
    std::memcpy(&id, key, sizeof id);
    for (const MemoryEntry& e : parent->folder->entries) {
        MemoryFolder* folder = e.folder;
        if (!e.isFolder || !folder || folder->id != id) continue;
        if (!folder->enterable) return nullptr;
        if (linkTarget) {
            if (!folder->identifiable) return nullptr;
            *linkTarget = FolderIdentity{folder->volume ? folder->volume : static_cast<uint64_t>(currentDrive),
                                         folder->index ? folder->index : static_cast<uint64_t>(id)};
        }
        return open(folder);
    }
    return nullptr;
}

uint32_t MemoryFileSystem::keyFor(const char*, uint64_t reference, void* key, uint32_t room) {
    int id = static_cast<int>(reference);
    if (reference == 0 || room < sizeof id) return 0;
    std::memcpy(key, &id, sizeof id);
    return sizeof id;
}

OpenFolder* MemoryFileSystem::openByReference(OpenFolder*, uint64_t reference) {
    countDiskCall();
    if (lost || !opensByReference) return nullptr;
    for (MemoryFolder& folder : folders)
        if (static_cast<uint64_t>(folder.id) == reference && folder.volume == 0 && folder.enterable) return open(&folder);
    return nullptr;
}

bool MemoryFileSystem::nextEntry(OpenFolder* folder, FolderEntry& entry) {
    countDiskCall();
    MemoryFolder& listed = *folder->folder;
    if (!listed.listable || folder->position >= listed.entries.size()) return false;
    if (listed.listingStopsAfter >= 0 && folder->handedOut >= listed.listingStopsAfter) return false;
    const MemoryEntry& e = listed.entries[folder->position++];
    ++folder->handedOut;
    bool keyed = e.isFolder && e.folder;
    entry.name = e.name.c_str();
    entry.size = e.size;
    entry.isFolder = e.isFolder;
    entry.isLink = e.isLink;
    uint64_t index = keyed && e.folder->index ? e.folder->index : keyed ? static_cast<uint64_t>(e.folder->id) : 0;
    entry.fileIndex = e.isLink ? 0 : index;
    entry.key = keyed ? &e.folder->id : nullptr;
    entry.keySize = keyed ? sizeof e.folder->id : 0;
    return true;
}

bool MemoryFileSystem::closeFolder(OpenFolder* folder) {
    countDiskCall();
    bool losesPlace = folder->folder->closeLosesPlace;
    // A folder closed twice is used after it is freed: the sanitizer tells.
    for (OpenFolder*& record : opened) {
        if (record != folder) continue;
        record = opened.back();
        opened.pop_back();
        break;
    }
    delete folder;
    --openFolders;
    if (losesPlace) lost = true;
    return !lost;
}
