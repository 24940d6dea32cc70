// Shortcuts that hand a file of the drive to cmd, wscript, rundll32 and the like.
// Their target is a genuine program of the PC, so the classic shortcut rule sees
// nothing: what runs is only named in the arguments, or kept out of sight by
// padding or a minimised window.
#include <algorithm>

#include "common/Text.h"
#include "engine/traces/InterpreterArgs.h"
#include "engine/traces/TraceRule.h"
#include "platform/PathRules.h"
#include "platform/lnk.h"

namespace dw {

namespace {

// The Properties dialog shows at most this many characters of the arguments.
constexpr size_t kShownArgumentChars = 259;
// A user puts one blank between words, two by mistake; ten in a row already push
// the rest of the line out of the Target field's sight, and the known samples pad
// with hundreds.
constexpr size_t kPaddingRun = 10;

// What cmd tries after a bare command name, PATHEXT as Windows sets it.
constexpr std::wstring_view kPathExt[] = {L".com", L".exe", L".bat", L".cmd", L".vbs", L".vbe",
                                          L".js",  L".jse", L".wsf", L".wsh", L".msc"};

// Files that Windows runs rather than shows when they are opened: programs,
// scripts, installers, control panel items, other shortcuts, consoles, compiled
// help (which runs script) and registry files.
constexpr std::wstring_view kRunnable[] = {
    L".exe", L".com", L".scr", L".pif", L".bat", L".cmd", L".vbs",  L".vbe",         L".js",       L".jse",
    L".wsf", L".wsh", L".wsc", L".sct", L".hta", L".ps1", L".psm1", L".msi",         L".msp",      L".cpl",
    L".lnk", L".url", L".scf", L".jar", L".msc", L".chm", L".reg",  L".application", L".appref-ms"};

bool IsRunnable(const std::wstring& name) {
  const std::wstring extension = AsciiLower(ExtensionPart(name));
  return std::find(std::begin(kRunnable), std::end(kRunnable), extension) != std::end(kRunnable);
}

// A window the user does not see: minimised (SW_SHOWMINNOACTIVE, which the dialog
// offers as "Minimized"; SW_SHOWMINIMIZED, SW_MINIMIZE and SW_FORCEMINIMIZE, which
// only a crafted file holds) or hidden (SW_HIDE). The Shell hands the stored value
// to the program it starts.
bool StartsUnseen(uint32_t show) { return show == 0 || show == 2 || show == 6 || show == 7 || show == 11; }

bool IsPaddingChar(wchar_t c) { return c == L' ' || (c >= 0x09 && c <= 0x0D) || c == 0xA0; }

bool IsPadded(std::wstring_view arguments) {
  if (arguments.size() > kShownArgumentChars) return true;
  size_t run = 0;
  for (wchar_t c : arguments) {
    run = IsPaddingChar(c) ? run + 1 : 0;
    if (run >= kPaddingRun) return true;
  }
  return false;
}

// A name that shows as nothing: blanks, no-break spaces and the other characters
// that print blank or not at all.
bool LooksBlank(std::wstring_view name) {
  auto blank = [](wchar_t c) {
    return c == L' ' || (c >= 0x09 && c <= 0x0D) || c == 0xA0 || c == 0x115F || c == 0x1160 || c == 0x1680 ||
           c == 0x180E || (c >= 0x2000 && c <= 0x200F) || (c >= 0x2028 && c <= 0x202F) ||
           (c >= 0x205F && c <= 0x206F) || c == 0x2800 || c == 0x3000 || c == 0x3164 || c == 0xFEFF || c == 0xFFA0;
  };
  return !name.empty() && std::all_of(name.begin(), name.end(), blank);
}

// Every target the file records. Windows picks one by the flags and by what
// exists, and a crafted file makes them disagree: any of them naming an
// interpreter is enough.
std::vector<TInterpreter> InterpretersOf(const TShellLinkFile& link) {
  const std::wstring targets[] = {link.LocalTargetPath(), link.NetworkTargetPath(), link.EnvironmentTarget,
                                  link.IdListPath, link.RelativePath};
  std::vector<TInterpreter> found;
  for (const std::wstring& target : targets) {
    std::optional<TInterpreter> interpreter = target.empty() ? std::nullopt : InterpreterNamed(target);
    if (!interpreter) continue;
    bool known =
        std::any_of(found.begin(), found.end(), [&](const TInterpreter& i) { return i.kind == interpreter->kind; });
    if (!known) found.push_back(*interpreter);
  }
  return found;
}

// The item that a shortcut poses as, which the worm opens after starting itself so
// that all looks as before: "Report.docx.lnk" or "Report.lnk" for Report.docx.
bool IsNamedLikeShortcut(const std::wstring& file, const std::wstring& shortcut) {
  const std::wstring stem = shortcut.substr(0, shortcut.size() - 4);
  const std::wstring extension = ExtensionPart(file);
  return EqualsNoCase(file, stem) ||
         (!extension.empty() && EqualsNoCase(std::wstring_view(file).substr(0, file.size() - extension.size()), stem));
}

// Where a name of the arguments may lie on the drive.
class TPlaces {
 public:
  TPlaces(const std::wstring& root, const std::wstring& folder, const std::wstring& workingDir)
      : FRoot(root), FDrives(Vol().LogicalDrives()), FBases{folder, root} {
    // The folder the interpreter starts in comes first, then the shortcut's own, then the root.
    std::vector<std::wstring> bases = workingDir.empty() ? std::vector<std::wstring>{} : PathsOf(workingDir);
    for (std::wstring& base : bases) base = IncludeTrailingBackslash(base);
    bases.push_back(folder);
    bases.push_back(root);
    FBases.clear();
    for (std::wstring& base : bases) {
      if (std::none_of(FBases.begin(), FBases.end(), [&](const std::wstring& b) { return EqualsNoCase(b, base); })) {
        FBases.push_back(std::move(base));
      }
    }
  }

  // The full paths on this drive that text may name; none when it names nothing here.
  std::vector<std::wstring> PathsOf(std::wstring_view text) const {
    std::wstring name(text);
    if (IsLiteralPath(name)) name = PlainPath(name);
    if (name.size() >= 4 && EqualsNoCase(std::wstring_view(name).substr(0, 4), L"%cd%")) {
      name.erase(0, name.size() > 4 && (name[4] == L'\\' || name[4] == L'/') ? 5 : 4);
      if (name.empty()) return {};
    }
    // A share, a device, a wildcard, a stream or an address is no entry of this drive.
    if (name.size() >= 2 && (name[0] == L'\\' || name[0] == L'/') && (name[1] == L'\\' || name[1] == L'/')) return {};
    if (name.find_first_of(L"*?<>|\"") != std::wstring::npos) return {};
    bool rooted = false;
    if (HasDriveLetter(name)) {
      // The drive's own letter, or one that is no drive of this PC: the stick had it
      // on the PC that wrote the shortcut.
      if (!EqualsNoCase(name.substr(0, 1), FRoot.substr(0, 1)) && IsKnownDrive(name[0], FDrives)) return {};
      name.erase(0, 2);
      rooted = !name.empty() && (name[0] == L'\\' || name[0] == L'/');
    }
    if (name.empty() || name.find(L':') != std::wstring::npos) return {};
    rooted = rooted || name[0] == L'\\' || name[0] == L'/';
    std::vector<std::wstring> paths;
    for (const std::wstring& base : rooted ? std::vector<std::wstring>{FRoot} : FBases) {
      std::wstring full = Fs().FullPath(name, base);
      if (full.size() < FRoot.size() || !EqualsNoCase(std::wstring_view(full).substr(0, FRoot.size()), FRoot)) continue;
      full.replace(0, FRoot.size(), FRoot);
      if (std::none_of(paths.begin(), paths.end(), [&](const std::wstring& p) { return EqualsNoCase(p, full); })) {
        paths.push_back(std::move(full));
      }
    }
    return paths;
  }

 private:
  std::wstring FRoot;
  uint32_t FDrives;
  std::vector<std::wstring> FBases;
};

// Whether the entry, or a folder on its way, is hidden or system, or a name on its
// way shows as nothing: the user cannot see what the shortcut hands over.
bool OutOfSight(const DriveEntry& entry, const std::wstring& root) {
  if (entry.data.attributes & (kAttrHidden | kAttrSystem)) return true;
  const std::wstring plain = PlainPath(entry.path);
  size_t start = root.size();
  while (start < plain.size()) {
    size_t end = std::min(plain.find(L'\\', start), plain.size());
    if (LooksBlank(std::wstring_view(plain).substr(start, end - start))) return true;
    if (end < plain.size()) {
      // No link on the way: the drive's look-up has just checked each folder.
      std::optional<FindData> folder = Fs().Entry(LiteralPath(plain.substr(0, end)));
      if (folder && (folder->attributes & (kAttrHidden | kAttrSystem))) return true;
    }
    start = end + 1;
  }
  return false;
}

struct TPayload {
  std::wstring path;
  bool posing;  // named like the shortcut: the user's item it poses as
};

struct TReach {
  bool named = false;       // some name is an entry of the drive
  bool outOfSight = false;  // and one is hidden, or lies where the user cannot see
  std::vector<TPayload> payloads;
};

class TInterpreterShortcutRule : public ITraceRule {
 public:
  void Inspect(const TFolderView& folder, TTraceContext& context) override {
    std::vector<const FindData*> shortcuts;
    for (const FindData& entry : folder.entries) {
      if (entry.attributes & (kAttrHidden | kAttrDirectory)) continue;
      if (AsciiLower(ExtensionPart(entry.name)) != L".lnk") continue;
      if (entry.name.find_first_of(L"\\/") != std::wstring::npos) {
        // Such a name leads elsewhere; the classic rules say so for the root.
        if (!folder.isRoot) context.ScanError(folder.path + entry.name, ScanErrorKind::UnreachableName);
        continue;
      }
      shortcuts.push_back(&entry);
    }
    // Where several shortcuts hand over one file, the first by name reports it,
    // whatever order the file system lists them in.
    std::sort(shortcuts.begin(), shortcuts.end(),
              [](const FindData* a, const FindData* b) { return CompareNoCase(a->name, b->name) < 0; });
    for (const FindData* entry : shortcuts) {
      if (!context.GoOn()) return;
      InspectShortcut(folder, entry->name, context);
    }
  }

 private:
  void InspectShortcut(const TFolderView& view, const std::wstring& name, TTraceContext& context) {
    const std::wstring& folder = view.path;
    const std::wstring path = EntryPath(folder, name);
    // On the root the classic shortcut rule has read it first; a read error is
    // reported once per drive scan whoever meets it.
    std::optional<TShellLinkFile> link = context.Shortcut(path);
    if (!link) return;
    const std::vector<TInterpreter> interpreters = InterpretersOf(*link);
    if (interpreters.empty()) return;
    std::vector<TInterpreterKind> kinds;
    for (const TInterpreter& interpreter : interpreters) kinds.push_back(interpreter.kind);
    const TArgumentReading reading = ReadInterpreterArguments(kinds, link->Arguments);

    const TReach reach = Follow(reading, TPlaces(context.Root(), folder, link->WorkingDir), name, context);
    if (!context.GoOn()) return;

    const bool onlyExplorer = std::all_of(kinds.begin(), kinds.end(),
                                          [](TInterpreterKind kind) { return kind == TInterpreterKind::Explorer; });
    const bool concealed =
        !onlyExplorer && (IsPadded(link->Arguments) || StartsUnseen(link->ShowCommand) || reading.hiddenWindow);
    if (reading.cut) context.ScanError(path, ScanErrorKind::TooLarge);
    const Why why = reach.outOfSight ? Why::InterpreterOnHidden
                    : reach.named    ? Why::InterpreterOnDrive
                    : concealed      ? Why::InterpreterConcealed
                                     : Why::None;
    if (why == Why::None) return;
    context.Report(path, Threat, {why, interpreters.front().name});

    // The item the shortcut poses as is the user's, unless it is all the shortcut runs.
    const bool worm =
        std::any_of(reach.payloads.begin(), reach.payloads.end(), [](const TPayload& p) { return !p.posing; });
    for (const TPayload& payload : reach.payloads) {
      if (worm && payload.posing) continue;
      context.Report(payload.path, Suspicious, {Why::InterpreterPayload, name});
    }
  }

  // The entries of the drive that the names of the arguments reach.
  static TReach Follow(const TArgumentReading& reading, const TPlaces& places, const std::wstring& shortcut,
                       const TTraceContext& context) {
    TReach reach;
    auto reached = [&](const DriveEntry& entry) {
      reach.named = true;
      reach.outOfSight = reach.outOfSight || OutOfSight(entry, context.Root());
    };
    for (const THandedName& handed : reading.names) {
      if (!context.GoOn()) break;
      const DriveEntry found = Locate(handed.text, places, context);
      const bool isFile = found.place == EntryPlace::OnDrive && !(found.data.attributes & kAttrDirectory);
      const bool runnable = isFile && IsRunnable(found.data.name);
      if (found.place == EntryPlace::OffDrive && handed.how != THandover::RunOnly) {
        reach.named = true;  // through a link: the shortcut counts, what lies behind is off the drive
      } else if (found.place == EntryPlace::OnDrive && (runnable || handed.how != THandover::RunOnly)) {
        reached(found);
        if (runnable || (isFile && handed.how == THandover::Code)) {
          bool posing = handed.how != THandover::Code && IsNamedLikeShortcut(found.data.name, shortcut);
          reach.payloads.push_back({found.path, posing});
        }
      }
      // cmd finds "setup" as setup.exe or setup.bat, even beside a folder "setup".
      if (handed.how != THandover::Command || isFile || !ExtensionPart(FileNamePart(handed.text)).empty()) continue;
      for (std::wstring_view extension : kPathExt) {
        const DriveEntry program = Locate(handed.text + std::wstring(extension), places, context);
        if (program.place != EntryPlace::OnDrive || (program.data.attributes & kAttrDirectory)) continue;
        reached(program);
        reach.payloads.push_back({program.path, IsNamedLikeShortcut(program.data.name, shortcut)});
        break;
      }
    }
    return reach;
  }

  // The entry of the drive that text names, looked for where the interpreter would
  // look; through a link it is off the drive.
  static DriveEntry Locate(const std::wstring& text, const TPlaces& places, const TTraceContext& context) {
    DriveEntry result;
    for (const std::wstring& path : places.PathsOf(text)) {
      if (EqualsNoCase(path, context.Root())) {
        result.place = EntryPlace::OnDrive;
        result.path = context.Root();
        result.data.attributes = kAttrDirectory;
        return result;
      }
      DriveEntry entry = context.Resolve(path);
      if (entry.place == EntryPlace::OnDrive) return entry;
      if (entry.place == EntryPlace::OffDrive) result.place = EntryPlace::OffDrive;
    }
    return result;
  }
};

}  // namespace

std::unique_ptr<ITraceRule> MakeInterpreterShortcutRule() { return std::make_unique<TInterpreterShortcutRule>(); }

}  // namespace dw
