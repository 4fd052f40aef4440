// Feeds arbitrary bytes to the collection file reader and checks what it promises:
// an accepted file gives a table that writes and reads back unchanged; a rejected one gives
// a message and no table.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "storage/collection_file.h"

namespace {

void Require(bool holds, const char* what) {
  if (!holds) {
    __builtin_printf("property broken: %s\n", what);
    std::abort();
  }
}

kelvara::LoadResult Read(const std::string& bytes) {
  std::istringstream in(bytes);
  return kelvara::ReadCollection(in, "fuzz.txt");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const kelvara::LoadResult result = Read(bytes);
  if (!result.ok) {
    Require(!result.reason.empty(), "a rejected file says why");
    Require(result.reason.find("fuzz.txt") != std::string::npos, "the message names the file");
    return 0;
  }
  Require(result.reason.empty(), "an accepted file carries no message");
  const std::string written = kelvara::CollectionFileBytes(result.table);
  const kelvara::LoadResult again = Read(written);
  Require(again.ok, "a written table reads back");
  Require(again.table == result.table, "the table survives writing and reading");
  return 0;
}
