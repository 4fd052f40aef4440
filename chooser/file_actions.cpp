#include "chooser/file_actions.h"

#include <string>

#include "core/utf8_path.h"
#include "export/exports.h"
#include "storage/collection_file.h"
#include "storage/file_result.h"
#include "storage/safe_write.h"

namespace kelvara {
namespace {

using Render = std::string (*)(const CountTable&);

// Save and both exports: the table's bytes replace the file whole, or the old file stays.
class WriteAction : public ChooserAction {
 public:
  WriteAction(Module1& state, MainWindowLogic& mainWindow, Render render, FileAction action,
              const char* success)
      : state_(state),
        mainWindow_(mainWindow),
        render_(render),
        action_(action),
        success_(success) {}

  ActionOutcome run(const std::string& path) override {
    state_.ChosenPath = path;
    const std::filesystem::path target = PathFromUtf8(path);
    const Result written = WriteFileSafely(target, render_(state_.CollectionTable));
    if (!written.ok) return {false, FailureMessage(action_, target, written.reason)};
    // `filepath` names the collection file last saved or loaded, never an export.
    if (action_ == FileAction::kSave) mainWindow_.showFilePath(path);
    return {true, success_};
  }

 private:
  Module1& state_;
  MainWindowLogic& mainWindow_;
  Render render_;
  FileAction action_;
  const char* success_;
};

// Load: the file is read and checked whole before it replaces the table, so a bad file
// changes nothing.
class LoadAction : public ChooserAction {
 public:
  LoadAction(Module1& state, MainWindowLogic& mainWindow)
      : state_(state), mainWindow_(mainWindow) {}

  ActionOutcome run(const std::string& path) override {
    state_.ChosenPath = path;
    const LoadResult loaded = LoadCollectionFile(PathFromUtf8(path));
    if (!loaded.ok) return {false, loaded.reason};
    state_.CollectionTable = loaded.table;
    mainWindow_.showFilePath(path);
    mainWindow_.refreshShownCounts();
    return {true, "zeto用ファイルを呼びだしたよ"};
  }

 private:
  Module1& state_;
  MainWindowLogic& mainWindow_;
};

}  // namespace

std::unique_ptr<ChooserAction> MakeFileAction(ChooserKind kind, Module1& state,
                                              MainWindowLogic& mainWindow) {
  switch (kind) {
    case ChooserKind::filesave:
      return std::make_unique<WriteAction>(state, mainWindow, CollectionFileBytes,
                                           FileAction::kSave, "現在の状態を保存したよ");
    case ChooserKind::fileopen:
      return std::make_unique<LoadAction>(state, mainWindow);
    case ChooserKind::savehtml:
      return std::make_unique<WriteAction>(state, mainWindow, HtmlBytes, FileAction::kExport,
                                           "htmlファイルを作ったよ");
    case ChooserKind::savecsv:
      return std::make_unique<WriteAction>(state, mainWindow, CsvBytes, FileAction::kExport,
                                           "csvファイルを作ったよ");
  }
  return nullptr;
}

}  // namespace kelvara
