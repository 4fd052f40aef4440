#pragma once

#include <string>

#include "core/result.h"

namespace kelvara {

// The four chooser windows, by the names the behaviour is described by.
enum class ChooserKind { filesave, fileopen, savehtml, savecsv };

// The action behind a chooser window's action button, given the composed path (UTF-8): ok, or
// why not. The chooser shows the message that names the file.
class ChooserAction {
 public:
  virtual ~ChooserAction() = default;
  virtual Result run(const std::string& path) = 0;
};

}  // namespace kelvara
