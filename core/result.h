#pragma once

#include <string>
#include <string_view>

namespace kelvara {

// How a call that can fail ended: `ok`, or why not in the program's words
// ("ディスクがいっぱいだよ"). The reason never names the file: the chooser that shows it does, once
// for every action. A call that also makes something returns a type derived from it that adds what
// it made.
struct Result {
  bool ok = false;
  std::string reason;
};

inline Result Failed(std::string_view reason) {
  return {false, std::string(reason)};
}

}  // namespace kelvara
