#include <QApplication>
#include <memory>

#include "chooser/chooser_action.h"
#include "core/collection.h"
#include "windows/look.h"
#include "windows/main_window.h"

namespace {

// ---- The file actions behind the chooser windows' action buttons ----------------------
// The collection file and the two exports plug in here. Until they do, an action says so
// and writes nothing, and its window stays open.
class UnavailableAction : public kelvara::ChooserAction {
 public:
  kelvara::ActionOutcome run(const std::string& path) override {
    return {false, "「" + path + "」は扱えないよ（このお仕事はまだできないの）"};
  }
};

const kelvara::ActionFactory kFileActions = [](kelvara::ChooserKind, kelvara::MainWindowLogic&) {
  return std::unique_ptr<kelvara::ChooserAction>(std::make_unique<UnavailableAction>());
};
// ----------------------------------------------------------------------------------------

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setFont(kelvara::JapaneseFont(kelvara::kDefaultPointSize));

  kelvara::Module1 state;  // the collection, shared by every window for the whole run
  kelvara::MainWindow window(state, kFileActions);
  window.show();
  return QApplication::exec();
}
