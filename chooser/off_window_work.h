#pragma once

#include <functional>

namespace kelvara {

// What is done on the window thread once work handed off it has ended: shows what it found.
using WindowStep = std::function<void()>;

// Work that may wait as long as the storage does, so it runs off the window thread. It touches
// nothing the windows use, and gives back the step that shows its result.
using OffWindowWork = std::function<WindowStep()>;

}  // namespace kelvara
