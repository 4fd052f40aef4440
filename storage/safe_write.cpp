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

// A save that was killed leaves its temporary file behind; the next save to the same folder
// sweeps such files away first, so there is never more than one.
void RemoveAbandonedTemps(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::directory_iterator entry(folder.empty() ? "." : folder, error);
  for (const std::filesystem::directory_iterator end; !error && entry != end;
       entry.increment(error)) {
    if (IsTempName(entry->path())) RemoveIfAbandoned(entry->path());
  }
}

}  // namespace

std::filesystem::path TempPathBeside(const std::filesystem::path& target) {
  static std::mt19937_64 generator{std::random_device{}()};
  static constexpr char kHex[] = "0123456789abcdef";
  std::uint64_t bits = generator();
  std::string name(kTempPrefix);
  for (int digit = 0; digit < 16; ++digit, bits >>= 4) name += kHex[bits & 0xF];
  name += kTempSuffix;
  return target.parent_path() / name;
}

bool IsTempName(const std::filesystem::path& name) {
  // As UTF-8: other names in the folder need not fit the Windows ANSI code page.
  const std::u8string utf8 = name.filename().u8string();
  const std::string_view text(reinterpret_cast<const char*>(utf8.data()), utf8.size());
  return text.size() > kTempPrefix.size() + kTempSuffix.size() && text.starts_with(kTempPrefix) &&
         text.ends_with(kTempSuffix);
}

}  // namespace detail

FileResult WriteFileSafely(const std::filesystem::path& target, std::string_view bytes) {
  if (!target.has_filename()) return {false, std::string(kReasonNoName)};
  // Caught here rather than at the rename, where Windows would only say "access denied".
  std::error_code ignored;
  if (std::filesystem::is_directory(target, ignored)) return {false, std::string(kReasonIsFolder)};
  detail::RemoveAbandonedTemps(target.parent_path());
  return detail::ReplaceThroughTemp(target, bytes);
}

}  // namespace kelvara
