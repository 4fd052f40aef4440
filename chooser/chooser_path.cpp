#include "chooser/chooser_path.h"

#include <filesystem>

#include "core/utf8_path.h"

namespace kelvara {

std::string ComposePath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  path += kPathSeparator;
  path += name;
  return path;
}

std::string ChildFolder(std::string_view folder, std::string_view name) {
  return Utf8FromPath(PathFromUtf8(folder) / PathFromUtf8(name));
}

std::vector<std::string> FolderChain(std::string_view folder) {
  const std::filesystem::path path = PathFromUtf8(folder);
  std::vector<std::string> chain;
  if (!path.has_root_path()) return chain;
  std::filesystem::path ancestor = path.root_path();
  chain.push_back(Utf8FromPath(ancestor));
  for (const std::filesystem::path& part : path.relative_path()) {
    if (part.empty()) continue;  // a doubled or trailing separator adds no level
    ancestor /= part;
    chain.push_back(Utf8FromPath(ancestor));
  }
  return chain;
}

std::string FolderName(std::string_view folder) {
  const std::filesystem::path path = PathFromUtf8(folder);
  return path.has_relative_path() ? Utf8FromPath(path.relative_path().filename())
                                  : std::string(folder);
}

}  // namespace kelvara
