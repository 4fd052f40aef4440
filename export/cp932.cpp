#include "export/cp932.h"

#include <stdexcept>

namespace kelvara {
namespace {

struct Cp932Character {
  std::string_view utf8;
  std::string_view cp932;
};

constexpr Cp932Character kCharacters[] = {
    {"（", "\x81\x69"}, {"）", "\x81\x6A"}, {"由", "\x97\x52"}, {"理", "\x97\x9D"},
    {"美", "\x94\xFC"}, {"は", "\x82\xCD"}, {"マ", "\x83\x7D"}, {"弥", "\x96\xED"},
};

}  // namespace

std::string ToCp932(std::string_view utf8) {
  std::string bytes;
  bytes.reserve(utf8.size());
  while (!utf8.empty()) {
    if (static_cast<unsigned char>(utf8.front()) < 0x80) {
      bytes += utf8.front();
      utf8.remove_prefix(1);
      continue;
    }
    bool known = false;
    for (const Cp932Character& character : kCharacters) {
      if (utf8.starts_with(character.utf8)) {
        bytes += character.cp932;
        utf8.remove_prefix(character.utf8.size());
        known = true;
        break;
      }
    }
    if (!known) {
      throw std::logic_error("no code page 932 bytes for: " + std::string(utf8.substr(0, 4)));
    }
  }
  return bytes;
}

}  // namespace kelvara
