// Opening a drive: its file table read where the volume has one that can be
// read exactly, its folders walked where not; then the totals.
#include "tree/scan.h"

#include "tree/drive_prompt.h"
#include "tree/file_system.h"
#include "tree/file_table.h"
#include "tree/folder_node.h"
#include "tree/node_arena.h"
#include "tree/walk.h"

#include <cstdlib>

namespace {

// The user is asked, and the window is kept alive, outside the reading of
// the disk: with the disk read as it is (WoW64's redirection off), a message
// box or a paint would load its DLLs from the 64-bit System32.
class AskedOutsideReading : public DrivePrompt {
public:
    AskedOutsideReading(FileSystem& fs, DrivePrompt& user) : fileSystem(fs), user(user) {}

    bool askRetryMissingDrive() override {
        Pause pause(fileSystem);
        return user.askRetryMissingDrive();
    }
    void tellScanIncomplete() override {
        Pause pause(fileSystem);
        user.tellScanIncomplete();
    }
    bool keepReading(const ScanProgress& progress) override {
        Pause pause(fileSystem);
        return user.keepReading(progress);
    }

private:
    struct Pause {
        explicit Pause(FileSystem& fs) : fileSystem(fs) { fileSystem.endDriveReading(); }
        ~Pause() { fileSystem.beginDriveReading(); }
        FileSystem& fileSystem;
    };
    FileSystem& fileSystem;
    DrivePrompt& user;
};

// The drive's own way back up, in front of what its root holds. Below the
// stand-in, as every folder of the root, until the tree is whole.
bool startTree(FolderNode& standIn, NodeArena* arena) {
    standIn.firstChild = newDotDotNode(arena, &standIn);
    return standIn.firstChild != nullptr;
}

// One way of reading the drive into the tree below `standIn`, carving its
// nodes from `arena` (the heap when null). On `notThisWay` and `stopped`
// nothing of what it built is left below the stand-in.
using WayOfReading = Reading (*)(FileSystem& fs, DrivePrompt& prompt, FolderNode* drive, FolderNode& standIn,
                                 NodeArena* arena);

// Leaves the stand-in as it was before a way was tried.
Reading undo(Reading reading, FolderNode& standIn, NodeArena* arena) {
    if (standIn.firstChild) releaseChain(standIn.firstChild);
    standIn.firstChild = nullptr;
    standIn.filesBytes = 0;
    if (arena) releaseArena(*arena);
    return reading;
}

// The drive's file table, where its volume opens and holds one that can
// be read exactly; its links by the walk.
Reading readByFileTable(FileSystem& fs, DrivePrompt& prompt, FolderNode* drive, FolderNode& standIn,
                        NodeArena* arena) {
    RawVolume volume{};
    if (!fs.openVolume(drive->rootPath, volume)) return Reading::notThisWay;
    ScanProgress progress{};
    TableFolders linkPaths{nullptr, 0};
    Reading reading = startTree(standIn, arena)
                          ? readFileTable(volume, &standIn, arena, prompt, progress, linkPaths)
                          : Reading::notThisWay;
    fs.closeVolume(volume);
    if (reading == Reading::read)
        reading = walkTableLinks(fs, prompt, arena, &standIn, drive->rootPath, linkPaths, progress);
    std::free(linkPaths.items);
    return reading == Reading::stopped || reading == Reading::notThisWay ? undo(reading, standIn, arena) : reading;
}

// The walk, where the drive's root opens.
Reading readByWalk(FileSystem& fs, DrivePrompt& prompt, FolderNode* drive, FolderNode& standIn, NodeArena* arena) {
    FolderIdentity rootId;
    OpenFolder* root = fs.openRoot(drive->rootPath, rootId);
    if (!root) return Reading::notThisWay;
    if (!startTree(standIn, arena)) {
        fs.closeFolder(root);
        return Reading::readInPart;
    }
    // A drive whose file table only an administrator may read says so while it is walked.
    bool tableNeedsAdministrator = fs.volumeNeedsAdministrator(drive->rootPath);
    Reading reading = walkDrive(fs, prompt, arena, root, rootId, &standIn, tableNeedsAdministrator);
    return reading == Reading::stopped ? undo(reading, standIn, arena) : reading;
}

// The ways, in the order they are tried: the first that can read the drive does.
const WayOfReading waysOfReading[] = {readByFileTable, readByWalk};

// Reads the drive's tree beside the one it has and, unless the user stops
// the reading, puts it in that one's place with its totals. False when the
// root is missing and given up, or the reading was stopped: the drive is
// then as it was.
bool readDrive(FileSystem& fs, DrivePrompt& user, FolderNode* drive) {
    DriveReading reading(fs);
    AskedOutsideReading prompt(fs, user);
    // The new tree is carved from an arena of its own, which the drive
    // takes over when it takes the tree; a drive without an arena (tests
    // make some) gets heap nodes.
    NodeArena built;
    NodeArena* arena = arenaOfDrive(drive) ? &built : nullptr;

    // The new tree hangs from a stand-in until it is whole: the drive keeps
    // its old tree and counters meanwhile, and they stay if the user stops.
    FolderNode standIn = *drive;
    standIn.storage = 0;  // the drive's arena stays the drive's
    standIn.firstChild = nullptr;
    standIn.filesBytes = 0;
    standIn.subfoldersBytes = 0;

    Reading outcome = Reading::notThisWay;
    while (outcome == Reading::notThisWay) {
        for (WayOfReading way : waysOfReading) {
            outcome = way(fs, prompt, drive, standIn, arena);
            if (outcome != Reading::notThisWay) break;
        }
        if (outcome == Reading::stopped) return false;
        if (outcome == Reading::notThisWay && !prompt.askRetryMissingDrive()) return false;
    }
    for (FolderNode* top = standIn.firstChild; top; top = top->next) top->parent = drive;
    // The drive's type is asked after the root's listing, as the medium is there.
    bool removable = fs.driveType(drive->rootPath) == driveTypeRemovable;
    replaceTreeOf(drive, standIn.firstChild, built);
    drive->filesBytes = standIn.filesBytes;
    drive->subfoldersBytes = 0;
    rollUpTotals(drive);
    // A fixed drive is read once per run; one read only in part, or a
    // removable one, is read anew at the next opening.
    drive->scanned = outcome == Reading::read && !removable;
    if (outcome == Reading::readInPart) prompt.tellScanIncomplete();
    return true;
}

}  // namespace

void rollUpTotals(FolderNode* drive) {
    FolderNode* node = drive->firstChild;
    if (!node) return;
    for (;;) {
        while (node->firstChild) node = node->firstChild;
        for (;;) {
            node->parent->subfoldersBytes += node->filesBytes + node->subfoldersBytes;
            if (node->next) break;
            node = node->parent;
            if (node->isDrive) return;
        }
        node = node->next;
    }
}

bool openDrive(FileSystem& fs, DrivePrompt& prompt, FolderNode* drive) {
    if (!drive->isDrive || drive->scanned) return true;
    return readDrive(fs, prompt, drive);
}

bool readDriveAgain(FileSystem& fs, DrivePrompt& prompt, FolderNode* drive) {
    return drive->isDrive && readDrive(fs, prompt, drive);
}
