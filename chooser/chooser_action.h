#pragma once

#include <functional>
#include <string>

#include "chooser/off_window_work.h"
#include "core/result.h"

namespace kelvara {

// The four chooser windows, by the names the behaviour is described by.
enum class ChooserKind { filesave, fileopen, savehtml, savecsv };

// Back on the window thread once the file is closed: applies what the file work found (a load's
// table) and says how the action ended.
using ActionEnd = std::function<Result()>;
// The file work itself, off the window thread: it touches the file and nothing else.
using FileWork = std::function<ActionEnd()>;

// The action behind a chooser window's action button.
class ChooserAction {
 public:
  virtual ~ChooserAction() = default;
  // On the window thread as the button is pressed, given the composed path (UTF-8): takes what
  // the file needs as it stands now (the counts a save writes) and gives the file work.
  virtual FileWork start(const std::string& path) = 0;
};

}  // namespace kelvara
