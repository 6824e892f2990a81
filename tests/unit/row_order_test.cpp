#include "list/descending_order.h"
#include "list/row_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

FolderNode makeNode(const char* name, uint8_t isDrive) {
    FolderNode node{};
    node.name = name;
    node.isDrive = isDrive;
    return node;
}

TEST(RowText, DotDotGetsTheUpLabelAndImage) {
    FolderNode up = makeNode("..", 0);
    EXPECT_STREQ(" ..", rowLabel(&up));
    EXPECT_EQ(2, rowImage(&up));
}

TEST(RowText, DriveImageForAnyNonZeroDriveByte) {
    FolderNode drive = makeNode("C:  System", 1);
    FolderNode oddDrive = makeNode("D:  ", 200);
    EXPECT_EQ(1, rowImage(&drive));
    EXPECT_EQ(1, rowImage(&oddDrive));
    EXPECT_EQ(drive.name, rowLabel(&drive));
}

TEST(RowText, FoldersKeepTheirNameAndImageZero) {
    const char* names[] = {"Windows", ".", "...", " ..", "..x", ".hidden"};
    for (const char* name : names) {
        FolderNode folder = makeNode(name, 0);
        EXPECT_EQ(name, rowLabel(&folder)) << name;
        EXPECT_EQ(0, rowImage(&folder)) << name;
    }
}

struct Keyed {
    std::string key;
    int chainIndex;
};

int compareKeys(const Keyed& a, const Keyed& b) {
    return std::strcmp(a.key.c_str(), b.key.c_str());
}

TEST(DescendingOrder, SortsDescendingAndKeepsEqualKeysInOrder) {
    std::vector<Keyed> items = {{"b", 0}, {"a", 1}, {"c", 2}, {"b", 3}, {"a", 4}, {"b", 5}, {"d", 6}};
    std::vector<Keyed> scratch(items.size());
    sortDescendingStable(items.data(), scratch.data(), items.size(), compareKeys);
    const char* keys[] = {"d", "c", "b", "b", "b", "a", "a"};
    const int chain[] = {6, 2, 0, 3, 5, 1, 4};
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(keys[i], items[i].key) << i;
        EXPECT_EQ(chain[i], items[i].chainIndex) << i;
    }
}

TEST(DescendingOrder, EmptyAndSingleAreLeftAlone) {
    Keyed one[1] = {{"x", 7}};
    Keyed scratch[1];
    sortDescendingStable(one, scratch, 0, compareKeys);
    sortDescendingStable(one, scratch, 1, compareKeys);
    EXPECT_EQ("x", one[0].key);
    EXPECT_EQ(7, one[0].chainIndex);
}

// Every length up to 70 (odd and even pass counts) against a plain sort.
TEST(DescendingOrder, MatchesAStableSortForManyLengths) {
    std::mt19937 random(12345);
    for (size_t count = 2; count <= 70; ++count) {
        std::vector<Keyed> items(count);
        for (size_t i = 0; i < count; ++i)
            items[i] = {std::string(1, static_cast<char>('a' + random() % 5)), static_cast<int>(i)};
        std::vector<Keyed> expected = items;
        std::stable_sort(expected.begin(), expected.end(),
                         [](const Keyed& a, const Keyed& b) { return a.key > b.key; });
        std::vector<Keyed> scratch(count);
        sortDescendingStable(items.data(), scratch.data(), count, compareKeys);
        for (size_t i = 0; i < count; ++i) {
            ASSERT_EQ(expected[i].key, items[i].key) << count << " " << i;
            ASSERT_EQ(expected[i].chainIndex, items[i].chainIndex) << count << " " << i;
        }
    }
}

}  // namespace
