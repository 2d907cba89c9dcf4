#include "engine/geometry/toolpath_style.h"

#include <gtest/gtest.h>

namespace quarnel {
namespace {

TEST(HexText, WritesTwoLowerCaseDigitsAColourAndLeavesAlphaOut) {
  EXPECT_EQ(HexText({0, 0, 0}), "#000000");
  EXPECT_EQ(HexText({0x6b, 0xae, 0xd6}), "#6baed6");
  EXPECT_EQ(HexText({255, 15, 16, 170}), "#ff0f10");
}

}  // namespace
}  // namespace quarnel
