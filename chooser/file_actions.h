#pragma once

#include <memory>

#include "chooser/chooser_action.h"
#include "core/collection.h"
#include "core/main_window_logic.h"

namespace kelvara {

// The file action behind a chooser window's action button: save (`save_Click`), load
// (`open_Click`), CSV export (`savecsv_Click`) or HTML export (`savehtml_Click`). Each works on
// the collection as it stands when the button is clicked.
std::unique_ptr<ChooserAction> MakeFileAction(ChooserKind kind, Module1& state,
                                              MainWindowLogic& mainWindow);

}  // namespace kelvara
