#include "chooser/chooser_path.h"

#include <gtest/gtest.h>

namespace kelvara {
namespace {

// The directory list's chain of folders on both systems; doubled and trailing separators add no
// empty levels, a path without a separator is its own root.
TEST(FolderChain, ListsTheRootThenEveryAncestorDownToTheFolder) {
  using Chain = std::vector<std::string>;
  EXPECT_EQ(FolderChain("/", '/'), Chain{"/"});
  EXPECT_EQ(FolderChain("/home/yu/cards", '/'),
            (Chain{"/", "/home", "/home/yu", "/home/yu/cards"}));
  EXPECT_EQ(FolderChain("D:\\カード\\2024", '\\'),
            (Chain{"D:\\", "D:\\カード", "D:\\カード\\2024"}));
  EXPECT_EQ(FolderChain("/a//b/", '/'), (Chain{"/", "/a", "/a/b"}));
  EXPECT_EQ(FolderChain("C:", '\\'), Chain{"C:"});
  EXPECT_TRUE(FolderChain("", '/').empty());
}

}  // namespace
}  // namespace kelvara
