#include "random_disk.h"

#include "../../support/reference_walk.h"
#include "tree/folder_node.h"
#include "tree/scan.h"

#include <vector>

namespace {

bool chance(const PickBelow& pick, unsigned inHundred) {
    return pick(100) < inHundred;
}

void addFailures(MemoryFolder& folder, const PickBelow& pick) {
    folder.enterable = !chance(pick, 8);
    folder.listable = !chance(pick, 5);
    folder.closeLosesPlace = chance(pick, 3);
    folder.identifiable = !chance(pick, 5);
    if (chance(pick, 8)) folder.listingStopsAfter = static_cast<int>(pick(6));
}

}  // namespace

void buildRandomDisk(MemoryFileSystem& fs, char letter, unsigned folders, const PickBelow& pick) {
    std::vector<MemoryFolder*> made{&fs.addDrive(letter, "Random")};
    unsigned links = 0;
    while (made.size() < folders) {
        // Mostly below the newest folder (deep chains), else anywhere (wide).
        MemoryFolder* parent = chance(pick, 40) ? made.back() : made[pick(static_cast<unsigned>(made.size()))];
        std::string name = std::to_string(made.size());
        switch (pick(8)) {
        case 0:
            parent->file("f" + name, pick(4) == 0 ? (uint64_t{1} << 33) + pick(1000) : pick(5000));
            continue;
        case 1:
            if (links < 3) {
                ++links;
                parent->link("l" + name, *made[pick(static_cast<unsigned>(made.size()))]);
                continue;
            }
            break;
        default:
            break;
        }
        MemoryFolder& folder = parent->folder("d" + name);
        addFailures(folder, pick);
        folder.file("x", 1 + pick(100));
        made.push_back(&folder);
    }
}

// Stopped after `stopAfter` reports, the walk leaves the drive as it was:
// unread, without a tree, every folder closed.
std::string stopDifference(MemoryFileSystem& fs, FolderNode* drive, int stopAfter) {
    int reports = 0;
    fs.whileReading = [&reports, stopAfter](const ScanProgress&) { return reports++ < stopAfter; };
    bool opened = openDrive(fs, fs, drive);
    fs.whileReading = nullptr;
    if (reports <= stopAfter) return opened ? "" : "not stopped, yet not opened";
    if (opened) return "opened though stopped";
    if (drive->firstChild || drive->filesBytes || drive->subfoldersBytes || drive->scanned)
        return "a stopped walk left the drive changed";
    if (fs.openFolders != 0) return "a stopped walk left folders open";
    return "";
}

std::string walkDifference(MemoryFileSystem& fs, char letter, long allocations, int stopAfter) {
    FolderNode* walked = newTestDrive(letter);
    FolderNode* reference = newTestDrive(letter);
    std::string stopped = stopAfter >= 0 ? stopDifference(fs, walked, stopAfter) : "";
    if (!stopped.empty()) {
        releaseChain(walked);
        releaseChain(reference);
        return stopped;
    }
    walked->scanned = 0;
    failTreeAllocationsAfter(allocations);
    openDrive(fs, fs, walked);
    std::string walkedEnd = fs.currentPath();
    failTreeAllocationsAfter(allocations);
    referenceReadDrive(fs, reference);
    std::string referenceEnd = fs.currentPath();
    failTreeAllocationsAfter(-1);
    std::string difference = firstTreeDifference(walked, reference);
    if (difference.empty() && walkedEnd != referenceEnd)
        difference = "ends in " + walkedEnd + ", the reference in " + referenceEnd;
    if (difference.empty() && fs.openFolders != 0)
        difference = std::to_string(fs.openFolders) + " folders left open";
    releaseChain(walked);
    releaseChain(reference);
    return difference;
}
