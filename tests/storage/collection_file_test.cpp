#include "storage/collection_file.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <streambuf>

#include "tests/storage/random_table.h"

namespace kelvara {
namespace {

const std::filesystem::path kPath = "/home/a/cards.txt";

CountTable WorkedExample() {
  CountTable table{};
  table[CountIndex(0, 0)] = 2;
  table[CountIndex(0, 2)] = 1;
  table[CountIndex(0, 5)] = 3;
  table[CountIndex(1, 5)] = -1;
  return table;
}

// "1".."count" joined by `separator` and ended by `last`.
std::string Items(int count, std::string_view separator, std::string_view last = "") {
  std::string text;
  for (int n = 1; n <= count; ++n) {
    text += std::to_string(n);
    text += n == count ? last : separator;
  }
  return text;
}
std::string Items(std::string_view separator, std::string_view last = "") {
  return Items(kCountCount, separator, last);
}

std::string SixToALine() {
  std::string text;
  for (int n = 1; n <= kCountCount; ++n) text += std::to_string(n) + (n % 6 == 0 ? "\r\n" : ",");
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
  EXPECT_FALSE(result.table.has_value()) << text.substr(0, 40);
  return result.message;
}

TEST(CollectionFileBytes, WorkedExampleAllZerosAndLimits) {
  const std::string bytes = CollectionFileBytes(WorkedExample());
  EXPECT_EQ(bytes.substr(0, 9), "2\r\n0\r\n1\r\n");
  EXPECT_EQ(bytes.substr(30, 7), "0\r\n-1\r\n");  // lines 11 and 12
  EXPECT_EQ(bytes.size(), 217u);

  std::string zeros;
  for (int line = 0; line < 72; ++line) zeros += "0\r\n";
  EXPECT_EQ(CollectionFileBytes(CountTable{}), zeros);
  EXPECT_EQ(zeros.size(), 216u);

  CountTable limits{};
  limits.front() = kCountMin;
  limits.back() = kCountMax;
  const std::string limitBytes = CollectionFileBytes(limits);
  EXPECT_EQ(limitBytes.substr(0, 8), "-32768\r\n");
  EXPECT_EQ(limitBytes.substr(limitBytes.size() - 10), "0\r\n32767\r\n");
}

TEST(CollectionFileBytes, RandomTablesReadBackUnchanged) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 200; ++round) {
    const CountTable table = testing::RandomTable(random);
    const LoadResult result = Read(CollectionFileBytes(table));
    ASSERT_TRUE(result.table.has_value()) << result.message;
    EXPECT_EQ(*result.table, table);
  }
}

TEST(ReadCollection, EveryAcceptedFormLoadsTheSameTable) {
  const struct {
    const char* name;
    std::string text;
  } forms[] = {
      {"CR LF lines", Items("\r\n", "\r\n")},
      {"LF lines", Items("\n", "\n")},
      {"CR lines", Items("\r", "\r")},
      {"no last line end", Items("\r\n")},
      {"one line, commas", Items(",", "\r\n")},
      {"six to a line", SixToALine()},
      {"byte order mark", "\xEF\xBB\xBF" + Items("\r\n", "\r\n")},
      {"blanks and tabs around items", " \t" + Items(" ,\t ", " \t\r\n")},
      {"empty and blank lines", "\r\n\n \t\r\n" + Items("\r\n\r\n", "\r\n\r\n")},
      {"more than 72 items", Items(",", ",73,74\r\nnot read at all")},
      {"a comma after the 72nd", Items(",", ",")},
      {"leading zeros", "001," + Items(",").substr(2)},
  };
  for (const auto& form : forms) {
    const LoadResult result = Read(form.text);
    ASSERT_TRUE(result.table.has_value()) << form.name << ": " << result.message;
    EXPECT_EQ(*result.table, OneToSeventyTwo()) << form.name;
    EXPECT_EQ(result.message, "") << form.name;
  }
  EXPECT_EQ(*Read("-32768," + Items(",").substr(2)).table->begin(), kCountMin);
  EXPECT_EQ(*Read("32767," + Items(",").substr(2)).table->begin(), kCountMax);
}

TEST(ReadCollection, EachFaultNamesPathItemLineAndContent) {
  const std::string head = "「/home/a/cards.txt」を呼びだせなかったよ（";
  EXPECT_EQ(Failure(""), head + "値が 0 個しかないよ、72 個いるよ）");
  EXPECT_EQ(Failure("\xEF\xBB\xBF\r\n"), head + "値が 0 個しかないよ、72 個いるよ）");
  EXPECT_EQ(Failure(Items(71, "\r\n", "\r\n")), head + "値が 71 個しかないよ、72 個いるよ）");
  EXPECT_EQ(Failure("1,,3"), head + "1 行目、2 番目の値が空っぽだよ）");
  EXPECT_EQ(Failure("1\r\n2,\r\n3"), head + "2 行目、3 番目の値が空っぽだよ）");
  EXPECT_EQ(Failure(Items(71, ",", ",")), head + "1 行目、72 番目の値が空っぽだよ）");
  EXPECT_EQ(Failure("1\n2\nabc\n"), head + "3 行目、3 番目の値「abc」は数じゃないよ）");
  EXPECT_EQ(Failure("1\r\n2\r\n32768\r\n"),
            head + "3 行目、3 番目の値「32768」は -32768〜32767 の外だよ）");
  EXPECT_EQ(Failure("-32769"), head + "1 行目、1 番目の値「-32769」は -32768〜32767 の外だよ）");
  for (const char* notNumber : {"1.5", "+1", "1 2", "0x10", "--1", "-", "1e3", "１"}) {
    EXPECT_EQ(Failure(std::string(notNumber) + "\r\n"),
              head + "1 行目、1 番目の値「" + notNumber + "」は数じゃないよ）");
  }
}

TEST(ReadCollection, LongOrUnprintableItemsAreShownShortened) {
  const std::string head = "「/home/a/cards.txt」を呼びだせなかったよ（1 行目、1 番目の値「";
  EXPECT_EQ(Failure(std::string(5'000'000, 'x')),
            head + std::string(20, 'x') + "…」は数じゃないよ）");
  EXPECT_EQ(Failure(std::string(30, '7')),
            head + std::string(20, '7') + "…」は -32768〜32767 の外だよ）");
  EXPECT_EQ(Failure(std::string(1000, '7')), head + std::string(20, '7') + "…」は桁が多すぎるよ）");
  // Cut after 20 characters, not in the middle of one.
  EXPECT_EQ(Failure("あいうえおかきくけこさしすせそたちつてとなにぬねの\r\n"),
            head + "あいうえおかきくけこさしすせそたちつてと…」は数じゃないよ）");
  EXPECT_EQ(Failure(std::string("1\0"
                                "2\x1B",
                                4)),
            head + "1?2?」は数じゃないよ）");
  // Bytes that only begin like a byte order mark belong to the first item.
  EXPECT_EQ(Failure("\xEF\xBB"
                    "1\r\n"),
            head +
                "\xEF\xBB"
                "1」は数じゃないよ）");
}

// Hands out `text` one byte per request, then endless junk. Asked for byte `limit`, it fails
// the test, or with `breaks` acts as a device that fails there.
class MeteredBuffer : public std::streambuf {
 public:
  MeteredBuffer(std::string text, std::size_t limit, bool breaks = false)
      : text_(std::move(text)), limit_(limit), breaks_(breaks) {}
  std::size_t handedOut() const { return handedOut_; }

 protected:
  int_type underflow() override {
    if (handedOut_ >= limit_) {
      if (breaks_) throw std::ios_base::failure("device error");
      ADD_FAILURE() << "read past byte " << limit_;
      return traits_type::eof();
    }
    current_ = handedOut_ < text_.size() ? text_[handedOut_] : 'j';
    ++handedOut_;
    setg(&current_, &current_, &current_ + 1);
    return traits_type::to_int_type(current_);
  }

 private:
  std::string text_;
  std::size_t limit_;
  bool breaks_;
  std::size_t handedOut_ = 0;
  char current_ = 0;
};

TEST(ReadCollection, StopsRightAfterTheSeventySecondItem) {
  // Whatever ends the 72nd item is its last byte read: not the LF of its CR LF, not the junk.
  for (const std::string end : {"\r", ",", "\n", " \t\r"}) {
    const std::string text = Items("\r\n", end);
    MeteredBuffer buffer(text + "\n" + std::string(8 << 20, '#'), text.size());
    std::istream in(&buffer);
    const LoadResult result = ReadCollection(in, kPath);
    ASSERT_TRUE(result.table.has_value()) << result.message;
    EXPECT_EQ(*result.table, OneToSeventyTwo());
    EXPECT_EQ(buffer.handedOut(), text.size());
  }
  // A first item of endless junk is given up after a bounded read.
  MeteredBuffer junk("", 100);
  std::istream in(&junk);
  EXPECT_FALSE(ReadCollection(in, kPath).table.has_value());
}

TEST(ReadCollection, ReadErrorIsReportedNotTakenForTheEnd) {
  MeteredBuffer buffer(Items("\r\n"), 30, true);
  std::istream in(&buffer);
  const LoadResult result = ReadCollection(in, kPath);
  EXPECT_FALSE(result.table.has_value());
  EXPECT_EQ(result.message,
            "「/home/a/cards.txt」を呼びだせなかったよ（読んでる途中でエラーが起きたよ）");
}

}  // namespace
}  // namespace kelvara
