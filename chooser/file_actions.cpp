#include "chooser/file_actions.h"

#include <string>
#include <utility>

#include "core/utf8_path.h"
#include "export/exports.h"
#include "storage/collection_file.h"
#include "storage/safe_write.h"

namespace kelvara {
namespace {

using Render = std::string (*)(const CountTable&);

// Save and both exports: the table's bytes, as they stand when the button is pressed, replace
// the file whole, or the old file stays. The file work only carries `this` to its end: the window
// that owns the action may be closed while the work runs, and then the end never runs.
class WriteAction : public ChooserAction {
 public:
  WriteAction(Module1& state, Render render, CollectionFileChanged changed)
      : state_(state), render_(render), changed_(std::move(changed)) {}

  FileWork start(const std::string& path) override {
    state_.ChosenPath = path;
    return [this, path, bytes = render_(state_.CollectionTable)]() -> ActionEnd {
      Result written = WriteFileSafely(PathFromUtf8(path), bytes);
      return [this, path, written = std::move(written)] {
        if (written.ok && changed_) changed_(path);
        return written;
      };
    };
  }

 private:
  Module1& state_;
  Render render_;
  CollectionFileChanged changed_;  // empty for the exports: `filepath` never names one
};

// Load: the file is read and checked whole before it replaces the table, on the window thread,
// so a bad file changes nothing.
class LoadAction : public ChooserAction {
 public:
  LoadAction(Module1& state, CollectionFileChanged changed)
      : state_(state), changed_(std::move(changed)) {}

  FileWork start(const std::string& path) override {
    state_.ChosenPath = path;
    return [this, path]() -> ActionEnd {
      LoadResult loaded = LoadCollectionFile(PathFromUtf8(path));
      return [this, path, loaded = std::move(loaded)]() -> Result {
        if (!loaded.ok) return {false, loaded.reason};
        state_.CollectionTable = loaded.table;
        if (changed_) changed_(path);
        return {true, {}};
      };
    };
  }

 private:
  Module1& state_;
  CollectionFileChanged changed_;
};

}  // namespace

std::unique_ptr<ChooserAction> MakeFileAction(ChooserKind kind, Module1& state,
                                              CollectionFileChanged changed) {
  switch (kind) {
    case ChooserKind::filesave:
      return std::make_unique<WriteAction>(state, CollectionFileBytes, std::move(changed));
    case ChooserKind::fileopen:
      return std::make_unique<LoadAction>(state, std::move(changed));
    case ChooserKind::savehtml:
      return std::make_unique<WriteAction>(state, HtmlBytes, nullptr);
    case ChooserKind::savecsv:
      return std::make_unique<WriteAction>(state, CsvBytes, nullptr);
  }
  return nullptr;
}

}  // namespace kelvara
