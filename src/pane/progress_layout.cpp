#include "pane/progress_layout.h"

#include "pane/chart_layout.h"
#include "tree/drive_prompt.h"
#include "tree/folder_node.h"
#include "ui/client_split.h"
#include "ui/dpi_scale.h"

#include <cstring>

ProgressLayout layoutProgress(int32_t clientWidth, int32_t clientHeight, int32_t lineHeight,
                              int32_t dpi) {
    ProgressLayout layout;
    layout.paneTop = folderListHeight(clientHeight);
    int32_t margin = scaledPixels(pieMargin, dpi);
    layout.x = margin;
    for (int i = 0; i < progressLineCount; ++i)
        layout.lineY[i] = layout.paneTop + margin + i * lineHeight;
    layout.lineHeight = lineHeight;
    layout.textWidth = clientWidth - 2 * margin;
    if (layout.textWidth < 0) layout.textWidth = 0;
    layout.changingTop = layout.lineY[1];
    layout.changingBottom = layout.lineY[progressLineCount - 1] + lineHeight;
    return layout;
}

namespace {

const char* rootPathOf(const FolderNode* drive) {
    return drive->rootPath ? drive->rootPath : "";
}

}  // namespace

const char* readingHeading(const ScanProgress& progress) {
    if (progress.fromFileTable) return "Reading the file table (Esc stops)";
    if (progress.tableNeedsAdministrator)
        return "Reading folder by folder: run as administrator to read the file table (Esc stops)";
    return "Reading the drive (Esc stops)";
}

size_t folderPathLength(const FolderNode* folder) {
    const FolderNode* drive = driveOf(folder);
    if (!drive) return 0;
    // The root path ends in the separator: the first name needs none.
    return std::strlen(rootPathOf(drive)) + namesBelowLength(folder, drive);
}

void writeFolderPath(const FolderNode* folder, char* out) {
    const FolderNode* drive = driveOf(folder);
    if (!drive) {
        out[0] = 0;
        return;
    }
    size_t rootLength = std::strlen(rootPathOf(drive));
    std::memcpy(out, rootPathOf(drive), rootLength);
    writeNamesBelow(folder, drive, '\\', out + rootLength);
}
