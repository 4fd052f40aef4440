#include "storage/collection_file.h"

#include <charconv>
#include <istream>
#include <system_error>

#include "core/decimal_text.h"
#include "core/utf8_text.h"
#include "storage/plain_file_reader.h"
#include "storage/reasons.h"

namespace kelvara {
namespace {

// No count needs more than 6 characters; anything past this is not buffered.
constexpr std::size_t kItemBytesKept = 84;
// How much of a bad item a message shows.
constexpr std::size_t kShownCharacters = 20;
constexpr std::string_view kReadFailed = "読んでる途中でエラーが起きたよ";
// A collection file is a few hundred bytes, a few kilobytes with blank lines between its
// items; no such file goes on for a mebibyte before its 72nd item ends. Reading stops there,
// so that a huge file of blank lines is refused at once instead of holding the window.
constexpr std::size_t kMostBytesRead = 1 << 20;
constexpr std::string_view kNotACollection = "コレクションのファイルじゃないよ";

bool IsBlank(int c) {
  return c == ' ' || c == '\t';
}
bool IsLineEnd(int c) {
  return c == '\r' || c == '\n';
}

// The first characters of an item as a message can show them: cut after whole characters,
// control bytes shown as "?", bytes that are not UTF-8 (a UTF-16 or binary file) as U+FFFD,
// "…" when anything was left out.
std::string Shortened(std::string_view text, bool cut) {
  std::string shown;
  for (std::size_t characters = 0; !text.empty(); ++characters) {
    if (characters == kShownCharacters) {
      cut = true;
      break;
    }
    const std::size_t length = Utf8CharacterLength(text);
    const auto byte = static_cast<unsigned char>(text[0]);
    if (length == 0) {
      shown += kReplacementCharacter;
    } else if (byte < 0x20 || byte == 0x7F) {
      shown += '?';
    } else {
      shown += text.substr(0, length);
    }
    text.remove_prefix(length == 0 ? 1 : length);
  }
  if (cut) shown += "…";
  return shown;
}

bool LooksNumeric(const std::string& text) {
  const std::size_t first = !text.empty() && text[0] == '-' ? 1 : 0;
  if (first == text.size()) return false;
  for (std::size_t i = first; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return true;
}

// Walks the stream one byte at a time, counting lines (CR LF, LF and CR each end one).
class ItemReader {
 public:
  explicit ItemReader(std::istream& in) : in_(in) {}

  int peek() { return read_ < kMostBytesRead ? in_.peek() : std::char_traits<char>::eof(); }
  int get() {
    if (read_ == kMostBytesRead) return std::char_traits<char>::eof();
    ++read_;
    const int c = in_.get();
    if (c == '\n' && !afterCr_) ++line_;
    if (c == '\r') ++line_;
    afterCr_ = c == '\r';
    return c;
  }
  int line() const { return line_; }
  // Why the bytes ended early: a read error, or too many of them. Empty at the file's real end,
  // which may be the last byte the bound allows.
  std::string_view trouble() const {
    const bool more = read_ == kMostBytesRead && in_.peek() != std::char_traits<char>::eof();
    if (in_.bad()) return kReadFailed;
    return more ? kNotACollection : std::string_view();
  }

  // Passes over a UTF-8 byte order mark. Bytes that only began like one are handed back as
  // the start of the first item (which they make invalid).
  std::string skipByteOrderMark() {
    static constexpr char kMark[] = "\xEF\xBB\xBF";
    std::string taken;
    while (taken.size() < 3 && peek() == static_cast<unsigned char>(kMark[taken.size()])) {
      taken += static_cast<char>(get());
    }
    return taken.size() == 3 ? std::string() : taken;
  }

 private:
  std::istream& in_;
  int line_ = 1;
  bool afterCr_ = false;
  std::size_t read_ = 0;
};

class CollectionReader {
 public:
  explicit CollectionReader(std::istream& in) : in_(in) {}

  LoadResult read() {
    std::string start = in_.skipByteOrderMark();
    CountTable table{};
    for (std::size_t index = 0; index < table.size(); ++index) {
      if (start.empty() && !findItem(index)) return failure_;
      if (!readItem(index, std::move(start), table[index])) return failure_;
      start.clear();
    }
    return {{true, {}}, table};
  }

 private:
  // Moves to the first byte of item `index`, passing blanks and empty lines.
  bool findItem(std::size_t index) {
    for (;;) {
      const int c = in_.peek();
      if (IsBlank(c)) {
        in_.get();
      } else if (c == std::char_traits<char>::eof()) {
        if (!in_.trouble().empty()) return fail(std::string(in_.trouble()));
        if (afterComma_) return failEmpty(index);
        return fail("値が " + DecimalText(static_cast<long long>(index)) + " 個しかないよ、" +
                    DecimalText(kCountCount) + " 個いるよ");
      } else if (IsLineEnd(c)) {
        if (afterComma_) return failEmpty(index);
        in_.get();
      } else if (c == ',') {
        return failEmpty(index);
      } else {
        return true;
      }
    }
  }

  // Reads item `index` up to and including its end (a comma, a line end or the file's end),
  // and not a byte further.
  bool readItem(std::size_t index, std::string text, Count& value) {
    const int line = in_.line();
    std::size_t blanks = 0;  // blanks after the text so far; they count only if more follows
    bool tooLong = false;
    for (;;) {
      const int c = in_.get();
      if (c == std::char_traits<char>::eof() || c == ',' || IsLineEnd(c)) {
        afterComma_ = c == ',';
        break;
      }
      if (IsBlank(c)) {
        ++blanks;
        continue;
      }
      if (text.size() + blanks + 1 > kItemBytesKept) {
        tooLong = true;
        break;
      }
      text.append(blanks, ' ');
      blanks = 0;
      text += static_cast<char>(c);
    }
    if (!in_.trouble().empty()) return fail(std::string(in_.trouble()));

    const std::string where = DecimalText(line) + " 行目、" +
                              DecimalText(static_cast<long long>(index) + 1) + " 番目の値「" +
                              Shortened(text, tooLong) + "」";
    if (tooLong) {
      return fail(where + (LooksNumeric(text) ? "は桁が多すぎるよ" : "は数じゃないよ"));
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) {
      return fail(where + "は " + DecimalText(kCountMin) + "〜" + DecimalText(kCountMax) +
                  " の外だよ");
    }
    if (error != std::errc() || end != text.data() + text.size()) {
      return fail(where + "は数じゃないよ");
    }
    return true;
  }

  bool failEmpty(std::size_t index) {
    return fail(DecimalText(in_.line()) + " 行目、" +
                DecimalText(static_cast<long long>(index) + 1) + " 番目の値が空っぽだよ");
  }

  bool fail(const std::string& reason) {
    failure_ = {Failed(reason), {}};
    return false;
  }

  ItemReader in_;
  bool afterComma_ = false;
  LoadResult failure_;
};

}  // namespace

std::string CollectionFileBytes(const CountTable& table) {
  std::string bytes;
  for (const Count count : table) bytes += DecimalText(count) + "\r\n";
  return bytes;
}

LoadResult ReadCollection(std::istream& in) {
  return CollectionReader(in).read();
}

LoadResult LoadCollectionFile(const std::filesystem::path& path) {
  const auto failed = [](std::string_view reason) { return LoadResult{Failed(reason), {}}; };
  if (!path.has_filename()) return failed(kReasonNoFileSelected);
  PlainFileReader file(path);
  if (!file.failure().empty()) return failed(file.failure());
  std::istream in(&file);
  return ReadCollection(in);
}

}  // namespace kelvara
