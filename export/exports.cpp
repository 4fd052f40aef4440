#include "export/exports.h"

#include "core/decimal_text.h"
#include "core/tables.h"
#include "export/cp932.h"

namespace kelvara {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Appends the pieces and a line end. (Appending, not operator+: GCC 12 warns falsely about
// overlapping copies in "text" + std::string.)
template <typename... Pieces>
void AddLine(std::string& text, const Pieces&... pieces) {
  (text.append(pieces), ...);
  text.append(kLineEnd);
}

}  // namespace

std::string CsvBytes(const CountTable& table) {
  std::string text;
  for (const std::string_view head : kCharacterHeads) text.append(",").append(head);
  text.append(kLineEnd);
  for (int category = 0; category < kCategoryCount; ++category) {
    text.append(kCategoryNames[category]);
    for (int character = 0; character < kCharacterCount; ++character) {
      text.append(",").append(DecimalText(table[CountIndex(category, character)]));
    }
    text.append(kLineEnd);
  }
  return ToCp932(text);
}

std::string HtmlBytes(const CountTable& table) {
  std::string text;
  for (const std::string_view line : {"<HTML>", "<HEAD><TITLE>Varnholt</TITLE></HEAD>", "<BODY>",
                                      "<BR>", "<TABLE BORDER=1>", "<TR>", "<TD>"}) {
    AddLine(text, line);
  }
  // The header row's cells and the row itself stand without end tags.
  for (const std::string_view head : kCharacterHeads) AddLine(text, "<TD>", head);
  for (int category = 0; category < kCategoryCount; ++category) {
    AddLine(text, "<TR>");
    AddLine(text, "<TD>", kCategoryNames[category], "</TD>");
    for (int character = 0; character < kCharacterCount; ++character) {
      AddLine(text, "<TD ALIGN=right>", DecimalText(table[CountIndex(category, character)]),
              "</TD>");
    }
    AddLine(text, "</TR>");
  }
  for (const std::string_view line : {"</TABLE>", "</BODY>", "</HTML>"}) AddLine(text, line);
  return ToCp932(text);
}

}  // namespace kelvara
