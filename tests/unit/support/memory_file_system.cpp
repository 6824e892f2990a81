#include "memory_file_system.h"

#include <cstring>

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
    if (!currentDrive) return "";
    std::string text(1, currentDrive);
    text += ":\\";
    for (size_t i = 0; i < pathNames.size(); ++i) {
        if (i) text += "\\";
        text += pathNames[i];
    }
    return text;
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
    if (found == drives.end() || !found->second.present) return;
    std::strncpy(label, found->second.volumeLabel.c_str(), size - 1);
    label[size - 1] = 0;
}

bool MemoryFileSystem::askRetryMissingDrive() {
    ++promptsShown;
    if (whilePromptShown) whilePromptShown();
    if (promptAnswers.empty()) return false;
    bool retry = promptAnswers.front();
    promptAnswers.erase(promptAnswers.begin());
    return retry;
}

MemoryEntry* MemoryFileSystem::findFolderEntry(const char* name) {
    return path.empty() ? nullptr : folderEntryIn(*path.back(), name);
}

MemoryEntry* MemoryFileSystem::folderEntryIn(MemoryFolder& folder, const char* name) {
    for (MemoryEntry& e : folder.entries) {
        if (!e.isFolder || !e.folder) continue;
        if (e.enterName.empty() ? e.name == name : e.enterName == name) return &e;
    }
    return nullptr;
}

bool MemoryFileSystem::changeFolder(const char* where) {
    ++diskCalls;
    return step(where);
}

// The single steps, undone together when one of them fails.
bool MemoryFileSystem::changeFolderAlong(const FolderWay& way) {
    ++diskCalls;
    if (way.levelsUp + way.count < 1 || (refuseFoldedStep && refuseFoldedStep())) return false;
    std::vector<MemoryFolder*> pathBefore = path;
    std::vector<std::string> namesBefore = pathNames;
    bool moved = true;
    for (int i = 0; i < way.levelsUp && moved; ++i) moved = step("..");
    for (int i = 0; i < way.count && moved; ++i) moved = std::strcmp(way.names[i], "..") != 0 && step(way.names[i]);
    if (!moved) {
        path = pathBefore;
        pathNames = namesBefore;
        return false;
    }
    ++foldedSteps;
    return true;
}

bool MemoryFileSystem::step(const char* where) {
    size_t length = std::strlen(where);
    if (length == 3 && where[1] == ':' && where[2] == '\\') {
        auto found = drives.find(where[0]);
        if (found == drives.end() || !found->second.present) return false;
        currentDrive = where[0];
        path.assign(1, found->second.root);
        pathNames.clear();
        return true;
    }
    if (std::strcmp(where, "..") == 0) {
        if (path.size() < 2 || path.back()->stepUpFails) return false;
        path.pop_back();
        pathNames.pop_back();
        return true;
    }
    MemoryEntry* e = findFolderEntry(where);
    if (!e || !e->folder->enterable) return false;
    path.push_back(e->folder);
    pathNames.push_back(where);
    return true;
}

void MemoryFileSystem::fill(FolderEntry& out, const MemoryEntry& in) {
    out.name = in.name.c_str();
    out.enterName = in.enterName.empty() ? nullptr : in.enterName.c_str();
    out.size = in.size;
    out.isFolder = in.isFolder;
    out.isLink = in.isLink;
}

bool MemoryFileSystem::openListing(FolderEntry& entry) {
    ++diskCalls;
    return !path.empty() && startListing(path.back(), entry);
}

bool MemoryFileSystem::startListing(MemoryFolder* folder, FolderEntry& entry) {
    if (!folder->listable) return false;
    listed = folder;
    listingPosition = 0;
    listingHandedOut = 0;
    return nextEntry(entry);
}

// The folder at the end of `way`, null when there is none or when a single
// step of it would fail. Nor does a way go through a folder whose ".." fails:
// one the system has lost its way back from, so that what lies beyond it
// cannot be reached from below by any path, and the walk steps in and meets
// the failure where the plain walk meets it.
MemoryFolder* MemoryFileSystem::folderAlong(const FolderWay& way) {
    if (way.levelsUp < 0 || static_cast<size_t>(way.levelsUp) >= path.size()) return nullptr;
    for (int i = 0; i < way.levelsUp; ++i)
        if (path[path.size() - 1 - i]->stepUpFails) return nullptr;
    MemoryFolder* folder = path[path.size() - 1 - way.levelsUp];
    for (int i = 0; i < way.count; ++i) {
        MemoryEntry* e = folderEntryIn(*folder, way.names[i]);
        if (!e || !e->folder->enterable || e->folder->stepUpFails) return nullptr;
        folder = e->folder;
    }
    return folder;
}

// Only a folder that could be entered is listed from outside.
bool MemoryFileSystem::openListingOf(const FolderWay& way, FolderEntry& entry) {
    ++diskCalls;
    if (way.count < 1 || (refuseListingOf && refuseListingOf())) return false;
    MemoryFolder* folder = folderAlong(way);
    if (!folder || !startListing(folder, entry)) return false;
    ++listingsFromOutside;
    return true;
}

bool MemoryFileSystem::nextEntry(FolderEntry& entry) {
    if (!listed || listingPosition >= listed->entries.size()) return false;
    if (listed->listingStopsAfter >= 0 && listingHandedOut >= listed->listingStopsAfter) return false;
    fill(entry, listed->entries[listingPosition++]);
    ++listingHandedOut;
    return true;
}

void MemoryFileSystem::closeListing() {
    listed = nullptr;
}

bool MemoryFileSystem::identifyFolder(const char* name, int levelsUp, FolderIdentity& id) {
    const MemoryFolder* folder = nullptr;
    if (name) {
        MemoryEntry* e = findFolderEntry(name);
        if (!e) return false;
        folder = e->folder;
    } else {
        if (levelsUp < 0 || static_cast<size_t>(levelsUp) >= path.size()) return false;
        folder = path[path.size() - 1 - levelsUp];
    }
    if (!folder->identifiable) return false;
    id.volume = 1;
    id.index = static_cast<uint64_t>(folder->id);
    return true;
}
