#include "chooser/chooser_logic.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "chooser/chooser_path.h"
#include "core/utf8_text.h"

namespace kelvara {
namespace {

constexpr std::string_view kOopsTitle = "もーしょうがないなぁ…ちゃんは";
constexpr std::string_view kSuccessTitle = "あのね";
constexpr std::string_view kNotReady = "デバイスが準備されていないよ";

// What each kind's action button says, in ChooserKind's order: on success, and after the file's
// name when it failed.
constexpr struct {
  std::string_view done, failed;
} kActionTexts[] = {
    {"現在の状態を保存したよ", "に保存できなかったよ（"},
    {"zeto用ファイルを呼びだしたよ", "を呼びだせなかったよ（"},
    {"htmlファイルを作ったよ", "を作れなかったよ（"},
    {"csvファイルを作ったよ", "を作れなかったよ（"},
};

// A path as a message names it: a POSIX name may hold any bytes, the message box needs UTF-8.
std::string Quoted(std::string_view path) {
  return "「" + ValidUtf8(path) + "」";
}

}  // namespace

void ChooserLogic::Form_Load() {
  drives_ = files_.drives();
  const std::string working = files_.workingFolder();
  // The lists start on the working folder, its drive chosen. One on no drive (a network share
  // on Windows) is shown as it is, beside the first drive; without one, the first drive's.
  std::size_t chosen = 0;
  std::vector<std::string> names;
  for (std::size_t i = 0; i < drives_.size(); ++i) {
    names.push_back(drives_[i].name);
    if (!working.empty() && drives_[i].current == working) chosen = i;
  }
  view_.showDrives(names, chosen);
  const std::string start = working.empty() && !drives_.empty() ? drives_[0].current : working;

  // A working folder that cannot be read leaves the lists on its nearest readable ancestor;
  // when none can be read, on the folder itself, empty.
  std::vector<std::string> chain = FolderChain(start);
  std::reverse(chain.begin(), chain.end());
  readFolder(std::move(chain),
             [this](FolderRead read) { showFolder(read.folder, std::move(read.listing)); });
}

void ChooserLogic::Drive1_Change(std::size_t drive) {
  if (drive >= drives_.size()) return;
  readFolder({drives_[drive].current}, [this](FolderRead read) {
    // The drive list keeps the new drive; the other two stay where they were.
    if (!read.listing.ok) return complain(kNotReady);
    showFolder(read.folder, std::move(read.listing));
  });
}

void ChooserLogic::openFolder(std::size_t row) {
  if (row >= rows_.size()) return;
  readFolder({rows_[row].path}, [this](FolderRead read) {
    if (read.listing.ok) return showFolder(read.folder, std::move(read.listing));
    complain(Quoted(read.folder) + "が開けないよ（" + read.listing.reason + "）");
    // The lists stay on the folder they show, read again so a vanished subfolder drops out; if
    // that one is gone too, they keep what they last read.
    readFolder({dirPath_}, [this](FolderRead again) {
      if (again.listing.ok) showFolder(again.folder, std::move(again.listing));
    });
  });
}

void ChooserLogic::action_Click() {
  if (actionRunning_ || filePath_.empty()) return view_.beep();
  const std::string name = kind_ == ChooserKind::fileopen ? view_.selectedFile() : view_.fileName();
  const std::string path = ComposePath(filePath_, name);
  FileWork work = action_.start(path);
  actionRunning_ = true;
  view_.showWorking(true);
  view_.runOffWindowThread([this, path, work = std::move(work)] {
    ActionEnd end = work();
    // Only the step touches the logic, and only on the window thread.
    return [this, path, end = std::move(end)] { actionEnded(path, end()); };
  });
}

void ChooserLogic::readFolder(std::vector<std::string> folders,
                              std::function<void(FolderRead)> shown) {
  const unsigned request = ++folderRequest_;
  view_.runOffWindowThread([this, request, folders = std::move(folders), shown = std::move(shown),
                            &files = files_]() -> WindowStep {
    auto read = std::make_shared<FolderRead>();
    for (const std::string& folder : folders) {
      FolderListing listing = files.list(folder);
      if (listing.ok || read->folder.empty()) *read = {folder, std::move(listing)};
      if (read->listing.ok) break;
    }
    // Sorted here too: a folder of many thousand names takes a moment.
    read->listing.folders.sortByName();
    read->listing.files.sortByName();
    // Only the step touches the logic, and only on the window thread.
    return [this, request, shown, read] {
      if (request == folderRequest_) shown(std::move(*read));
    };
  });
}

void ChooserLogic::actionEnded(const std::string& path, const Result& result) {
  actionRunning_ = false;
  view_.showWorking(false);
  const auto& texts = kActionTexts[static_cast<std::size_t>(kind_)];
  if (!result.ok) {
    view_.showMessage(kOopsTitle, Quoted(path) + std::string(texts.failed) + result.reason + "）");
    return;
  }
  view_.showMessage(kSuccessTitle, texts.done);
  exit_Click();
}

void ChooserLogic::showFolder(const std::string& folder, FolderListing listing) {
  dirPath_ = folder;
  rows_.clear();
  for (const std::string& path : FolderChain(folder)) {
    rows_.push_back({FolderName(path), path, static_cast<int>(rows_.size()), true});
  }
  const std::size_t openRow = rows_.empty() ? 0 : rows_.size() - 1;
  const int depth = static_cast<int>(rows_.size());
  rows_.reserve(rows_.size() + listing.folders.size());
  for (std::size_t i = 0; i < listing.folders.size(); ++i) {
    const std::string_view name = listing.folders[i];
    rows_.push_back({std::string(name), ChildFolder(folder, name), depth, false});
  }
  view_.showFolders(rows_, openRow);
  Dir1_Change(std::move(listing.files));
}

void ChooserLogic::Dir1_Change(NameList files) {
  filePath_ = dirPath_;
  view_.showFiles(std::move(files));
}

void ChooserLogic::complain(std::string_view text) {
  view_.beep();
  view_.showMessage(kOopsTitle, text);
}

}  // namespace kelvara
