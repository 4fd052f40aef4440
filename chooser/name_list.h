#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvara {

// The names of a folder's entries (UTF-8), kept end to end in one buffer: a folder of many
// thousand entries costs their bytes and eight more each, not a string and an allocation each.
class NameList {
 public:
  void add(std::string_view name);
  std::size_t size() const { return spans_.size(); }
  bool empty() const { return spans_.empty(); }
  std::string_view operator[](std::size_t index) const {
    const Span& span = spans_[index];
    return std::string_view(bytes_).substr(span.start, span.size);
  }

  // The order a user expects in the lists: ASCII letters regardless of case, then byte order
  // to keep "A.txt" and "a.txt" apart.
  void sortByName();

 private:
  struct Span {
    std::uint32_t start;  // a folder's names stay far below 4 GiB
    std::uint32_t size;
  };
  std::string bytes_;
  std::vector<Span> spans_;
};

}  // namespace kelvara
