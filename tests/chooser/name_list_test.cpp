#include "chooser/name_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <sstream>

#include "tests/chooser/fake_file_system.h"

namespace kelvara {
namespace {

TEST(NameList, SortsLettersRegardlessOfCaseThenByBytesAlsoPastLongCommonPrefixes) {
  std::istringstream words(
      "_x A.txt a.txt IMG_2024 img_2024_ IMG_2024_A.jpg img_2024_a.jpg IMG_2024_B.jpg "
      "IMG_2024_b.JPG Photo_000009.jpeg PHOTO_000010.JPEG photo_000010.jpeg Zeta カード.txt");
  const std::vector<std::string> sorted{std::istream_iterator<std::string>(words), {}};
  std::vector<std::string> shuffled = sorted;
  for (int turn = 0; turn < 3; ++turn) {
    std::rotate(shuffled.begin(), shuffled.begin() + 5, shuffled.end());
    std::reverse(shuffled.begin() + turn, shuffled.end());
    NameList names;
    for (const std::string& name : shuffled) names.add(name);
    names.sortByName();
    EXPECT_EQ(Strings(names), sorted);
  }
}

}  // namespace
}  // namespace kelvara
