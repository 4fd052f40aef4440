#include "export/exports.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "core/tables.h"
#include "export/cp932.h"

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
#define CELL(count) "<TD ALIGN=right>" count "</TD>\r\n"
#define ROW(name, a, b, c, d, e, f) \
  "<TR>\r\n<TD>" name "</TD>\r\n" CELL(a) CELL(b) CELL(c) CELL(d) CELL(e) CELL(f) "</TR>\r\n"
#define ZERO_ROW(name) ROW(name, "0", "0", "0", "0", "0", "0")

// The whole files of a table whose first two categories hold the given counts, the rest 0.
std::string Csv(const std::string& special, const std::string& profile) {
  return "," HEAD1 "," HEAD2 "," HEAD3 "," HEAD4 "," HEAD5 "," HEAD6 "\r\nspecial," + special +
         "\r\nprofile," + profile +
         "\r\n"
         "graphic,0,0,0,0,0,0\r\n"
         "memoir,0,0,0,0,0,0\r\n"
         "special day,0,0,0,0,0,0\r\n"
         "starring,0,0,0,0,0,0\r\n"
         "event,0,0,0,0,0,0\r\n"
         "illusion,0,0,0,0,0,0\r\n"
         "ending,0,0,0,0,0,0\r\n"
         "puzzle,0,0,0,0,0,0\r\n"
         "list,0,0,0,0,0,0\r\n"
         "lucky,0,0,0,0,0,0\r\n";
}
std::string Html(const std::string& firstTwoRows) {
  return "<HTML>\r\n<HEAD><TITLE>Varnholt</TITLE></HEAD>\r\n<BODY>\r\n<BR>\r\n"
         "<TABLE BORDER=1>\r\n<TR>\r\n<TD>\r\n"
         "<TD>" HEAD1 "\r\n<TD>" HEAD2 "\r\n<TD>" HEAD3 "\r\n<TD>" HEAD4 "\r\n<TD>" HEAD5
         "\r\n<TD>" HEAD6 "\r\n" +
         firstTwoRows +
         ZERO_ROW("graphic") ZERO_ROW("memoir") ZERO_ROW("special day") ZERO_ROW("starring")
             ZERO_ROW("event") ZERO_ROW("illusion") ZERO_ROW("ending") ZERO_ROW("puzzle")
                 ZERO_ROW("list") ZERO_ROW("lucky") "</TABLE>\r\n</BODY>\r\n</HTML>\r\n";
}

TEST(Exports, WholeFilesOfTheWorkedExampleAllZerosAndTheLimits) {
  const struct {
    const char* name;
    std::vector<std::pair<int, Count>> counts;
    std::string csv;
    std::string html;
  } cases[] = {
      {"worked example",
       {{0, 2}, {2, 1}, {5, 3}, {11, -1}},
       Csv("2,0,1,0,0,3", "0,0,0,0,0,-1"),
       ROW("special", "2", "0", "1", "0", "0", "3") ROW("profile", "0", "0", "0", "0", "0", "-1")},
      {"all zeros", {}, Csv("0,0,0,0,0,0", "0,0,0,0,0,0"), ZERO_ROW("special") ZERO_ROW("profile")},
      {"limits",
       {{0, kCountMin}, {5, kCountMax}, {6, -7}, {11, kCountMin}},
       Csv("-32768,0,0,0,0,32767", "-7,0,0,0,0,-32768"),
       ROW("special", "-32768", "0", "0", "0", "0", "32767")
           ROW("profile", "-7", "0", "0", "0", "0", "-32768")},
  };
  for (const auto& c : cases) {
    CountTable table{};
    for (const auto& [index, count] : c.counts) table[index] = count;
    EXPECT_EQ(CsvBytes(table), c.csv) << c.name;
    EXPECT_EQ(HtmlBytes(table), Html(c.html)) << c.name;
  }
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
