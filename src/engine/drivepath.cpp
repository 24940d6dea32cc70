#include "engine/drivepath.h"

#include "common/Text.h"
#include "platform/PathRules.h"

namespace dw {

std::wstring EntryPath(const std::wstring& folder, const std::wstring& name) { return LiteralPath(folder + name); }

DriveEntry ResolveOnDrive(const std::wstring& path, const std::wstring& root) {
  DriveEntry result;
  std::wstring plain = PlainPath(path);
  if (root.empty() || plain.size() <= root.size() || !EqualsNoCase(plain.substr(0, root.size()), root)) return result;

  std::wstring current = root;
  size_t start = root.size();
  while (start < plain.size()) {
    size_t end = plain.find(L'\\', start);
    if (end == std::wstring::npos) end = plain.size();
    if (end > start) {
      std::optional<FindData> entry = Fs().Entry(EntryPath(current, plain.substr(start, end - start)));
      if (!entry) return result;
      if (entry->attributes & kAttrReparsePoint) {
        result.place = EntryPlace::OffDrive;
        return result;
      }
      if (end < plain.size()) {
        current += entry->name + L"\\";
      } else {
        current += entry->name;
      }
      result.data = *entry;
    }
    start = end + 1;
  }
  result.place = EntryPlace::OnDrive;
  result.path = LiteralPath(current);
  return result;
}

}  // namespace dw
