// Reads the compiled resources of the Windows program back: the version record and icon 1.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

std::string ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::uint32_t LittleEndian(const std::string& bytes, std::size_t at, std::size_t size = 2) {
  std::uint32_t value = 0;
  for (std::size_t i = size; i-- > 0;) value = value << 8 | std::uint8_t(bytes.at(at + i));
  return value;
}

std::size_t Align4(std::size_t at) {
  return (at + 3) & ~std::size_t{3};
}

std::string Utf16(const std::u16string& text) {
  std::string bytes;
  for (char16_t c : text) bytes += {char(c & 0xFF), char(c >> 8)};
  return bytes;
}

// The resources whose type and name are numbers: (type, id) -> language and data.
using Resources = std::map<std::pair<int, int>, std::pair<std::uint32_t, std::string>>;
Resources ReadResources(const std::string& bytes) {
  Resources resources;
  for (std::size_t at = 0; at + 32 <= bytes.size();) {
    const std::uint32_t dataSize = LittleEndian(bytes, at, 4);
    const std::uint32_t headerSize = LittleEndian(bytes, at + 4, 4);
    if (LittleEndian(bytes, at + 8) == 0xFFFF && LittleEndian(bytes, at + 12) == 0xFFFF) {
      resources[{LittleEndian(bytes, at + 10), LittleEndian(bytes, at + 14)}] = {
          LittleEndian(bytes, at + headerSize - 10), bytes.substr(at + headerSize, dataSize)};
    }
    at = Align4(at + headerSize + dataSize);
  }
  return resources;
}

// The text of the version record's entry `key` found after `from`: it follows the entry's
// zero-ended UTF-16 name, padded to four bytes, and runs to its own zero.
std::u16string Text(const std::string& record, const std::u16string& key, std::size_t from) {
  const std::size_t name = record.find(Utf16(key + u'\0'), from);
  if (name == std::string::npos) return u"(none)";
  std::u16string text;
  for (std::size_t at = Align4(name + 2 * key.size() + 2); LittleEndian(record, at); at += 2) {
    text += char16_t(LittleEndian(record, at));
  }
  return text;
}

const auto kResources = ReadResources(ReadFile(KELVARA_COMPILED_RESOURCES));

TEST(CompiledResources, VersionRecordCarriesNumbersNamesAndLanguage) {
  const auto version = kResources.find({16, 1});
  ASSERT_NE(version, kResources.end());
  EXPECT_EQ(version->second.first, 0x0411u);
  const std::string& record = version->second.second;

  // The fixed part: signature, layout version, file and product version (two words each),
  // flags mask, flags, operating system, file type.
  std::vector<std::uint32_t> fixed;
  const std::size_t start = record.find("\xBD\x04\xEF\xFE");
  for (std::size_t i = 0; i < 10 && start != std::string::npos; ++i) {
    fixed.push_back(LittleEndian(record, start + 4 * i, 4));
  }
  fixed.at(1) = fixed.at(6) = 0;  // the layout version and the flags mask are the compiler's
  EXPECT_EQ(fixed, (std::vector<std::uint32_t>{0xFEEF04BD, 0, 0x00010000, 0, 0x00010000, 0, 0, 0,
                                               4 /* 32-bit Windows */, 1 /* application */}));

  const std::size_t table = record.find(Utf16(u"041104B0"));  // Japanese, Unicode
  ASSERT_NE(table, std::string::npos);
  const std::map<std::u16string, std::u16string> expected = {
      {u"CompanyName", u"" KELVARA_COMPANY},
      {u"FileVersion", u"1.00"},
      {u"InternalName", u"kelvara.exe"},
      {u"LegalCopyright", u"" KELVARA_COPYRIGHT},
      {u"OriginalFilename", u"kelvara.exe"},
      {u"ProductName", u"kelvara ver.300\u3000" KELVARA_PRODUCT_FAMILY},
      {u"ProductVersion", u"1.00"},
  };
  for (const auto& [key, value] : expected) EXPECT_EQ(Text(record, key, table), value);
  const std::size_t translation = record.find(Utf16(u"Translation"));
  ASSERT_NE(translation, std::string::npos);
  EXPECT_EQ(record.substr(Align4(translation + 24), 4), "\x11\x04\xB0\x04");  // Japanese, Unicode
}

TEST(CompiledResources, IconOneHoldsTheThreePicturesOfTheIconFile) {
  const auto group = kResources.find({14, 1});  // icon group 1
  ASSERT_NE(group, kResources.end());
  EXPECT_EQ(LittleEndian(group->second.second, 4), 3u);
  const std::string file = ReadFile(KELVARA_ICON_FILE);
  int pictures = 0;
  for (const auto& [key, resource] : kResources) {
    if (key.first != 3) continue;  // an icon picture
    ++pictures;
    EXPECT_NE(file.find(resource.second), std::string::npos) << "picture " << key.second;
  }
  EXPECT_EQ(pictures, 3);
}

}  // namespace
