#pragma once

#include <string>

namespace kelvara {

enum class ChooserKind { filesave, fileopen, savehtml, savecsv };

// What a file action tells the chooser: the text to show the user, and whether it succeeded.
struct ActionOutcome {
  bool succeeded = false;
  std::string message;  // UTF-8: the success text, or the failure text naming path and reason
};

// The action behind a chooser window's action button, given the composed path (UTF-8).
class ChooserAction {
 public:
  virtual ~ChooserAction() = default;
  virtual ActionOutcome run(const std::string& path) = 0;
};

}  // namespace kelvara
