#include <sys/resource.h>

#include <gtest/gtest.h>

#include <csignal>

#include "export/exports.h"
#include "storage/reasons.h"
#include "storage/safe_write.h"
#include "tests/storage/file_system_helpers.h"

namespace kelvara {
namespace {

TEST(ExportFiles, SecondExportReplacesTheFirstAndAFailedOneChangesNothing) {
  testing::ScratchFolder folder;
  CountTable big{};
  big.fill(kCountMin);
  for (const auto render : {&CsvBytes, &HtmlBytes}) {
    const auto target = folder / "collection";
    ASSERT_TRUE(WriteFileSafely(target, render(big)).ok);
    ASSERT_TRUE(WriteFileSafely(target, render(CountTable{})).ok);
    EXPECT_EQ(testing::Contents(target), render(CountTable{}));

    // A write that fails part way (the file may not grow past 400 bytes) keeps the old file.
    testing::RunInChild([&] {
      std::signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{400, 400};
      ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
      const FileResult failed = WriteFileSafely(target, render(big));
      EXPECT_FALSE(failed.ok);
      EXPECT_EQ(failed.reason, ReasonForErrno(EFBIG));
    });
    EXPECT_EQ(testing::Contents(target), render(CountTable{}));
    EXPECT_EQ(testing::Names(folder.path()), std::vector<std::string>{"collection"});
  }
}

}  // namespace
}  // namespace kelvara
