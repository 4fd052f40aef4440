#include "chooser/name_list.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace kelvara {
namespace {

unsigned char Folded(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

// The first place at or after `from`, below `size`, where `a` and `b` differ; `size` when
// none. Eight bytes at a time: names in a large folder share long prefixes ("IMG_2024...").
std::size_t FirstDifference(const char* a, const char* b, std::size_t from, std::size_t size) {
  for (; from + sizeof(std::uint64_t) <= size; from += sizeof(std::uint64_t)) {
    std::uint64_t wordA = 0;
    std::uint64_t wordB = 0;
    std::memcpy(&wordA, a + from, sizeof wordA);
    std::memcpy(&wordB, b + from, sizeof wordB);
    if (wordA == wordB) continue;
    const std::uint64_t differing = wordA ^ wordB;
    const int bits = std::endian::native == std::endian::little ? std::countr_zero(differing)
                                                                : std::countl_zero(differing);
    return from + static_cast<std::size_t>(bits) / 8;
  }
  while (from < size && a[from] == b[from]) ++from;
  return from;
}

bool ComesBefore(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t at = FirstDifference(a.data(), b.data(), 0, common); at < common;
       at = FirstDifference(a.data(), b.data(), at + 1, common)) {
    const unsigned char foldedA = Folded(a[at]);
    const unsigned char foldedB = Folded(b[at]);
    if (foldedA != foldedB) return foldedA < foldedB;  // else they differ in case only
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

}  // namespace

void NameList::add(std::string_view name) {
  spans_.push_back(
      {static_cast<std::uint32_t>(bytes_.size()), static_cast<std::uint32_t>(name.size())});
  bytes_ += name;
}

void NameList::sortByName() {
  const std::string_view bytes = bytes_;
  std::sort(spans_.begin(), spans_.end(), [bytes](const Span& a, const Span& b) {
    return ComesBefore(bytes.substr(a.start, a.size), bytes.substr(b.start, b.size));
  });
}

}  // namespace kelvara
