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

// What reading the file table came to; `notRead` leaves the drive to the walk.
enum class TableOutcome { read, notRead, stopped };

// Reads the drive's file table into the tree below `standIn`, its links by
// the walk. Where the table cannot be read exactly, everything built from
// it goes and the walk reads the drive, with no word to the user.
TableOutcome readByFileTable(FileSystem& fs, DrivePrompt& prompt, FolderNode* drive, FolderNode& standIn,
                             NodeArena& arena, Ending& ending) {
    RawVolume volume{};
    if (!fs.openVolume(drive->rootPath, volume)) return TableOutcome::notRead;
    ScanProgress progress{};
    TableReading reading = TableReading::inexact;
    TableFolders linkPaths{nullptr, 0};
    // Below the stand-in until the tree is whole, as every folder of the root.
    if ((standIn.firstChild = newDotDotNode(&arena, &standIn)))
        reading = readFileTable(volume, &standIn, &arena, prompt, progress, linkPaths);
    fs.closeVolume(volume);
    if (reading == TableReading::read)
        ending = walkTableLinks(fs, prompt, &arena, &standIn, drive->rootPath, linkPaths, progress);
    std::free(linkPaths.items);
    if (reading == TableReading::read && ending != Ending::stopped) {
        finishTableTree(&standIn, drive);
        return TableOutcome::read;
    }
    standIn.firstChild = nullptr;
    standIn.filesBytes = 0;
    releaseArena(arena);
    return reading == TableReading::stopped || ending == Ending::stopped ? TableOutcome::stopped
                                                                         : TableOutcome::notRead;
}

// Reads the drive's tree beside the one it has and, unless the user stops
// the reading, puts it in that one's place with its totals. False when the
// root is missing and given up, or the reading was stopped: the drive is
// then as it was.
bool readDrive(FileSystem& fs, DrivePrompt& prompt, FolderNode* drive) {
    // The new tree is carved from an arena of its own, which the drive
    // takes over when it takes the tree; a drive without an arena (tests
    // make some) gets heap nodes, and is only walked.
    NodeArena built;
    NodeArena* arena = arenaOfDrive(drive) ? &built : nullptr;

    // The new tree hangs from a stand-in until it is whole: the drive keeps
    // its old tree and counters meanwhile, and they stay if the user stops.
    FolderNode standIn = *drive;
    standIn.storage = 0;  // the drive's arena stays the drive's
    standIn.firstChild = nullptr;
    standIn.filesBytes = 0;
    standIn.subfoldersBytes = 0;

    Ending ending = Ending::incomplete;
    for (;;) {
        TableOutcome table = arena ? readByFileTable(fs, prompt, drive, standIn, built, ending) : TableOutcome::notRead;
        if (table == TableOutcome::stopped) return false;
        if (table == TableOutcome::read) break;
        FolderIdentity rootId;
        if (OpenFolder* root = fs.openRoot(drive->rootPath, rootId)) {
            // The drive's own way back up, in front of what its root lists.
            if ((standIn.firstChild = newDotDotNode(arena, drive)))
                ending = walkDrive(fs, prompt, arena, root, rootId, &standIn, drive);
            else
                fs.closeFolder(root);
            break;
        }
        if (!prompt.askRetryMissingDrive()) return false;
    }

    if (ending == Ending::stopped) {
        if (standIn.firstChild) releaseChain(standIn.firstChild);
        releaseArena(built);
        return false;
    }
    // The drive's type is asked after the root's listing, as the medium is there.
    bool removable = fs.driveType(drive->rootPath) == driveTypeRemovable;
    replaceTreeOf(drive, standIn.firstChild, built);
    drive->filesBytes = standIn.filesBytes;
    drive->subfoldersBytes = 0;
    rollUpTotals(drive);
    // A fixed drive is read once per run; one read only in part, or a
    // removable one, is read anew at the next opening.
    drive->scanned = ending == Ending::complete && !removable;
    if (ending == Ending::incomplete) prompt.tellScanIncomplete();
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
