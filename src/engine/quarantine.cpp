#include "engine/quarantine.h"

#include <climits>

#include "common/Text.h"
#include "engine/disposal.h"
#include "platform/Caught.h"
#include "platform/Platform.h"
#include "state/Elevation.h"
#include "state/SharedState.h"

namespace dw {

namespace {

constexpr const wchar_t* kStoredSuffix = L".quarantine";

bool IsFileEntry(const std::wstring& path, uint64_t* size = nullptr) {
  bool found = false;
  Fs().Find(path, [&](const FindData& entry) {
    found = !(entry.attributes & kAttrDirectory);
    if (size) *size = entry.size;
    return false;
  });
  return found;
}

// Picks the stored name and creates the file in one step, so that two copy-ins of
// files of the same name never take the same name. Empty when nothing could be made.
std::wstring ReserveStoredPath(const std::wstring& folder, const std::wstring& name) {
  // 1: created; 0: the name is taken, try the next; -1: the store cannot be written.
  auto tryCreate = [&](const std::wstring& candidate) {
    if (Fs().CreateNew(candidate, "")) return 1;
    return Fs().Attributes(candidate) != kInvalidAttributes ? 0 : -1;
  };
  std::wstring first = folder + name + kStoredSuffix;
  int created = tryCreate(first);
  if (created != 0) return created > 0 ? first : L"";
  for (int64_t n = 0; n < INT_MAX; ++n) {
    std::wstring candidate = folder + name + L"(" + std::to_wstring(n) + L")" + kStoredSuffix;
    created = tryCreate(candidate);
    if (created != 0) return created > 0 ? candidate : L"";
  }
  return L"";
}

}  // namespace

std::wstring QuarantineFolder() { return State().DataFolder + L"quarantine\\"; }

int CopyToQuarantine(const std::wstring& path) {
  try {
    uint64_t sourceSize = 0;
    if (!IsFileEntry(path, &sourceSize)) return -1;
    Fs().SetAttributes(path, kAttrArchive);
    const std::wstring folder = QuarantineFolder();
    Fs().CreateFolder(folder);
    const std::wstring stored = ReserveStoredPath(folder, FileNamePart(path));
    if (stored.empty()) return -1;
    Fs().WriteAll(stored + L".info", Sys().ToAnsi(path));
    if (Fs().Copy(path, stored, false) && FileSize64(stored) == sourceSize) return 0;
    // Leave no half copy behind: the store lists only complete files.
    Fs().Delete(stored);
    Fs().Delete(stored + L".info");
    if (Fs().Attributes(path) != kInvalidAttributes) RequestElevation();
    return -1;
  } catch (...) {
    RecordCaught("quarantine copy");
    return -1;
  }
}

std::wstring ReadQuarantineInfo(const std::wstring& storedPath) {
  std::optional<std::string> bytes = Fs().ReadAll(storedPath + L".info");
  if (!bytes || bytes->empty()) return storedPath;
  return Sys().FromAnsi(*bytes);
}

std::wstring QuarantineDisplayName(const std::wstring& storedName) {
  std::wstring extension = ExtensionPart(storedName);
  if (extension.empty()) return storedName;
  return storedName.substr(0, storedName.find(extension));
}

uint64_t FileSize64(const std::wstring& path) {
  uint64_t size = 0;
  bool found = false;
  Fs().Find(path, [&](const FindData& entry) {
    size = entry.size;
    found = true;
    return false;
  });
  return found ? size : 0;
}

std::wstring QuarantineSizeText(uint64_t bytes) { return std::to_wstring(bytes / 1024 + 1) + L"ko"; }

void ListQuarantineEntries(const std::function<bool(const QuarantineEntry&)>& visit) {
  const std::wstring folder = QuarantineFolder();
  Fs().Find(folder + L"*" + kStoredSuffix, [&](const FindData& found) {
    if (found.attributes & kAttrDirectory) return true;
    QuarantineEntry entry;
    entry.storedName = found.name;
    entry.displayName = QuarantineDisplayName(found.name);
    entry.sourcePath = ReadQuarantineInfo(folder + found.name);
    entry.size = found.size;
    return visit(entry);
  });
}

bool EraseQuarantineEntry(const std::wstring& storedName) {
  const std::wstring path = QuarantineFolder() + storedName;
  if (!IsFileEntry(path)) return false;
  return ForceDelete(path);
}

bool EmptyQuarantineStore() {
  const std::wstring folder = QuarantineFolder();
  std::vector<std::wstring> names;
  Fs().Find(folder + L"*.*", [&](const FindData& entry) {
    if (!(entry.attributes & kAttrDirectory)) names.push_back(entry.name);
    return true;
  });
  bool all = true;
  for (const std::wstring& name : names) all = ForceDelete(folder + name) && all;
  return all;
}

// Only the store's own suffix goes: a file that was itself called x.quarantine
// comes back under that name.
std::wstring RestoredName(const std::wstring& storedName) {
  const std::wstring suffix = kStoredSuffix;
  if (storedName.size() > suffix.size() &&
      EqualsNoCase(std::wstring_view(storedName).substr(storedName.size() - suffix.size()), suffix)) {
    return storedName.substr(0, storedName.size() - suffix.size());
  }
  return storedName.substr(0, storedName.find(kStoredSuffix));
}

bool RestoreQuarantineEntry(const std::wstring& storedName, const std::wstring& folder) {
  const std::wstring source = QuarantineFolder() + storedName;
  uint64_t size = 0;
  if (!IsFileEntry(source, &size)) return false;
  const std::wstring target = IncludeTrailingBackslash(folder) + RestoredName(storedName);
  return Fs().Copy(source, target, false) && FileSize64(target) == size;
}

}  // namespace dw
