#include "export/exports.h"

#include <gtest/gtest.h>

namespace kelvara {
namespace {

// The six column heads in code page 932, each between `before` and `after`.
#define HEADS(before, after)                                                               \
  before "1\x81\x69\x97\x52\x81\x6A" after before "2\x81\x69\x97\x9D\x81\x6A" after before \
         "3\x81\x69\x94\xFC\x81\x6A" after before "4\x81\x69\x82\xCD\x81\x6A" after before \
         "5\x81\x69\x83\x7D\x81\x6A" after before "6\x81\x69\x96\xED\x81\x6A" after
#define CELL(count) "<TD ALIGN=right>" count "</TD>\r\n"
#define ROW(name, a, b, c, d, e, f) \
  "<TR>\r\n<TD>" name "</TD>\r\n" CELL(a) CELL(b) CELL(c) CELL(d) CELL(e) CELL(f) "</TR>\r\n"

TEST(Exports, WholeFilesInCodePage932WithCrLfLines) {
  CountTable table{};  // category k, character j at k * 6 + j
  for (auto [at, count] : {std::pair{0, kCountMin}, {2, 1}, {5, kCountMax}, {6, -7}, {11, -1}})
    table[at] = static_cast<Count>(count);
  std::string csv = HEADS(",", "") "\r\nspecial,-32768,0,1,0,0,32767\r\nprofile,-7,0,0,0,0,-1\r\n";
  std::string html =
      "<HTML>\r\n<HEAD><TITLE>Varnholt</TITLE></HEAD>\r\n<BODY>\r\n<BR>\r\n<TABLE BORDER=1>\r\n"
      "<TR>\r\n<TD>\r\n" HEADS("<TD>", "\r\n") ROW("special", "-32768", "0", "1", "0", "0", "32767")
          ROW("profile", "-7", "0", "0", "0", "0", "-1");
  for (const char* name : {"graphic", "memoir", "special day", "starring", "event", "illusion",
                           "ending", "puzzle", "list", "lucky"}) {
    csv.append(name).append(",0,0,0,0,0,0\r\n");
    html += std::string(ROW("", "0", "0", "0", "0", "0", "0")).insert(10, name);
  }
  EXPECT_EQ(CsvBytes(table), csv);
  EXPECT_EQ(HtmlBytes(table), html + "</TABLE>\r\n</BODY>\r\n</HTML>\r\n");
}

}  // namespace
}  // namespace kelvara
