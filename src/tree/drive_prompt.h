// What opening a drive has to ask or tell the user. The disk is not the
// place for it: the walk and navigation run against the in-memory disk in
// tests, and the product answers with message boxes and the pane.
#pragma once

#include <cstdint>

struct FolderNode;

// What the walk has read so far.
struct ScanProgress {
    uint64_t folders;          // opened and listed
    uint64_t files;
    uint64_t bytes;            // of those files
    // Being read now: its node in the tree being built, or the drive's
    // stand-in; valid only until keepReading returns.
    const FolderNode* folder;
    bool fromFileTable;  // read from the volume's file table, not by folders
    // Walked because only an administrator may read the drive's file table.
    bool tableNeedsAdministrator;
};

class DrivePrompt {
public:
    // "Drive not found": true to try again, false when the user gives up.
    virtual bool askRetryMissingDrive() = 0;
    // The walk could not go on to its end (the heap ran out, or the disk
    // lost its place): the drive's totals are incomplete, and the drive will
    // be read again when it is opened again.
    virtual void tellScanIncomplete() = 0;
    // Told after every folder the walk has listed; false stops the walk (the
    // user asked for it). Called often: an answer must cost next to nothing
    // unless its time has come.
    virtual bool keepReading(const ScanProgress& progress) = 0;

protected:
    ~DrivePrompt() = default;
};
