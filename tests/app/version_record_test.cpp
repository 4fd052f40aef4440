// Reads the compiled resources of the Windows program back: the version record and icon 1.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "tests/support/icon_directory.h"

namespace {

using kelvara::testing::LittleEndian;
using kelvara::testing::ReadIconDirectory;

std::string ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::size_t Align4(std::size_t at) {
  return (at + 3) & ~std::size_t{3};
}

std::u16string Widen(const std::string& ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

// The resources whose type and name are numbers: (type, id) -> data, with the language.
struct Resource {
  std::uint32_t language;
  std::string data;
};
std::map<std::pair<int, int>, Resource> ReadResources(const std::string& bytes) {
  std::map<std::pair<int, int>, Resource> resources;
  for (std::size_t at = 0; at + 32 <= bytes.size();) {
    const std::uint32_t dataSize = LittleEndian(bytes, at, 4);
    const std::uint32_t headerSize = LittleEndian(bytes, at + 4, 4);
    if (LittleEndian(bytes, at + 8, 2) == 0xFFFF && LittleEndian(bytes, at + 12, 2) == 0xFFFF) {
      const std::pair key(int(LittleEndian(bytes, at + 10, 2)),
                          int(LittleEndian(bytes, at + 14, 2)));
      resources[key] = {LittleEndian(bytes, at + headerSize - 10, 2),
                        bytes.substr(at + headerSize, dataSize)};
    }
    at = Align4(at + headerSize + dataSize);
  }
  return resources;
}

// The version record's blocks by path ("VS_VERSION_INFO/StringFileInfo/041104B0/..."):
// texts apart, and the other values as bytes.
struct Record {
  std::map<std::u16string, std::u16string> texts;
  std::map<std::u16string, std::string> values;
};
void ReadBlock(const std::string& bytes, std::size_t at, const std::u16string& parent,
               Record& record) {
  const std::size_t end = at + LittleEndian(bytes, at, 2);
  const bool text = LittleEndian(bytes, at + 4, 2) == 1;
  std::u16string key;
  std::size_t cursor = at + 6;
  for (; LittleEndian(bytes, cursor, 2) != 0; cursor += 2)
    key += char16_t(LittleEndian(bytes, cursor, 2));
  const std::u16string path = parent.empty() ? key : parent + u"/" + key;
  cursor = Align4(cursor + 2);
  const std::size_t valueLength = LittleEndian(bytes, at + 2, 2) * (text ? 2 : 1);
  if (text && valueLength > 0) {  // a text, not a block that only holds others
    std::u16string& value = record.texts[path];
    for (std::size_t i = 0; i + 2 < valueLength; i += 2)
      value += char16_t(LittleEndian(bytes, cursor + i, 2));
  } else if (!text) {
    record.values[path] = bytes.substr(cursor, valueLength);
  }
  for (cursor = Align4(cursor + valueLength); cursor < end;
       cursor = Align4(cursor + LittleEndian(bytes, cursor, 2))) {
    ReadBlock(bytes, cursor, path, record);
  }
}

class CompiledResources : public ::testing::Test {
 protected:
  std::map<std::pair<int, int>, Resource> resources_ =
      ReadResources(ReadFile(KELVARA_COMPILED_RESOURCES));
};

TEST_F(CompiledResources, VersionRecordCarriesNumbersNamesAndLanguage) {
  const auto version = resources_.find({16, 1});  // the version record
  ASSERT_NE(version, resources_.end());
  EXPECT_EQ(version->second.language, 0x0411u);
  Record record;
  ReadBlock(version->second.data, 0, u"", record);

  // The fixed part: signature, layout version, file and product version (two words each),
  // flags mask, flags, operating system, file type.
  const std::string& fixedPart = record.values[u"VS_VERSION_INFO"];
  std::vector<std::uint32_t> fixed;
  for (std::size_t i = 0; i < 10; ++i) fixed.push_back(LittleEndian(fixedPart, 4 * i, 4));
  fixed[1] = fixed[6] = 0;  // the layout version and the flags mask are the compiler's
  EXPECT_EQ(fixed, (std::vector<std::uint32_t>{0xFEEF04BD, 0, 0x00010000, 0, 0x00010000, 0, 0, 0,
                                               4 /* 32-bit Windows */, 1 /* application */}));

  const std::u16string table = u"VS_VERSION_INFO/StringFileInfo/041104B0/";
  const std::map<std::u16string, std::u16string> expected = {
      {table + u"CompanyName", Widen(KELVARA_COMPANY)},
      {table + u"FileVersion", u"1.00"},
      {table + u"InternalName", u"kelvara.exe"},
      {table + u"LegalCopyright", Widen(KELVARA_COPYRIGHT)},
      {table + u"OriginalFilename", u"kelvara.exe"},
      {table + u"ProductName", u"kelvara ver.300\u3000" + Widen(KELVARA_PRODUCT_FAMILY)},
      {table + u"ProductVersion", u"1.00"},
  };
  EXPECT_EQ(record.texts, expected);
  EXPECT_EQ(record.values[u"VS_VERSION_INFO/VarFileInfo/Translation"],
            std::string("\x11\x04\xB0\x04", 4));  // Japanese, Unicode
}

TEST_F(CompiledResources, IconOneHoldsTheThreePicturesOfTheIconFile) {
  const auto group = resources_.find({14, 1});  // icon group 1
  ASSERT_NE(group, resources_.end());
  const auto members = ReadIconDirectory(group->second.data, true);
  const std::string file = ReadFile(KELVARA_ICON_FILE);
  const auto pictures = ReadIconDirectory(file, false);
  ASSERT_EQ(members.size(), 3u);
  ASSERT_EQ(pictures.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    const auto& member = members[i];
    const auto& picture = pictures[i];
    EXPECT_EQ(std::tie(member.width, member.height, member.colourCount, member.bitCount),
              std::tie(picture.width, picture.height, picture.colourCount, picture.bitCount));
    const auto icon = resources_.find({3, int(member.offsetOrId)});
    ASSERT_NE(icon, resources_.end());
    EXPECT_EQ(icon->second.data, file.substr(picture.offsetOrId, picture.size)) << i;
  }
}

}  // namespace
