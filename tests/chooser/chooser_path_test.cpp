#include "chooser/chooser_path.h"

#include <gtest/gtest.h>

namespace kelvara {
namespace {

// How paths join (a root's separator doubled, blanks kept) shows in the chooser's and the
// windows' tests; here, the directory list's chain of folders on both systems.
TEST(FolderChain, ListsTheRootThenEveryAncestorDownToTheFolder) {
  using Chain = std::vector<std::string>;
  EXPECT_EQ(FolderChain("/", '/'), Chain{"/"});
  EXPECT_EQ(FolderChain("/home/yu/cards", '/'),
            (Chain{"/", "/home", "/home/yu", "/home/yu/cards"}));
  EXPECT_EQ(FolderChain("D:\\カード\\2024", '\\'),
            (Chain{"D:\\", "D:\\カード", "D:\\カード\\2024"}));
  // Doubled and trailing separators add no empty levels.
  EXPECT_EQ(FolderChain("/a//b/", '/'), (Chain{"/", "/a", "/a/b"}));
  // A path without a separator is its own root; nothing gives nothing.
  EXPECT_EQ(FolderChain("C:", '\\'), Chain{"C:"});
  EXPECT_TRUE(FolderChain("", '/').empty());
}

}  // namespace
}  // namespace kelvara
