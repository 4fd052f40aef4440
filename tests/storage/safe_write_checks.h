#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/utf8_path.h"
#include "storage/file_result.h"
#include "tests/storage/file_system_helpers.h"

namespace kelvara::testing {

// What a target holds before a write that must fail.
inline const std::string kOld = "old contents\r\n";

// After a failure: the reason given, the old file exactly as it was, no temporary left.
inline void ExpectFailedAndUntouched(const FileResult& result, std::string_view reason,
                                     const std::filesystem::path& target) {
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.reason, reason);
  EXPECT_EQ(Contents(target), kOld);
  EXPECT_EQ(Names(target.parent_path()), std::vector<std::string>{Utf8FromPath(target.filename())});
}

}  // namespace kelvara::testing
