#include "tree/scan.h"

#include "tree/drive_prompt.h"
#include "tree/file_system.h"
#include "tree/folder_node.h"
#include "tree/scan_marks.h"

#include <cstdlib>
#include <cstring>

namespace {

// Identities of the folders on the walk's path, from the drive's root down,
// found only when a directory link has to be checked against them: most
// drives have no links and never pay for it.
struct PathIdentities {
    FolderIdentity* ids = nullptr;
    int capacity = 0;
    int known = 0;  // ids[0 .. known-1] belong to the current path

    ~PathIdentities() { std::free(ids); }

    void entered(int depth) {
        if (known > depth) known = depth;
    }

    bool reserve(int count) {
        if (count <= capacity) return true;
        int wanted = capacity ? capacity * 2 : 64;
        while (wanted < count) wanted *= 2;
        void* grown = std::realloc(ids, sizeof(FolderIdentity) * wanted);
        if (!grown) return false;
        ids = static_cast<FolderIdentity*>(grown);
        capacity = wanted;
        return true;
    }
};

bool sameFolder(const FolderIdentity& a, const FolderIdentity& b) {
    return a.volume == b.volume && a.index == b.index;
}

// A link may be entered only when it leads to no folder on the path from the
// drive's root to the current directory (at `depth`); otherwise the walk
// would go round the loop again and again. Unknown means no.
bool linkLeadsOutsidePath(FileSystem& fs, const FolderNode* link, int depth, PathIdentities& path) {
    FolderIdentity target;
    if (!fs.identifyFolder(enterNameOf(link), 0, target)) return false;
    if (!path.reserve(depth + 1)) return false;
    for (; path.known <= depth; ++path.known) {
        if (!fs.identifyFolder(nullptr, depth - path.known, path.ids[path.known])) return false;
    }
    for (int k = 0; k <= depth; ++k) {
        if (sameFolder(path.ids[k], target)) return false;
    }
    return true;
}

// What became of a folder the walk came to.
enum class Visit {
    notEntered,
    entered,      // current now, not listed yet
    listedInside, // current now and listed
    listedLeaf,   // listed from outside, holds no folder to enter
    listedAhead,  // listed from outside, not current: the folders below are listed from outside too
    stop,         // a step up, or into a folder listed from outside, failed: the walk ends where it is
    outOfMemory,  // the walk ends inside the folder
};

// Adds the entry's node behind `*tail`; false when the heap ran out.
bool appendChild(FolderNode* folder, FolderNode**& tail, const FolderEntry& entry) {
    // Every listed folder has a ".." entry: it shares the one ".." text.
    FolderNode* child = std::strcmp(entry.name, "..") == 0 ? newDotDotNode(folder)
                                                           : newNamedNode(entry.name, entry.enterName);
    if (!child) return false;
    child->parent = folder;
    if (entry.isLink) child->scanMarks |= scanMarkLink;
    *tail = child;
    tail = &child->next;
    return true;
}

// The most folder names a way from the current directory goes down by to
// list a folder. A folder listed from outside is entered as far as the tree
// is concerned, but made current only when the folders below it could not
// be listed from where the walk stands; each name more saves steps, each
// makes every call on the way resolve a longer path.
const int longestWayDown = 3;

// Where the walk is, the steps up it owes and the folders it has listed
// without making them current. Under Wine every change of the current
// directory costs two trips to the server, so a step up is taken only when
// the next step needs it, folded with that step into one; and a folder is
// listed from outside, made current only when the walk could not reach the
// folders below it otherwise. Every folder still ends entered or not, listed
// or not, as if each step were taken alone.
struct Walker {
    explicit Walker(FileSystem& system) : fs(system) {}

    FileSystem& fs;
    PathIdentities path;
    int depth = 0;  // of the folder whose listing the walk is in, below the drive's root
    int owed = 0;   // the current directory is this many levels below a folder on its path,
    int ahead = 0;  // which that folder lies this many levels below, listed from outside
    const char* names[longestWayDown];

    // The way from the current directory to `child` of `folder`, the folder
    // whose listing the walk is in, or to `folder` itself when `child` is null.
    FolderWay wayTo(const FolderNode* folder, const FolderNode* child) {
        int count = ahead + (child ? 1 : 0);
        int i = count;
        if (child) names[--i] = enterNameOf(child);
        for (; i > 0; folder = folder->parent) names[--i] = enterNameOf(folder);
        return FolderWay{owed, count, names};
    }

    // Makes `child` of `folder` current, or `folder` itself when `child` is
    // null: in one step when the system takes it so, else step by step.
    // `stop` when a step up or into a folder already listed fails: the walk
    // ends there.
    Visit moveTo(const FolderNode* folder, const FolderNode* child) {
        FolderWay way = wayTo(folder, child);
        if (way.levelsUp + way.count > 1 && fs.changeFolderAlong(way)) {
            owed = ahead = 0;
            return Visit::entered;
        }
        for (; owed > 0; --owed) {
            if (!fs.changeFolder("..")) return Visit::stop;
        }
        for (int i = 0; ahead > 0; ++i, --ahead) {
            if (!fs.changeFolder(way.names[i])) return Visit::stop;
        }
        if (!child) return Visit::entered;
        return fs.changeFolder(way.names[way.count - 1]) ? Visit::entered : Visit::notEntered;
    }

    bool settle(const FolderNode* folder) { return moveTo(folder, nullptr) != Visit::stop; }
    Visit step(const FolderNode* node) { return moveTo(node->parent, node); }

    Visit visit(FolderNode* node) {
        if (isDotDot(node)) return Visit::notEntered;
        if (node->scanMarks & scanMarkLink) {
            // Checked against the path from inside the parent.
            if (!settle(node->parent)) return Visit::stop;
            if (!linkLeadsOutsidePath(fs, node, depth, path)) return Visit::notEntered;
            return fs.changeFolder(enterNameOf(node)) ? Visit::entered : Visit::notEntered;
        }
        FolderEntry entry;
        if (!fs.openListingOf(wayTo(node->parent, node), entry)) return step(node);
        Visit read = readFromOutside(node, entry);
        fs.closeListing();
        return read;
    }

    // Reads the listing opened from outside into `node`, nodes made in the
    // listing's order as from inside. A ".." entry before any folder waits
    // until the folder is known to be entered; at the first folder to go on
    // into, the walk steps in, before the node is made, unless the folders
    // below can be listed from where it stands.
    Visit readFromOutside(FolderNode* node, FolderEntry& entry) {
        FolderNode** tail = &node->firstChild;
        WaitingDotDot dotDot;
        Visit visit = Visit::listedLeaf;
        do {
            if (!entry.isFolder) {
                node->filesBytes += entry.size;
                continue;
            }
            if (std::strcmp(entry.name, ".") == 0) continue;
            if (visit == Visit::listedLeaf) {
                if (std::strcmp(entry.name, "..") == 0) {
                    dotDot = WaitingDotDot{true, node->filesBytes};
                    continue;
                }
                if (ahead + 2 <= longestWayDown) {
                    visit = Visit::listedAhead;
                } else {
                    visit = step(node);
                    if (visit != Visit::entered) break;
                    visit = Visit::listedInside;
                }
                if (!dotDot.append(node, tail)) return outOfMemoryIn(node, visit);
            }
            if (!appendChild(node, tail, entry)) return outOfMemoryIn(node, visit);
        } while (fs.nextEntry(entry));
        if (visit == Visit::notEntered || visit == Visit::stop) {
            node->filesBytes = 0;
            return visit;
        }
        if (visit == Visit::listedLeaf && !dotDot.append(node, tail)) return outOfMemoryIn(node, visit);
        return visit;
    }

    // The walk ends inside the folder, as after listing it there.
    Visit outOfMemoryIn(const FolderNode* node, Visit visit) {
        if (visit != Visit::listedInside) step(node);
        return Visit::outOfMemory;
    }

    // A level of the walk done: the folder it was in is its parent.
    void climb() {
        --depth;
        if (ahead > 0) {
            --ahead;
        } else {
            ++owed;
        }
    }

    struct WaitingDotDot {
        bool listed = false;
        uint64_t filesBytesBefore = 0;

        // False when the heap ran out; the listing from inside would have
        // stopped at the ".." entry, and so do the folder's byte counts.
        bool append(FolderNode* node, FolderNode**& tail) const {
            if (!listed) return true;
            FolderEntry entry{dotDotText, nullptr, 0, true, false};
            if (appendChild(node, tail, entry)) return true;
            node->filesBytes = filesBytesBefore;
            return false;
        }
    };
};

// Depth-first from the drive's own ".." node, with the root folder current.
// Ends when every folder is done, a step up fails, or the heap runs out;
// false only for the last.
bool walkDrive(FileSystem& fs, FolderNode* start) {
    Walker walk(fs);
    FolderNode* node = start;
    for (;;) {
        Visit visit = walk.visit(node);
        if (visit == Visit::stop) return true;
        if (visit == Visit::outOfMemory) return false;
        if (visit == Visit::entered || visit == Visit::listedInside || visit == Visit::listedAhead) {
            ++walk.depth;
            walk.path.entered(walk.depth);
            if (visit == Visit::listedAhead) ++walk.ahead;
            if (visit == Visit::entered && !listFolder(fs, node)) return false;
            if (node->firstChild) {
                node = node->firstChild;
                continue;
            }
            walk.climb();
        }
        while (!node->next) {
            FolderNode* parent = node->parent;
            if (parent->isDrive) {
                walk.settle(parent);
                return true;
            }
            walk.climb();
            node = parent;
        }
        node = node->next;
    }
}

}  // namespace

bool listFolder(FileSystem& fs, FolderNode* folder) {
    FolderEntry entry;
    if (!fs.openListing(entry)) return true;
    FolderNode** tail = &folder->firstChild;
    bool memoryLeft = true;
    do {
        if (!entry.isFolder) {
            folder->filesBytes += entry.size;
            continue;
        }
        if (std::strcmp(entry.name, ".") == 0) continue;
        if (!appendChild(folder, tail, entry)) {
            memoryLeft = false;
            break;
        }
    } while (fs.nextEntry(entry));
    fs.closeListing();
    return memoryLeft;
}

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

bool openDrive(FileSystem& fs, DrivePrompt& prompt, FolderNode* node) {
    if (!node->isDrive || node->scanned) return true;
    while (!fs.changeFolder(node->rootPath)) {
        if (!prompt.askRetryMissingDrive()) return false;
    }
    if (node->firstChild) {
        releaseChain(node->firstChild);
        node->firstChild = nullptr;
    }
    node->filesBytes = 0;
    node->subfoldersBytes = 0;
    buildTreeOf(node);
    bool complete = listFolder(fs, node);
    // Set before the walk: a fixed drive is never walked twice in a run.
    if (fs.driveType(node->rootPath) != driveTypeRemovable) node->scanned = 1;
    FolderNode* up = newDotDotNode(node);
    if (up) {
        up->next = node->firstChild;
        node->firstChild = up;
        if (complete) complete = walkDrive(fs, up);
    } else {
        complete = false;
    }
    buildTreeOf(nullptr);
    rollUpTotals(node);
    if (!complete) {
        // Totals that look whole but are not would mislead; reading the
        // drive again later may find the memory it needs.
        node->scanned = 0;
        prompt.tellScanIncomplete();
    }
    return true;
}
