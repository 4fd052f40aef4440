#pragma once

#include <string>
#include <vector>

namespace kelvara {

// Sorts names in the order a user expects in the lists: ASCII letters regardless of case,
// then byte order to keep "A.txt" and "a.txt" apart.
void SortByName(std::vector<std::string>& names);

}  // namespace kelvara
