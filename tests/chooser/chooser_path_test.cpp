#include "chooser/chooser_path.h"

#include <gtest/gtest.h>

namespace kelvara {
namespace {

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
