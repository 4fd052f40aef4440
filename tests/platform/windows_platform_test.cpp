// The Windows tests of the Qt-free libraries only mean something if they run on the system the
// program meets: a Japanese Windows (code page 932) whose C runtime translates line ends in text
// mode and whose file names are wide characters. These tests fail when the run is not that.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

#include "tests/storage/file_system_helpers.h"

namespace {

namespace fs = std::filesystem;
using kelvara::testing::ScratchFolder;

TEST(WindowsPlatformTest, IsJapaneseAndDoublesCarriageReturnsInTextMode) {
  EXPECT_EQ(GetACP(), 932u);
  EXPECT_EQ(GetOEMCP(), 932u);
  char ansi[16] = {};
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"\u30ab\u30fc\u30c9", -1, ansi, sizeof ansi, nullptr,
                                nullptr),
            7);
  EXPECT_EQ(std::string(ansi), "\x83\x4a\x81\x5b\x83\x68");  // "カード"

  // So a file written in text mode instead of binary is caught by the byte-exact tests.
  ScratchFolder folder;
  { std::ofstream(folder / "text.txt") << "1\r\n"; }
  EXPECT_EQ(kelvara::testing::Contents(folder / "text.txt"), "1\r\r\n");
}

TEST(WindowsPlatformTest, JapaneseNamesWithBlanksReachTheFileSystemAsWideCharacters) {
  ScratchFolder folder;
  const std::u8string name = u8"カード 一覧.txt";
  { std::ofstream(folder.path() / name, std::ios::binary) << "72"; }
  WIN32_FIND_DATAW found;
  const HANDLE find = FindFirstFileW((folder.path() / L"*.txt").c_str(), &found);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  FindClose(find);
  EXPECT_EQ(std::wstring(found.cFileName), L"\u30ab\u30fc\u30c9 \u4e00\u89a7.txt");

  // The same UTF-8 bytes in a plain std::string make another name here: code that hands a
  // UTF-8 string straight to a path is caught by its tests on this system.
  EXPECT_NE(fs::path(std::string(name.begin(), name.end())), fs::path(name));
}

}  // namespace
