// The user at the drive prompts, scripted: Retry a given number of times,
// then Cancel; notices of incomplete totals are counted.
#pragma once

#include "tree/drive_prompt.h"

struct ScriptedPrompt final : DrivePrompt {
    int retriesLeft = 0;
    int promptsShown = 0;
    int incompleteNotices = 0;

    bool askRetryMissingDrive() override {
        ++promptsShown;
        if (retriesLeft == 0) return false;
        --retriesLeft;
        return true;
    }
    void tellScanIncomplete() override { ++incompleteNotices; }
    bool keepReading(const ScanProgress&) override { return true; }
};
