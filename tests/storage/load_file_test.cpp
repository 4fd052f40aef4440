#include <gtest/gtest.h>

#include <cerrno>
#include <random>

#include "core/utf8_path.h"
#include "storage/collection_file.h"
#include "storage/reasons.h"
#include "storage/safe_write.h"
#include "tests/storage/file_system_helpers.h"
#include "tests/storage/random_table.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using testing::Put;
using testing::ScratchFolder;

std::string LoadFailure(const fs::path& path) {
  const LoadResult result = LoadCollectionFile(path);
  EXPECT_FALSE(result.table.has_value()) << path;
  return result.message;
}

TEST(LoadCollectionFile, SavedTablesComeBackExactly) {
  ScratchFolder folder;
  std::mt19937 random(7);
  for (int round = 0; round < 20; ++round) {
    CountTable table = testing::RandomTable(random);
    table[round] = round % 2 == 0 ? kCountMin : kCountMax;
    ASSERT_TRUE(WriteFileSafely(folder / "cards", CollectionFileBytes(table)).ok);
    const LoadResult loaded = LoadCollectionFile(folder / "cards");
    ASSERT_TRUE(loaded.table.has_value()) << loaded.message;
    EXPECT_EQ(*loaded.table, table);
  }
}

TEST(LoadCollectionFile, HugeFileWithGoodStartLoads) {
  ScratchFolder folder;
  std::string bytes = CollectionFileBytes(CountTable{});
  bytes[0] = '9';
  bytes += std::string(6 << 20, 'z');
  Put(folder / "big", bytes);
  const LoadResult loaded = LoadCollectionFile(folder / "big");
  ASSERT_TRUE(loaded.table.has_value()) << loaded.message;
  EXPECT_EQ(loaded.table->front(), 9);
}

TEST(LoadCollectionFile, EachMissingOrWrongPathSaysWhy) {
  ScratchFolder folder;
  const auto failure = [](const fs::path& path, std::string_view reason) {
    return "「" + Utf8FromPath(path) + "」を呼びだせなかったよ（" + std::string(reason) + "）";
  };
  // Listed by the chooser, gone by the time of the load.
  Put(folder / "vanished", CollectionFileBytes(CountTable{}));
  fs::remove(folder / "vanished");
  EXPECT_EQ(LoadFailure(folder / "vanished"),
            failure(folder / "vanished", "ファイルが見つからないよ"));
  EXPECT_EQ(LoadFailure(folder.path() / ""), failure(folder.path() / "", kReasonNoFileSelected));
  fs::create_directory(folder / "sub");
  EXPECT_EQ(LoadFailure(folder / "sub"), failure(folder / "sub", kReasonIsFolder));
  Put(folder / "plain", "1");
#ifdef _WIN32
  // Windows has no word for a file standing where a folder should: only "not found".
  const std::string throughAFile = "ファイルが見つからないよ";
#else
  const std::string throughAFile = ReasonForErrno(ENOTDIR);
#endif
  EXPECT_EQ(LoadFailure(folder / "plain" / "cards"),
            failure(folder / "plain" / "cards", throughAFile));
  EXPECT_EQ(LoadFailure(folder / "plain"),
            failure(folder / "plain", "値が 1 個しかないよ、72 個いるよ"));
}

TEST(LoadCollectionFile, FileThatMayNotBeReadSaysSo) {
  ScratchFolder folder;
  const fs::path secret = folder / "secret";
  Put(secret, CollectionFileBytes(CountTable{}));
  const std::string expected =
      "「" + Utf8FromPath(secret) + "」を呼びだせなかったよ（" + ReasonForErrno(EACCES) + "）";
#ifdef _WIN32
  // Another program holds it open without sharing.
  const testing::HeldFile held(secret);
  EXPECT_EQ(LoadFailure(secret), expected);
#else
  fs::permissions(secret, fs::perms::owner_write);
  testing::RunAsOrdinaryUser([&] { EXPECT_EQ(LoadFailure(secret), expected); });
#endif
}

TEST(FileMessages, NameThePathInUtf8AndTheReason) {
  const fs::path path = PathFromUtf8("/home/a/カード");
  EXPECT_EQ(FailureMessage(FileAction::kSave, path, "ディスクがいっぱいだよ"),
            "「/home/a/カード」に保存できなかったよ（ディスクがいっぱいだよ）");
  EXPECT_EQ(FailureMessage(FileAction::kLoad, path, "x"),
            "「/home/a/カード」を呼びだせなかったよ（x）");
  EXPECT_EQ(FailureMessage(FileAction::kExport, path, "x"),
            "「/home/a/カード」を作れなかったよ（x）");

  // The name reaches the file system as the user typed it.
  ScratchFolder folder;
  ASSERT_TRUE(WriteFileSafely(folder / "カード 一覧", "1").ok);
  EXPECT_EQ(testing::Names(folder.path()), std::vector<std::string>{"カード 一覧"});
  EXPECT_EQ(Utf8FromPath(folder / "カード 一覧"),
            Utf8FromPath(folder.path()) + static_cast<char>(fs::path::preferred_separator) +
                "カード 一覧");
}

TEST(FileMessages, SameTroubleSameWordsOnBothSystems) {
  // File and path not found, access denied, disk full.
  EXPECT_EQ(ReasonForWindowsError(2), ReasonForErrno(ENOENT));
  EXPECT_EQ(ReasonForWindowsError(3), kReasonFolderMissing);
  EXPECT_EQ(ReasonForWindowsError(5), ReasonForErrno(EACCES));
  EXPECT_EQ(ReasonForWindowsError(112), ReasonForErrno(ENOSPC));
  // The unforeseen still make a sentence, with the number to look up.
  EXPECT_EQ(ReasonForErrno(4242), "思わぬエラー、番号 4242 だよ");
  EXPECT_EQ(ReasonForWindowsError(4242), "思わぬエラー、Windows の番号 4242 だよ");
}

}  // namespace
}  // namespace kelvara
