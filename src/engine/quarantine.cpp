#include "engine/quarantine.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <vector>

#include "common/Text.h"
#include "engine/disposal.h"
#include "engine/drivepath.h"
#include "platform/Caught.h"
#include "platform/PathRules.h"
#include "platform/Platform.h"
#include "state/Elevation.h"
#include "state/SharedState.h"

namespace dw {

namespace {

constexpr std::wstring_view kStoredSuffix = L".quarantine";
constexpr std::wstring_view kRecordSuffix = L".info";
// A copy in progress: it becomes the stored (or restored) file once it is whole.
constexpr std::wstring_view kPartialSuffix = L".partial";
constexpr int kPartialNames = 10;  // ".partial", ".partial1" ... ".partial9"
// A record holds one path: at most 32767 UTF-16 units, two bytes each in a
// double-byte code page.
constexpr size_t kRecordLimit = 65536;
// A name may hold 255 UTF-16 units on Windows and 255 bytes on Linux; UTF-8 never
// takes fewer bytes than UTF-16 takes units, so its length bounds both. A path
// past MAX_PATH - 1 fails without the "\\?\" form.
constexpr size_t kNameLimit = 255;
constexpr size_t kPathLimit = 259;
// What the store adds to a base name at most: "(2147483647)", ".quarantine" and
// ".partial9".
constexpr size_t kAddedLength = 12 + kStoredSuffix.size() + kPartialSuffix.size() + 1;
constexpr size_t kKeptExtension = 16;
// A slot whose name another entry took after it was reserved is given up; after
// this many the copy-in fails rather than copy the source again and again.
constexpr int kTakenSlots = 8;

// Characters that a Windows file name cannot hold; on Linux they can come off a
// stick, and some of them are wildcards or separators to FindFirstFileW.
bool IsForbiddenInName(wchar_t c) {
  return c < 0x20 || std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos;
}

// Whether a name stays itself as the last segment of a Windows path: DOS device
// names (CON, NUL.txt) and trailing dots or blanks do not.
bool SurvivesAsName(const std::wstring& name) {
  const std::wstring root = L"c:\\";
  return FullPathName(root + name, L"") == root + name;
}

bool IsPlain(const FindData& entry) { return !(entry.attributes & (kAttrDirectory | kAttrReparsePoint)); }

std::optional<FindData> FindEntry(const std::wstring& path) {
  std::optional<FindData> found;
  Fs().Find(path, [&](const FindData& entry) {
    found = entry;
    return false;
  });
  return found;
}

std::wstring WithoutTrailingBackslash(const std::wstring& folder) {
  return folder.size() > 1 && folder.back() == L'\\' ? folder.substr(0, folder.size() - 1) : folder;
}

// Files the store made: stored files, their records and partial copies. Anything
// else in the folder belongs to someone else and is left alone.
bool IsOwnName(std::wstring_view name) {
  if (EndsWithNoCase(name, kStoredSuffix)) return true;
  if (EndsWithNoCase(name, std::wstring(kStoredSuffix) + std::wstring(kRecordSuffix))) return true;
  if (!name.empty() && name.back() >= L'1' && name.back() <= L'9') name.remove_suffix(1);
  return EndsWithNoCase(name, std::wstring(kStoredSuffix) + std::wstring(kPartialSuffix));
}

// The base of the stored name: the file's own name unless the store's names would
// then pass a name's or a path's limit, when its stem is cut (marked "~", the
// extension kept). Empty when even that cannot fit.
std::wstring StoredBaseName(std::wstring name, size_t folderLength) {
  for (wchar_t& c : name) {
    if (IsForbiddenInName(c)) c = L'_';
  }
  if (!SurvivesAsName(name + std::wstring(kStoredSuffix))) name = L"_" + name;
  if (folderLength + kAddedLength >= kPathLimit) return L"";
  const size_t unitBudget = std::min(kNameLimit, kPathLimit - folderLength) - kAddedLength;
  const size_t byteBudget = kNameLimit - kAddedLength;
  auto fits = [&](const std::wstring& s) { return s.size() <= unitBudget && WideToUtf8(s).size() <= byteBudget; };
  if (fits(name)) return name;

  std::wstring extension = ExtensionPart(name);
  if (extension.size() > kKeptExtension || extension.size() == name.size()) extension.clear();
  std::wstring stem = name.substr(0, name.size() - extension.size());
  const std::wstring mark = L"~";
  while (!stem.empty() && !fits(stem + mark + extension)) {
    stem.pop_back();
    // Never half of a UTF-16 surrogate pair.
    if (!stem.empty() && stem.back() >= 0xD800 && stem.back() <= 0xDBFF) stem.pop_back();
  }
  std::wstring shortened = stem + mark + extension;
  return fits(shortened) ? shortened : L"";
}

std::wstring SlotPath(const std::wstring& folder, const std::wstring& base, int64_t n) {
  std::wstring counter = n < 0 ? L"" : L"(" + std::to_wstring(n) + L")";
  return folder + base + counter + std::wstring(kStoredSuffix);
}

// 1: the slot is ours, its record made; 0: taken, try the next; -1: the store
// cannot be written. A slot is free when neither its stored file, its record nor
// a partial copy is there; the record, made only where no entry has its name,
// reserves it, so that two copy-ins never share a slot.
int ReserveSlot(const std::wstring& stored, const std::string& record) {
  for (std::wstring_view suffix : {std::wstring_view(), kRecordSuffix, kPartialSuffix}) {
    if (Fs().Attributes(stored + std::wstring(suffix)) != kInvalidAttributes) return 0;
    if (Fs().LastError() != kErrorFileNotFound) return -1;
  }
  if (Fs().CreateNew(stored + std::wstring(kRecordSuffix), record)) return 1;
  return Fs().LastError() == kErrorFileExists ? 0 : -1;
}

// Copies from under a partial name beside target, then gives it target's name,
// so that an interrupted copy never carries that name. taken: target's name was
// taken by then.
bool PlaceCopy(const std::wstring& from, const std::wstring& target, uint64_t size, bool& taken) {
  taken = false;
  for (int n = 0; n < kPartialNames; ++n) {
    std::wstring partial = target + std::wstring(kPartialSuffix) + (n == 0 ? L"" : std::to_wstring(n));
    if (!Fs().CopyNew(from, partial, size)) {
      if (Fs().LastError() == kErrorFileExists) continue;
      return false;
    }
    if (Fs().Move(partial, target)) return true;
    uint32_t error = Fs().LastError();
    taken = error == kErrorAlreadyExists || error == kErrorFileExists;
    Fs().Delete(partial);
    return false;
  }
  return false;
}

// The stored file of that name when it is one of the store's: a regular file in
// a folder that is not a link. The file itself is asked as well as its folder's
// listing, which Wine fills with what a link to a file leads to.
std::optional<FindData> StoredEntry(const std::wstring& storedName) {
  if (!IsStoredEntryName(storedName) || QuarantineFolderRefused()) return std::nullopt;
  const std::wstring path = QuarantineFolder() + storedName;
  std::optional<FindData> entry = FindEntry(path);
  if (!entry || !IsPlain(*entry) || !PathNamesEqual(entry->name, storedName)) return std::nullopt;
  return Fs().IsRegularFile(path) ? entry : std::nullopt;
}

}  // namespace

std::wstring QuarantineFolder() { return State().DataFolder + L"quarantine\\"; }

bool QuarantineFolderRefused() {
  // Asked without the trailing backslash: with it, Windows and Linux both answer
  // for what a link or junction leads to.
  uint32_t attributes = Fs().Attributes(WithoutTrailingBackslash(QuarantineFolder()));
  if (attributes == kInvalidAttributes) return false;
  return (attributes & kAttrReparsePoint) || !(attributes & kAttrDirectory);
}

int CopyToQuarantine(const std::wstring& path) {
  try {
    // Only a regular file goes: never a folder, nor a link to a file elsewhere
    // or to a device that never ends. The source is not changed here at all; its
    // attributes are the caller's, once this copy is in place.
    std::optional<FindData> source = FindEntry(path);
    if (!source || !IsPlain(*source)) return -1;
    const std::wstring folder = QuarantineFolder();
    Fs().CreateFolder(folder);
    if (QuarantineFolderRefused()) return -1;
    const std::wstring base = StoredBaseName(FileNamePart(path), folder.size());
    if (base.empty()) return -1;
    const std::string record = Sys().ToAnsi(path);

    int takenSlots = 0;
    for (int64_t n = -1; n < INT_MAX; ++n) {
      const std::wstring stored = SlotPath(folder, base, n);
      int reserved = ReserveSlot(stored, record);
      // The store cannot be written: administrator rights may be what is missing.
      if (reserved < 0) break;
      if (reserved == 0) continue;
      bool taken = false;
      if (PlaceCopy(path, stored, source->size, taken)) return 0;
      Fs().Delete(stored + std::wstring(kRecordSuffix));
      if (!taken || ++takenSlots >= kTakenSlots) break;
    }
    if (Fs().Attributes(path) != kInvalidAttributes) RequestElevation();
    return -1;
  } catch (...) {
    RecordCaught("quarantine copy");
    return -1;
  }
}

std::wstring ReadQuarantineInfo(const std::wstring& storedPath) {
  // A record that is a link, or one too long to be a path, is not read.
  std::optional<std::string> bytes = Fs().ReadRegularWhole(storedPath + std::wstring(kRecordSuffix), kRecordLimit);
  if (!bytes || bytes->empty()) return storedPath;
  return Sys().FromAnsi(*bytes);
}

std::wstring QuarantineDisplayName(const std::wstring& storedName) {
  std::wstring extension = ExtensionPart(storedName);
  if (extension.empty()) return storedName;
  return storedName.substr(0, storedName.find(extension));
}

uint64_t FileSize64(const std::wstring& path) {
  std::optional<FindData> entry = FindEntry(path);
  return entry ? entry->size : 0;
}

std::wstring QuarantineSizeText(uint64_t bytes) { return std::to_wstring(bytes / 1024 + 1) + L"ko"; }

bool IsStoredEntryName(std::wstring_view name) {
  if (!EndsWithNoCase(name, kStoredSuffix)) return false;
  if (std::any_of(name.begin(), name.end(), IsForbiddenInName)) return false;
  return SurvivesAsName(std::wstring(name));
}

bool ListQuarantineEntries(const std::function<bool(const QuarantineEntry&)>& visit) {
  if (QuarantineFolderRefused()) return false;
  const std::wstring folder = QuarantineFolder();
  Fs().Find(folder + L"*" + std::wstring(kStoredSuffix), [&](const FindData& found) {
    if (!IsPlain(found) || !IsStoredEntryName(found.name) || !Fs().IsRegularFile(folder + found.name)) return true;
    QuarantineEntry entry;
    entry.storedName = found.name;
    entry.displayName = QuarantineDisplayName(found.name);
    entry.sourcePath = ReadQuarantineInfo(folder + found.name);
    entry.size = found.size;
    entry.storedTime = Fs().WriteTime(folder + found.name + std::wstring(kRecordSuffix));
    return visit(entry);
  });
  return true;
}

bool EraseQuarantineEntry(const std::wstring& storedName) {
  if (!StoredEntry(storedName)) return false;
  return ForceDelete(QuarantineFolder() + storedName);
}

bool EmptyQuarantineStore() {
  if (QuarantineFolderRefused()) return false;
  const std::wstring folder = QuarantineFolder();
  std::vector<std::wstring> names;
  Fs().Find(folder + L"*", [&](const FindData& entry) {
    if (IsPlain(entry) && IsOwnName(entry.name)) names.push_back(entry.name);
    return true;
  });
  bool all = true;
  for (const std::wstring& name : names) {
    // Asked again of the file itself: Wine lists a link to a file as that file,
    // and deletes what it leads to.
    if (Fs().IsRegularFile(folder + name)) all = ForceDelete(folder + name) && all;
  }
  return all;
}

bool EraseQuarantineEntries(const std::vector<std::wstring>& storedNames,
                            const std::function<void(const std::wstring&, bool)>& erased) {
  if (QuarantineFolderRefused()) return false;
  const std::wstring folder = QuarantineFolder();
  bool all = true;
  for (const std::wstring& name : storedNames) {
    if (!StoredEntry(name)) continue;
    bool gone = ForceDelete(folder + name);
    const std::wstring record = folder + name + std::wstring(kRecordSuffix);
    if (gone && Fs().IsRegularFile(record)) ForceDelete(record);
    if (erased) erased(name, gone);
    all = all && gone;
  }
  // A record whose copy-in failed, or whose stored file was erased alone, is left
  // over; one beside a partial copy belongs to a copy-in under way.
  std::vector<std::wstring> records;
  Fs().Find(folder + L"*" + std::wstring(kStoredSuffix) + std::wstring(kRecordSuffix), [&](const FindData& entry) {
    if (IsPlain(entry)) records.push_back(entry.name);
    return true;
  });
  for (const std::wstring& record : records) {
    const std::wstring stored = folder + record.substr(0, record.size() - kRecordSuffix.size());
    if (Fs().Attributes(stored) != kInvalidAttributes) continue;
    if (Fs().Attributes(stored + std::wstring(kPartialSuffix)) != kInvalidAttributes) continue;
    if (Fs().IsRegularFile(folder + record)) ForceDelete(folder + record);
  }
  return all;
}

// Only the store's own suffix goes: a file that was itself called x.quarantine
// comes back under that name.
std::wstring RestoredName(const std::wstring& storedName) {
  if (storedName.size() > kStoredSuffix.size() && EndsWithNoCase(storedName, kStoredSuffix)) {
    return storedName.substr(0, storedName.size() - kStoredSuffix.size());
  }
  return storedName.substr(0, storedName.find(kStoredSuffix));
}

namespace {

// Whether relative names a place below a root by plain names only: no empty, "."
// or ".." part, nothing a Windows name cannot hold, no device name.
bool IsPlainPathBelow(const std::wstring& relative) {
  if (relative.empty()) return false;
  size_t start = 0;
  while (start <= relative.size()) {
    size_t end = relative.find(L'\\', start);
    if (end == std::wstring::npos) end = relative.size();
    const std::wstring part = relative.substr(start, end - start);
    if (part.empty() || part == L"." || part == L".." || std::any_of(part.begin(), part.end(), IsForbiddenInName) ||
        !SurvivesAsName(part)) {
      return false;
    }
    start = end + 1;
  }
  return true;
}

RestoreResult RestoreAs(const std::wstring& storedName, const std::wstring& target, std::wstring* restoredTo) {
  if (restoredTo) *restoredTo = target;
  std::optional<FindData> entry = StoredEntry(storedName);
  if (!entry) return RestoreResult::NotFound;
  // Whatever holds the name, a file, a folder or a link, stays as it is.
  if (Fs().Attributes(target) != kInvalidAttributes) return RestoreResult::NameTaken;
  bool taken = false;
  if (PlaceCopy(QuarantineFolder() + storedName, target, entry->size, taken)) return RestoreResult::Restored;
  return taken ? RestoreResult::NameTaken : RestoreResult::Failed;
}

}  // namespace

RestoreResult RestoreQuarantineEntry(const std::wstring& storedName, const std::wstring& folder,
                                     std::wstring* restoredTo) {
  return RestoreAs(storedName, IncludeTrailingBackslash(folder) + RestoredName(storedName), restoredTo);
}

RestoreResult RestoreQuarantineEntryToOrigin(const std::wstring& storedName, const std::wstring& root,
                                             std::wstring* restoredTo) {
  if (!StoredEntry(storedName)) return RestoreResult::NotFound;
  const std::wstring source = ReadQuarantineInfo(QuarantineFolder() + storedName);
  if (restoredTo) *restoredTo = source;
  if (root.empty() || !StartsWithNoCase(source, root) || !IsPlainPathBelow(source.substr(root.size()))) {
    return RestoreResult::FolderGone;
  }
  const std::wstring name = FileNamePart(source);
  std::wstring folder = source.substr(0, source.size() - name.size());
  if (folder.size() > root.size()) {
    DriveEntry found = ResolveOnDrive(folder.substr(0, folder.size() - 1), root);
    if (found.place != EntryPlace::OnDrive || !(found.data.attributes & kAttrDirectory)) {
      return RestoreResult::FolderGone;
    }
    folder = IncludeTrailingBackslash(found.path);
  } else if (!EqualsNoCase(folder, root)) {
    return RestoreResult::FolderGone;
  }
  return RestoreAs(storedName, folder + name, restoredTo);
}

}  // namespace dw
