// The Windows tests of the Qt-free libraries only mean something if they run on the system the
// program meets: a Japanese Windows (code page 932) whose C runtime translates line ends in text
// mode and whose file names are wide characters. These tests fail when the run is not that.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

class WindowsPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / u8"集計 kelvara ";
    folder_ += std::to_wstring(GetCurrentProcessId());
    fs::remove_all(folder_);
    fs::create_directory(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string bytes(const fs::path& name) {
    std::ifstream in(folder_ / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // The names in the folder, as the wide file API lists them.
  std::wstring listing() {
    std::wstring names;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder_ / L"*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return L"(no folder)";
    do {
      const std::wstring name = entry.cFileName;
      if (name != L"." && name != L"..") names += name + L"|";
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return names;
  }

  fs::path folder_;
};

TEST(WindowsSystem, IsJapanese) {
  EXPECT_EQ(GetACP(), 932u);
  EXPECT_EQ(GetOEMCP(), 932u);
  const wchar_t* katakana = L"\u30ab\u30fc\u30c9";  // "カード"
  char ansi[16] = {};
  const int length =
      WideCharToMultiByte(CP_ACP, 0, katakana, -1, ansi, sizeof ansi, nullptr, nullptr);
  EXPECT_EQ(length, 7);
  EXPECT_EQ(std::string(ansi), "\x83\x4a\x81\x5b\x83\x68");
}

TEST_F(WindowsPlatformTest, JapaneseNamesWithBlanksReachTheFileSystemAsWideCharacters) {
  const std::u8string name = u8"カード 一覧.txt";
  { std::ofstream(folder_ / name, std::ios::binary) << "72"; }
  EXPECT_EQ(listing(), L"\u30ab\u30fc\u30c9 \u4e00\u89a7.txt|");
  EXPECT_EQ(bytes(name), "72");

  // The same UTF-8 bytes in a plain std::string make another name here: code that hands a
  // UTF-8 string straight to a path is caught by its tests on this system.
  const std::string narrow(name.begin(), name.end());
  EXPECT_NE(fs::path(narrow), fs::path(name));
}

TEST_F(WindowsPlatformTest, TextModeTranslatesLineEndsBinaryModeKeepsThem) {
  { std::ofstream(folder_ / "text.txt") << "1\n"; }
  EXPECT_EQ(bytes("text.txt"), "1\r\n");
  { std::ofstream(folder_ / "doubled.txt") << "1\r\n"; }
  EXPECT_EQ(bytes("doubled.txt"), "1\r\r\n");
  { std::ofstream(folder_ / "binary.txt", std::ios::binary) << "1\r\n"; }
  EXPECT_EQ(bytes("binary.txt"), "1\r\n");

  std::ifstream in(folder_ / "binary.txt");
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "1");
}

}  // namespace
