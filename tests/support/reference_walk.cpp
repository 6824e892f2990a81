#include "reference_walk.h"

#include "tree/file_system.h"
#include "tree/folder_node.h"
#include "tree/scan.h"
#include "tree/scan_marks.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Identities of the current path, read afresh for every link.
bool linkLeadsOutsidePath(FileSystem& fs, const FolderNode* link, int depth) {
    FolderIdentity target;
    if (!fs.identifyFolder(enterNameOf(link), 0, target)) return false;
    for (int up = depth; up >= 0; --up) {
        FolderIdentity ancestor;
        if (!fs.identifyFolder(nullptr, up, ancestor)) return false;
        if (ancestor.volume == target.volume && ancestor.index == target.index) return false;
    }
    return true;
}

bool enter(FileSystem& fs, const FolderNode* node, int depth) {
    if (isDotDot(node)) return false;
    if ((node->scanMarks & scanMarkLink) && !linkLeadsOutsidePath(fs, node, depth)) return false;
    return fs.changeFolder(enterNameOf(node));
}

bool walk(FileSystem& fs, FolderNode* start) {
    FolderNode* node = start;
    int depth = 0;
    for (;;) {
        if (enter(fs, node, depth)) {
            ++depth;
            if (!listFolder(fs, node)) return false;
            if (node->firstChild) {
                node = node->firstChild;
                continue;
            }
            if (!fs.changeFolder("..")) return true;
            --depth;
        }
        while (!node->next) {
            node = node->parent;
            if (node->isDrive) return true;
            if (!fs.changeFolder("..")) return true;
            --depth;
        }
        node = node->next;
    }
}

std::string describe(const FolderNode* node) {
    std::string path;
    for (; node && !node->isDrive; node = node->parent) path = "\\" + std::string(node->name) + path;
    return path.empty() ? "\\" : path;
}

std::string differenceIn(const FolderNode* a, const FolderNode* b, bool totals) {
    if (std::strcmp(a->name, b->name) != 0) return "name";
    if (std::strcmp(enterNameOf(a), enterNameOf(b)) != 0) return "enter name";
    if (isDotDot(a) != isDotDot(b)) return "\"..\" node";
    if (a->scanMarks != b->scanMarks) return "marks";
    if (a->filesBytes != b->filesBytes) return "files bytes";
    if (totals && a->subfoldersBytes != b->subfoldersBytes) return "subfolders bytes";
    if (!a->firstChild != !b->firstChild) return "entered or not";
    return "";
}

}  // namespace

FolderNode* newTestDrive(char letter) {
    FolderNode* drive = newFolderNode();
    char label[] = "*:  ";
    char root[] = "*:\\";
    label[0] = root[0] = letter;
    drive->name = copyText(label);
    drive->rootPath = copyText(root);
    drive->isDrive = 1;
    return drive;
}

bool referenceReadDrive(FileSystem& fs, FolderNode* drive) {
    if (!fs.changeFolder(drive->rootPath)) return false;
    if (drive->firstChild) releaseChain(drive->firstChild);
    drive->firstChild = nullptr;
    drive->filesBytes = 0;
    drive->subfoldersBytes = 0;
    bool complete = listFolder(fs, drive);
    FolderNode* up = newDotDotNode(drive);
    if (up) {
        up->next = drive->firstChild;
        drive->firstChild = up;
        if (complete) complete = walk(fs, up);
    }
    rollUpTotals(drive);
    return complete && up;
}

namespace {

// Both trees in step, pre-order, without recursion.
std::string firstDifference(const FolderNode* a, const FolderNode* b, bool totals) {
    std::vector<std::pair<const FolderNode*, const FolderNode*>> pending{{a, b}};
    while (!pending.empty()) {
        auto [x, y] = pending.back();
        pending.pop_back();
        std::string what = differenceIn(x, y, totals);
        if (!what.empty()) return what + " at " + describe(x);
        const FolderNode* cx = x->firstChild;
        const FolderNode* cy = y->firstChild;
        size_t first = pending.size();
        for (; cx && cy; cx = cx->next, cy = cy->next) pending.emplace_back(cx, cy);
        if (cx || cy) return "number of children at " + describe(x);
        std::reverse(pending.begin() + static_cast<long>(first), pending.end());
    }
    return "";
}

}  // namespace

std::string firstTreeDifference(const FolderNode* a, const FolderNode* b) {
    // What was read first: a wrong total only follows from it.
    std::string read = firstDifference(a, b, false);
    return read.empty() ? firstDifference(a, b, true) : read;
}
