#include "core/count_text.h"

#include <charconv>

namespace kelvara {

std::string CountText(Count count) {
  char digits[8];  // "-32768" is the longest
  const auto result = std::to_chars(std::begin(digits), std::end(digits), count);
  return std::string(digits, result.ptr);
}

}  // namespace kelvara
