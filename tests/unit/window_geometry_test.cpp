#include "app/window_geometry.h"
#include "ui/client_split.h"

#include <gtest/gtest.h>

namespace {

struct PlacementCase {
    int screenWidth, screenHeight;
    int left, top, width, height;
};

const PlacementCase placementCases[] = {
    {1024, 768, 128, 96, 768, 576},
    {1366, 768, 170, 96, 1020, 576},   // not 1024: divide, then multiply
    {1440, 900, 180, 112, 1080, 672},  // not 675
    {1920, 1080, 240, 135, 1440, 810},
    {7, 7, 0, 0, 0, 0},
};

TEST(MainWindowPlacement, SixEighthsOfTheScreenDividedFirst) {
    for (const PlacementCase& c : placementCases) {
        WindowPlacement place = mainWindowPlacement(c.screenWidth, c.screenHeight);
        EXPECT_EQ(c.left, place.left) << c.screenWidth << "x" << c.screenHeight;
        EXPECT_EQ(c.top, place.top) << c.screenWidth << "x" << c.screenHeight;
        EXPECT_EQ(c.width, place.width) << c.screenWidth << "x" << c.screenHeight;
        EXPECT_EQ(c.height, place.height) << c.screenWidth << "x" << c.screenHeight;
    }
}

TEST(FolderListHeight, UpperThirdRoundedDown) {
    const int heights[][2] = {{500, 166}, {501, 167}, {502, 167}, {503, 167}, {0, 0}, {2, 0}, {65535, 21845}};
    for (const auto& h : heights) EXPECT_EQ(h[1], folderListHeight(h[0])) << h[0];
}

}  // namespace
