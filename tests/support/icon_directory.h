#pragma once

// Reads a Windows icon directory: the list at the head of an icon file, and the same list as
// the program file's icon group resource stores it. Qt-free, for both kinds of tests.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvara::testing {

inline std::uint32_t LittleEndian(std::string_view bytes, std::size_t at, std::size_t size) {
  std::uint32_t value = 0;
  for (std::size_t i = size; i-- > 0;) {
    value = value << 8 | static_cast<unsigned char>(bytes.at(at + i));
  }
  return value;
}

struct IconEntry {
  int width = 0;  // 0 in the file stands for 256
  int height = 0;
  int colourCount = 0;
  int planes = 0;
  int bitCount = 0;
  std::uint32_t size = 0;
  std::uint32_t offsetOrId = 0;  // file: offset of the bitmap; group resource: icon resource id
};

// `groupResource` entries are two bytes shorter: a 16-bit resource id replaces the offset.
// An empty result means the directory is malformed.
inline std::vector<IconEntry> ReadIconDirectory(std::string_view bytes, bool groupResource) {
  if (bytes.size() < 6 || LittleEndian(bytes, 0, 2) != 0 || LittleEndian(bytes, 2, 2) != 1) {
    return {};
  }
  const std::size_t count = LittleEndian(bytes, 4, 2);
  const std::size_t entrySize = groupResource ? 14 : 16;
  if (bytes.size() < 6 + count * entrySize) return {};
  std::vector<IconEntry> entries;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = 6 + i * entrySize;
    IconEntry entry;
    entry.width = static_cast<int>(LittleEndian(bytes, at, 1));
    entry.height = static_cast<int>(LittleEndian(bytes, at + 1, 1));
    entry.colourCount = static_cast<int>(LittleEndian(bytes, at + 2, 1));
    entry.planes = static_cast<int>(LittleEndian(bytes, at + 4, 2));
    entry.bitCount = static_cast<int>(LittleEndian(bytes, at + 6, 2));
    entry.size = LittleEndian(bytes, at + 8, 4);
    entry.offsetOrId = LittleEndian(bytes, at + 12, groupResource ? 2 : 4);
    if (!groupResource && entry.offsetOrId + std::uint64_t{entry.size} > bytes.size()) return {};
    entries.push_back(entry);
  }
  return entries;
}

}  // namespace kelvara::testing
