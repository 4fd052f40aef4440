#include "export/exports.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace kelvara {
namespace {

// A file written by hand in code page 932 with CR LF line ends (tests/export/expected).
std::string Expected(const char* name) {
  std::ifstream in(std::string(KELVARA_EXPECTED_EXPORTS) + "/" + name, std::ios::binary);
  EXPECT_TRUE(in) << name;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Exports, WholeFilesInCodePage932WithCrLfLines) {
  CountTable table{};  // category k, character j at k * 6 + j
  for (auto [at, count] : {std::pair{0, kCountMin}, {2, 1}, {5, kCountMax}, {6, -7}, {11, -1}})
    table[at] = static_cast<Count>(count);
  EXPECT_EQ(CsvBytes(table), Expected("cards.csv"));
  EXPECT_EQ(HtmlBytes(table), Expected("cards.html"));
}

}  // namespace
}  // namespace kelvara
