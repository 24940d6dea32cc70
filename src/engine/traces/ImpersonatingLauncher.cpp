// Launchers named like the drive, a device or a hidden sibling: today's worms hide
// the user's items and leave, under the name he looks for, something that runs.
#include <optional>
#include <unordered_map>

#include "common/Text.h"
#include "engine/traces/Launchers.h"
#include "engine/traces/TraceRule.h"

namespace dw {

namespace {

// What Explorer calls a drive without a label, in English and French, and what
// users call one; "Drive" or "Disk" alone are left out: Google Drive's shortcut is
// "Drive.lnk".
constexpr std::wstring_view kDeviceNames[] = {L"USB Drive",         L"USB Disk",        L"USB Stick",
                                              L"USB Flash Drive",   L"USB Device",      L"USB",
                                              L"Flash Drive",       L"Thumb Drive",     L"Pen Drive",
                                              L"Pendrive",          L"Removable Disk",  L"Removable Drive",
                                              L"Removable Storage", L"Disque amovible", L"Lecteur amovible",
                                              L"Lecteur USB",       L"Disque USB",      L"Cl\u00E9 USB",
                                              L"Cle USB",           L"Clef USB",        L"P\u00E9riph\u00E9rique USB"};

// Programs that keep their settings, libraries and icons in a file of their own
// name, which may well be hidden (autorun.exe beside a hidden autorun.ico).
constexpr std::wstring_view kCompanionExtensions[] = {L".ini", L".inf", L".cfg", L".dat",
                                                      L".dll", L".ico", L".log", L".manifest"};

bool IsCompanionExtension(std::wstring_view extension) {
  for (std::wstring_view item : kCompanionExtensions) {
    if (EqualsNoCase(extension, item)) return true;
  }
  return false;
}

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// "8gb", "16 GB", "1,5 Go", "500 MiB": the size Windows or a worm writes after a
// device's name.
bool IsSizeText(std::wstring_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == L' ') ++i;
  size_t digits = i;
  while (i < text.size() && IsDigit(text[i])) ++i;
  if (i == digits) return false;
  if (i + 1 < text.size() && (text[i] == L'.' || text[i] == L',') && IsDigit(text[i + 1])) {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i;
  }
  while (i < text.size() && text[i] == L' ') ++i;
  if (i == text.size() || std::wstring_view(L"kmgtKMGT").find(text[i]) == std::wstring_view::npos) return false;
  ++i;
  if (i < text.size() && (text[i] == L'i' || text[i] == L'I')) ++i;
  if (i < text.size() && std::wstring_view(L"bBoO").find(text[i]) != std::wstring_view::npos) ++i;
  while (i < text.size() && text[i] == L' ') ++i;
  return i == text.size();
}

// "USB Drive (8GB)" without its size; the name as it is without one.
std::wstring WithoutSize(const std::wstring& stem) {
  size_t open = stem.rfind(L'(');
  if (stem.empty() || stem.back() != L')' || open == std::wstring::npos) return stem;
  if (!IsSizeText(std::wstring_view(stem).substr(open + 1, stem.size() - open - 2))) return stem;
  std::wstring core = stem.substr(0, open);
  while (!core.empty() && core.back() == L' ') core.pop_back();
  return core;
}

bool NamedLikeDevice(const std::wstring& stem) {
  std::wstring core = WithoutSize(stem);
  for (std::wstring_view name : kDeviceNames) {
    if (EqualsNoCase(core, name)) return true;
  }
  return false;
}

bool NamedLikeLabel(const std::wstring& stem, const std::wstring& label) {
  return !label.empty() && (EqualsNoCase(stem, label) || EqualsNoCase(WithoutSize(stem), label));
}

bool ShowsContent(const std::vector<FindData>& entries) {
  for (const FindData& entry : entries) {
    if (ShownAs(entry) == TShownAs::Content) return true;
  }
  return false;
}

// The hidden entries of a folder that a launcher could pose as, by the names the
// user would know them by: the whole name, and a file's name without its extension.
class THiddenSiblings {
 public:
  explicit THiddenSiblings(const std::vector<FindData>& entries) {
    for (const FindData& entry : entries) {
      if (!IsHidden(entry) || IsSystemOwnEntry(entry) || IsAutorunFile(entry) || IsRecycleBinName(entry)) continue;
      std::wstring shown = ShownName(entry.name);
      if (shown.empty()) continue;
      FByName.emplace(ToLower(shown), &entry);
      std::wstring extension = ExtensionPart(shown);
      std::wstring stem = ShownStem(shown);
      // A folder's name has no extension to set aside.
      if ((entry.attributes & kAttrDirectory) || extension.empty() || stem.empty()) continue;
      if (!IsCompanionExtension(extension)) FByStem.emplace(ToLower(stem), &entry);
    }
  }

  bool Empty() const { return FByName.empty(); }

  const FindData* Find(const std::wstring& stem) const {
    std::wstring key = ToLower(stem);
    if (auto it = FByName.find(key); it != FByName.end()) return it->second;
    if (auto it = FByStem.find(key); it != FByStem.end()) return it->second;
    return nullptr;
  }

 private:
  std::unordered_map<std::wstring, const FindData*> FByName, FByStem;
};

class TImpersonatingLauncherRule : public ITraceRule {
 public:
  void Inspect(const TFolderView& folder, TTraceContext& context) override {
    THiddenSiblings siblings(folder.entries);
    // Below the root only a hidden sibling can be posed as, and most folders hide nothing.
    if (!folder.isRoot && siblings.Empty()) return;
    const std::wstring label = folder.isRoot ? ShownName(context.Label()) : std::wstring();
    std::optional<TClassicPairs> pairs;
    std::optional<bool> showsContent;

    for (const FindData& entry : folder.entries) {
      if (!context.GoOn()) return;
      if (IsHidden(entry) || (entry.attributes & kAttrDirectory) || IsSystemOwnEntry(entry)) continue;
      const std::wstring shown = ShownName(entry.name);
      const std::wstring extension = ExtensionPart(shown);
      const bool launcher = IsLauncherExtension(extension);
      // A file without a program's extension is one by its content only.
      const std::wstring stem = extension.empty() ? shown : ShownStem(shown);
      if (stem.empty()) continue;

      bool likeDrive = folder.isRoot && NamedLikeDevice(stem);
      if (folder.isRoot && !likeDrive && NamedLikeLabel(stem, label)) {
        // Many a stick carries its own program under its label (BACKUP's Backup.exe, a
        // secure stick's unlocker) beside the user's files; a worm's stands alone. No
        // one names his own shortcut after the stick.
        if (!showsContent) showsContent = ShowsContent(folder.entries);
        likeDrive = IsShortcutExtension(extension) || !*showsContent;
      }
      TFindingWhy why;
      if (likeDrive) {
        why = {Why::NamedLikeDrive, {}};
      } else if (const FindData* sibling = siblings.Find(stem)) {
        why = {Why::NamedLikeHidden, sibling->name};
      } else {
        continue;
      }
      if (!pairs) pairs.emplace(folder.entries);
      if (pairs->Covers(entry)) continue;
      const std::wstring path = EntryPath(folder.path, entry.name);
      if (!launcher && !StartsAsProgram(path, context)) continue;
      if (!CanReport(folder, entry, context)) continue;
      context.Report(path, Threat, why);
    }
  }

 private:
  // Head() refuses a link (a scan error) rather than read through it.
  static bool StartsAsProgram(const std::wstring& path, TTraceContext& context) {
    std::optional<std::string> head = context.Head(path, 2);
    return head && head->rfind("MZ", 0) == 0;
  }
};

}  // namespace

std::unique_ptr<ITraceRule> MakeImpersonatingLauncherRule() { return std::make_unique<TImpersonatingLauncherRule>(); }

}  // namespace dw
