#include "storage/collection_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>

#include "core/utf8_path.h"
#include "storage/reasons.h"
#include "tests/storage/file_system_helpers.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using testing::Put;
using testing::ScratchFolder;

const fs::path kPath = "/home/a/cards.txt";
const std::string kHead = "「/home/a/cards.txt」を呼びだせなかったよ（";

// "1".."count" joined by `separator` and ended by `last`.
std::string Items(std::string_view separator, std::string_view last = "", int count = kCountCount) {
  std::string text;
  for (int n = 1; n <= count; ++n)
    text.append(std::to_string(n)).append(n == count ? last : separator);
  return text;
}

CountTable OneToSeventyTwo() {
  CountTable table{};
  for (int n = 0; n < kCountCount; ++n) table[n] = static_cast<Count>(n + 1);
  return table;
}

LoadResult Read(const std::string& text) {
  std::istringstream in(text);
  return ReadCollection(in, kPath);
}

std::string Failure(const std::string& text) {
  const LoadResult result = Read(text);
  EXPECT_FALSE(result.ok) << text.substr(0, 40);
  return result.reason;
}

TEST(CollectionFileBytes, OneCrLfLinePerCountInTableOrder) {
  CountTable table{};
  table[CountIndex(0, 2)] = 1;
  table[CountIndex(1, 5)] = -1;
  table.front() = kCountMin;
  table.back() = kCountMax;
  std::string expected = "-32768\r\n0\r\n1\r\n";
  for (int line = 4; line <= 71; ++line) expected += line == 12 ? "-1\r\n" : "0\r\n";
  EXPECT_EQ(CollectionFileBytes(table), expected + "32767\r\n");
}

TEST(ReadCollection, EveryAcceptedFormLoadsTheSameTable) {
  std::string sixToALine;
  for (int n = 1; n <= kCountCount; ++n) sixToALine += std::to_string(n) + (n % 6 ? "," : "\r\n");
  const std::pair<const char*, std::string> forms[] = {
      {"CR LF lines", Items("\r\n", "\r\n")},
      {"LF lines", Items("\n", "\n")},
      {"CR lines", Items("\r", "\r")},
      {"no last line end", Items("\r\n")},
      {"one line, commas", Items(",", "\r\n")},
      {"six to a line", sixToALine},
      {"byte order mark", "\xEF\xBB\xBF" + Items("\r\n", "\r\n")},
      {"blanks and tabs around items", " \t" + Items(" ,\t ", " \t\r\n")},
      {"empty and blank lines", "\r\n\n \t\r\n" + Items("\r\n\r\n", "\r\n\r\n")},
      {"more than 72 items", Items(",", ",73,74\r\nnot read at all")},
      {"a comma after the 72nd", Items(",", ",")},
      {"leading zeros", "001," + Items(",").substr(2)},
  };
  for (const auto& [name, text] : forms) {
    const LoadResult result = Read(text);
    ASSERT_TRUE(result.ok) << name << ": " << result.reason;
    EXPECT_EQ(result.table, OneToSeventyTwo()) << name;
    EXPECT_EQ(result.reason, "") << name;
  }
  EXPECT_EQ(*Read("-32768," + Items(",").substr(2)).table.begin(), kCountMin);
  EXPECT_EQ(*Read("32767," + Items(",").substr(2)).table.begin(), kCountMax);
}

TEST(ReadCollection, EachFaultNamesPathItemLineAndContentShortened) {
  // Long or unprintable items are shown cut after 20 whole characters; bytes that only begin like a
  // byte order mark belong to the first item; bytes that are no UTF-8 (a UTF-16 file, a character
  // cut off) are shown as U+FFFD, one each.
  const std::string x19(19, 'x'), sevens(20, '7'), replaced = "\xEF\xBF\xBD";
  const std::string first = "1 行目、1 番目の値「";
  const std::pair<std::string, std::string> cases[] = {
      {"", "値が 0 個しかないよ、72 個いるよ"},
      {Items("\r\n", "\r\n", 71), "値が 71 個しかないよ、72 個いるよ"},
      {"1,,3", "1 行目、2 番目の値が空っぽだよ"},
      {"1\r\n2,\r\n3", "2 行目、3 番目の値が空っぽだよ"},
      {Items(",", ",", 71), "1 行目、72 番目の値が空っぽだよ"},
      {"1\n2\nabc\n", "3 行目、3 番目の値「abc」は数じゃないよ"},
      {"1\r\n2\r\n32768\r\n", "3 行目、3 番目の値「32768」は -32768〜32767 の外だよ"},
      {"-32769", first + "-32769」は -32768〜32767 の外だよ"},
      {std::string(5'000'000, 'x'), first + x19 + "x…」は数じゃないよ"},
      {std::string(30, '7'), first + sevens + "…」は -32768〜32767 の外だよ"},
      {std::string(1000, '7'), first + sevens + "…」は桁が多すぎるよ"},
      {"あいうえおかきくけこさしすせそたちつてとなにぬねの\r\n",
       first + "あいうえおかきくけこさしすせそたちつてと…」は数じゃないよ"},
      {std::string("1\0002\x1B", 4), first + "1?2?」は数じゃないよ"},
      {"\xEF\xBB\x31\r\n", first + replaced + replaced + "1」は数じゃないよ"},
      {std::string("\xFF\xFE\x31\x00\r\x00", 6),
       first + replaced + replaced + "1?」は数じゃないよ"},
      {x19 + "\xE3\x81", first + x19 + replaced + "…」は数じゃないよ"},
  };
  for (const auto& [text, reason] : cases) EXPECT_EQ(Failure(text), kHead + reason + "）");
  for (const char* notNumber : {"1.5", "+1", "1 2", "0x10", "--1", "-", "1e3", "１"}) {
    EXPECT_EQ(Failure(std::string(notNumber) + "\r\n"),
              kHead + first + notNumber + "」は数じゃないよ）");
  }
}

// A device that fails after handing out 30 bytes.
class BrokenDevice : public std::streambuf {
 protected:
  int_type underflow() override {
    if (gptr() != nullptr) throw std::ios_base::failure("device error");
    setg(text_.data(), text_.data(), text_.data() + 30);
    return traits_type::to_int_type(text_[0]);
  }

 private:
  std::string text_ = Items("\r\n");
};

TEST(ReadCollection, StopsRightAfterTheSeventySecondItemAndReportsReadErrors) {
  // Whatever ends the 72nd item is the last byte read: not the LF of its CR LF, not the rest of a
  // file of several megabytes.
  for (const std::string end : {"\r", ",", "\n", " \t\r"}) {
    const std::string text = Items("\r\n", end);
    std::istringstream in(text + "\n" + std::string(8 << 20, '#'));
    const LoadResult result = ReadCollection(in, kPath);
    ASSERT_TRUE(result.ok) << result.reason;
    EXPECT_EQ(result.table, OneToSeventyTwo());
    EXPECT_EQ(in.tellg(), static_cast<std::streamoff>(text.size()));
  }
  // A first item of endless junk is given up after a bounded read.
  std::istringstream junk(std::string(8 << 20, 'j'));
  EXPECT_FALSE(ReadCollection(junk, kPath).ok);
  EXPECT_LT(junk.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in), 100);
  // A device error is no end of file.
  BrokenDevice device;
  std::istream broken(&device);
  EXPECT_EQ(ReadCollection(broken, kPath).reason, kHead + "読んでる途中でエラーが起きたよ）");
}

TEST(LoadCollectionFile, EachMissingWrongOrForbiddenPathSaysWhy) {
  ScratchFolder folder;
  Put(folder / "vanished",
      "0\r\n");  // listed by the chooser, gone by the time of the load
  fs::remove(folder / "vanished");
  fs::create_directory(folder / "sub");
  Put(folder / "plain", "1");
  // Windows has no word for a file standing where a folder should: only "path not found".
#ifdef _WIN32
  const std::string throughAFile(kReasonFolderMissing);
#else
  const std::string throughAFile = ReasonForErrno(ENOTDIR);
#endif
  const std::pair<fs::path, std::string> cases[] = {
      {folder / "vanished", "ファイルが見つからないよ"},
      {folder.path() / "", std::string(kReasonNoFileSelected)},
      {folder / "sub", std::string(kReasonIsFolder)},
      {folder / "plain" / "cards", throughAFile},
      {folder / "plain", "値が 1 個しかないよ、72 個いるよ"},
  };
  const auto expectRefused = [](const fs::path& path, std::string_view reason) {
    const LoadResult result = LoadCollectionFile(path);
    EXPECT_FALSE(result.ok) << path;
    EXPECT_EQ(result.reason, FailureMessage(FileAction::kLoad, path, reason));
  };
  for (const auto& [path, reason] : cases) expectRefused(path, reason);

    // A file that may not be read: held open without sharing by another program on Windows, without
    // read permission for an ordinary user elsewhere.
#ifdef _WIN32
  const testing::HeldFile held(folder / "plain");
  expectRefused(folder / "plain", ReasonForWindowsError(32));
#else
  fs::permissions(folder / "plain", fs::perms::owner_write);
  testing::RunAsOrdinaryUser([&] { expectRefused(folder / "plain", ReasonForErrno(EACCES)); });
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
#ifndef _WIN32
  // A name in no encoding at all still makes a message a message box can show.
  EXPECT_EQ(FailureMessage(FileAction::kLoad, fs::path("/home/a/\xFF\xFE.txt"), "x"),
            "「/home/a/\xEF\xBF\xBD\xEF\xBF\xBD.txt」を呼びだせなかったよ（x）");
#endif
  // The same trouble in the same words on both systems, access denied and a full disk (which wine
  // cannot stage); the unforeseen still make a sentence, with the number to look up.
  EXPECT_EQ(ReasonForWindowsError(5), ReasonForErrno(EACCES));
  EXPECT_EQ(ReasonForWindowsError(112), ReasonForErrno(ENOSPC));
  EXPECT_EQ(ReasonForErrno(4242), "思わぬエラー、番号 4242 だよ");
  EXPECT_EQ(ReasonForWindowsError(4242), "思わぬエラー、Windows の番号 4242 だよ");
}

}  // namespace
}  // namespace kelvara
