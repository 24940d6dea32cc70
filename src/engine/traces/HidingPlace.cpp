// Invisible folders, fake recycle bins and class-id folders, and what they hide.
// Worms keep their kit there and move the user's files in beside it; the kit is
// judged by what the files are, since their names are chosen to pass for data.
#include <string>
#include <vector>

#include "common/Text.h"
#include "engine/rules.h"
#include "engine/traces/Content.h"
#include "engine/traces/Launchers.h"
#include "engine/traces/NameChars.h"
#include "engine/traces/TraceRule.h"
#include "state/SharedState.h"

namespace dw {

namespace {

// HIUPAN nests its kit 15 folders deep. A chain past this was made to tire the
// scan; what lies below it is not looked at, and the drive is not called clean.
constexpr int kMaxDepth = 32;
// Per scan. A worm moves the user's files into its hiding place, thousands of
// them; past these bounds the rest is left unseen, which is a scan error.
constexpr size_t kMaxEntries = 100000;
constexpr size_t kMaxReads = 20000;
// Windows writes desktop.ini files of a few hundred bytes, and the keys that
// matter may stand anywhere in one: more of it is read than of other files.
constexpr size_t kDesktopIniBytes = 4096;

bool HasAny(uint32_t attributes, uint32_t bits) { return (attributes & bits) != 0; }

// The name as the user can read it: an invisible one as its code points, since it
// would print as nothing in the finding's reason. Underscores read as they are.
std::wstring ShownName(const std::wstring& name) {
  if (IsInvisibleName(name) && name.find_first_not_of(L'_') != std::wstring::npos) return CodePointsText(name);
  return name;
}

// Windows takes a folder's look from its desktop.ini: a class id makes the folder
// show as that system item (the Recycle Bin, Control Panel), whose content Explorer
// lists in place of the folder's. One that is not INI text carries something else
// (Gamarue keeps code in it).
bool IsDisguisingIni(std::string_view bytes) {
  std::optional<std::string> text = AsText(bytes);
  if (!text) return true;
  bool inSection = false;
  size_t start = 0;
  while (start < text->size()) {
    size_t end = text->find('\n', start);
    if (end == std::string::npos) end = text->size();
    std::string_view line(text->data() + start, end - start);
    start = end + 1;
    size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string_view::npos || line[first] == ';') continue;
    line.remove_prefix(first);
    if (line[0] == '[') {
      inSection = true;
      continue;
    }
    if (!inSection) return true;
    std::string_view key = line.substr(0, line.find('='));
    key = key.substr(0, key.find_last_not_of(" \t") + 1);
    if (key == "clsid" || key == "clsid2" || key == "uiclsid") return true;
  }
  return false;
}

class THidingPlaceRule : public ITraceRule {
 public:
  void Inspect(const TFolderView& folder, TTraceContext& context) override {
    // The root's hiding places are walked from here, in quick scans too; what a
    // thorough scan walks below them was judged then.
    if (!folder.isRoot) return;
    FContext = &context;
    for (const FindData& entry : folder.entries) {
      if (!context.GoOn() || FStopped) return;
      // A link or junction may lead anywhere: nothing behind it is this drive's.
      if (HasAny(entry.attributes, kAttrReparsePoint)) continue;
      const std::wstring path = EntryPath(folder.path, entry.name);
      if (HasAny(entry.attributes, kAttrDirectory)) {
        InspectRootFolder(path, entry);
      } else if (HasAny(entry.attributes, kAttrHidden | kAttrSystem)) {
        InspectHiddenFile(path, entry);
      }
    }
  }

 private:
  void InspectRootFolder(const std::wstring& path, const FindData& entry) {
    if (EqualsNoCase(entry.name, L"$Recycle.Bin")) {
      if (!IsGenuineBin(path + L"\\")) Walk(path, entry.name, 1);
      return;
    }
    if (IsHidingName(entry.name)) {
      Walk(path, ShownName(entry.name), 1);
      return;
    }
    // Windows dresses only read-only and system folders with their desktop.ini;
    // hidden ones are where worms put theirs.
    if (HasAny(entry.attributes, kAttrHidden | kAttrSystem | kAttrReadOnly) && DisguisedByIni(path)) {
      Walk(path, ShownName(entry.name), 1);
    }
  }

  void InspectHiddenFile(const std::wstring& path, const FindData& entry) {
    if (FContext->Reported(path)) return;
    if (EqualsNoCase(entry.name, L"desktop.ini")) {
      CheckDesktopIni(path, entry.size);
      return;
    }
    // The classic rule has listed it under its own reason already.
    bool hiddenSystem = HasAny(entry.attributes, kAttrHidden) && HasAny(entry.attributes, kAttrSystem);
    if (hiddenSystem && ExtensionMatches(entry.name, SuspiciousExtensions)) return;
    if (entry.size < 2) return;  // too short to be anything but data
    if (IsBootManager(entry.name)) return;
    std::optional<std::string> head = Read(path, kContentHeadBytes);
    if (head && JudgeContent(*head) != TContentKind::Other) {
      ReportKeepingListing(path, {Why::HiddenProgramByContent, {}});
    }
  }

  // folder: a path without the final "\"; depth 1 for a folder of the root.
  void Walk(const std::wstring& folder, const std::wstring& shown, int depth) {
    if (depth > kMaxDepth) {
      FContext->ScanError(folder, ScanErrorKind::TooLarge);
      return;
    }
    // Looked up again, one component at a time: a folder swapped for a link since
    // it was listed is not entered.
    DriveEntry here = FContext->Resolve(folder);
    if (here.place != EntryPlace::OnDrive || !HasAny(here.data.attributes, kAttrDirectory)) return;
    const std::wstring base = here.path + L"\\";
    std::vector<FindData> entries;
    if (!List(base, entries, true)) return;

    // The kit's own folders first: the user's files beside them may be many.
    std::vector<const FindData*> later;
    for (const FindData& entry : entries) {
      if (!FContext->GoOn() || FStopped) return;
      if (HasAny(entry.attributes, kAttrReparsePoint)) continue;
      if (!HasAny(entry.attributes, kAttrDirectory) || !IsHidingName(entry.name)) {
        later.push_back(&entry);
        continue;
      }
      Walk(EntryPath(base, entry.name), ShownName(entry.name), depth + 1);
    }
    for (const FindData* entry : later) {
      if (!FContext->GoOn() || FStopped) return;
      if (HasAny(entry->attributes, kAttrDirectory)) continue;
      JudgeFile(EntryPath(base, entry->name), *entry, shown);
    }
    for (const FindData* entry : later) {
      if (!FContext->GoOn() || FStopped) return;
      if (HasAny(entry->attributes, kAttrDirectory)) Walk(EntryPath(base, entry->name), shown, depth + 1);
    }
  }

  // A file in a hiding place; the user's documents are not findings, whatever
  // their names, and neither is anything that is not a program or a script.
  void JudgeFile(const std::wstring& path, const FindData& entry, const std::wstring& shown) {
    if (FContext->Reported(path)) return;
    if (EqualsNoCase(entry.name, L"desktop.ini")) {
      CheckDesktopIni(path, entry.size);
      return;
    }
    if (entry.size < 2) return;
    std::optional<std::string> head = Read(path, kContentHeadBytes);
    if (head && JudgeContent(*head) != TContentKind::Other) {
      ReportKeepingListing(path, {Why::HidingPlaceContent, shown});
    }
  }

  // Reports desktop.ini if it disguises its folder; true then.
  bool CheckDesktopIni(const std::wstring& path, uint64_t size) {
    if (size == 0) return false;
    std::optional<std::string> bytes = Read(path, kDesktopIniBytes);
    if (!bytes) return false;
    if (IsDisguisingIni(*bytes)) {
      ReportKeepingListing(path, {Why::DisguisingDesktopIni, {}});
      return true;
    }
    // A key past what was read would be missed.
    if (size > bytes->size()) FContext->ScanError(path, ScanErrorKind::TooLarge);
    return false;
  }

  bool DisguisedByIni(const std::wstring& folder) {
    const std::wstring path = folder + L"\\desktop.ini";
    std::optional<FindData> ini = Fs().Entry(path);
    if (!ini || HasAny(ini->attributes, kAttrDirectory | kAttrReparsePoint)) return false;
    return CheckDesktopIni(path, ini->size);
  }

  // Windows' own bin: folders named after users (S-1-5-...), each holding its
  // desktop.ini and the $I/$R pairs of deleted items. Anything else was put there
  // by hand. A user's folder that is refused is another user's, locked by Windows.
  bool IsGenuineBin(const std::wstring& bin) {
    std::vector<FindData> entries;
    if (!List(bin, entries, false)) return true;
    std::vector<std::wstring> users;
    for (const FindData& entry : entries) {
      bool folder = HasAny(entry.attributes, kAttrDirectory);
      if (folder && !HasAny(entry.attributes, kAttrReparsePoint) && StartsWithNoCase(entry.name, L"S-1-5-")) {
        users.push_back(EntryPath(bin, entry.name) + L"\\");
      } else if (folder || !EqualsNoCase(entry.name, L"desktop.ini")) {
        return false;
      }
    }
    if (users.empty()) return false;
    for (const std::wstring& user : users) {
      std::vector<FindData> items;
      if (!List(user, items, false)) {
        if (FStopped) return true;
        continue;
      }
      for (const FindData& item : items) {
        if (!EqualsNoCase(item.name, L"desktop.ini") && !StartsWithNoCase(item.name, L"$I") &&
            !StartsWithNoCase(item.name, L"$R")) {
          return false;
        }
      }
    }
    return true;
  }

  // The entries of folder (ending with "\"), within what is left of the scan's
  // bound. False when it was not listed to its end: gone, refused (a scan error
  // when refusedCounts), or cut at the bound (a scan error, and the walk ends).
  bool List(const std::wstring& folder, std::vector<FindData>& entries, bool refusedCounts) {
    bool cut = false;
    bool listed = Fs().List(folder, [&](const FindData& entry) {
      if (FEntries == kMaxEntries) {
        cut = true;
        return false;
      }
      ++FEntries;
      entries.push_back(entry);
      return FContext->GoOn();
    });
    if (cut) {
      FContext->ScanError(folder, ScanErrorKind::TooLarge);
      FStopped = true;
      return false;
    }
    if (listed) return FContext->GoOn();
    uint32_t error = Fs().LastError();
    if (refusedCounts && error != kErrorFileNotFound && error != kErrorPathNotFound) {
      FContext->ScanError(folder, ScanErrorKind::Unreadable);
    }
    return false;
  }

  std::optional<std::string> Read(const std::wstring& path, size_t max) {
    if (FReads == kMaxReads) {
      FContext->ScanError(path, ScanErrorKind::TooLarge);
      FStopped = true;
      return std::nullopt;
    }
    ++FReads;
    return FContext->Head(path, max);
  }

  // A file listed already (a program that the autorun file starts, maybe in an
  // earlier scan) keeps its row and its reason, and still counts in this scan: a
  // second row in the other list would only confuse.
  void ReportKeepingListing(const std::wstring& path, TFindingWhy why) { FContext->Report(path, Suspicious, why); }

  TTraceContext* FContext = nullptr;
  size_t FEntries = 0;
  size_t FReads = 0;
  bool FStopped = false;  // a bound was reached: the rest is left unseen
};

}  // namespace

std::unique_ptr<ITraceRule> MakeHidingPlaceRule() { return std::make_unique<THidingPlaceRule>(); }

}  // namespace dw
