#include "chooser/real_file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>

#include "core/utf8_path.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace kelvara {
namespace fs = std::filesystem;
namespace {

// A fresh folder under the system's temporary folder, removed afterwards.
class RealFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    root = fs::temp_directory_path() / ("kelvara-chooser-" + std::to_string(random()));
    fs::create_directories(root);
    root = fs::canonical(root);
    previous = fs::current_path();
  }
  void TearDown() override {
    fs::current_path(previous);
    std::error_code ignored;
    fs::permissions(root / "locked", fs::perms::owner_all, ignored);
    fs::remove_all(root, ignored);
  }
  void touch(const fs::path& file) { std::ofstream(file) << "x"; }
  std::string at(const std::string& name) { return Utf8FromPath(root / PathFromUtf8(name)); }
  static std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path root;
  fs::path previous;
  RealFileSystem files;
};

TEST_F(RealFileSystemTest, ListsFoldersAndFilesApartWithoutHiddenOnes) {
  fs::create_directory(root / "sub");
  fs::create_directory(root / PathFromUtf8("カード"));
  touch(root / "a.txt");
  touch(root / PathFromUtf8("メモ 1.txt"));
#ifdef _WIN32
  touch(root / "hidden.txt");
  touch(root / "system.txt");
  SetFileAttributesW((root / "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesW((root / "system.txt").c_str(), FILE_ATTRIBUTE_SYSTEM);
#else
  fs::create_directory(root / ".config");
  touch(root / ".profile");
  fs::create_directory_symlink(root / "sub", root / "link");  // a link to a folder is a folder
  fs::create_symlink(root / "nowhere", root / "dangling");    // a dangling one is a file
#endif

  const FolderListing listing = files.list(Utf8FromPath(root));
  ASSERT_TRUE(listing.readable) << listing.reason;
#ifdef _WIN32
  EXPECT_EQ(Sorted(listing.folders), (std::vector<std::string>{"sub", "カード"}));
  EXPECT_EQ(Sorted(listing.files), (std::vector<std::string>{"a.txt", "メモ 1.txt"}));
#else
  EXPECT_EQ(Sorted(listing.folders), (std::vector<std::string>{"link", "sub", "カード"}));
  EXPECT_EQ(Sorted(listing.files), (std::vector<std::string>{"a.txt", "dangling", "メモ 1.txt"}));
#endif
  EXPECT_TRUE(files.list(at("カード")).readable);
}

TEST_F(RealFileSystemTest, FolderThatCannotBeReadSaysWhy) {
  touch(root / "file.txt");
  const FolderListing missing = files.list(at("gone"));
  EXPECT_FALSE(missing.readable);
  EXPECT_EQ(missing.reason, "もうないみたい");
  const FolderListing file = files.list(at("file.txt"));
  EXPECT_FALSE(file.readable);
  EXPECT_EQ(file.reason, "フォルダじゃないの");
  EXPECT_TRUE(file.files.empty() && file.folders.empty());
}

TEST_F(RealFileSystemTest, WorkingFolderIsTheCurrentFolderOfTheDriveThatHoldsIt) {
  fs::current_path(root);
  const std::string working = files.workingFolder();
  EXPECT_EQ(working, Utf8FromPath(root));
  const std::vector<Drive> drives = files.drives();
  ASSERT_FALSE(drives.empty());
  int holding = 0;
  for (const Drive& drive : drives) {
    const std::string current = files.currentFolder(drive);
    if (current == working) {
      ++holding;
    } else {
#ifndef _WIN32  // on Windows every drive keeps a current folder of its own
      EXPECT_EQ(current, drive.root);
#endif
    }
  }
  EXPECT_EQ(holding, 1);
}

#ifndef _WIN32
TEST_F(RealFileSystemTest, RemovedWorkingFolderLeavesEveryDriveAtItsRoot) {
  fs::create_directory(root / "doomed");
  fs::current_path(root / "doomed");
  fs::remove(root / "doomed");
  EXPECT_EQ(files.workingFolder(), "");
  for (const Drive& drive : files.drives()) EXPECT_EQ(files.currentFolder(drive), drive.root);
}
#endif

}  // namespace
}  // namespace kelvara
