#pragma once

#include <string>
#include <string_view>

namespace kelvara {

// UTF-8 to code page 932 for the exports' fixed texts: ASCII as it is, and the few full-width
// characters of the column heads from a table. Any other character is a programming error and
// throws std::logic_error, so a new text cannot slip out as wrong bytes.
std::string ToCp932(std::string_view utf8);

}  // namespace kelvara
