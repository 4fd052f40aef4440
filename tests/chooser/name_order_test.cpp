#include "chooser/name_order.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kelvara {
namespace {

TEST(SortByName, FoldsLettersThenKeepsByteOrderAlsoPastLongCommonPrefixes) {
  const std::vector<std::string> sorted = {"_x",
                                           "A.txt",
                                           "a.txt",
                                           "IMG_2024",
                                           "img_2024_",
                                           "IMG_2024_A.jpg",
                                           "img_2024_a.jpg",
                                           "IMG_2024_B.jpg",
                                           "IMG_2024_b.JPG",
                                           "Photo_000009.jpeg",
                                           "PHOTO_000010.JPEG",
                                           "photo_000010.jpeg",
                                           "Zeta",
                                           "カード.txt"};
  std::vector<std::string> names = sorted;
  for (int turn = 0; turn < 3; ++turn) {
    std::rotate(names.begin(), names.begin() + 5, names.end());
    std::reverse(names.begin() + turn, names.end());
    SortByName(names);
    EXPECT_EQ(names, sorted);
  }
}

}  // namespace
}  // namespace kelvara
