// What opening a drive has to ask or tell the user. The disk is not the
// place for it: the walk and navigation run against the in-memory disk in
// tests, and the product answers with message boxes.
#pragma once

class DrivePrompt {
public:
    // "Drive not found": true to try again, false when the user gives up.
    virtual bool askRetryMissingDrive() = 0;
    // The heap ran out during the walk: the drive's totals are incomplete,
    // and the drive will be scanned again when it is opened again.
    virtual void tellScanIncomplete() = 0;

protected:
    ~DrivePrompt() = default;
};
