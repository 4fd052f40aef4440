// Arbitrary bytes: an accepted file's table writes and reads back unchanged, a refusal says why.
#include <cstdint>
#include <cstdlib>
#include <sstream>

#include "storage/collection_file.h"

namespace {

void Require(bool holds, const char* what) {
  if (holds) return;
  __builtin_printf("property broken: %s\n", what);
  std::abort();
}

kelvara::LoadResult Read(const std::string& bytes) {
  std::istringstream in(bytes);
  return kelvara::ReadCollection(in);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const kelvara::LoadResult result = Read(std::string(reinterpret_cast<const char*>(data), size));
  Require(result.ok == result.reason.empty(), "a reason exactly when refused");
  Require(!result.ok || Read(kelvara::CollectionFileBytes(result.table)).table == result.table,
          "the table survives writing and reading");
  return 0;
}
