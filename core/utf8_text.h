#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kelvara {

// The byte length of the well-formed UTF-8 character `text` starts with, or 0 when its first
// bytes form none (a stray continuation byte, a cut or overlong sequence, a surrogate).
std::size_t Utf8CharacterLength(std::string_view text);

// The UTF-8 for U+FFFD, shown in place of bytes that are not UTF-8.
inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// `text` with each byte that begins no well-formed character replaced by U+FFFD, so that a
// message box can show it whatever a file name or a file held.
std::string ValidUtf8(std::string_view text);

}  // namespace kelvara
