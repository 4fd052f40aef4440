// Saves a changing table to one file over and over until it is killed. After each save that
// succeeded it reports the save's number on standard output, so the test knows which saves
// were complete when the kill came.
#include <cstdio>
#include <cstdlib>

#include "storage/collection_file.h"
#include "storage/safe_write.h"

int main(int argc, char* argv[]) {
  if (argc != 3) return 2;
  for (long number = std::strtol(argv[2], nullptr, 10);; ++number) {
    kelvara::CountTable table;
    table.fill(static_cast<kelvara::Count>(number % 30000));
    table[71] = static_cast<kelvara::Count>(-(number % 30000));  // not all alike, still checkable
    if (!kelvara::WriteFileSafely(argv[1], kelvara::CollectionFileBytes(table)).ok ||
        std::printf("%ld\n", number) < 0 || std::fflush(stdout) != 0) {
      return 1;
    }
  }
}
