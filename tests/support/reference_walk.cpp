#include "reference_walk.h"

#include "tree/file_system.h"
#include "tree/folder_node.h"
#include "tree/node_arena.h"
#include "tree/scan.h"
#include "tree/scan_marks.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

struct Subfolder {
    FolderNode* node;
    std::string key;
    uint64_t fileIndex;
    bool isLink;
};

struct ReferenceWalk {
    FileSystem& fs;
    FolderIdentity root;
    std::vector<FolderIdentity> path;
    bool complete = true;

    // Lists `folder` into `node` (bytes) and `parent` (children), then
    // walks each subfolder; closes it.
    void read(OpenFolder* folder, FolderNode* node, FolderNode* parent) {
        std::vector<Subfolder> subfolders;
        FolderNode** tail = &node->firstChild;
        while (*tail) tail = &(*tail)->next;
        FolderEntry entry;
        while (complete && fs.nextEntry(folder, entry)) {
            if (!entry.isFolder) {
                node->filesBytes += entry.size;
                continue;
            }
            if (std::strcmp(entry.name, ".") == 0) continue;
            bool up = std::strcmp(entry.name, "..") == 0;
            FolderNode* child = up ? newDotDotNode(nullptr, parent) : newNamedNode(nullptr, entry.name);
            if (!child) {
                complete = false;
                break;
            }
            child->parent = parent;
            if (entry.isLink && !up) child->scanMarks |= scanMarkLink;
            *tail = child;
            tail = &child->next;
            if (!up)
                subfolders.push_back({child, std::string(static_cast<const char*>(entry.key), entry.keySize),
                                      entry.fileIndex, entry.isLink});
        }
        for (const Subfolder& sub : subfolders) {
            if (!complete) break;
            FolderIdentity id{path.back().volume, sub.fileIndex};
            OpenFolder* child = fs.openChild(folder, sub.key.data(), static_cast<uint32_t>(sub.key.size()),
                                             sub.isLink ? &id : nullptr);
            if (!child) continue;
            bool loops = sub.isLink && id.index != 0 &&
                         std::any_of(path.begin(), path.end(), [&](const FolderIdentity& on) { return sameFolder(on, id); });
            if (!loops) {
                path.push_back(id);
                read(child, sub.node, sub.node);
                path.pop_back();
            } else if (!fs.closeFolder(child)) {
                complete = false;
            }
        }
        if (!fs.closeFolder(folder)) complete = false;
    }
};

std::string describe(const FolderNode* node) {
    std::string path;
    for (; node && !node->isDrive; node = node->parent) path = "\\" + std::string(node->name) + path;
    return path.empty() ? "\\" : path;
}

std::string differenceIn(const FolderNode* a, const FolderNode* b, bool totals) {
    if (std::strcmp(a->name, b->name) != 0) return "name";
    if (isDotDot(a) != isDotDot(b)) return "\"..\" node";
    if (a->scanMarks != b->scanMarks) return "marks";
    if (a->filesBytes != b->filesBytes) return "files bytes";
    if (totals && a->subfoldersBytes != b->subfoldersBytes) return "subfolders bytes";
    if (!a->firstChild != !b->firstChild) return "entered or not";
    return "";
}

}  // namespace

FolderNode* newTestDrive(char letter) {
    FolderNode* drive = newDriveNode();
    char label[] = "*:  ";
    char root[] = "*:\\";
    label[0] = root[0] = letter;
    drive->name = copyText(label);
    drive->rootPath = copyText(root);
    return drive;
}

bool referenceReadDrive(FileSystem& fs, FolderNode* drive) {
    ReferenceWalk walk{fs, {}, {}};
    OpenFolder* root = fs.openRoot(drive->rootPath, walk.root);
    if (!root) return false;
    if (drive->firstChild) releaseChain(drive->firstChild);
    drive->filesBytes = 0;
    drive->subfoldersBytes = 0;
    drive->firstChild = newDotDotNode(nullptr, drive);
    if (!drive->firstChild) {
        fs.closeFolder(root);
        return false;
    }
    walk.path.push_back(walk.root);
    walk.read(root, drive, drive);
    rollUpTotals(drive);
    return walk.complete;
}

namespace {

std::vector<const FolderNode*> childrenOf(const FolderNode* node, bool sorted) {
    std::vector<const FolderNode*> children;
    for (const FolderNode* child = node->firstChild; child; child = child->next) children.push_back(child);
    // ".." nodes first, then by name: the order a listing happens to have aside.
    if (sorted)
        std::stable_sort(children.begin(), children.end(), [](const FolderNode* x, const FolderNode* y) {
            if (isDotDot(x) != isDotDot(y)) return isDotDot(x);
            return std::strcmp(x->name, y->name) < 0;
        });
    return children;
}

// Both trees in step, pre-order, without recursion.
std::string firstDifference(const FolderNode* a, const FolderNode* b, bool totals, bool sorted) {
    std::vector<std::pair<const FolderNode*, const FolderNode*>> pending{{a, b}};
    while (!pending.empty()) {
        auto [x, y] = pending.back();
        pending.pop_back();
        std::string what = differenceIn(x, y, totals);
        if (!what.empty()) return what + " at " + describe(x);
        std::vector<const FolderNode*> cx = childrenOf(x, sorted), cy = childrenOf(y, sorted);
        if (cx.size() != cy.size()) return "number of children at " + describe(x);
        for (size_t i = cx.size(); i-- > 0;) pending.emplace_back(cx[i], cy[i]);
    }
    return "";
}

}  // namespace

std::string firstTreeDifference(const FolderNode* a, const FolderNode* b, bool inAnyOrder) {
    // What was read first: a wrong total only follows from it.
    std::string read = firstDifference(a, b, false, inAnyOrder);
    return read.empty() ? firstDifference(a, b, true, inAnyOrder) : read;
}
