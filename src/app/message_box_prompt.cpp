#include "app/message_box_prompt.h"

#include "app/scan_pump.h"
#include "ui/globals.h"

#include <windows.h>

namespace {

const char caption[] = "Quorvel 1.0";

class MessageBoxPrompt final : public DrivePrompt {
public:
    bool askRetryMissingDrive() override {
        int answer = MessageBoxA(mainWindow, "Drive not found", caption, MB_ICONWARNING | MB_RETRYCANCEL);
        // The box took the keyboard focus; the list gets it back, on Cancel
        // and on a Retry that goes on to open the drive.
        SetFocus(folderList);
        // 0 when the box could not be shown at all: asking again would fail
        // again, for ever.
        return answer == IDRETRY;
    }

    void tellScanIncomplete() override {
        MessageBoxA(mainWindow,
                    "Not every folder of this drive could be read, so its totals are "
                    "incomplete. Opening the drive again reads it anew.",
                    caption, MB_ICONWARNING | MB_OK);
        SetFocus(folderList);
    }

    bool keepReading(const ScanProgress& progress) override {
        return keepReadingAndPump(progress);
    }
};

// At namespace scope rather than inside the function: no guard, and so no
// thread-safe-static machinery from the C++ runtime.
MessageBoxPrompt prompt;

}  // namespace

DrivePrompt& messageBoxPrompt() {
    return prompt;
}
