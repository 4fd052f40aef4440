#include "export/exports.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <vector>

#include "core/tables.h"
#include "export/cp932.h"
#include "tests/storage/random_table.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace kelvara {
namespace {

// Column heads in code page 932: 1（由） 2（理） 3（美） 4（は） 5（マ） 6（弥）.
#define HEAD1 "1\x81\x69\x97\x52\x81\x6A"
#define HEAD2 "2\x81\x69\x97\x9D\x81\x6A"
#define HEAD3 "3\x81\x69\x94\xFC\x81\x6A"
#define HEAD4 "4\x81\x69\x82\xCD\x81\x6A"
#define HEAD5 "5\x81\x69\x83\x7D\x81\x6A"
#define HEAD6 "6\x81\x69\x96\xED\x81\x6A"
#define ZERO_CELL "<TD ALIGN=right>0</TD>\r\n"
#define ZERO_ROW(name)                                                                        \
  "<TR>\r\n<TD>" name "</TD>\r\n" ZERO_CELL ZERO_CELL ZERO_CELL ZERO_CELL ZERO_CELL ZERO_CELL \
  "</TR>\r\n"

CountTable WorkedExample() {
  CountTable table{};
  table[0] = 2;
  table[2] = 1;
  table[5] = 3;
  table[11] = -1;
  return table;
}

std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(bytes.substr(start, end - start));
  }
  EXPECT_EQ(start, bytes.size()) << "bytes after the last CR LF";
  for (const std::string& line : lines) {
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "a lone CR or LF: " << line;
  }
  return lines;
}

TEST(CsvBytes, WorkedExampleWholeFile) {
  EXPECT_EQ(CsvBytes(WorkedExample()), "," HEAD1 "," HEAD2 "," HEAD3 "," HEAD4 "," HEAD5 "," HEAD6
                                       "\r\n"
                                       "special,2,0,1,0,0,3\r\n"
                                       "profile,0,0,0,0,0,-1\r\n"
                                       "graphic,0,0,0,0,0,0\r\n"
                                       "memoir,0,0,0,0,0,0\r\n"
                                       "special day,0,0,0,0,0,0\r\n"
                                       "starring,0,0,0,0,0,0\r\n"
                                       "event,0,0,0,0,0,0\r\n"
                                       "illusion,0,0,0,0,0,0\r\n"
                                       "ending,0,0,0,0,0,0\r\n"
                                       "puzzle,0,0,0,0,0,0\r\n"
                                       "list,0,0,0,0,0,0\r\n"
                                       "lucky,0,0,0,0,0,0\r\n");
  EXPECT_EQ(CsvBytes(WorkedExample()).substr(0, 8), "\x2C\x31\x81\x69\x97\x52\x81\x6A");
}

TEST(CsvBytes, ZerosNegativesAndLimits) {
  const std::vector<std::string> zeros = Lines(CsvBytes(CountTable{}));
  ASSERT_EQ(zeros.size(), 13u);
  for (int category = 0; category < kCategoryCount; ++category) {
    EXPECT_EQ(zeros[category + 1], std::string(kCategoryNames[category]) + ",0,0,0,0,0,0");
  }
  CountTable limits{};
  limits[CountIndex(4, 0)] = kCountMin;
  limits[CountIndex(4, 1)] = kCountMax;
  limits[CountIndex(4, 5)] = -7;
  limits[CountIndex(11, 5)] = kCountMin;
  const std::vector<std::string> lines = Lines(CsvBytes(limits));
  EXPECT_EQ(lines[5], "special day,-32768,32767,0,0,0,-7");
  EXPECT_EQ(lines[12], "lucky,0,0,0,0,0,-32768");
}

TEST(CsvBytes, ThirteenLinesOfSevenFieldsNamesInOrder) {
  std::mt19937 random(3);
  for (int round = 0; round < 50; ++round) {
    const std::vector<std::string> lines = Lines(CsvBytes(testing::RandomTable(random)));
    ASSERT_EQ(lines.size(), 13u);
    for (int line = 0; line < 13; ++line) {
      EXPECT_EQ(std::count(lines[line].begin(), lines[line].end(), ','), 6) << lines[line];
      EXPECT_EQ(lines[line].find('"'), std::string::npos);
      if (line > 0) {
        EXPECT_EQ(lines[line].substr(0, lines[line].find(',')), kCategoryNames[line - 1]);
      }
    }
  }
}

TEST(HtmlBytes, WorkedExampleWholeFile) {
  EXPECT_EQ(HtmlBytes(WorkedExample()),
            "<HTML>\r\n<HEAD><TITLE>Varnholt</TITLE></HEAD>\r\n<BODY>\r\n<BR>\r\n"
            "<TABLE BORDER=1>\r\n<TR>\r\n<TD>\r\n"
            "<TD>" HEAD1 "\r\n<TD>" HEAD2 "\r\n<TD>" HEAD3
            "\r\n"
            "<TD>" HEAD4 "\r\n<TD>" HEAD5 "\r\n<TD>" HEAD6
            "\r\n"
            "<TR>\r\n<TD>special</TD>\r\n"
            "<TD ALIGN=right>2</TD>\r\n" ZERO_CELL "<TD ALIGN=right>1</TD>\r\n" ZERO_CELL ZERO_CELL
            "<TD ALIGN=right>3</TD>\r\n</TR>\r\n"
            "<TR>\r\n<TD>profile</TD>\r\n" ZERO_CELL ZERO_CELL ZERO_CELL ZERO_CELL ZERO_CELL
            "<TD ALIGN=right>-1</TD>\r\n</TR>\r\n" ZERO_ROW("graphic") ZERO_ROW("memoir")
                ZERO_ROW("special day") ZERO_ROW("starring") ZERO_ROW("event") ZERO_ROW("illusion")
                    ZERO_ROW("ending") ZERO_ROW("puzzle") ZERO_ROW("list")
                        ZERO_ROW("lucky") "</TABLE>\r\n</BODY>\r\n</HTML>\r\n");
  EXPECT_EQ(Lines(HtmlBytes(WorkedExample()))[7], "\x3C\x54\x44\x3E\x31\x81\x69\x97\x52\x81\x6A");
}

TEST(HtmlBytes, LimitsAndNegativesInTheirCells) {
  CountTable limits{};
  limits[CountIndex(0, 0)] = kCountMin;
  limits[CountIndex(11, 5)] = kCountMax;
  limits[CountIndex(5, 2)] = -1;
  const std::vector<std::string> lines = Lines(HtmlBytes(limits));
  EXPECT_EQ(lines[15], "<TD ALIGN=right>-32768</TD>");          // line 16
  EXPECT_EQ(lines[14 + 9 * 5 + 3], "<TD ALIGN=right>-1</TD>");  // starring, character 3
  EXPECT_EQ(lines[119], "<TD ALIGN=right>32767</TD>");          // line 120
}

TEST(HtmlBytes, OneTableOfTwelveRowsUnderAnOpenHeaderRow) {
  std::mt19937 random(5);
  const std::vector<std::string> lines = Lines(HtmlBytes(testing::RandomTable(random)));
  ASSERT_EQ(lines.size(), 124u);
  // The header row: seven cells, no end tags, straight into the first category row.
  EXPECT_EQ(lines[5], "<TR>");
  for (int line = 6; line < 13; ++line) EXPECT_EQ(lines[line].find("</"), std::string::npos);
  for (int category = 0; category < kCategoryCount; ++category) {
    const int row = 13 + 9 * category;
    EXPECT_EQ(lines[row], "<TR>");
    EXPECT_EQ(lines[row + 1], "<TD>" + std::string(kCategoryNames[category]) + "</TD>");
    for (int cell = 2; cell < 8; ++cell) {
      EXPECT_TRUE(lines[row + cell].starts_with("<TD ALIGN=right>")) << lines[row + cell];
      EXPECT_TRUE(lines[row + cell].ends_with("</TD>")) << lines[row + cell];
    }
    EXPECT_EQ(lines[row + 8], "</TR>");
  }
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "</TR>"), 12);
}

TEST(ToCp932, KnownCharactersOnlyAndLoudOtherwise) {
  EXPECT_EQ(ToCp932("special day,-1\r\n"), "special day,-1\r\n");
  for (const char* unknown : {"字", "é", "\x80", "\xE7\x94"}) {
    EXPECT_THROW(ToCp932(std::string("1") + unknown), std::logic_error) << unknown;
  }
}

// `utf8` in code page 932 as the system's own converter makes it; empty when it cannot.
std::string SystemCp932(std::string_view utf8) {
  std::string out(4 * utf8.size() + 4, '\0');
#ifdef _WIN32
  std::wstring wide(utf8.size(), L'\0');
  const int units = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                          static_cast<int>(utf8.size()), wide.data(),
                                          static_cast<int>(wide.size()));
  BOOL lossy = FALSE;
  const int bytes = ::WideCharToMultiByte(932, 0, wide.data(), units, out.data(),
                                          static_cast<int>(out.size()), nullptr, &lossy);
  out.resize(units > 0 && !lossy ? static_cast<std::size_t>(bytes) : 0);
#else
  const iconv_t converter = iconv_open("CP932", "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) return {};
  std::string in(utf8);
  char* inPointer = in.data();
  char* outPointer = out.data();
  std::size_t inLeft = in.size();
  std::size_t outLeft = out.size();
  const bool converted =
      iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft) != static_cast<size_t>(-1);
  iconv_close(converter);
  out.resize(converted ? out.size() - outLeft : 0);
#endif
  return out;
}

// The table must agree with the system's converter (glibc's, or the Windows code page 932
// one), character for character.
TEST(ToCp932, AgreesWithTheSystemsConverter) {
  for (const std::string_view head : kCharacterHeads) {
    const std::string system = SystemCp932(head);
    ASSERT_FALSE(system.empty()) << "the system cannot convert " << head;
    EXPECT_EQ(ToCp932(head), system) << head;
  }
}

}  // namespace
}  // namespace kelvara
