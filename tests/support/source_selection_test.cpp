#include "support/source_selection.h"

#include <gtest/gtest.h>

namespace quarnel {
namespace {

TEST(SelectedSourcePaths, JoinsTheSelectedEntriesInListOrder) {
  SourceSelection selection{"/cnc", {"e0", "e1", "e2", "e3", "e4", "e5", "e6", "e7"}, {}};
  selection.selected = {false, true, false, false, true, false, false, true};
  EXPECT_EQ(SelectedSourcePaths(selection),
            (std::vector<std::string>{"/cnc/e1", "/cnc/e4", "/cnc/e7"}));
  selection.directory = "/";
  EXPECT_EQ(SelectedSourcePaths(selection).front(), "/e1");
  EXPECT_TRUE(SelectedSourcePaths({"/cnc", {"a"}, {false}}).empty());
}

}  // namespace
}  // namespace quarnel
