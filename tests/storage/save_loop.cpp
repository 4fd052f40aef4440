// Saves a changing table to one file over and over until it is killed. After each save that
// succeeded it reports the save's number on standard output, so the test knows which saves
// were complete when the kill came.
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "storage/collection_file.h"
#include "storage/safe_write.h"

int main(int argc, char* argv[]) {
  if (argc != 3) return 2;
  const std::filesystem::path target = argv[1];
  long number = std::strtol(argv[2], nullptr, 10);
  for (;; ++number) {
    kelvara::CountTable table;
    table.fill(static_cast<kelvara::Count>(number % 30000));
    table[71] = static_cast<kelvara::Count>(-(number % 30000));  // not all alike, still checkable
    if (!kelvara::WriteFileSafely(target, kelvara::CollectionFileBytes(table)).ok) return 1;
    char line[24];
    char* end = std::to_chars(line, line + sizeof line - 1, number).ptr;
    *end++ = '\n';
    if (std::fwrite(line, 1, static_cast<std::size_t>(end - line), stdout) == 0 ||
        std::fflush(stdout) != 0) {
      return 1;
    }
  }
}
