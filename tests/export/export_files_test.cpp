#include <gtest/gtest.h>

#include <cerrno>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>

#include <csignal>
#endif

#include "export/exports.h"
#include "storage/collection_file.h"
#include "storage/reasons.h"
#include "storage/safe_write.h"
#include "tests/storage/file_system_helpers.h"

namespace kelvara {
namespace {

using Render = std::string (*)(const CountTable&);
constexpr Render kRenders[] = {&CollectionFileBytes, &CsvBytes, &HtmlBytes};

CountTable AllAtTheMinimum() {
  CountTable table{};
  table.fill(kCountMin);
  return table;
}

// The bytes on disk are the rendered bytes: every CR LF as it is, on every system.
TEST(ExportFiles, SecondFileReplacesTheFirstByteForByte) {
  testing::ScratchFolder folder;
  for (const Render render : kRenders) {
    const auto target = folder / "collection";
    ASSERT_TRUE(WriteFileSafely(target, render(AllAtTheMinimum())).ok);
    EXPECT_EQ(testing::Contents(target), render(AllAtTheMinimum()));
    ASSERT_TRUE(WriteFileSafely(target, render(CountTable{})).ok);
    EXPECT_EQ(testing::Contents(target), render(CountTable{}));
  }
}

// A write that fails keeps the old file: on POSIX one cut short part way (the file may not
// grow past 400 bytes), on Windows one over a file another program holds open.
TEST(ExportFiles, FailedExportChangesNothing) {
  testing::ScratchFolder folder;
  const auto target = folder / "collection";
  for (const Render render : kRenders) {
    ASSERT_TRUE(WriteFileSafely(target, render(CountTable{})).ok);
#ifdef _WIN32
    FileResult failed;
    {
      const testing::HeldFile held(target);
      failed = WriteFileSafely(target, render(AllAtTheMinimum()));
    }
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.reason, ReasonForWindowsError(ERROR_ACCESS_DENIED));
#else
    testing::RunInChild([&] {
      std::signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{400, 400};
      ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
      const FileResult failed = WriteFileSafely(target, render(AllAtTheMinimum()));
      EXPECT_FALSE(failed.ok);
      EXPECT_EQ(failed.reason, ReasonForErrno(EFBIG));
    });
#endif
    EXPECT_EQ(testing::Contents(target), render(CountTable{}));
    EXPECT_EQ(testing::Names(folder.path()), std::vector<std::string>{"collection"});
  }
}

}  // namespace
}  // namespace kelvara
