// An in-memory disk for unit tests, with every failure the walk must survive
// injectable: missing drive root, folders that cannot be entered, listings
// that cannot start or stop early, and a failed step up.
#pragma once

#include "tree/drive_prompt.h"
#include "tree/file_system.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

struct MemoryFolder;
class MemoryFileSystem;

struct MemoryEntry {
    std::string name;
    bool isFolder = false;
    uint64_t size = 0;
    MemoryFolder* folder = nullptr;  // folders: what entering it leads to
    bool isLink = false;
    std::string enterName;           // when set, only this name enters the folder
};

struct MemoryFolder {
    int id = 0;
    MemoryFileSystem* owner = nullptr;  // makes the subfolders
    std::vector<MemoryEntry> entries;  // in listing order, "." and ".." included
    bool enterable = true;
    bool listable = true;
    int listingStopsAfter = -1;  // entries handed out before the listing ends
    bool stepUpFails = false;    // ".." out of this folder fails
    bool identifiable = true;    // its identity can be read

    MemoryFolder& file(const std::string& name, uint64_t size);
    MemoryFolder& folder(const std::string& name);  // the new subfolder
    MemoryFolder& link(const std::string& name, MemoryFolder& target);
    MemoryEntry& entry(const std::string& name);
};

class MemoryFileSystem : public FileSystem, public DrivePrompt {
public:
    struct Drive {
        unsigned type = 3;  // fixed
        std::string volumeLabel;
        MemoryFolder* root = nullptr;
        bool present = true;
    };

    // A new drive whose root lists no "." and "..", as a mapped drive does.
    MemoryFolder& addDrive(char letter, const std::string& volumeLabel, unsigned type = 3);
    Drive& drive(char letter) { return drives[letter]; }
    // A folder whose listing starts with "." and "..".
    MemoryFolder& newFolder();

    std::string currentPath() const;  // "Q:\a\b", names as entered
    std::vector<bool> promptAnswers;  // true = Retry; consumed in order
    std::function<void()> whilePromptShown;  // what the user does meanwhile
    int promptsShown = 0;
    int incompleteNotices = 0;             // "totals are incomplete" told
    int labelsRead = 0;
    std::vector<std::string> labelReadFor;
    int diskCalls = 0;                // listing and folder changes
    int foldedSteps = 0;              // changeFolderAlong calls that succeeded
    // Asked before each changeFolderAlong; true refuses it, as a system may for
    // reasons of its own.
    std::function<bool()> refuseFoldedStep;
    std::function<bool()> refuseListingOf;  // the same for openListingOf
    int listingsFromOutside = 0;            // openListingOf calls that succeeded

    uint32_t logicalDrives() override;
    unsigned driveType(const char* rootPath) override;
    void readVolumeLabel(const char* rootPath, char* label, unsigned size) override;
    bool askRetryMissingDrive() override;
    void tellScanIncomplete() override { ++incompleteNotices; }
    bool changeFolder(const char* path) override;
    bool changeFolderAlong(const FolderWay& way) override;
    bool openListing(FolderEntry& entry) override;
    bool nextEntry(FolderEntry& entry) override;
    void closeListing() override;
    bool openListingOf(const FolderWay& way, FolderEntry& entry) override;
    bool identifyFolder(const char* name, int levelsUp, FolderIdentity& id) override;

private:
    MemoryEntry* findFolderEntry(const char* name);
    bool step(const char* where);
    static MemoryEntry* folderEntryIn(MemoryFolder& folder, const char* name);
    MemoryFolder* folderAlong(const FolderWay& way);
    bool startListing(MemoryFolder* folder, FolderEntry& entry);
    void fill(FolderEntry& out, const MemoryEntry& in);

    std::map<char, Drive> drives;
    std::deque<MemoryFolder> folders;
    char currentDrive = 0;
    std::vector<MemoryFolder*> path;   // from the drive's root to the current directory
    std::vector<std::string> pathNames;
    MemoryFolder* listed = nullptr;
    size_t listingPosition = 0;
    int listingHandedOut = 0;
};
