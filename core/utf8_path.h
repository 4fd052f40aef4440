#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kelvara {

// Paths travel through the program as UTF-8; std::filesystem takes them through char8_t so
// that Japanese names survive on Windows, where narrow strings mean the ANSI code page.
inline std::filesystem::path PathFromUtf8(std::string_view text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace kelvara
