// save_loop FILE ROUND: saves to FILE until killed, each table marked with ROUND in its first
// count and with the save's number in all the others; a failed save ends it with status 1.
#include <cstdio>
#include <cstdlib>

#include "storage/collection_file.h"
#include "storage/safe_write.h"

int main(int argc, char* argv[]) {
  if (argc != 3) return 2;
  kelvara::CountTable table;
  for (int number = 0;; ++number) {
    table.fill(static_cast<kelvara::Count>(number % 30000));
    table[0] = static_cast<kelvara::Count>(std::atoi(argv[2]));
    const kelvara::Result saved =
        kelvara::WriteFileSafely(argv[1], kelvara::CollectionFileBytes(table));
    if (!saved.ok) {
      std::fprintf(stderr, "save %d: %s\n", number, saved.reason.c_str());
      return 1;
    }
  }
}
