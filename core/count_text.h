#pragma once

#include <string>

#include "core/collection.h"

namespace kelvara {

// A count as shown and written everywhere: plain decimal, "-" when negative,
// no blanks, no leading zeros, no separators ("0", "12", "-1").
std::string CountText(Count count);

}  // namespace kelvara
