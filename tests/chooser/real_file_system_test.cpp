#include "chooser/real_file_system.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/utf8_path.h"
#include "tests/chooser/fake_file_system.h"
#include "tests/storage/file_system_helpers.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

Names Sorted(const NameList& list) {
  Names names = Strings(list);
  std::sort(names.begin(), names.end());
  return names;
}

TEST(RealFileSystem, ListsFoldersAndFilesApartWithoutHiddenOnesOrSaysWhyNot) {
  testing::ScratchFolder folder;
  fs::create_directory(folder / "sub");
  fs::create_directory(folder / "カード");
  for (const char* file : {"a.txt", "メモ 1.txt", "hidden.txt", "system.txt"}) {
    testing::Put(folder / file, "x");
  }
#ifdef _WIN32
  ::SetFileAttributesW((folder / "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  ::SetFileAttributesW((folder / "system.txt").c_str(), FILE_ATTRIBUTE_SYSTEM);
  Names folders = {"sub", "カード"}, files = {"a.txt", "メモ 1.txt"};
#else
  fs::create_directory(folder / ".config");
  testing::Put(folder / ".profile", "x");
  fs::create_directory_symlink(folder / "sub", folder / "link");  // a link to a folder is a folder
  fs::create_symlink(folder / "a.txt", folder / "to a");          // a link to a file is a file
  fs::create_symlink(folder / "nowhere", folder / "dangling");    // one leading nowhere is none
  Names folders = {"link", "sub", "カード"};
  Names files = {"a.txt", "hidden.txt", "system.txt", "to a", "メモ 1.txt"};
#endif
  RealFileSystem real;
  const FolderListing listing = real.list(Utf8FromPath(folder.path()));
  EXPECT_EQ(Sorted(listing.folders), folders);
  EXPECT_EQ(Sorted(listing.files), files);
  for (const auto& [path, reason] : {std::pair{folder / "gone", "もうないみたい"},
                                     std::pair{folder / "a.txt", "フォルダじゃないの"}})
    EXPECT_EQ(real.list(Utf8FromPath(path)).reason, reason);
}

#ifndef _WIN32  // on Windows every drive keeps a current folder of its own (drives_windows_test)
TEST(RealFileSystem, OnlyTheDriveHoldingTheWorkingFolderStartsThereUntilItIsRemoved) {
  testing::ScratchFolder folder;
  const fs::path previous = fs::current_path();
  fs::create_directory(folder / "doomed");
  fs::current_path(folder / "doomed");
  RealFileSystem real;
  const std::string working = real.workingFolder();
  EXPECT_EQ(working, Utf8FromPath(fs::canonical(folder / "doomed")));
  int holding = 0;
  for (const Drive& drive : real.drives()) {
    const std::string current = real.currentFolder(drive);
    holding += current == working;
    EXPECT_TRUE(current == working || current == drive.root) << current;
  }
  EXPECT_EQ(holding, 1);

  fs::remove(folder / "doomed");
  EXPECT_EQ(real.workingFolder(), "");
  for (const Drive& drive : real.drives()) EXPECT_EQ(real.currentFolder(drive), drive.root);
  fs::current_path(previous);
}
#endif

}  // namespace
}  // namespace kelvara
