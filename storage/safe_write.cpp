#include "storage/safe_write.h"

#include <cstdint>
#include <random>
#include <string>

#include "storage/reasons.h"
#include "storage/safe_write_platform.h"

namespace kelvara {

namespace detail {

std::filesystem::path TempPathBeside(const std::filesystem::path& target) {
  static std::mt19937_64 generator{std::random_device{}()};
  static constexpr char kHex[] = "0123456789abcdef";
  std::uint64_t bits = generator();
  std::string name = ".kelvara-";
  for (int digit = 0; digit < 16; ++digit, bits >>= 4) name += kHex[bits & 0xF];
  name += ".tmp";
  return target.parent_path() / name;
}

}  // namespace detail

FileResult WriteFileSafely(const std::filesystem::path& target, std::string_view bytes) {
  if (!target.has_filename()) return {false, std::string(kReasonNoName)};
  // Caught here rather than at the rename, where Windows would only say "access denied".
  std::error_code ignored;
  if (std::filesystem::is_directory(target, ignored)) return {false, std::string(kReasonIsFolder)};
  return detail::ReplaceThroughTemp(target, bytes);
}

}  // namespace kelvara
