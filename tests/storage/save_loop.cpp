// save_loop FILE FIRST LAST: saves tables numbered FIRST to LAST (on until killed if -1) to
// FILE; a failed save ends it with status 1.
#include <cstdio>
#include <cstdlib>

#include "storage/collection_file.h"
#include "storage/safe_write.h"

int main(int argc, char* argv[]) {
  if (argc != 4) return 2;
  const long last = std::strtol(argv[3], nullptr, 10);
  for (long number = std::strtol(argv[2], nullptr, 10); number != last + 1; ++number) {
    kelvara::CountTable table;
    table.fill(static_cast<kelvara::Count>(number % 30000));
    table[71] = static_cast<kelvara::Count>(-(number % 30000));  // not all alike, still checkable
    const kelvara::Result saved =
        kelvara::WriteFileSafely(argv[1], kelvara::CollectionFileBytes(table));
    if (!saved.ok) {
      std::fprintf(stderr, "save %ld: %s\n", number, saved.reason.c_str());
      return 1;
    }
  }
  return 0;
}
