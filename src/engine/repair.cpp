#include "engine/repair.h"

#include <set>
#include <vector>

#include "common/Text.h"
#include "engine/disposal.h"
#include "engine/drivepath.h"
#include "engine/tools.h"
#include "engine/traces/InterpreterArgs.h"
#include "engine/traces/Launchers.h"
#include "engine/traces/NameChars.h"
#include "loc/LangLocStrings.h"
#include "platform/Caught.h"
#include "platform/ComApartment.h"
#include "platform/Platform.h"
#include "platform/ShellLinkFormat.h"
#include "platform/lnk.h"
#include "platform/usbdeviceUtils.h"
#include "state/SharedState.h"

namespace dw {

namespace {

// A worm moves every file of the stick into its folder: thousands. Past this a
// listing is cut, reported failed, and a second run takes the rest.
constexpr size_t kMaxListed = 100000;
// PlugX nests two folders, HIUPAN fifteen; a deeper chain was made to tire us.
constexpr int kMaxChain = 32;
// "Report (2).docx" up to this number; past it the item stays where it is.
constexpr int kMaxNameNumber = 1000;

constexpr uint32_t kHiddenOrSystem = kAttrHidden | kAttrSystem;

bool HasAny(uint32_t attributes, uint32_t bits) { return (attributes & bits) != 0; }

bool HasAll(uint32_t attributes, uint32_t bits) { return (attributes & bits) == bits; }

// Entries that Windows, Office, macOS or this program keep hidden on purpose.
bool IsSystemsOwn(const FindData& entry) {
  const std::wstring& name = entry.name;
  if (NeverRepaired(name)) return true;
  if (IsBootManager(name)) return true;
  for (const wchar_t* own : {L"desktop.ini", L"Thumbs.db"}) {
    if (EqualsNoCase(name, own)) return true;
  }
  if (StartsWithNoCase(name, L"~$") || StartsWithNoCase(name, L".")) return true;
  return HasAny(entry.attributes, kAttrDirectory) && EqualsNoCase(name, L"AUTORUN.INF");
}

// Windows marks a folder read-only or system, never hidden, to dress it with its
// desktop.ini (a custom icon): taking system off would undress it.
bool IsDressedFolder(const std::wstring& path, uint32_t attributes) {
  if (!HasAny(attributes, kAttrDirectory) || HasAny(attributes, kAttrHidden)) return false;
  std::optional<FindData> ini = Fs().Entry(path + L"\\desktop.ini");
  return ini && !HasAny(ini->attributes, kAttrDirectory | kAttrReparsePoint);
}

// What a worm leaves in its folder besides the user's items: its folder's look,
// and an autorun file that would arm the root once moved there.
bool IsWormsLeftover(const FindData& entry) {
  if (HasAny(entry.attributes, kAttrDirectory)) return false;
  for (const wchar_t* name : {L"desktop.ini", L"autorun.inf", L"autorun.ini"}) {
    if (EqualsNoCase(entry.name, name)) return true;
  }
  return false;
}

// "Report (2).docx", "Photos (2)", ".profile (2)".
std::wstring NumberedName(const std::wstring& name, bool folder, int number) {
  const std::wstring suffix = L" (" + std::to_wstring(number) + L")";
  size_t dot = folder ? std::wstring::npos : name.rfind(L'.');
  if (dot == std::wstring::npos || dot == 0) return name + suffix;
  return name.substr(0, dot) + suffix + name.substr(dot);
}

class TRepairRun {
 public:
  TRepairRun(TScanThread& scan, const PdiskInfo& drive, bool dryRun, const RepairReport& report)
      : FScan(scan), FDrive(drive), FRoot(drive->root), FDryRun(dryRun), FReport(report) {}

  TRepairCounts Run() {
    // Without a scan the launchers would stay beside the files that come back.
    if (!Scannable()) return FCounts;
    std::vector<TScanSync> findings = ScanAndCollect();
    // The launchers go first: the user must not meet them again beside his files.
    for (const TScanSync& finding : findings) {
      if (Stopped()) return FCounts;
      Dispose(finding);
    }
    std::vector<std::wstring> hidingFolders = FindHidingFolders(!findings.empty());
    for (const std::wstring& folder : hidingFolders) {
      if (Stopped()) break;
      EmptyHidingFolder(folder);
    }
    // A stick on which nothing of a worm is left is the user's as he made it; a
    // repair pulled out half-way left the user's items hidden and system.
    if (!findings.empty() || !hidingFolders.empty() || FWormMarked) UnhideRoot();
    return FCounts;
  }

 private:
  bool Stopped() const { return FScan.Terminated(); }

  void Step(RepairAction action, const std::wstring& path, const std::wstring& to = {},
            const std::wstring& reason = {}) {
    switch (action) {
      case RepairAction::Quarantined: ++FCounts.quarantined; break;
      case RepairAction::Moved: ++FCounts.moved; break;
      case RepairAction::Unhidden: ++FCounts.unhidden; break;
      case RepairAction::Removed: ++FCounts.removed; break;
      case RepairAction::Kept: ++FCounts.kept; break;
      case RepairAction::Failed: ++FCounts.failed; break;
    }
    // The log records what was done to the drive; a dry run did nothing.
    if (!FDryRun) {
      std::wstring arg = path;
      if (!to.empty()) arg += L" -> " + to;
      if (!reason.empty()) arg += L" (" + reason + L")";
      const std::string_view word = RepairActionName(action);
      LogItem(L"repair/" + std::wstring(word.begin(), word.end()), arg);
    }
    if (FReport) FReport({action, path, to, reason});
  }

  bool Scannable() {
    const wchar_t* why = nullptr;
    if (FDrive->FileSysName.empty() || !IsDriveReady(FRoot)) {
      why = L"the drive cannot be read; nothing was done";
    } else if (State().ExcludedDrives.Contains(FRoot) || !State().ProtectionEnabled.load()) {
      why = L"the drive is excluded from scanning, or the protection is off; nothing was done";
    }
    if (why) Step(RepairAction::Failed, FRoot, {}, why);
    return why == nullptr;
  }

  std::vector<TScanSync> ScanAndCollect() {
    std::vector<TScanSync> findings;
    FScan.FFindings = &findings;
    FScan.FDryRun = FDryRun;
    ScanDrive(FScan, FDrive, true);
    FScan.FFindings = nullptr;
    AddStillListed(findings);
    // Two rules may report one file (a classic rule and one of today's, under the
    // other kind): it is dealt with once.
    std::set<std::wstring> seen;
    std::erase_if(findings, [&](const TScanSync& f) { return !seen.insert(ToLower(f.CurrMenace)).second; });
    if (FScan.FDriveErrors > 0) {
      // What the scan could not look at may hold more of the worm.
      Step(RepairAction::Failed, FRoot, {}, L"parts of the drive could not be scanned; their content is unchecked");
    }
    for (const TScanSync& finding : findings) {
      FFindingPaths.insert(ToLower(finding.CurrMenace));
      if (EqualsNoCase(ExtensionPart(finding.CurrMenace), L".lnk")) NoteOpenedFolders(finding.CurrMenace);
    }
    return findings;
  }

  // What an earlier scan of this drive listed and the user still sees: an autorun
  // file set aside then is no autorun file to this scan, nor is its program the one
  // it starts. The drive's own record holds them: another stick at the same letter
  // has a record of its own.
  void AddStillListed(std::vector<TScanSync>& findings) const {
    TSharedState& state = State();
    for (const auto& [listed, kind] : {std::pair{&FDrive->threat, Threat}, std::pair{&FDrive->Risk, Suspicious}}) {
      for (const std::wstring& path : listed->Snapshot()) {
        if (!state.ThreatList.Contains(path) && !state.RiskList.Contains(path)) continue;
        if (!StartsWithNoCase(path, FRoot) || !Fs().Entry(path)) continue;
        findings.push_back({path, kind, Ask, {}});
      }
    }
  }

  bool IsFinding(const std::wstring& path) const { return FFindingPaths.count(ToLower(path)) != 0; }

  // The root folders that a worm's shortcut opens after starting the worm: where
  // it moved the user's files ("start explorer _", "start \u00A0").
  void NoteOpenedFolders(const std::wstring& path) {
    std::optional<TShellLinkFile> link;
    try {
      link = ParseShellLink(ReadShortcutFile(path));
    } catch (const ShellLinkError&) {
      return;
    }
    if (!link) return;
    std::vector<TInterpreterKind> kinds;
    for (const std::wstring& target : {link->LocalTargetPath(), link->NetworkTargetPath(), link->EnvironmentTarget,
                                       link->IdListPath, link->RelativePath}) {
      if (target.empty()) continue;
      if (std::optional<TInterpreter> interpreter = InterpreterNamed(target)) kinds.push_back(interpreter->kind);
    }
    if (kinds.empty()) return;
    const std::wstring file = FileNamePart(path);
    const std::wstring shortcutStem = file.substr(0, file.size() - 4);
    for (const THandedName& handed : ReadInterpreterArguments(kinds, link->Arguments).names) {
      std::wstring name = handed.text;
      if (StartsWithNoCase(name, FRoot)) name = name.substr(FRoot.size());
      if (StartsWithNoCase(name, L".\\")) name = name.substr(2);
      // The first folder of the path: the one on the root.
      name = name.substr(0, name.find(L'\\'));
      if (name.empty()) continue;
      // "Photos.lnk" opening Photos poses as the user's folder, hidden in place: the
      // folder is his, not the worm's.
      if (EqualsNoCase(name, shortcutStem)) {
        FImpersonated.insert(ToLower(name));
      } else {
        FOpened.insert(ToLower(name));
      }
    }
  }

  void Dispose(const TScanSync& finding) {
    const std::wstring& path = finding.CurrMenace;
    std::optional<FindData> entry = Fs().Entry(path);
    // A folder is the user's hiding place, not a file to keep: it is emptied below.
    if (entry && HasAny(entry->attributes, kAttrDirectory)) {
      FFindingFolders.insert(ToLower(path));
      return;
    }
    if (FDryRun) {
      if (entry) Step(RepairAction::Quarantined, path);
      return;
    }
    Quarantine(path);
  }

  // True when the file is gone from the drive.
  bool Quarantine(const std::wstring& path) {
    if (FDryRun) {
      Step(RepairAction::Quarantined, path);
      return true;
    }
    switch (QuarantineFinding(path)) {
      case DisposeResult::Done: Step(RepairAction::Quarantined, path); return true;
      case DisposeResult::Missing: return true;  // taken by another run meanwhile
      case DisposeResult::CopyFailed:
        Step(RepairAction::Failed, path, {}, L"no verified copy could be kept in the quarantine; left in place");
        return false;
      case DisposeResult::DeleteFailed:
        Step(RepairAction::Failed, path, {}, L"copied to the quarantine, but it could not be deleted from the drive");
        return false;
    }
    return false;
  }

  // The entries of folder (ending with "\"); false when they could not all be listed.
  bool List(const std::wstring& folder, std::vector<FindData>& entries) {
    bool cut = false;
    bool listed = Fs().List(folder, [&](const FindData& entry) {
      if (entries.size() == kMaxListed) {
        cut = true;
        return false;
      }
      entries.push_back(entry);
      return true;
    });
    if (cut) {
      Step(RepairAction::Failed, folder, {}, L"too many entries to repair in one run; run the repair again");
      return false;
    }
    if (!listed) {
      uint32_t error = Fs().LastError();
      // An empty folder lists nothing on some systems.
      if (error == kErrorFileNotFound) return true;
      Step(RepairAction::Failed, folder, {}, L"could not be listed");
      return false;
    }
    return true;
  }

  std::vector<std::wstring> FindHidingFolders(bool infected) {
    std::vector<FindData> entries;
    std::vector<std::wstring> folders;
    if (!List(FRoot, entries)) return folders;
    std::vector<const FindData*> hiddenFolders;
    bool userItemShows = false;
    bool hiddenUserFile = false;
    for (const FindData& entry : entries) {
      const std::wstring path = EntryPath(FRoot, entry.name);
      // A link or junction may lead anywhere off the drive.
      if (HasAny(entry.attributes, kAttrReparsePoint) || IsFinding(path)) continue;
      const bool folder = HasAny(entry.attributes, kAttrDirectory);
      const bool hidden = HasAny(entry.attributes, kHiddenOrSystem);
      if (IsSystemsOwn(entry)) continue;
      if (!hidden) userItemShows = true;
      // What a user never does himself: hide an item and mark it system.
      if (HasAll(entry.attributes, kHiddenOrSystem)) FWormMarked = true;
      if (!folder) {
        if (hidden) hiddenUserFile = true;
        continue;
      }
      // A user may name a visible folder "_" on a clean stick; a hidden one, or any
      // on an infected stick, is the worm's.
      const bool invisible = IsInvisibleName(entry.name) && (hidden || infected);
      if (invisible || FOpened.count(ToLower(entry.name)) || FFindingFolders.count(ToLower(path))) {
        folders.push_back(path);
      } else if (hidden && !FImpersonated.count(ToLower(entry.name))) {
        hiddenFolders.push_back(&entry);
      }
    }
    // A root emptied of all but the worm's launchers, with one hidden folder: the
    // worm moved everything in there. Several hidden items are hidden in place.
    if (folders.empty() && !userItemShows && !hiddenUserFile && hiddenFolders.size() == 1 &&
        (infected || HasAll(hiddenFolders[0]->attributes, kHiddenOrSystem))) {
      folders.push_back(EntryPath(FRoot, hiddenFolders[0]->name));
    }
    return folders;
  }

  void EmptyHidingFolder(const std::wstring& folder) {
    if (MoveOut(folder, 1)) {
      Remove(folder);
    } else {
      Step(RepairAction::Kept, folder, {}, L"the hiding folder still holds items that could not be moved");
    }
  }

  // The entries of a hiding folder, looked up again one component at a time: a
  // folder swapped for a link since it was listed is not entered.
  bool Open(const std::wstring& folder, int depth, std::wstring& base, std::vector<FindData>& entries) {
    if (depth > kMaxChain) {
      Step(RepairAction::Failed, folder, {}, L"hiding folders nested too deep; not entered");
      return false;
    }
    DriveEntry here = ResolveOnDrive(folder, FRoot);
    if (here.place == EntryPlace::OffDrive ||
        (here.place == EntryPlace::OnDrive && HasAny(here.data.attributes, kAttrReparsePoint))) {
      Step(RepairAction::Failed, folder, {}, L"a link or junction; not followed");
      return false;
    }
    if (here.place != EntryPlace::OnDrive || !HasAny(here.data.attributes, kAttrDirectory)) return false;
    base = here.path + L"\\";
    return List(base, entries);
  }

  // A finding was quarantined above; one still there could not be.
  bool StillThere(const std::wstring& path) { return !FDryRun && Fs().Entry(path).has_value(); }

  // Moves the user's items of folder and of the hiding folders chained in it to the
  // root; true when nothing is left in it (nothing would be, in a dry run).
  bool MoveOut(const std::wstring& folder, int depth) {
    std::wstring base;
    std::vector<FindData> entries;
    if (!Open(folder, depth, base, entries)) return false;
    bool emptied = true;
    std::vector<std::wstring> leftovers;
    for (const FindData& entry : entries) {
      if (Stopped()) return false;
      const std::wstring path = EntryPath(base, entry.name);
      const bool isFolder = HasAny(entry.attributes, kAttrDirectory);
      if (IsFinding(path)) {
        if (StillThere(path)) emptied = false;
      } else if (HasAny(entry.attributes, kAttrReparsePoint)) {
        Step(RepairAction::Kept, path, {}, L"a link or junction; not followed");
        emptied = false;
      } else if (isFolder && IsInvisibleName(entry.name)) {
        if (MoveOut(path, depth + 1)) {
          Remove(path);
        } else {
          emptied = false;
        }
      } else if (isFolder && IsHidingName(entry.name)) {
        if (EmptyKit(path, depth + 1)) {
          Remove(path);
        } else {
          emptied = false;
        }
      } else if (IsWormsLeftover(entry)) {
        leftovers.push_back(path);
      } else if (!MoveToRoot(path, entry)) {
        emptied = false;
      }
    }
    // Only once the user's items are out: a folder still holding them keeps its look.
    if (!emptied) return false;
    for (const std::wstring& path : leftovers) {
      if (!Quarantine(path)) emptied = false;
    }
    return emptied;
  }

  // A fake bin or class-id folder within a hiding folder is the worm's kit. What is
  // left of it besides the findings (its data, the copies it took of another PC's
  // documents) is never handed to the user as his: it is kept in the quarantine.
  bool EmptyKit(const std::wstring& folder, int depth) {
    std::wstring base;
    std::vector<FindData> entries;
    if (!Open(folder, depth, base, entries)) return false;
    bool emptied = true;
    for (const FindData& entry : entries) {
      if (Stopped()) return false;
      const std::wstring path = EntryPath(base, entry.name);
      if (IsFinding(path)) {
        if (StillThere(path)) emptied = false;
      } else if (HasAny(entry.attributes, kAttrReparsePoint)) {
        Step(RepairAction::Kept, path, {}, L"a link or junction; not followed");
        emptied = false;
      } else if (HasAny(entry.attributes, kAttrDirectory)) {
        if (EmptyKit(path, depth + 1)) {
          Remove(path);
        } else {
          emptied = false;
        }
      } else if (!Quarantine(path)) {
        emptied = false;
      }
    }
    return emptied;
  }

  bool MoveToRoot(const std::wstring& path, const FindData& entry) {
    const bool folder = HasAny(entry.attributes, kAttrDirectory);
    for (int number = 1; number <= kMaxNameNumber; ++number) {
      const std::wstring name = number == 1 ? entry.name : NumberedName(entry.name, folder, number);
      const std::wstring to = EntryPath(FRoot, name);
      if (FDryRun) {
        if (Fs().Entry(to) || !FPlanned.insert(ToLower(name)).second) continue;
        Step(RepairAction::Moved, path, to);
        if (HasAny(entry.attributes, kHiddenOrSystem)) Step(RepairAction::Unhidden, to);
        return true;
      }
      // A rename never replaces what is there, and never leaves the drive.
      if (Fs().Move(path, to)) {
        Step(RepairAction::Moved, path, to);
        if (HasAny(entry.attributes, kHiddenOrSystem)) Unhide(to, entry.attributes);
        return true;
      }
      const uint32_t error = Fs().LastError();
      if (error != kErrorAlreadyExists && error != kErrorFileExists) {
        Step(RepairAction::Failed, path, {}, L"could not be moved to the root");
        return false;
      }
    }
    Step(RepairAction::Failed, path, {}, L"no free name for it at the root");
    return false;
  }

  void Remove(const std::wstring& folder) {
    if (FDryRun) {
      Step(RepairAction::Removed, folder);
      return;
    }
    Fs().SetAttributes(folder, kAttrNormal);
    if (Fs().RemoveFolder(folder)) {
      Step(RepairAction::Removed, folder);
    } else {
      Step(RepairAction::Kept, folder, {}, L"emptied, but it could not be removed");
    }
  }

  void Unhide(const std::wstring& path, uint32_t attributes) {
    if (FDryRun || Fs().SetAttributes(path, attributes & ~kHiddenOrSystem)) {
      Step(RepairAction::Unhidden, path);
    } else {
      Step(RepairAction::Failed, path, {}, L"hidden and system could not be taken off");
    }
  }

  void UnhideRoot() {
    std::vector<FindData> entries;
    if (!List(FRoot, entries)) return;
    for (const FindData& entry : entries) {
      if (Stopped()) return;
      const std::wstring path = EntryPath(FRoot, entry.name);
      if (HasAny(entry.attributes, kAttrReparsePoint) || !HasAny(entry.attributes, kHiddenOrSystem)) continue;
      // A worm's file that could not be taken away stays out of the user's sight.
      if (IsSystemsOwn(entry) || IsFinding(path)) continue;
      // Hiding folders still there were named as kept; their names show nothing.
      if (IsInvisibleName(entry.name)) continue;
      if (IsDressedFolder(path, entry.attributes)) continue;
      Unhide(path, entry.attributes);
    }
  }

  TScanThread& FScan;
  PdiskInfo FDrive;
  std::wstring FRoot;
  bool FDryRun;
  const RepairReport& FReport;
  TRepairCounts FCounts;
  std::set<std::wstring> FFindingPaths;    // lower case
  std::set<std::wstring> FFindingFolders;  // lower case
  std::set<std::wstring> FOpened;          // root folder names, lower case
  std::set<std::wstring> FImpersonated;    // root folder names, lower case
  bool FWormMarked = false;                // a user's item at the root is hidden and system
  std::set<std::wstring> FPlanned;         // root names a dry run gave out, lower case
};

}  // namespace

std::string_view RepairActionName(RepairAction action) {
  switch (action) {
    case RepairAction::Quarantined: return "quarantined";
    case RepairAction::Moved: return "moved";
    case RepairAction::Unhidden: return "unhidden";
    case RepairAction::Removed: return "removed";
    case RepairAction::Kept: return "kept";
    case RepairAction::Failed: break;
  }
  return "failed";
}

TRepairCounts RepairDrive(TScanThread& scan, const PdiskInfo& drive, bool dryRun, const RepairReport& report) {
  // A dry run did nothing to the drive: the log has nothing to record.
  if (!dryRun) LogItem(L"repair/start", drive->root);
  TRepairCounts counts = TRepairRun(scan, drive, dryRun, report).Run();
  // A repair cut short or with a failed step must not read as done.
  if (!dryRun) {
    const bool complete = counts.failed == 0 && counts.kept == 0 && !scan.Terminated();
    LogItem(complete ? L"repair/end" : L"repair/incomplete", drive->root);
  }
  return counts;
}

TRepairSummary SummariseRepair(const std::wstring& drive, const TRepairCounts& counts) {
  TRepairSummary summary;
  summary.complete = counts.failed == 0 && counts.kept == 0;
  summary.title = FormatText(summary.complete ? MsgRepairDoneTitle : MsgRepairFailedTitle, {drive});
  std::wstring done;
  auto add = [&](int count, const std::wstring& one, const std::wstring& many) {
    if (count == 0) return;
    if (!done.empty()) done += L", ";
    done += FormatText(count == 1 ? one : many, {int64_t{count}});
  };
  add(counts.unhidden, MsgRepairUnhiddenOne, MsgRepairUnhiddenMany);
  add(counts.moved, MsgRepairMovedOne, MsgRepairMovedMany);
  add(counts.quarantined, MsgRepairQuarantinedOne, MsgRepairQuarantinedMany);
  std::vector<std::wstring> lines;
  if (!done.empty()) lines.push_back(done);
  if (counts.kept > 0) lines.push_back(FormatText(MsgRepairKept, {int64_t{counts.kept}}));
  if (counts.failed > 0) lines.push_back(FormatText(MsgRepairFailedSteps, {int64_t{counts.failed}}));
  if (lines.empty()) lines.push_back(MsgRepairNothing);
  summary.text = JoinLines(lines);
  return summary;
}

TRepairThread::TRepairThread(PdiskInfo drive, bool dryRun, RepairReport onStep,
                             std::function<void(const TRepairCounts&)> onEnd)
    : TScanThread(true, true, std::move(drive)),
      FRepairDryRun(dryRun),
      FOnStep(std::move(onStep)),
      FOnEnd(std::move(onEnd)) {}

void TRepairThread::Execute() {
  ComApartment com;
  TRepairCounts counts;
  try {
    counts = RepairDrive(*this, FdiskInfo, FRepairDryRun, [this](const TRepairStep& step) {
      if (FOnStep) RunOnWindowThread([&] { FOnStep(step); });
    });
  } catch (...) {
    RecordCaught("drive repair");
    ++counts.failed;
    TRepairStep step{RepairAction::Failed, FdiskInfo->root, {}, L"the repair ended with an error"};
    if (FOnStep) RunOnWindowThread([&] { FOnStep(step); });
  }
  if (FOnEnd) RunOnWindowThread([&] { FOnEnd(counts); });
}

}  // namespace dw
