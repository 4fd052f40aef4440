// Reads the compiled resource file of the Windows program back and checks the version record
// and the icon group in it.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/icon_directory.h"

namespace {

using kelvara::testing::LittleEndian;
using kelvara::testing::ReadIconDirectory;

constexpr std::uint16_t kIconType = 3;
constexpr std::uint16_t kGroupIconType = 14;
constexpr std::uint16_t kVersionType = 16;
constexpr std::uint16_t kJapanese = 0x0411;

std::string ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::size_t Align4(std::size_t at) {
  return (at + 3) & ~std::size_t{3};
}

// A zero-terminated UTF-16 string at `at`; `at` moves past the terminator.
std::u16string ReadUtf16(const std::string& bytes, std::size_t& at) {
  std::u16string text;
  for (char16_t c; (c = static_cast<char16_t>(LittleEndian(bytes, at, 2))) != 0; at += 2) {
    text += c;
  }
  at += 2;
  return text;
}

std::string Utf8(const std::u16string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | c >> 18);
      out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// One resource of a .res file; names given as text are not used by the program.
struct Resource {
  std::uint16_t type = 0;
  std::uint16_t id = 0;
  std::uint16_t language = 0;
  std::string data;
};

std::optional<std::uint16_t> ReadOrdinal(const std::string& bytes, std::size_t& at) {
  if (LittleEndian(bytes, at, 2) == 0xFFFF) {
    const auto id = static_cast<std::uint16_t>(LittleEndian(bytes, at + 2, 2));
    at += 4;
    return id;
  }
  ReadUtf16(bytes, at);
  return std::nullopt;
}

std::vector<Resource> ReadResources(const std::string& bytes) {
  std::vector<Resource> resources;
  for (std::size_t at = 0; at + 32 <= bytes.size();) {
    const std::uint32_t dataSize = LittleEndian(bytes, at, 4);
    const std::uint32_t headerSize = LittleEndian(bytes, at + 4, 4);
    std::size_t field = at + 8;
    const auto type = ReadOrdinal(bytes, field);
    const auto id = ReadOrdinal(bytes, field);
    const std::size_t trailer = at + headerSize - 16;  // data version, flags, language, ...
    if (type && id && dataSize > 0) {
      resources.push_back({*type, *id,
                           static_cast<std::uint16_t>(LittleEndian(bytes, trailer + 6, 2)),
                           bytes.substr(at + headerSize, dataSize)});
    }
    at = Align4(at + headerSize + dataSize);
  }
  return resources;
}

// A block of the version record: key, value and the blocks inside it.
struct Block {
  std::u16string key;
  bool text = false;
  std::string value;  // raw bytes
  std::vector<Block> children;

  const Block* child(const std::u16string& name) const {
    for (const Block& block : children) {
      if (block.key == name) return &block;
    }
    return nullptr;
  }
  std::string textValue() const {
    std::u16string chars;
    for (std::size_t i = 0; i + 1 < value.size(); i += 2) {
      const auto c = static_cast<char16_t>(LittleEndian(value, i, 2));
      if (c == 0) break;
      chars += c;
    }
    return Utf8(chars);
  }
};

Block ReadBlock(const std::string& bytes, std::size_t at) {
  const std::size_t end = at + LittleEndian(bytes, at, 2);
  const std::size_t valueLength = LittleEndian(bytes, at + 2, 2);
  Block block;
  block.text = LittleEndian(bytes, at + 4, 2) == 1;
  std::size_t cursor = at + 6;
  block.key = ReadUtf16(bytes, cursor);
  cursor = Align4(cursor);
  const std::size_t valueBytes = block.text ? valueLength * 2 : valueLength;
  block.value = bytes.substr(cursor, valueBytes);
  cursor = Align4(cursor + valueBytes);
  while (cursor < end) {
    block.children.push_back(ReadBlock(bytes, cursor));
    cursor = Align4(cursor + LittleEndian(bytes, cursor, 2));
  }
  return block;
}

class CompiledResources : public ::testing::Test {
 protected:
  void SetUp() override {
    resources_ = ReadResources(ReadFile(KELVARA_COMPILED_RESOURCES));
    ASSERT_FALSE(resources_.empty()) << KELVARA_COMPILED_RESOURCES;
  }
  const Resource* find(std::uint16_t type, std::uint16_t id) const {
    for (const Resource& resource : resources_) {
      if (resource.type == type && resource.id == id) return &resource;
    }
    return nullptr;
  }
  std::vector<Resource> resources_;
};

TEST_F(CompiledResources, VersionRecordCarriesTheNumbersFlagsAndTarget) {
  const Resource* version = find(kVersionType, 1);
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(version->language, kJapanese);
  const Block root = ReadBlock(version->data, 0);
  EXPECT_EQ(root.key, u"VS_VERSION_INFO");
  ASSERT_EQ(root.value.size(), 52u);
  const auto fixed = [&](int field) { return LittleEndian(root.value, 4 * field, 4); };
  EXPECT_EQ(fixed(0), 0xFEEF04BDu);  // signature
  EXPECT_EQ(fixed(2), 0x00010000u);  // file version 1.0
  EXPECT_EQ(fixed(3), 0x00000000u);  //              .0.0
  EXPECT_EQ(fixed(4), 0x00010000u);  // product version 1.0
  EXPECT_EQ(fixed(5), 0x00000000u);  //                 .0.0
  EXPECT_EQ(fixed(7), 0u);           // no file flags
  EXPECT_EQ(fixed(8), 0x00000004u);  // 32-bit Windows
  EXPECT_EQ(fixed(9), 0x00000001u);  // application
}

TEST_F(CompiledResources, VersionRecordTextsAreJapaneseUnicodeWithTheChosenNames) {
  const Resource* version = find(kVersionType, 1);
  ASSERT_NE(version, nullptr);
  const Block root = ReadBlock(version->data, 0);

  const Block* translations = root.child(u"VarFileInfo");
  ASSERT_NE(translations, nullptr);
  const Block* translation = translations->child(u"Translation");
  ASSERT_NE(translation, nullptr);
  ASSERT_EQ(translation->value.size(), 4u);
  EXPECT_EQ(LittleEndian(translation->value, 0, 2), kJapanese);
  EXPECT_EQ(LittleEndian(translation->value, 2, 2), 1200u);  // Unicode

  const Block* stringInfo = root.child(u"StringFileInfo");
  ASSERT_NE(stringInfo, nullptr);
  ASSERT_EQ(stringInfo->children.size(), 1u);
  const Block* table = stringInfo->child(u"041104B0");
  ASSERT_NE(table, nullptr);
  std::map<std::string, std::string> texts;
  for (const Block& entry : table->children) {
    EXPECT_TRUE(entry.text) << Utf8(entry.key);
    texts[Utf8(entry.key)] = entry.textValue();
  }
  const std::map<std::string, std::string> expected = {
      {"CompanyName", KELVARA_COMPANY},
      {"FileVersion", "1.00"},
      {"InternalName", "kelvara.exe"},
      {"LegalCopyright", KELVARA_COPYRIGHT},
      {"OriginalFilename", "kelvara.exe"},
      {"ProductName", "kelvara ver.300\u3000" KELVARA_PRODUCT_FAMILY},
      {"ProductVersion", "1.00"},
  };
  EXPECT_EQ(texts, expected);
  EXPECT_FALSE(std::string(KELVARA_COMPANY).empty());
  EXPECT_FALSE(std::string(KELVARA_PRODUCT_FAMILY).empty());
}

TEST_F(CompiledResources, IconOneHoldsTheThreePicturesOfTheIconFile) {
  const Resource* group = find(kGroupIconType, 1);
  ASSERT_NE(group, nullptr);
  const auto members = ReadIconDirectory(group->data, true);
  const std::string file = ReadFile(KELVARA_ICON_FILE);
  const auto pictures = ReadIconDirectory(file, false);
  ASSERT_EQ(members.size(), 3u);
  ASSERT_EQ(pictures.size(), 3u);
  for (std::size_t i = 0; i < members.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(members[i].width, pictures[i].width);
    EXPECT_EQ(members[i].height, pictures[i].height);
    EXPECT_EQ(members[i].bitCount, pictures[i].bitCount);
    EXPECT_EQ(members[i].colourCount, pictures[i].colourCount);
    const Resource* icon = find(kIconType, static_cast<std::uint16_t>(members[i].offsetOrId));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->data, file.substr(pictures[i].offsetOrId, pictures[i].size));
  }
}

}  // namespace
