#pragma once

#include <random>

#include "core/collection.h"

namespace kelvara::testing {

// 72 counts anywhere in -32768..32767.
inline CountTable RandomTable(std::mt19937& random) {
  std::uniform_int_distribution<int> count(kCountMin, kCountMax);
  CountTable table{};
  for (Count& value : table) value = static_cast<Count>(count(random));
  return table;
}

}  // namespace kelvara::testing
