#pragma once

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "chooser/chooser_path.h"
#include "chooser/file_system.h"

namespace kelvara {

inline std::string Native(std::string path) {
  if (kPathSeparator == '/') return path;
  std::replace(path.begin(), path.end(), '/', kPathSeparator);
  return "C:" + path;
}

inline std::vector<std::string> Strings(const NameList& names) {
  std::vector<std::string> strings;
  for (std::size_t i = 0; i < names.size(); ++i) strings.emplace_back(names[i]);
  return strings;
}

class FakeFileSystem : public FileSystem {
 public:
  std::vector<Drive> drives() override { return driveList; }
  std::string currentFolder(const Drive& drive) override {
    const auto found = currentFolders.find(drive.root);
    return found == currentFolders.end() ? drive.root : found->second;
  }
  std::string workingFolder() override { return working; }
  FolderListing list(const std::string& folder) override {
    const auto found = folders.find(folder);
    if (found == folders.end()) return {{false, "もうないみたい"}, {}, {}};
    return found->second;
  }

  void add(const std::string& folder, NameList subfolders, NameList files) {
    folders[Native(folder)] = {{true, ""}, std::move(subfolders), std::move(files)};
  }

  std::vector<Drive> driveList;
  std::map<std::string, std::string> currentFolders;  // drive root -> its current folder
  std::string working;
  std::map<std::string, FolderListing> folders;
};

}  // namespace kelvara
