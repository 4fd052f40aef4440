#include "storage/collection_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <random>
#include <sstream>

#include "core/utf8_path.h"
#include "storage/reasons.h"
#include "storage/safe_write.h"
#include "tests/storage/file_system_helpers.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using testing::Put;
using testing::ScratchFolder;

const std::filesystem::path kPath = "/home/a/cards.txt";
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

TEST(CollectionFileBytes, WorkedExampleAllZerosAndLimits) {
  CountTable example{};
  example[CountIndex(0, 0)] = 2;
  example[CountIndex(0, 2)] = 1;
  example[CountIndex(0, 5)] = 3;
  example[CountIndex(1, 5)] = -1;
  const std::string bytes = CollectionFileBytes(example);
  EXPECT_EQ(bytes.substr(0, 9), "2\r\n0\r\n1\r\n");
  EXPECT_EQ(bytes.substr(30, 7), "0\r\n-1\r\n");  // lines 11 and 12
  EXPECT_EQ(bytes.size(), 217u);

  std::string zeros;
  for (int line = 0; line < 72; ++line) zeros += "0\r\n";
  EXPECT_EQ(CollectionFileBytes(CountTable{}), zeros);

  CountTable limits{};
  limits.front() = kCountMin;
  limits.back() = kCountMax;
  const std::string limitBytes = CollectionFileBytes(limits);
  EXPECT_EQ(limitBytes.substr(0, 8), "-32768\r\n");
  EXPECT_EQ(limitBytes.substr(limitBytes.size() - 10), "0\r\n32767\r\n");
}

TEST(LoadCollectionFile, SavedTablesComeBackExactly) {
  ScratchFolder folder;
  std::mt19937 random(7);
  std::uniform_int_distribution<int> count(kCountMin, kCountMax);
  for (int round = 0; round < 20; ++round) {
    CountTable table;
    for (Count& value : table) value = static_cast<Count>(count(random));
    table[round] = round % 2 == 0 ? kCountMin : kCountMax;
    ASSERT_TRUE(WriteFileSafely(folder / "cards", CollectionFileBytes(table)).ok);
    const LoadResult loaded = LoadCollectionFile(folder / "cards");
    ASSERT_TRUE(loaded.ok) << loaded.reason;
    EXPECT_EQ(loaded.table, table);
  }
}

TEST(ReadCollection, EveryAcceptedFormLoadsTheSameTable) {
  std::string sixToALine;
  for (int n = 1; n <= kCountCount; ++n) sixToALine += std::to_string(n) + (n % 6 ? "," : "\r\n");
  const struct {
    const char* name;
    std::string text;
  } forms[] = {
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
  for (const auto& form : forms) {
    const LoadResult result = Read(form.text);
    ASSERT_TRUE(result.ok) << form.name << ": " << result.reason;
    EXPECT_EQ(result.table, OneToSeventyTwo()) << form.name;
    EXPECT_EQ(result.reason, "") << form.name;
  }
  EXPECT_EQ(*Read("-32768," + Items(",").substr(2)).table.begin(), kCountMin);
  EXPECT_EQ(*Read("32767," + Items(",").substr(2)).table.begin(), kCountMax);
}

TEST(ReadCollection, EachFaultNamesPathItemLineAndContentShortened) {
  EXPECT_EQ(Failure(""), kHead + "値が 0 個しかないよ、72 個いるよ）");
  EXPECT_EQ(Failure(Items("\r\n", "\r\n", 71)), kHead + "値が 71 個しかないよ、72 個いるよ）");
  EXPECT_EQ(Failure("1,,3"), kHead + "1 行目、2 番目の値が空っぽだよ）");
  EXPECT_EQ(Failure("1\r\n2,\r\n3"), kHead + "2 行目、3 番目の値が空っぽだよ）");
  EXPECT_EQ(Failure(Items(",", ",", 71)), kHead + "1 行目、72 番目の値が空っぽだよ）");
  EXPECT_EQ(Failure("1\n2\nabc\n"), kHead + "3 行目、3 番目の値「abc」は数じゃないよ）");
  EXPECT_EQ(Failure("1\r\n2\r\n32768\r\n"),
            kHead + "3 行目、3 番目の値「32768」は -32768〜32767 の外だよ）");
  EXPECT_EQ(Failure("-32769"), kHead + "1 行目、1 番目の値「-32769」は -32768〜32767 の外だよ）");
  const std::string first = kHead + "1 行目、1 番目の値「";
  for (const char* notNumber : {"1.5", "+1", "1 2", "0x10", "--1", "-", "1e3", "１"}) {
    EXPECT_EQ(Failure(std::string(notNumber) + "\r\n"), first + notNumber + "」は数じゃないよ）");
  }
  // Long or unprintable items are shown shortened, cut after 20 whole characters.
  EXPECT_EQ(Failure(std::string(5'000'000, 'x')),
            first + std::string(20, 'x') + "…」は数じゃないよ）");
  EXPECT_EQ(Failure(std::string(30, '7')),
            first + std::string(20, '7') + "…」は -32768〜32767 の外だよ）");
  EXPECT_EQ(Failure(std::string(1000, '7')),
            first + std::string(20, '7') + "…」は桁が多すぎるよ）");
  EXPECT_EQ(Failure("あいうえおかきくけこさしすせそたちつてとなにぬねの\r\n"),
            first + "あいうえおかきくけこさしすせそたちつてと…」は数じゃないよ）");
  EXPECT_EQ(Failure(std::string("1\0002\x1B", 4)), first + "1?2?」は数じゃないよ）");
  // Bytes that only begin like a byte order mark belong to the first item; bytes that are no
  // UTF-8 (here a UTF-16 file, and a character cut off) are shown as U+FFFD, one each.
  const std::string replaced = "\xEF\xBF\xBD";
  EXPECT_EQ(Failure("\xEF\xBB\x31\r\n"), first + replaced + replaced + "1」は数じゃないよ）");
  EXPECT_EQ(Failure(std::string("\xFF\xFE\x31\x00\r\x00", 6)),
            first + replaced + replaced + "1?」は数じゃないよ）");
  EXPECT_EQ(Failure(std::string(19, 'x') + "\xE3\x81"),
            first + std::string(19, 'x') + replaced + "…」は数じゃないよ）");
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
  // Whatever ends the 72nd item is its last byte read: not the LF of its CR LF, not the rest
  // of a file of several megabytes.
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

std::string LoadFailure(const fs::path& path) {
  const LoadResult result = LoadCollectionFile(path);
  EXPECT_FALSE(result.ok) << path;
  return result.reason;
}

std::string Refusal(const fs::path& path, std::string_view reason) {
  return FailureMessage(FileAction::kLoad, path, reason);
}

TEST(LoadCollectionFile, EachMissingOrWrongPathSaysWhy) {
  ScratchFolder folder;
  // Listed by the chooser, gone by the time of the load.
  Put(folder / "vanished", CollectionFileBytes(CountTable{}));
  fs::remove(folder / "vanished");
  fs::create_directory(folder / "sub");
  Put(folder / "plain", "1");
#ifdef _WIN32
  // Windows has no word for a file standing where a folder should: only "path not found".
  const std::string throughAFile(kReasonFolderMissing);
#else
  const std::string throughAFile = ReasonForErrno(ENOTDIR);
#endif
  const struct {
    fs::path path;
    std::string reason;
  } cases[] = {
      {folder / "vanished", "ファイルが見つからないよ"},
      {folder.path() / "", std::string(kReasonNoFileSelected)},
      {folder / "sub", std::string(kReasonIsFolder)},
      {folder / "plain" / "cards", throughAFile},
      {folder / "plain", "値が 1 個しかないよ、72 個いるよ"},
  };
  for (const auto& c : cases) EXPECT_EQ(LoadFailure(c.path), Refusal(c.path, c.reason));
}

TEST(LoadCollectionFile, FileThatMayNotBeReadSaysSo) {
  ScratchFolder folder;
  const fs::path secret = folder / "secret";
  Put(secret, CollectionFileBytes(CountTable{}));
#ifdef _WIN32
  // Another program holds it open without sharing.
  const testing::HeldFile held(secret);
  EXPECT_EQ(LoadFailure(secret), Refusal(secret, ReasonForWindowsError(32)));
#else
  fs::permissions(secret, fs::perms::owner_write);
  testing::RunAsOrdinaryUser(
      [&] { EXPECT_EQ(LoadFailure(secret), Refusal(secret, ReasonForErrno(EACCES))); });
#endif
}

TEST(FileMessages, NameThePathInUtf8AndTheReason) {
  const fs::path path = PathFromUtf8("/home/a/カード");
  EXPECT_EQ(FailureMessage(FileAction::kSave, path, "ディスクがいっぱいだよ"),
            "「/home/a/カード」に保存できなかったよ（ディスクがいっぱいだよ）");
  EXPECT_EQ(Refusal(path, "x"), "「/home/a/カード」を呼びだせなかったよ（x）");
  EXPECT_EQ(FailureMessage(FileAction::kExport, path, "x"),
            "「/home/a/カード」を作れなかったよ（x）");

  // The same trouble in the same words on both systems: access denied and disk full (which
  // wine cannot stage); the unforeseen still make a sentence, with the number to look up.
  EXPECT_EQ(ReasonForWindowsError(5), ReasonForErrno(EACCES));
  EXPECT_EQ(ReasonForWindowsError(112), ReasonForErrno(ENOSPC));
  EXPECT_EQ(ReasonForErrno(4242), "思わぬエラー、番号 4242 だよ");
  // Every trouble a file action can meet has words of its own.
  for (const int error :
       {ENOENT,  ENOTDIR, EACCES, EPERM,   EROFS,     EISDIR, ENOSPC,    ENAMETOOLONG,
        EINVAL,  EIO,     EFBIG,  EBUSY,   ETXTBSY,   EMFILE, ENFILE,    EEXIST,
        ELOOP,   ENXIO,   ENODEV, EAGAIN,  EOVERFLOW, EMLINK, ENOMEM,    EINTR,
        ENOTSUP, EXDEV,   ENOLCK, EDEADLK, ENOTEMPTY, EBADF,  ETIMEDOUT, ENOTCONN}) {
    EXPECT_FALSE(ReasonForErrno(error).starts_with("思わぬ")) << error;
  }
#ifndef _WIN32
  // A name in no encoding at all still makes a message a message box can show.
  EXPECT_EQ(Refusal(fs::path("/home/a/\xFF\xFE.txt"), "x"),
            "「/home/a/\xEF\xBF\xBD\xEF\xBF\xBD.txt」を呼びだせなかったよ（x）");
#endif
  EXPECT_EQ(ReasonForWindowsError(4242), "思わぬエラー、Windows の番号 4242 だよ");
}

}  // namespace
}  // namespace kelvara
