#include "core/decimal_text.h"

#include <charconv>
#include <iterator>

namespace kelvara {

std::string DecimalText(long long number) {
  char digits[24];  // "-9223372036854775808" is the longest
  const auto result = std::to_chars(std::begin(digits), std::end(digits), number);
  return std::string(digits, result.ptr);
}

}  // namespace kelvara
