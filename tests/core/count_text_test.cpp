#include "core/count_text.h"

#include <gtest/gtest.h>

namespace kelvara {
namespace {

TEST(CountText, PlainDecimalWithSignOnlyWhenNegative) {
  EXPECT_EQ(CountText(0), "0");
  EXPECT_EQ(CountText(12), "12");
  EXPECT_EQ(CountText(-1), "-1");
  EXPECT_EQ(CountText(100), "100");
  EXPECT_EQ(CountText(kCountMax), "32767");
  EXPECT_EQ(CountText(kCountMin), "-32768");
}

}  // namespace
}  // namespace kelvara
