#include "engine/rules.h"

#include <unordered_set>
#include <vector>

#include "common/Text.h"
#include "engine/disposal.h"
#include "engine/quarantine.h"
#include "engine/scanthread.h"
#include "platform/Platform.h"
#include "platform/lnk.h"
#include "state/SharedState.h"

namespace dw {

const wchar_t* const AutorunTargetExtensions = L".exe .bat .vb .js .com .dll .cmd .pif";
const wchar_t* const SuspiciousExtensions =
    L".exe .bat .vb .js .com .dll .cmd .pif .scr .vba .vbs .vbe .vbscript .ws .jse .rgs .cpl .lnk";

namespace {

bool ExistsAsFile(const std::wstring& path) {
  uint32_t attributes = Fs().Attributes(path);
  return attributes != kInvalidAttributes && !(attributes & kAttrDirectory);
}

bool IsHiddenOrSystem(uint32_t attributes) { return attributes & (kAttrHidden | kAttrSystem); }

// The program named by an autorun value: the text up to its first blank, made
// absolute against the autorun file's folder.
std::wstring AutorunTarget(const std::wstring& value, const std::wstring& folder) {
  std::wstring target = value.substr(0, value.find_first_of(L" \t"));
  return Fs().FullPath(target, folder);
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
    ReportFinding(scan, path, Threat, drive);
    return count + 1;
  }
  const std::wstring setAside = path + L".ren";
  bool gone = Fs().Move(path, setAside) || RemoveKeepingCopy(path);
  // Report what is really on the drive: the set-aside file, or the original when it stayed.
  ReportFinding(scan, gone ? setAside : path, Threat, drive);
  return count + 1;
}

}  // namespace

bool ExtensionMatches(std::wstring_view fileName, std::wstring_view list) {
  std::wstring extension = AsciiLower(ExtensionPart(fileName));
  return !extension.empty() && list.find(extension) != std::wstring_view::npos;
}

std::wstring DriveRootOf(const std::wstring& fullPath) {
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
  const std::wstring folder = path.substr(0, path.find_last_of(L'\\') + 1);
  int count = 0;
  auto check = [&](const wchar_t* key, bool needsProgramExtension) {
    std::wstring value = Profiles().ReadString(path, L"autorun", key, L"", 2048);
    if (value.empty()) return;
    std::wstring full = AutorunTarget(value, folder);
    // Letter case counts here: the root is held in lower case.
    if (DriveRootOf(full) != drive->root || !ExistsAsFile(full)) return;
    if (needsProgramExtension && !ExtensionMatches(full, AutorunTargetExtensions)) return;
    ReportFinding(scan, full, Threat, drive);
    ++count;
  };
  check(L"open", false);
  check(L"shellexecute", true);
  return count;
}

int CheckSuspiciousFiles(TScanThread& scan, const std::wstring& folder, const PdiskInfo& drive) {
  int count = 0;
  Fs().Find(folder + L"*", [&](const FindData& entry) {
    if (State().StopRequested.load()) return false;
    bool hiddenSystem = (entry.attributes & kAttrHidden) && (entry.attributes & kAttrSystem);
    if (!(entry.attributes & kAttrDirectory) && hiddenSystem && ExtensionMatches(entry.name, SuspiciousExtensions)) {
      ReportFinding(scan, folder + entry.name, Suspicious, drive);
      ++count;
    }
    return !scan.Terminated();
  });
  return count;
}

int CheckShortcuts(TScanThread& scan, const std::wstring& folder, const PdiskInfo& drive) {
  int count = 0;
  Fs().Find(folder + L"*.lnk", [&](const FindData& entry) {
    if (State().StopRequested.load()) return false;
    if (!(entry.attributes & kAttrHidden) && AsciiLower(ExtensionPart(entry.name)) == L".lnk") {
      std::wstring target;
      try {
        target = ReadShellLink(folder + entry.name).PathName;
      } catch (const std::exception&) {
        // An unreadable shortcut leads nowhere; the scan goes on with the next one.
      }
      uint32_t attributes = target.empty() ? kInvalidAttributes : Fs().Attributes(target);
      if (attributes != kInvalidAttributes && IsHiddenOrSystem(attributes)) {
        ReportFinding(scan, folder + entry.name, Suspicious, drive);
        // A lure may point anywhere; only what lies on this drive may be disposed of.
        if (EqualsNoCase(DriveRootOf(target), drive->root)) ReportFinding(scan, target, Suspicious, drive);
        ++count;
      }
    }
    return !scan.Terminated();
  });
  return count;
}

int WalkFolders(TScanThread& scan, const std::wstring& folder, const PdiskInfo& drive, bool recurse) {
  int sum = 0;
  if (folder == drive->root) sum += CheckSuspiciousFiles(scan, folder, drive) + CheckShortcuts(scan, folder, drive);

  // One listing tells both which folders there are and which programs stand beside them.
  std::vector<FindData> folders;
  std::unordered_set<std::wstring> programs;
  Fs().Find(folder + L"*", [&](const FindData& entry) {
    if (entry.attributes & kAttrDirectory) {
      if (entry.name != L"." && entry.name != L"..") folders.push_back(entry);
    } else if (AsciiLower(ExtensionPart(entry.name)) == L".exe") {
      programs.insert(ToLower(entry.name));
    }
    return true;
  });
  scan.FFoldersWalked.fetch_add(1, std::memory_order_relaxed);

  for (const FindData& entry : folders) {
    if (IsHiddenOrSystem(entry.attributes) && programs.count(ToLower(entry.name + L".exe"))) {
      ReportFinding(scan, folder + entry.name + L".exe", Suspicious, drive);
      ++sum;
    }
    // A junction or link may lead off the drive or into a loop: never follow one.
    if (recurse && !(entry.attributes & kAttrReparsePoint)) {
      sum += WalkFolders(scan, folder + entry.name + L"\\", drive, recurse);
    }
    if (scan.Terminated()) break;
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
