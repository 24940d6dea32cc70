#include "engine/traces/Launchers.h"

#include "common/Text.h"

namespace dw {

namespace {

// .lnk, .url: their extension never shows. .exe .com .scr .pif .cpl .msi: programs
// and installers. .bat .cmd: cmd. .vbs .vbe .js .jse .wsf .wsh: Windows Script
// Host. .hta: mshta. Not .ps1 (a double click opens it in Notepad) nor .jar, .reg.
constexpr std::wstring_view kLauncherExtensions[] = {L".lnk", L".url", L".exe", L".com", L".scr", L".pif",
                                                     L".cpl", L".msi", L".bat", L".cmd", L".vbs", L".vbe",
                                                     L".js",  L".jse", L".wsf", L".wsh", L".hta"};

constexpr std::wstring_view kOfficeExtensions[] = {L".doc",  L".docx", L".docm", L".dot",  L".dotx", L".dotm", L".rtf",
                                                   L".xls",  L".xlsx", L".xlsm", L".xlsb", L".xlt",  L".xltx", L".xltm",
                                                   L".ppt",  L".pptx", L".pptm", L".pps",  L".ppsx", L".ppsm", L".pot",
                                                   L".potx", L".potm", L".vsd",  L".vsdx", L".pub"};

// Office writes its owner files at 162 or 165 bytes; a larger "~$" file is not one.
constexpr uint64_t kMaxOwnerFileBytes = 4096;

constexpr std::wstring_view kSystemFolders[] = {
    L"System Volume Information", L".Trashes",        L".fseventsd",
    L".Spotlight-V100",           L".TemporaryItems", L".DocumentRevisions-V100"};
constexpr std::wstring_view kSystemFiles[] = {L"desktop.ini", L"Thumbs.db", L".DS_Store"};
constexpr std::wstring_view kAutorunFiles[] = {L"autorun.inf", L"autorun.ini", L"autorun.inf.ren", L"autorun.ini.ren"};

bool IsBlank(wchar_t c) {
  return c == L' ' || (c >= L'\t' && c <= L'\r') || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

// Characters that take no room on screen: joiners, direction marks and controls,
// fillers that draw nothing.
bool IsInvisible(wchar_t c) {
  return c < 0x20 || c == 0x7F || c == 0xAD || c == 0x34F || c == 0x61C || c == 0x115F || c == 0x1160 || c == 0x17B4 ||
         c == 0x17B5 || c == 0x180E || (c >= 0x200B && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2060 && c <= 0x206F) || c == 0x3164 || c == 0xFEFF || c == 0xFFA0;
}

bool InList(std::wstring_view name, const auto& list) {
  for (std::wstring_view item : list) {
    if (EqualsNoCase(name, item)) return true;
  }
  return false;
}

void TrimEnd(std::wstring& text) {
  while (!text.empty() && (text.back() == L' ' || text.back() == L'.')) text.pop_back();
}

bool IsOwnerFile(const FindData& entry) {
  if (entry.size > kMaxOwnerFileBytes) return false;
  if (StartsWithNoCase(entry.name, L"~$")) return InList(ExtensionPart(entry.name), kOfficeExtensions);
  // LibreOffice's: ".~lock.Report.docx#".
  return StartsWithNoCase(entry.name, L".~lock.") && entry.name.back() == L'#';
}

}  // namespace

bool IsLauncherExtension(std::wstring_view extension) { return InList(extension, kLauncherExtensions); }

bool IsShortcutExtension(std::wstring_view extension) {
  return EqualsNoCase(extension, L".lnk") || EqualsNoCase(extension, L".url");
}

std::wstring ShownName(std::wstring_view name) {
  std::wstring shown;
  bool blank = false;
  for (wchar_t c : name) {
    if (IsBlank(c)) {
      blank = true;
    } else if (!IsInvisible(c)) {
      if (blank && !shown.empty()) shown += L' ';
      blank = false;
      shown += c;
    }
  }
  TrimEnd(shown);
  return shown;
}

std::wstring ShownStem(const std::wstring& shown) {
  std::wstring stem = shown.substr(0, shown.size() - ExtensionPart(shown).size());
  TrimEnd(stem);
  return stem;
}

bool IsHidden(const FindData& entry) { return entry.attributes & kAttrHidden; }

bool IsSystemOwnEntry(const FindData& entry) {
  if (entry.attributes & kAttrDirectory) {
    // A Linux desktop's trash: ".Trash-1000".
    return InList(entry.name, kSystemFolders) || StartsWithNoCase(entry.name, L".Trash-");
  }
  // "._Report.docx": the resource fork macOS writes beside each file it copies.
  return InList(entry.name, kSystemFiles) || StartsWithNoCase(entry.name, L"._") || IsOwnerFile(entry);
}

bool IsBootManager(std::wstring_view name) {
  for (const wchar_t* boot : {L"bootmgr", L"bootmgr.efi", L"BOOTNXT"}) {
    if (EqualsNoCase(name, boot)) return true;
  }
  return false;
}

bool IsAutorunFile(const FindData& entry) {
  return !(entry.attributes & kAttrDirectory) && InList(entry.name, kAutorunFiles);
}

bool IsRecycleBinName(const FindData& entry) {
  return (entry.attributes & kAttrDirectory) &&
         (EqualsNoCase(entry.name, L"$RECYCLE.BIN") || EqualsNoCase(entry.name, L"RECYCLER"));
}

bool HasUnseenName(const FindData& entry) {
  const std::wstring shown = ShownName(entry.name);
  return shown.find_first_not_of(L'_') == std::wstring::npos;
}

TShownAs ShownAs(const FindData& entry) {
  if (IsSystemOwnEntry(entry)) return TShownAs::Nothing;
  const bool visible = !IsHidden(entry);
  // An install medium presents itself with a visible autorun file; a worm hides its own.
  if (IsAutorunFile(entry)) return visible ? TShownAs::Content : TShownAs::Nothing;
  if (IsRecycleBinName(entry)) return TShownAs::RecycleBin;
  if (!visible || HasUnseenName(entry)) return TShownAs::Hidden;
  if (!(entry.attributes & kAttrDirectory) && IsLauncherExtension(ExtensionPart(ShownName(entry.name)))) {
    return TShownAs::Launcher;
  }
  return TShownAs::Content;
}

TClassicPairs::TClassicPairs(const std::vector<FindData>& entries) {
  for (const FindData& entry : entries) {
    if ((entry.attributes & kAttrDirectory) && (entry.attributes & (kAttrHidden | kAttrSystem))) {
      FPrograms.insert(ToLower(entry.name + L".exe"));
    }
  }
}

// The same test as rule 5's: the exact ".exe" extension, letter case folded.
bool TClassicPairs::Covers(const FindData& entry) const {
  return !(entry.attributes & kAttrDirectory) && AsciiLower(ExtensionPart(entry.name)) == L".exe" &&
         FPrograms.count(ToLower(entry.name)) != 0;
}

bool CanReport(const TFolderView& folder, const FindData& entry, TTraceContext& context) {
  bool usable = entry.name.find_first_of(L"\\/") == std::wstring::npos;
  // Wine turns each byte that is not UTF-8 into U+FFFD: two entries may then share a
  // name, and neither can be told from the other.
  if (usable && entry.name.find(L'\xFFFD') != std::wstring::npos) {
    int same = 0;
    for (const FindData& other : folder.entries) same += other.name == entry.name;
    usable = same <= 1;
  }
  if (!usable) context.ScanError(folder.path + entry.name, ScanErrorKind::UnreachableName);
  return usable;
}

}  // namespace dw
