#include "engine/rules.h"

#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "common/Text.h"
#include "engine/disposal.h"
#include "engine/drivepath.h"
#include "engine/quarantine.h"
#include "engine/scanthread.h"
#include "engine/traces/AutorunVerbs.h"
#include "platform/PathRules.h"
#include "platform/Platform.h"
#include "platform/ProfileFile.h"
#include "platform/lnk.h"
#include "platform/usbdeviceUtils.h"
#include "state/SharedState.h"

namespace dw {

const wchar_t* const AutorunTargetExtensions = L".exe .bat .vb .js .com .dll .cmd .pif";
const wchar_t* const SuspiciousExtensions =
    L".exe .bat .vb .js .com .dll .cmd .pif .scr .vba .vbs .vbe .vbscript .ws .jse .rgs .cpl .lnk";

namespace {

// What Windows reads of an autorun file is a few kilobytes per key; a file of many
// megabytes, or one that never ends, is read no further than this.
constexpr size_t kMaxAutorunBytes = 1024 * 1024;

// Error codes that say the drive itself failed, not one folder of it.
constexpr uint32_t kDriveFailureErrors[] = {kErrorNotReady,
                                            15 /* ERROR_INVALID_DRIVE */,
                                            23 /* ERROR_CRC */,
                                            31 /* ERROR_GEN_FAILURE */,
                                            55 /* ERROR_DEV_NOT_EXIST */,
                                            1117 /* ERROR_IO_DEVICE */,
                                            1167 /* ERROR_DEVICE_NOT_CONNECTED */};

bool ExistsAsFile(const std::wstring& path) {
  uint32_t attributes = Fs().Attributes(path);
  return attributes != kInvalidAttributes && !(attributes & kAttrDirectory);
}

bool IsHiddenOrSystem(uint32_t attributes) { return attributes & (kAttrHidden | kAttrSystem); }

// The program named by an open or shellexecute value: the text up to its first blank.
std::wstring FirstWord(const std::wstring& value) { return value.substr(0, value.find_first_of(L" \t")); }

// Whether folder + name reaches the entry that folder listed under name. A name
// with a separator in it would lead elsewhere; a name that a lossy conversion made
// (Wine turns each byte that is not UTF-8 into U+FFFD) can be shared by two entries,
// and then neither can be told from the other. Either is a part of the drive the
// scan cannot deal with: it says so rather than act on another file.
class TReachableNames {
 public:
  TReachableNames(TScanThread& scan, const std::wstring& folder) : FScan(scan), FFolder(folder) {}

  bool Check(const std::wstring& name) {
    bool usable = name.find_first_of(L"\\/") == std::wstring::npos;
    if (usable && name.find(L'\xFFFD') != std::wstring::npos) usable = LossyCounts()[name] <= 1;
    if (!usable) ReportScanError(FScan, FFolder + name, ScanErrorKind::UnreachableName);
    return usable;
  }

 private:
  // The folder is listed again only when such a name turns up, and then once.
  std::unordered_map<std::wstring, int>& LossyCounts() {
    if (!FLossy) {
      FLossy.emplace();
      Fs().Find(FFolder + L"*", [&](const FindData& entry) {
        if (entry.name.find(L'\xFFFD') != std::wstring::npos) ++(*FLossy)[entry.name];
        return true;
      });
    }
    return *FLossy;
  }

  TScanThread& FScan;
  const std::wstring& FFolder;
  std::optional<std::unordered_map<std::wstring, int>> FLossy;
};

// After a folder could not be listed: an empty root lists nothing, and a folder
// that vanished or is refused ends its branch quietly; but a drive that went away
// or failed ends its scan, which must then not say the drive is clean.
void CheckDriveAfterFailedListing(TScanThread& scan, const PdiskInfo& drive) {
  uint32_t error = Fs().LastError();
  bool failed = false;
  for (uint32_t code : kDriveFailureErrors) failed = failed || error == code;
  if (!failed && IsDriveReady(drive->root) && Fs().Attributes(drive->root) != kInvalidAttributes) return;
  ReportScanError(scan, drive->root, ScanErrorKind::DriveGone);
  scan.FCutShort = true;
}

bool GoOn(TScanThread& scan) { return !scan.Terminated() && !scan.FCutShort; }

// Rule 5 for one hidden or system folder: the program beside it, under the name
// the folder lists it by. Where letter case tells several apart (a Unix file
// system), the exact name wins, and a choice between others is not made.
int CheckProgramBeside(TScanThread& scan, const std::wstring& folder, const std::wstring& folderName,
                       const std::vector<std::wstring>& candidates, TReachableNames& names, const PdiskInfo& drive) {
  if (candidates.empty()) return 0;
  const std::wstring exact = folderName + L".exe";
  std::wstring name = candidates.front();
  for (const std::wstring& candidate : candidates) {
    if (candidate == exact) name = exact;
  }
  if (name != exact && candidates.size() > 1) {
    ReportScanError(scan, folder + exact, ScanErrorKind::UnreachableName);
    return 0;
  }
  if (!names.Check(name)) return 0;
  ReportFinding(scan, EntryPath(folder, name), Suspicious, drive, {Why::ProgramBesideFolder, folderName});
  return 1;
}

// An autorun file that cannot be set aside by renaming is deleted, but only once a
// copy of it is safe in the quarantine: nothing leaves the drive without one.
bool RemoveKeepingCopy(const std::wstring& path) {
  if (CopyToQuarantine(path) != 0) return false;
  return ForceDelete(path);
}

int CheckOneAutorunFile(TScanThread& scan, const PdiskInfo& drive, const std::wstring& name) {
  const std::wstring path = drive->root + name;
  if (!ExistsAsFile(path)) return 0;
  int count = AnalyseAutorunFile(scan, path, drive);
  if (scan.FDryRun) {
    ReportFinding(scan, path, Threat, drive, {Why::AutorunFile, {}});
    return count + 1;
  }
  const std::wstring setAside = path + L".ren";
  bool gone = Fs().Move(path, setAside) || RemoveKeepingCopy(path);
  // Report what is really on the drive: the set-aside file, or the original when it stayed.
  ReportFinding(scan, gone ? setAside : path, Threat, drive, {Why::AutorunFile, {}});
  return count + 1;
}

}  // namespace

bool ExtensionMatches(std::wstring_view fileName, std::wstring_view list) {
  std::wstring extension = AsciiLower(ExtensionPart(fileName));
  return !extension.empty() && list.find(extension) != std::wstring_view::npos;
}

std::wstring DriveRootOf(const std::wstring& path) {
  const std::wstring fullPath = PlainPath(path);
  if (fullPath.size() >= 2 && fullPath[1] == L':') return fullPath.substr(0, 2) + L"\\";
  if (fullPath.rfind(L"\\\\", 0) == 0) {
    size_t server = fullPath.find(L'\\', 2);
    if (server == std::wstring::npos) return fullPath + L"\\";
    size_t share = fullPath.find(L'\\', server + 1);
    return fullPath.substr(0, share) + L"\\";
  }
  return L"";
}

int CheckAutorunFiles(TScanThread& scan, const PdiskInfo& drive) {
  return CheckOneAutorunFile(scan, drive, L"autorun.inf") + CheckOneAutorunFile(scan, drive, L"autorun.ini");
}

int AnalyseAutorunFile(TScanThread& scan, const std::wstring& path, const PdiskInfo& drive) {
  std::optional<FileStart> file = Fs().ReadRegular(path, kMaxAutorunBytes);
  if (!file) {
    ReportScanError(scan, path, ReadErrorKind(Fs().LastError()));
    return 0;
  }
  // What the start of the file names is still found, but keys further on are not
  // seen, so the drive is not called clean.
  if (!file->complete) ReportScanError(scan, path, ScanErrorKind::TooLarge);
  const std::wstring folder = path.substr(0, path.find_last_of(L'\\') + 1);
  int count = 0;
  std::unordered_set<std::wstring> reported;
  auto check = [&](const std::wstring& program, bool needsProgramExtension) {
    if (program.empty()) return;
    std::wstring full = Fs().FullPath(program, folder);
    // Letter case counts here: the root is held in lower case.
    if (DriveRootOf(full) != drive->root) return;
    // The text is not enough: a folder on the way may be a link that leads off the
    // drive, and the entry's stored name is the one to report and dispose of.
    DriveEntry target = ResolveOnDrive(full, drive->root);
    if (target.place != EntryPlace::OnDrive || (target.data.attributes & kAttrDirectory)) return;
    if (needsProgramExtension && !ExtensionMatches(target.data.name, AutorunTargetExtensions)) return;
    // Several keys may start one program: one finding.
    if (!reported.insert(ToLower(target.path)).second) return;
    ReportFinding(scan, target.path, Threat, drive, {Why::AutorunTarget, {}});
    ++count;
  };
  check(FirstWord(ProfileString(file->bytes, L"autorun", L"open", L"", 2048)), false);
  check(FirstWord(ProfileString(file->bytes, L"autorun", L"shellexecute", L"", 2048)), true);
  for (const std::wstring& command : AutorunVerbCommands(file->bytes)) check(CommandProgram(command), false);
  return count;
}

int CheckSuspiciousFiles(TScanThread& scan, const std::wstring& folder, const PdiskInfo& drive) {
  int count = 0;
  TReachableNames names(scan, folder);
  Fs().Find(folder + L"*", [&](const FindData& entry) {
    if (State().StopRequested.load()) return false;
    bool hiddenSystem = (entry.attributes & kAttrHidden) && (entry.attributes & kAttrSystem);
    if (!(entry.attributes & kAttrDirectory) && hiddenSystem && ExtensionMatches(entry.name, SuspiciousExtensions) &&
        names.Check(entry.name)) {
      ReportFinding(scan, EntryPath(folder, entry.name), Suspicious, drive, {Why::HiddenSystemProgram, {}});
      ++count;
    }
    return GoOn(scan);
  });
  return count;
}

int CheckShortcuts(TScanThread& scan, const std::wstring& folder, const PdiskInfo& drive) {
  int count = 0;
  TReachableNames names(scan, folder);
  Fs().Find(folder + L"*.lnk", [&](const FindData& entry) {
    if (State().StopRequested.load()) return false;
    // A folder named like a shortcut is none.
    if (!(entry.attributes & (kAttrHidden | kAttrDirectory)) && AsciiLower(ExtensionPart(entry.name)) == L".lnk" &&
        names.Check(entry.name)) {
      const std::wstring shortcut = EntryPath(folder, entry.name);
      std::wstring target;
      try {
        target = ReadShellLink(shortcut).PathName;
      } catch (const ShellLinkReadError& error) {
        ReportScanError(scan, shortcut, ShortcutErrorKind(error.reason()));
      } catch (const std::exception&) {
        // A malformed shortcut leads nowhere; the scan goes on with the next one.
      }
      uint32_t attributes = target.empty() ? kInvalidAttributes : Fs().Attributes(target);
      if (attributes != kInvalidAttributes && IsHiddenOrSystem(attributes)) {
        const TFindingWhy why{Why::ShortcutToHidden, FileNamePart(target)};
        ReportFinding(scan, shortcut, Suspicious, drive, why);
        // A lure may point anywhere; only what lies on this drive, through no link
        // or junction, may be disposed of.
        const std::wstring targetRoot = DriveRootOf(target);
        if (EqualsNoCase(targetRoot, drive->root)) {
          // The root as the shortcut spells it, each name below it as stored.
          DriveEntry onDrive = ResolveOnDrive(Fs().FullPath(target, L""), targetRoot);
          if (onDrive.place == EntryPlace::OnDrive) {
            ReportFinding(scan, onDrive.path, Suspicious, drive, {Why::ShortcutTarget, entry.name});
          }
        }
        ++count;
      }
    }
    return GoOn(scan);
  });
  return count;
}

int WalkFolders(TScanThread& scan, const std::wstring& folder, const PdiskInfo& drive, bool recurse,
                const FolderVisit& visit) {
  int sum = 0;
  if (folder == drive->root) sum += CheckSuspiciousFiles(scan, folder, drive) + CheckShortcuts(scan, folder, drive);
  if (scan.FCutShort) return sum;

  // One listing tells both which folders there are and which programs stand beside them.
  std::vector<FindData> entries;
  std::vector<FindData> folders;
  std::unordered_map<std::wstring, std::vector<std::wstring>> programs;  // by lower-case name
  bool listed = Fs().List(folder, [&](const FindData& entry) {
    if (visit) entries.push_back(entry);
    if (entry.attributes & kAttrDirectory) {
      folders.push_back(entry);
    } else if (AsciiLower(ExtensionPart(entry.name)) == L".exe") {
      programs[ToLower(entry.name)].push_back(entry.name);
    }
    return true;
  });
  if (!listed) CheckDriveAfterFailedListing(scan, drive);
  scan.FFoldersWalked.fetch_add(1, std::memory_order_relaxed);

  TReachableNames names(scan, folder);
  for (const FindData& entry : folders) {
    if (!GoOn(scan)) break;
    if (IsHiddenOrSystem(entry.attributes)) {
      auto it = programs.find(ToLower(entry.name + L".exe"));
      if (it != programs.end()) sum += CheckProgramBeside(scan, folder, entry.name, it->second, names, drive);
    }
  }
  if (visit && listed && GoOn(scan)) visit(folder, entries);
  for (const FindData& entry : folders) {
    if (!GoOn(scan)) break;
    // A junction or link may lead off the drive or into a loop: never follow one.
    if (recurse && !(entry.attributes & kAttrReparsePoint)) {
      sum += WalkFolders(scan, EntryPath(folder, entry.name) + L"\\", drive, recurse, visit);
    }
    if (!GoOn(scan)) break;
  }
  return sum;
}

void ExcludeDrive(const std::wstring& root) {
  if (!FileNamePart(root).empty()) return;
  if (ExistsAsFile(root + L"autorun.inf.ren")) {
    Fs().Move(root + L"autorun.inf.ren", root + L"autorun.inf");
  } else if (ExistsAsFile(root + L"autorun.ini.ren")) {
    Fs().Move(root + L"autorun.ini.ren", root + L"autorun.ini");
  }
  State().ExcludedDrives.Add(root);
}

}  // namespace dw
