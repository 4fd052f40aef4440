#include "chooser/chooser_path.h"

namespace kelvara {

std::string ComposePath(std::string_view folder, std::string_view name, char separator) {
  std::string path(folder);
  path += separator;
  path += name;
  return path;
}

std::string ChildFolder(std::string_view folder, std::string_view name, char separator) {
  if (!folder.empty() && folder.back() == separator) return std::string(folder) + std::string(name);
  return ComposePath(folder, name, separator);
}

std::vector<std::string> FolderChain(std::string_view folder, char separator) {
  std::vector<std::string> chain;
  const std::size_t rootEnd = folder.find(separator);
  if (rootEnd == std::string_view::npos) {
    if (!folder.empty()) chain.emplace_back(folder);
    return chain;
  }
  std::string path(folder.substr(0, rootEnd + 1));
  chain.push_back(path);
  std::size_t start = rootEnd + 1;
  while (start < folder.size()) {
    std::size_t end = folder.find(separator, start);
    if (end == std::string_view::npos) end = folder.size();
    if (end > start) {  // a doubled or trailing separator adds no level
      path = ChildFolder(path, folder.substr(start, end - start), separator);
      chain.push_back(path);
    }
    start = end + 1;
  }
  return chain;
}

std::string FolderName(std::string_view folder, char separator) {
  const std::vector<std::string> chain = FolderChain(folder, separator);
  if (chain.size() <= 1) return std::string(folder);
  const std::string& last = chain.back();
  return last.substr(last.rfind(separator) + 1);
}

}  // namespace kelvara
