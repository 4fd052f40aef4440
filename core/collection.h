#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

namespace kelvara {

inline constexpr int kCategoryCount = 12;
inline constexpr int kCharacterCount = 6;
inline constexpr int kCountCount = kCategoryCount * kCharacterCount;

using Count = std::int16_t;
inline constexpr Count kCountMin = std::numeric_limits<Count>::min();
inline constexpr Count kCountMax = std::numeric_limits<Count>::max();

// The 72 counts, category by category: category k, character j is element k * 6 + j.
using CountTable = std::array<Count, kCountCount>;

constexpr std::size_t CountIndex(int category, int character) {
  return static_cast<std::size_t>(category * kCharacterCount + character);
}

// The program's shared state. It lives from start to end and belongs to no window;
// every handler reads and writes it directly. Its names are the ones the behaviour is described
// by, kept as they stand, the shared loop counters among them.
struct Module1 {
  CountTable CollectionTable{};
  std::uint8_t CurrentCategory = 0;  // the category the main window shows and edits
  std::string ChosenPath;            // UTF-8 path of the last file action
  // Loop counters shared by the loops over the table.
  std::uint8_t OuterIndex = 0;
  std::uint8_t InnerIndex = 0;
};

}  // namespace kelvara
