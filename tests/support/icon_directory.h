#pragma once

// Reads a Windows icon directory: the head of an icon file, or the program file's icon group
// resource, whose entries end in a 16-bit resource id instead of a 32-bit file offset.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kelvara::testing {

inline std::uint32_t LittleEndian(std::string_view bytes, std::size_t at, std::size_t size) {
  std::uint32_t value = 0;
  for (std::size_t i = size; i-- > 0;) value = value << 8 | std::uint8_t(bytes.at(at + i));
  return value;
}

struct IconEntry {
  std::uint32_t width, height, colourCount, bitCount, size, offsetOrId;
};

inline std::vector<IconEntry> ReadIconDirectory(std::string_view bytes, bool groupResource) {
  std::vector<IconEntry> entries;
  const std::size_t entrySize = groupResource ? 14 : 16;
  for (std::size_t i = 0; i < LittleEndian(bytes, 4, 2); ++i) {
    const std::size_t at = 6 + i * entrySize;
    entries.push_back({LittleEndian(bytes, at, 1), LittleEndian(bytes, at + 1, 1),
                       LittleEndian(bytes, at + 2, 1), LittleEndian(bytes, at + 6, 2),
                       LittleEndian(bytes, at + 8, 4),
                       LittleEndian(bytes, at + 12, groupResource ? 2 : 4)});
  }
  return entries;
}

}  // namespace kelvara::testing
