// Drives on Windows: the logical drives, each with the process's own current folder.
#include <windows.h>

#include <filesystem>

#include "chooser/real_file_system.h"
#include "core/utf8_path.h"

namespace kelvara {

namespace {

// "C:" alone names the process's current folder on that drive; working it out reads nothing
// from the drive.
std::string CurrentFolderOn(const std::string& name, const std::string& root) {
  const std::wstring relative = PathFromUtf8(name).wstring();
  const DWORD needed = GetFullPathNameW(relative.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return root;
  std::wstring folder(needed, L'\0');
  const DWORD length = GetFullPathNameW(relative.c_str(), needed, folder.data(), nullptr);
  if (length == 0 || length >= needed) return root;
  folder.resize(length);
  // Some systems end it with a separator; below the root the lists' folders never do.
  while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
  return Utf8FromPath(std::filesystem::path(folder));
}

}  // namespace

std::vector<Drive> RealFileSystem::drives() {
  std::vector<Drive> drives;
  const DWORD letters = GetLogicalDrives();
  // Every letter in use is offered; one without a medium, or mapped to a folder that is gone,
  // says it is not ready when it is chosen.
  for (int i = 0; i < 26; ++i) {
    if (!(letters & (DWORD{1} << i))) continue;
    const wchar_t letter = static_cast<wchar_t>(L'A' + i);
    const std::string name = Utf8FromPath(std::filesystem::path(std::wstring{letter, L':'}));
    const std::string root = name + "\\";
    drives.push_back({name, root, CurrentFolderOn(name, root)});
  }
  return drives;
}

}  // namespace kelvara
