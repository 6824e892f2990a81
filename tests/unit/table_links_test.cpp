// The directory links of a tree that the file table built, read by the
// walk: each link's parent opened by its file reference where the disk can,
// by the keys down from the root where it cannot, and the loop guard the
// same either way.
#include "tree/folder_node.h"
#include "tree/scan_marks.h"
#include "tree/walk.h"

#include "support/memory_file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Q: A (10 bytes) holds B (20), and B four links: back to A and to the
// root (loops), to Shared (7 bytes, and sub with 3), and to a folder of
// another volume whose index there is A's (5 bytes).
struct TableLinks : ::testing::Test {
    MemoryFileSystem fs;
    MemoryFolder& root = fs.addDrive('Q', "Data");
    MemoryFolder& a = root.folder("A");
    MemoryFolder& b = a.folder("B");
    MemoryFolder& shared = root.folder("Shared");
    MemoryFolder& away = fs.newFolder();
    FolderNode standIn{};
    std::vector<TableFolder> references;

    void SetUp() override {
        a.file("f", 10);
        b.file("g", 20);
        shared.file("s", 7);
        shared.folder("sub").file("t", 3);
        away.volume = 99;
        away.index = static_cast<uint64_t>(a.id);
        away.file("o", 5);
        b.link("toA", a).link("toRoot", root).link("out", shared).link("away", away);
        standIn.name = "";
        standIn.isDrive = 1;
        standIn.rootPath = "Q:\\";
    }
    void TearDown() override { releaseChain(standIn.firstChild); }

    // A node as the table leaves it: named, a link marked and empty, its
    // file reference kept (here the folder's number).
    FolderNode* add(FolderNode* parent, const char* name, const MemoryFolder& folder, bool isLink = false) {
        FolderNode* node = newNamedNode(nullptr, name);
        node->parent = parent;
        node->next = parent->firstChild;
        parent->firstChild = node;
        if (isLink) node->scanMarks |= scanMarkLink;
        references.push_back(TableFolder{node, static_cast<uint64_t>(folder.id)});
        return node;
    }

    Reading readLinks() {
        std::sort(references.begin(), references.end(),
                  [](const TableFolder& x, const TableFolder& y) { return byTableFolder(&x, &y) < 0; });
        TableFolders folders{references.data(), static_cast<uint32_t>(references.size())};
        ScanProgress progress{};
        return walkTableLinks(fs, fs, nullptr, &standIn, "Q:\\", folders, progress);
    }
};

TEST_F(TableLinks, EachLinkIsReadFromItsParentAndLoopsAreNot) {
    struct Case {
        bool byReference;
        // Once as toA's target (a link is opened to learn where it
        // leads), and on the way down to B once per link, or never.
        int opensOfA;
    };
    for (Case c : {Case{true, 1}, Case{false, 5}}) {
        SCOPED_TRACE(c.byReference);
        fs.opensByReference = c.byReference;
        a.opens = b.opens = 0;
        FolderNode* bNode = add(add(&standIn, "A", a), "B", b);
        FolderNode* links[4];
        const char* names[4] = {"toA", "toRoot", "out", "away"};
        const MemoryFolder* targets[4] = {&a, &root, &shared, &away};
        for (int i = 0; i < 4; ++i) links[i] = add(bNode, names[i], *targets[i], true);
        add(&standIn, "Shared", shared);

        EXPECT_EQ(readLinks(), Reading::read);
        EXPECT_EQ(fs.openFolders, 0);
        EXPECT_EQ(a.opens, c.opensOfA);
        EXPECT_EQ(b.opens, 4);
        // A link to a folder on its own path, opened or not, is not entered.
        EXPECT_EQ(links[0]->firstChild, nullptr);
        EXPECT_EQ(links[1]->firstChild, nullptr);
        EXPECT_EQ(links[2]->filesBytes, 7u);
        FolderNode* sub = childNamed(links[2], "sub");
        ASSERT_NE(sub, nullptr);
        EXPECT_EQ(sub->filesBytes, 3u);
        // Another volume's folder with A's index is no loop.
        EXPECT_EQ(links[3]->filesBytes, 5u);

        releaseChain(standIn.firstChild);
        standIn.firstChild = nullptr;
        references.clear();
    }
}

}  // namespace
