#include "storage/collection_file.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/storage/file_system_helpers.h"

namespace kelvara {
namespace {

using testing::Put;
using testing::ScratchFolder;

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
  return ReadCollection(in);
}

// Through real files, so that the reader's buffer and its boundaries are crossed too.
TEST(LoadCollectionFile, EveryAcceptedFormLoadsTheSameTableThatWritesOneCrLfLineEach) {
  EXPECT_EQ(CollectionFileBytes(OneToSeventyTwo()), Items("\r\n", "\r\n"));
  std::string sixToALine;
  for (int n = 1; n <= kCountCount; ++n) sixToALine += std::to_string(n) + (n % 6 ? "," : "\r\n");
  const std::pair<const char*, std::string> forms[] = {
      {"LF lines", Items("\n", "\n")},
      {"CR lines", Items("\r", "\r")},
      {"no last line end", Items("\r\n")},
      {"one line, commas", Items(",", "\r\n")},
      {"six to a line", sixToALine},
      {"byte order mark", "\xEF\xBB\xBF" + Items("\r\n", "\r\n")},
      {"blanks and tabs around items", " \t" + Items(" ,\t ", " \t\r\n")},
      {"empty and blank lines", "\r\n\n \t\r\n" + Items("\r\n\r\n", "\r\n\r\n")},
      {"many blank lines", std::string(10'000, '\n') + Items("\r\n" + std::string(100, ' '))},
      {"more than 72 items", Items(",", ",73,74\r\nnot read at all")},
      {"much more after them", Items("\r\n", "\r") + std::string(8 << 20, '#')},
      {"a comma after the 72nd", Items(",", ",")},
      {"leading zeros", "001," + Items(",").substr(2)},
      {"ending on the mebibyte's last byte",
       std::string((1 << 20) - Items("\n").size(), '\n') + Items("\n")},
  };
  ScratchFolder folder;
  for (const auto& [name, text] : forms) {
    Put(folder / "cards.txt", text);
    const LoadResult loaded = LoadCollectionFile(folder / "cards.txt");
    EXPECT_TRUE(loaded.ok) << name << loaded.reason;
    EXPECT_EQ(loaded.table, OneToSeventyTwo()) << name;
  }
}

TEST(ReadCollection, EachFaultNamesItemLineAndContentShortened) {
  // Shown cut after 20 whole characters, bytes that are no UTF-8 as U+FFFD, one each.
  const std::string x19(19, 'x'), sevens(20, '7'), replaced = "\xEF\xBF\xBD";
  const std::string fourReplaced = replaced + replaced + replaced + replaced;
  const std::string first = "1 行目、1 番目の値「";
  std::string tiles;  // 20 characters of four bytes each, beyond the Basic Multilingual Plane
  for (int n = 0; n < 20; ++n) tiles += "🀄";
  const std::pair<std::string, std::string> cases[] = {
      {Items("\r\n", "\r\n", 71), "値が 71 個しかないよ、72 個いるよ"},
      {"1,,3", "1 行目、2 番目の値が空っぽだよ"},
      {"1\r\n2,\r\n3", "2 行目、3 番目の値が空っぽだよ"},
      {Items(",", ",", 71), "1 行目、72 番目の値が空っぽだよ"},
      {"1\n2\nabc\n", "3 行目、3 番目の値「abc」は数じゃないよ"},
      {"1\r2\r\rabc\r", "4 行目、3 番目の値「abc」は数じゃないよ"},
      {"1\r\n2\r\n32768\r\n", "3 行目、3 番目の値「32768」は -32768〜32767 の外だよ"},
      {"-32769", first + "-32769」は -32768〜32767 の外だよ"},
      {std::string(5'000'000, 'x'), first + x19 + "x…」は数じゃないよ"},
      {std::string(30, '7'), first + sevens + "…」は -32768〜32767 の外だよ"},
      {std::string("-").append(1000, '7'), first + "-" + sevens.substr(1) + "…」は桁が多すぎるよ"},
      {"あいうえおかきくけこさしすせそたちつてとなにぬねの\r\n",
       first + "あいうえおかきくけこさしすせそたちつてと…」は数じゃないよ"},
      {std::string("1\0002\x1B", 4), first + "1?2?」は数じゃないよ"},
      {"\xEF\xBB\x31\r\n", first + replaced + replaced + "1」は数じゃないよ"},
      {x19 + "\xE3\x81", first + x19 + replaced + "…」は数じゃないよ"},
      {tiles + "🀅🀆", first + tiles + "…」は数じゃないよ"},
      // U+10000 and U+10FFFF shown whole; an overlong U+FFFF and U+110000 a U+FFFD a byte.
      {"\xF0\x90\x80\x80\xF4\x8F\xBF\xBF\xF0\x8F\xBF\xBF\xF4\x90\x80\x80",
       first + "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF" + fourReplaced + fourReplaced +
           "」は数じゃないよ"},
  };
  for (const auto& [text, reason] : cases) {
    EXPECT_EQ(Read(text).reason, reason);
    EXPECT_EQ(Read(text).table, CountTable{}) << "a refused file hands back no table";
  }
  for (const char* notNumber : {"1.5", "+1", "1 2", "0x10", "--1", "-", "1e3", "１"})
    EXPECT_EQ(Read(notNumber).reason, first + notNumber + "」は数じゃないよ");
}

// Endless blank lines, or blanks within an item: a bounded read.
TEST(ReadCollection, GivesUpAfterAMebibyteWithoutTheItems) {
  for (const char filler : {'\n', ' '}) {
    std::istringstream in("1" + std::string(8 << 20, filler));
    EXPECT_EQ(ReadCollection(in).reason, "コレクションのファイルじゃないよ");
    EXPECT_LE(in.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in), 1 << 20) << filler;
  }
}

}  // namespace
}  // namespace kelvara
