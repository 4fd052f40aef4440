#include "chooser/chooser_path.h"

#include <gtest/gtest.h>

namespace kelvara {
namespace {

TEST(ComposePath, JoinsFolderSeparatorAndNameUnchanged) {
  struct Case {
    const char* folder;
    const char* name;
    char separator;
    const char* path;
  };
  const Case cases[] = {
      {"/", "x.txt", '/', "//x.txt"},  // a root keeps its own separator
      {"A:\\", "x.txt", '\\', "A:\\\\x.txt"},
      {"/home/yu", "", '/', "/home/yu/"},  // an empty name is not refused here
      {"/home/yu", "  a b .txt ", '/', "/home/yu/  a b .txt "},  // blanks are kept
      {"/x", "sub/y", '/', "/x/sub/y"},                          // the name is not looked into
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ComposePath(c.folder, c.name, c.separator), c.path) << c.folder << " + " << c.name;
  }
  EXPECT_EQ(ComposePath("f", "n"), std::string("f") + kPathSeparator + "n");
}

TEST(FolderChain, ListsTheRootThenEveryAncestorDownToTheFolder) {
  EXPECT_EQ(FolderChain("/", '/'), std::vector<std::string>{"/"});
  EXPECT_EQ(FolderChain("/home/yu/cards", '/'),
            (std::vector<std::string>{"/", "/home", "/home/yu", "/home/yu/cards"}));
  EXPECT_EQ(FolderChain("C:\\", '\\'), std::vector<std::string>{"C:\\"});
  EXPECT_EQ(FolderChain("D:\\カード\\2024", '\\'),
            (std::vector<std::string>{"D:\\", "D:\\カード", "D:\\カード\\2024"}));
  // Doubled and trailing separators add no empty levels.
  EXPECT_EQ(FolderChain("/a//b/", '/'), (std::vector<std::string>{"/", "/a", "/a/b"}));
  // A path without a separator is its own root; nothing gives nothing.
  EXPECT_EQ(FolderChain("C:", '\\'), std::vector<std::string>{"C:"});
  EXPECT_TRUE(FolderChain("", '/').empty());
}

}  // namespace
}  // namespace kelvara
