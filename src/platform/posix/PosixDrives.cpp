#include "platform/posix/PosixDrives.h"

#include <dirent.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <mutex>
#include <shared_mutex>
#include <vector>

#include "platform/PathRules.h"
#include "platform/posix/PosixNames.h"

namespace dw {

using posix::UnixNameToWide;
using posix::WideToUnixName;

namespace {

std::shared_mutex& MapLock() {
  static std::shared_mutex lock;
  return lock;
}

std::map<wchar_t, MappedDrive>& Map() {
  static std::map<wchar_t, MappedDrive> drives;
  return drives;
}

wchar_t DriveKey(wchar_t letter) { return PathUpcase(letter); }

bool IsDriveLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

std::string NormalFolder(const std::string& folder) {
  std::string normal = std::filesystem::absolute(folder).lexically_normal().string();
  while (normal.size() > 1 && normal.back() == '/') normal.pop_back();
  return normal;
}

std::optional<std::string> FolderOf(wchar_t letter) {
  std::shared_lock<std::shared_mutex> lock(MapLock());
  auto it = Map().find(DriveKey(letter));
  if (it == Map().end()) return std::nullopt;
  return it->second.folder;
}

// The entry of folder whose name equals name without regard to case.
std::optional<std::string> FindEntryNoCase(const std::string& folder, const std::wstring& name) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return std::nullopt;
  std::optional<std::string> found;
  while (dirent* entry = readdir(dir)) {
    if (PathNamesEqual(UnixNameToWide(entry->d_name), name)) {
      found = entry->d_name;
      break;
    }
  }
  closedir(dir);
  return found;
}

std::vector<std::wstring> Segments(std::wstring_view rest) {
  std::vector<std::wstring> segments;
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = rest.find(L'\\', start);
    if (end == std::wstring_view::npos) end = rest.size();
    if (end > start) segments.emplace_back(rest.substr(start, end - start));
    start = end + 1;
  }
  return segments;
}

enum class Resolution { CaseInsensitive, AsWritten };

// A full path "e:\..." as its segments: normalised, or as written after "\\?\",
// where "." and ".." would be names that Unix reads as folders.
std::optional<std::wstring> FullDrivePath(const std::wstring& windowsPath) {
  if (!IsLiteralPath(windowsPath)) return FullPathName(windowsPath, L"");
  std::wstring full = PlainPath(windowsPath);
  if (RootLength(full) != 3 || full.find(L'/') != std::wstring::npos) return std::nullopt;
  for (const std::wstring& segment : Segments(std::wstring_view(full).substr(3))) {
    if (segment == L"." || segment == L"..") return std::nullopt;
  }
  return full;
}

std::optional<std::string> UnixPathOf(const std::wstring& windowsPath, Resolution resolution) {
  // A zero would end the Unix path early, possibly after a "..".
  if (windowsPath.find(L'\0') != std::wstring::npos) return std::nullopt;
  if (!windowsPath.empty() && windowsPath[0] == L'/') {
    std::wstring unix = windowsPath;
    for (wchar_t& c : unix) {
      if (c == L'\\') c = L'/';
    }
    return WideToUnixName(unix);
  }
  std::optional<std::wstring> full = FullDrivePath(windowsPath);
  if (!full || full->size() < 3 || (*full)[1] != L':' || (*full)[2] != L'\\') return std::nullopt;
  std::optional<std::string> folder = FolderOf((*full)[0]);
  if (!folder) return std::nullopt;

  const std::vector<std::wstring> segments = Segments(std::wstring_view(*full).substr(3));
  std::string current = *folder;
  for (const std::wstring& segment : segments) current += "/" + WideToUnixName(segment);
  struct stat st;
  // Where the whole path exists as written, so does each of its segments: one look-up
  // instead of one per segment (the common case, and every folder of a walk).
  if (resolution == Resolution::CaseInsensitive && !segments.empty() && lstat(current.c_str(), &st) != 0) {
    current = *folder;
    bool resolving = true;
    for (const std::wstring& segment : segments) {
      std::string exact = current + "/" + WideToUnixName(segment);
      // The exact name first: another entry that differs only in case is taken only
      // when no entry has that name.
      if (resolving && lstat(exact.c_str(), &st) != 0) {
        if (std::optional<std::string> other = FindEntryNoCase(current, segment)) {
          current += "/" + *other;
          continue;
        }
        resolving = false;  // below a missing segment nothing can be found
      }
      current = std::move(exact);
    }
  }
  if (full->size() > 3 && full->back() == L'\\') current += "/";
  return current;
}

}  // namespace

void MapDrive(wchar_t letter, const std::string& unixFolder, DriveOptions options) {
  std::string folder = NormalFolder(unixFolder);
  if (!options.volumeLabel) options.volumeLabel = UnixNameToWide(std::filesystem::path(folder).filename().string());
  std::unique_lock<std::shared_mutex> lock(MapLock());
  Map()[DriveKey(letter)] = MappedDrive{folder, std::move(options)};
}

void UnmapDrive(wchar_t letter) {
  std::unique_lock<std::shared_mutex> lock(MapLock());
  Map().erase(DriveKey(letter));
}

std::optional<MappedDrive> FindMappedDrive(const std::wstring& path) {
  for (size_t i = 0; i + 1 < path.size(); ++i) {
    if (path[i + 1] == L':' && IsDriveLetter(path[i])) {
      std::shared_lock<std::shared_mutex> lock(MapLock());
      auto it = Map().find(DriveKey(path[i]));
      if (it == Map().end()) return std::nullopt;
      return it->second;
    }
  }
  return std::nullopt;
}

uint32_t MappedDriveMask() {
  std::shared_lock<std::shared_mutex> lock(MapLock());
  uint32_t mask = 0;
  for (const auto& [letter, drive] : Map()) {
    if (letter >= L'A' && letter <= L'Z') mask |= 1u << (letter - L'A');
  }
  return mask;
}

std::optional<std::string> ToUnixPath(const std::wstring& windowsPath) {
  return UnixPathOf(windowsPath, Resolution::CaseInsensitive);
}

std::optional<std::string> MappedUnixPath(const std::wstring& windowsPath) {
  return UnixPathOf(windowsPath, Resolution::AsWritten);
}

std::wstring ToWindowsPath(const std::string& unixPath) {
  std::shared_lock<std::shared_mutex> lock(MapLock());
  const std::pair<const wchar_t, MappedDrive>* best = nullptr;
  for (const auto& entry : Map()) {
    const std::string& folder = entry.second.folder;
    bool below = unixPath.compare(0, folder.size(), folder) == 0 &&
                 (unixPath.size() == folder.size() || unixPath[folder.size()] == '/' || folder == "/");
    if (below && (!best || folder.size() > best->second.folder.size())) best = &entry;
  }
  if (!best) return UnixNameToWide(unixPath);
  std::string rest = unixPath.substr(best->second.folder.size());
  while (!rest.empty() && rest.front() == '/') rest.erase(0, 1);
  std::wstring path{static_cast<wchar_t>(best->first - L'A' + L'a'), L':', L'\\'};
  for (wchar_t c : UnixNameToWide(rest)) path.push_back(c == L'/' ? L'\\' : c);
  return path;
}

}  // namespace dw
