#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>

#include "core/collection.h"
#include "core/result.h"

namespace kelvara {

// Loading the collection file: when ok, the complete table.
struct LoadResult : Result {
  CountTable table{};
};

// The collection file: 72 lines, one count each, category by category, CR LF after every
// line. All zeros give 216 bytes.
std::string CollectionFileBytes(const CountTable& table);

// Reads exactly 72 items and nothing after the 72nd. An item ends at a comma or a line end
// (CR LF, LF or CR); blanks (space, tab) around it are skipped; it is a decimal integer with
// an optional leading "-" within -32768..32767. A UTF-8 byte order mark at the start and empty
// lines (nothing or only blanks) are passed over, so the 72-line form and the one-line comma
// form read alike. An empty item (",,", or a comma at the end of a line or of the file) is an
// error: guessing a 0 there would load a table the user never saved. All or nothing: on any
// fault the result holds no table and the reason names the item, its line and what it held.
LoadResult ReadCollection(std::istream& in);

// Opens `path` and reads it as above. A path ending in the separator means no file was chosen;
// anything but a plain file (or a link to one) is refused without waiting on it.
LoadResult LoadCollectionFile(const std::filesystem::path& path);

}  // namespace kelvara
