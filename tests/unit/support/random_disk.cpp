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
    folder.stepUpFails = chance(pick, 3);
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
        if (chance(pick, 10)) parent->entries.back().enterName = "~" + name;
        addFailures(folder, pick);
        folder.file("x", 1 + pick(100));
        made.push_back(&folder);
    }
    fs.refuseFoldedStep = [pick] { return chance(pick, 10); };
    fs.refuseListingOf = [pick] { return chance(pick, 10); };
}

std::string walkDifference(MemoryFileSystem& fs, char letter, long allocations) {
    FolderNode* walked = newTestDrive(letter);
    FolderNode* reference = newTestDrive(letter);
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
    releaseChain(walked);
    releaseChain(reference);
    return difference;
}
