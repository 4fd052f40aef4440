#pragma once

#include <functional>
#include <memory>
#include <string>

#include "chooser/chooser_action.h"
#include "core/collection.h"

namespace kelvara {

// Told the path of the collection file a save has written or a load has read (the table already
// replaced); the exports tell nothing.
using CollectionFileChanged = std::function<void(const std::string& path)>;

// The file action behind a chooser window's action button: save (`save_Click`), load
// (`open_Click`), CSV export (`savecsv_Click`) or HTML export (`savehtml_Click`). Each sets
// `ChosenPath` and works on the collection as it stands when the button is clicked; only its
// file work runs off the window thread.
std::unique_ptr<ChooserAction> MakeFileAction(ChooserKind kind, Module1& state,
                                              CollectionFileChanged changed);

}  // namespace kelvara
