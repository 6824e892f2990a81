#include "tree/drives.h"

#include "tree/file_system.h"
#include "tree/folder_node.h"

#include <cstdlib>
#include <cstring>

namespace {

const unsigned labelBufferSize = 260;
const unsigned volumeNameSize = 256;
const unsigned volumeLabelOffset = 4;  // behind "X:  "

}  // namespace

void enumerateDrives(FileSystem& fs) {
    rootNode = newFolderNode();
    if (!rootNode) return;
    char* label = static_cast<char*>(std::malloc(labelBufferSize));
    if (!label) return;
    char rootPath[] = "*:\\";
    uint32_t mask = fs.logicalDrives();
    FolderNode** tail = &rootNode->firstChild;
    for (unsigned i = 0; i < 32; ++i) {
        if (!(mask & (uint32_t{1} << i))) continue;
        char letter = static_cast<char>('A' + i);
        rootPath[0] = letter;
        FolderNode* drive = newDriveNode();
        if (!drive) break;
        std::memcpy(label, "*:  ", 5);
        label[0] = letter;
        // A removable drive is not touched: asking for its label would spin
        // up (or prompt for) its medium.
        if (fs.driveType(rootPath) != driveTypeRemovable)
            fs.readVolumeLabel(rootPath, label + volumeLabelOffset, volumeNameSize);
        char* name = copyText(label);
        if (name) drive->name = name;
        drive->parent = rootNode;
        drive->rootPath = copyText(rootPath);
        if (!drive->rootPath) {
            releaseChain(drive);
            break;
        }
        *tail = drive;
        tail = &drive->next;
    }
    std::free(label);
}
