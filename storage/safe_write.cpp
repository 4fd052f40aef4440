#include "storage/safe_write.h"

#include <cstdint>
#include <random>
#include <string>

#include "storage/reasons.h"
#include "storage/safe_write_platform.h"

namespace kelvara {

namespace detail {
namespace {

constexpr std::string_view kTempPrefix = ".kelvara-";
constexpr std::string_view kTempSuffix = ".tmp";
constexpr std::size_t kTempDigits = 16;
constexpr char kHex[] = "0123456789abcdef";

}  // namespace

std::string TempName() {
  // Saves may run in several threads at once: each draws from its own generator.
  thread_local std::mt19937_64 generator{std::random_device{}()};
  std::uint64_t bits = generator();
  std::string name(kTempPrefix);
  for (std::size_t digit = 0; digit < kTempDigits; ++digit, bits >>= 4) name += kHex[bits & 0xF];
  return name += kTempSuffix;
}

bool IsTempName(const std::filesystem::path& name) {
  // As UTF-8: other names in the folder need not fit the Windows ANSI code page.
  const std::u8string utf8 = name.filename().u8string();
  std::string_view text(reinterpret_cast<const char*>(utf8.data()), utf8.size());
  if (text.size() != kTempPrefix.size() + kTempDigits + kTempSuffix.size() ||
      !text.starts_with(kTempPrefix) || !text.ends_with(kTempSuffix)) {
    return false;
  }
  text = text.substr(kTempPrefix.size(), kTempDigits);
  return text.find_first_not_of(kHex) == std::string_view::npos;
}

}  // namespace detail

Result WriteFileSafely(const std::filesystem::path& target, std::string_view bytes) {
  if (!target.has_filename()) return Failed(kReasonNoName);
  // The next save beside it would sweep it away. Names reached through links are checked
  // where the links are followed.
  if (detail::IsTempName(target)) return Failed(kReasonTempName);
  return detail::ReplaceThroughTemp(target, bytes);
}

}  // namespace kelvara
