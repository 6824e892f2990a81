// An in-memory disk for unit tests, with every failure the walk must survive
// injectable: missing drive root, folders that cannot be opened, listings
// that cannot start or stop early, links that cannot be identified, a disk
// that loses its place, and changes made while the walk reads.
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
    MemoryFolder* folder = nullptr;  // folders: what opening it leads to
    bool isLink = false;
};

struct MemoryFolder {
    int id = 0;
    MemoryFileSystem* owner = nullptr;  // makes the subfolders
    std::vector<MemoryEntry> entries;  // in listing order, "." and ".." included
    bool enterable = true;
    bool listable = true;
    int listingStopsAfter = -1;  // entries handed out before the listing ends
    bool closeLosesPlace = false;  // closing it leaves the disk unable to open more
    bool identifiable = true;      // its identity can be read through a link
    // Another volume's folder: that volume's serial and its index there
    // (0: the drive's own volume, and the folder's id as its index).
    uint64_t volume = 0;
    uint64_t index = 0;
    int opens = 0;  // times opened, from its parent, by reference or as a root

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
        bool tableNeedsAdministrator = false;
    };

    ~MemoryFileSystem();

    // A new drive whose root lists no "." and "..", as a mapped drive does.
    MemoryFolder& addDrive(char letter, const std::string& volumeLabel, unsigned type = 3);
    Drive& drive(char letter) { return drives[letter]; }
    // A folder whose listing starts with "." and "..".
    MemoryFolder& newFolder();

    std::string currentPath() const;  // "Q:\" after a root was opened
    std::vector<bool> promptAnswers;  // true = Retry; consumed in order
    std::function<void()> whilePromptShown;  // what the user does meanwhile
    // What happens while the walk reads: the disk changes, the user stops
    // it (false).
    std::function<bool(const ScanProgress&)> whileReading;
    int promptsShown = 0;
    int incompleteNotices = 0;  // "totals are incomplete" told
    int progressReports = 0;
    int labelsRead = 0;
    std::vector<std::string> labelReadFor;
    int diskCalls = 0;    // opens, reads and closes
    bool reading = false;  // between beginDriveReading and endDriveReading
    // Disk calls outside a reading of a drive, prompts and progress reports
    // inside one, and readings begun inside one.
    int misplacedCalls = 0;
    int openFolders = 0;  // opened and not closed yet
    // A folder of the drive's own volume opens by its number (its file
    // reference here) from the root alone, as NT opens one by its file ID.
    bool opensByReference = false;

    uint32_t logicalDrives() override;
    unsigned driveType(const char* rootPath) override;
    void readVolumeLabel(const char* rootPath, char* label, unsigned size) override;
    bool askRetryMissingDrive() override;
    void tellScanIncomplete() override { misplacedCalls += reading; ++incompleteNotices; }
    bool keepReading(const ScanProgress& progress) override;
    OpenFolder* openRoot(const char* rootPath, FolderIdentity& id) override;
    OpenFolder* openChild(OpenFolder* parent, const void* key, uint32_t keySize,
                          FolderIdentity* linkTarget) override;
    bool nextEntry(OpenFolder* folder, FolderEntry& entry) override;
    bool closeFolder(OpenFolder* folder) override;
    // The key is the folder's number: what the table says of it.
    uint32_t keyFor(const char* name, uint64_t reference, void* key, uint32_t room) override;
    OpenFolder* openByReference(OpenFolder* root, uint64_t reference) override;
    bool volumeNeedsAdministrator(const char* rootPath) override;
    void beginDriveReading() override;
    void endDriveReading() override { reading = false; }

private:
    OpenFolder* open(MemoryFolder* folder);
    void countDiskCall();

    std::map<char, Drive> drives;
    std::deque<MemoryFolder> folders;
    std::vector<OpenFolder*> opened;  // open now; what is left is freed with the disk
    char currentDrive = 0;
    bool lost = false;
};
