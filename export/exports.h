#pragma once

#include <string>

#include "core/collection.h"

namespace kelvara {

// The exact bytes of the exports, in code page 932 with CR LF after every line: what
// spreadsheets and browsers on Japanese systems expect, whatever the local settings.

// 13 lines: the column heads, then one unquoted row per category.
std::string CsvBytes(const CountTable& table);

// 124 lines: one table, capitals, unquoted attributes, title "Varnholt", no character set.
std::string HtmlBytes(const CountTable& table);

}  // namespace kelvara
