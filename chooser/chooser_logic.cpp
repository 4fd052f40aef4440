#include "chooser/chooser_logic.h"

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
  std::size_t chosen = 0;
  std::vector<std::string> names;
  for (std::size_t i = 0; i < drives_.size(); ++i) {
    names.push_back(drives_[i].name);
    if (!working.empty() && files_.currentFolder(drives_[i]) == working) chosen = i;
  }
  view_.showDrives(names, chosen);

  const std::string start = drives_.empty() ? working : files_.currentFolder(drives_[chosen]);
  // A working folder that cannot be read leaves the lists on its nearest readable ancestor.
  const std::vector<std::string> chain = FolderChain(start);
  for (auto folder = chain.rbegin(); folder != chain.rend(); ++folder) {
    FolderListing listing = files_.list(*folder);
    if (listing.ok) return showFolder(*folder, std::move(listing));
  }
  showFolder(start, FolderListing{});
}

void ChooserLogic::Drive1_Change(std::size_t drive) {
  if (drive >= drives_.size()) return;
  const std::string folder = files_.currentFolder(drives_[drive]);
  FolderListing listing = files_.list(folder);
  if (!listing.ok) {
    // The drive list keeps the new drive; the other two stay where they were.
    complain(kNotReady);
    return;
  }
  showFolder(folder, std::move(listing));
}

void ChooserLogic::openFolder(std::size_t row) {
  if (row >= rows_.size()) return;
  const std::string folder = rows_[row].path;
  FolderListing listing = files_.list(folder);
  if (listing.ok) return showFolder(folder, std::move(listing));

  complain(Quoted(folder) + "が開けないよ（" + listing.reason + "）");
  // The lists stay on the folder they show, read again so a vanished subfolder drops out;
  // if that one is gone too, they keep what they last read.
  FolderListing again = files_.list(dirPath_);
  if (again.ok) showFolder(dirPath_, std::move(again));
}

void ChooserLogic::action_Click() {
  const std::string name = kind_ == ChooserKind::fileopen ? view_.selectedFile() : view_.fileName();
  const std::string path = ComposePath(filePath_, name);
  const Result result = action_.run(path);
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
  listing.folders.sortByName();
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
  files.sortByName();
  view_.showFiles(std::move(files));
}

void ChooserLogic::complain(std::string_view text) {
  view_.beep();
  view_.showMessage(kOopsTitle, text);
}

}  // namespace kelvara
