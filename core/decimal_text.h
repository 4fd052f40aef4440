#pragma once

#include <string>

namespace kelvara {

// A whole number as shown and written everywhere: a count in the windows, the collection file
// and the exports, a line or an error's number in a message. Plain decimal, "-" when negative,
// no blanks, no leading zeros, no separators ("0", "12", "-1").
std::string DecimalText(long long number);

}  // namespace kelvara
