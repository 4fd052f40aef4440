#include "export/exports.h"

#include <gtest/gtest.h>

namespace kelvara {
namespace {

#define HEAD1 "1\x81\x69\x97\x52\x81\x6A"
#define HEAD2 "2\x81\x69\x97\x9D\x81\x6A"
#define HEAD3 "3\x81\x69\x94\xFC\x81\x6A"
#define HEAD4 "4\x81\x69\x82\xCD\x81\x6A"
#define HEAD5 "5\x81\x69\x83\x7D\x81\x6A"
#define HEAD6 "6\x81\x69\x96\xED\x81\x6A"
#define CELL(count) "<TD ALIGN=right>" count "</TD>\r\n"
#define ROW(name, a, b, c, d, e, f) \
  "<TR>\r\n<TD>" name "</TD>\r\n" CELL(a) CELL(b) CELL(c) CELL(d) CELL(e) CELL(f) "</TR>\r\n"

const char* const kZeroCategories[] = {"graphic",  "memoir", "special day", "starring", "event",
                                       "illusion", "ending", "puzzle",      "list",     "lucky"};
std::string Csv(const std::string& special, const std::string& profile) {
  std::string csv = "," HEAD1 "," HEAD2 "," HEAD3 "," HEAD4 "," HEAD5 "," HEAD6 "\r\nspecial," +
                    special + "\r\nprofile," + profile + "\r\n";
  for (const char* name : kZeroCategories) csv.append(name).append(",0,0,0,0,0,0\r\n");
  return csv;
}
std::string Html(const std::string& firstTwoRows) {
  std::string html =
      "<HTML>\r\n<HEAD><TITLE>Varnholt</TITLE></HEAD>\r\n<BODY>\r\n<BR>\r\n"
      "<TABLE BORDER=1>\r\n<TR>\r\n<TD>\r\n"
      "<TD>" HEAD1 "\r\n<TD>" HEAD2 "\r\n<TD>" HEAD3 "\r\n<TD>" HEAD4 "\r\n<TD>" HEAD5
      "\r\n<TD>" HEAD6 "\r\n" +
      firstTwoRows;
  for (const char* name : kZeroCategories)
    html += std::string(ROW("", "0", "0", "0", "0", "0", "0")).insert(10, name);
  return html.append("</TABLE>\r\n</BODY>\r\n</HTML>\r\n");
}

TEST(Exports, WholeFilesOfTheWorkedExampleAndTheLimits) {
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

}  // namespace
}  // namespace kelvara
