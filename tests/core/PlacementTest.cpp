#include "ui/Placement.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Placement, RoundTripKeepsNegativeCoordinates) {
    WINDOWPLACEMENT wp{};
    wp.length = 44;
    wp.flags = 2;
    wp.showCmd = 3;
    wp.ptMinPosition = {-32000, -32000};
    wp.ptMaxPosition = {-1, -8};
    wp.rcNormalPosition = {-1280, -10, 200, 300};
    auto bytes = EncodePlacement(wp);
    EXPECT_EQ(bytes[0], 44);
    EXPECT_EQ(bytes[8], 3);
    EXPECT_EQ(bytes[28], 0x00); // -1280 = 0xFFFFFB00, little-endian
    EXPECT_EQ(bytes[29], 0xFB);
    EXPECT_EQ(bytes[31], 0xFF);
    WINDOWPLACEMENT back{};
    ASSERT_TRUE(DecodePlacement(bytes.data(), bytes.size(), back));
    EXPECT_EQ(back.showCmd, 3u);
    EXPECT_EQ(back.ptMinPosition.x, -32000);
    EXPECT_EQ(back.ptMaxPosition.y, -8);
    EXPECT_EQ(back.rcNormalPosition.left, -1280);
    EXPECT_EQ(back.rcNormalPosition.bottom, 300);
}

TEST(Placement, ShortValuesAreRefusedLongOnesReadFromTheStart) {
    WINDOWPLACEMENT wp{};
    wp.rcNormalPosition = {1, 2, 3, 4};
    auto bytes = EncodePlacement(wp);
    WINDOWPLACEMENT out{};
    EXPECT_FALSE(DecodePlacement(bytes.data(), 43, out));
    EXPECT_FALSE(DecodePlacement(nullptr, 0, out));
    std::vector<BYTE> longer(bytes.begin(), bytes.end());
    longer.resize(60, 0xEE);
    ASSERT_TRUE(DecodePlacement(longer.data(), longer.size(), out));
    EXPECT_EQ(out.rcNormalPosition.right, 3);
    EXPECT_EQ(out.rcNormalPosition.bottom, 4);
}

} // namespace
