#include "app/CommandLineScanner.h"

#include <chrono>
#include <nlohmann/json.hpp>

#include "common/Text.h"
#include "engine/quarantine.h"
#include "engine/repair.h"
#include "engine/scanthread.h"
#include "platform/Platform.h"
#include "platform/QueueMainThread.h"
#include "platform/usbdeviceUtils.h"
#include "state/SharedState.h"
#include "state/logfile.h"

namespace dw {

namespace {

const char* const kUsage =
    "usage: drivewarden-cli scan [--thorough] [--dry-run] [--threats ask|delete|quarantine]\n"
    "                            [--suspicious ask|delete|quarantine] [--label TEXT] [--json]\n"
    "                            [--data-dir DIR] ROOT...\n"
    "       drivewarden-cli repair [--dry-run] [--json] [--data-dir DIR] [--label TEXT] ROOT...\n"
    "       drivewarden-cli quarantine list|restore NAME DIR|erase NAME|empty [--data-dir DIR] [--json]\n"
    "       drivewarden-cli --help | --version\n";

const char* const kHelp =
    "\n"
    "scan ROOT...    Scans each ROOT as a USB drive: a drive root such as E:\\ on Windows, a folder\n"
    "                (the stick's mount point) on Linux. Each finding is printed with the rule that\n"
    "                made it and why.\n"
    "  --thorough    Walks every folder of the drive; without it only the root is walked (the\n"
    "                hiding folders that worms make are looked into either way).\n"
    "  --dry-run     Changes nothing on the drive: findings are listed, autorun files are not set\n"
    "                aside; --threats and --suspicious are ignored.\n"
    "  --threats ACTION\n"
    "  --suspicious ACTION\n"
    "                What to do with threats and with suspicious files: ask (list them; the\n"
    "                default), delete or quarantine. Either disposal keeps a copy in the quarantine\n"
    "                first; a file whose copy fails is left in place and counted as an error.\n"
    "  --label TEXT  The drive's volume label, which worms name their launchers after. On Linux it\n"
    "                is read from the mounted device when ROOT is a mount point; otherwise the\n"
    "                drive has none unless given here. It applies to every ROOT.\n"
    "  --json        One JSON object per line: {\"path\", \"kind\", \"action\", \"rule\", \"reason\"} per\n"
    "                finding, {\"error\": {\"path\", \"reason\"}} per part that could not be scanned,\n"
    "                then {\"summary\": {\"drives\", \"threats\", \"suspicious\", \"errors\"}}, with\n"
    "                \"no_attributes\": [{\"root\", \"file_system\"}] when a drive gave no hidden or\n"
    "                system attribute that could be read (on Linux: exfat, or a folder where\n"
    "                neither Samba nor Wine stored them); without --json a note says so.\n"
    "  --data-dir DIR  The folder of the quarantine and the log (default: the program's own).\n"
    "\n"
    "repair ROOT...  Gives back what a worm hid: scans each ROOT thoroughly and puts every finding\n"
    "                in the quarantine, whatever --threats and --suspicious would say; moves the\n"
    "                user's items out of the worm's hiding folders to the root (by renaming on the\n"
    "                drive; a name taken there gives \"Report (2).docx\", nothing is replaced); puts\n"
    "                what the worm left in them in the quarantine and removes the emptied folders;\n"
    "                takes hidden and system off the user's items at the root (not off the\n"
    "                system's own: System Volume Information, desktop.ini, ~$ files, dot files...).\n"
    "                Each step is printed as it is done: quarantined, moved, unhidden, removed,\n"
    "                kept (a hiding folder that still holds something) or failed, with why.\n"
    "  --dry-run     Changes nothing: prints what the repair would do.\n"
    "  --json        One JSON object per line: {\"action\", \"path\", \"to\" (moves), \"reason\"} per\n"
    "                step, then {\"summary\": {\"drives\", \"quarantined\", \"moved\", \"unhidden\",\n"
    "                \"removed\", \"kept\", \"failed\"}}, with \"no_attributes\" as for scan.\n"
    "  --label TEXT, --data-dir DIR  As for scan.\n"
    "\n"
    "quarantine      The copies kept of what was disposed of:\n"
    "  list          Lists the stored files with their size and where they came from.\n"
    "  restore NAME DIR  Puts a stored file back into DIR; a file of that name there is never replaced.\n"
    "  erase NAME    Deletes one stored file.  empty  Deletes them all.\n"
    "\n"
    "Exit codes: 0 nothing found (scan) or done (repair); 1 threats or suspicious files found (scan),\n"
    "or a step that could not be done (repair); 2 an error:\n"
    "bad usage, a ROOT that cannot be read, a part of a drive that could not be scanned (such a\n"
    "drive is never reported clean), or a disposal or quarantine command that failed.\n"
    "\n"
    "Drivewarden is no antivirus: it knows the traces that USB worms leave (autorun files,\n"
    "shortcuts that run cmd, wscript or rundll32 on a file of the stick, hidden folders holding\n"
    "programs, launchers named like the drive). A worm that leaves none of them passes.\n";

struct Options {
  std::wstring command;
  bool thorough = false;
  bool dryRun = false;
  bool json = false;
  int threatAction = Ask;
  int riskAction = Ask;
  std::wstring dataDir;
  std::optional<std::wstring> label;
  std::vector<std::wstring> operands;
};

struct UsageError {
  std::string message;
};

void Print(std::FILE* f, const std::wstring& text) { std::fputs(WideToUtf8(text).c_str(), f); }

int ParseAction(const std::wstring& option, const std::wstring& value) {
  if (value == L"ask") return Ask;
  if (value == L"delete") return Delete;
  if (value == L"quarantine") return Quarantine;
  throw UsageError{WideToUtf8(option) + ": '" + WideToUtf8(value) + "' is not one of ask, delete, quarantine"};
}

Options Parse(const std::vector<std::wstring>& args) {
  Options o;
  if (args.empty()) throw UsageError{"a command is required"};
  o.command = args[0];
  for (size_t i = 1; i < args.size(); ++i) {
    const std::wstring& a = args[i];
    auto value = [&]() -> const std::wstring& {
      if (i + 1 >= args.size()) throw UsageError{WideToUtf8(a) + ": a value is required"};
      return args[++i];
    };
    if (a == L"--json") {
      o.json = true;
    } else if (a == L"--data-dir") {
      o.dataDir = value();
    } else if (o.command == L"repair" && (a == L"--dry-run" || a == L"--label")) {
      if (a == L"--dry-run") {
        o.dryRun = true;
      } else {
        o.label = value();
      }
    } else if (o.command == L"scan" && a == L"--thorough") {
      o.thorough = true;
    } else if (o.command == L"scan" && a == L"--dry-run") {
      o.dryRun = true;
    } else if (o.command == L"scan" && a == L"--threats") {
      o.threatAction = ParseAction(a, value());
    } else if (o.command == L"scan" && a == L"--suspicious") {
      o.riskAction = ParseAction(a, value());
    } else if (o.command == L"scan" && a == L"--label") {
      o.label = value();
    } else if (a.size() > 1 && a[0] == L'-' && a != L"-") {
      throw UsageError{WideToUtf8(a) + ": unknown option for '" + WideToUtf8(o.command) + "'"};
    } else {
      o.operands.push_back(a);
    }
  }
  return o;
}

std::string KindName(int kind) { return kind == Threat ? "threat" : "suspicious"; }

const char* ErrorText(ScanErrorKind kind) {
  switch (kind) {
    case ScanErrorKind::TooLarge: return "too large to be read whole; only its start was examined";
    case ScanErrorKind::NotRegularFile: return "not a regular file (a pipe, a device or a link); not read";
    case ScanErrorKind::Unreadable: return "could not be read";
    case ScanErrorKind::UnreachableName: return "its name cannot be told apart from another entry's; left alone";
    case ScanErrorKind::DriveGone: return "the drive went away or failed during the scan";
    case ScanErrorKind::Failed: break;
  }
  return "the scan of this drive failed";
}

// Prints each finding as the scan reports it, on the pumping thread.
class CliScanView : public IScanView {
 public:
  CliScanView(const CliHost& host, bool json) : host_(host), json_(json) {}

  void ScanStarted(TScanThread&) override {}
  void DriveScanDone(TScanThread&) override { ++drives; }
  void ScanFinished(TScanThread&) override { finished = true; }
  void FindingAdded(TScanThread& scan) override {
    // A disposal that failed lists the finding again; it was printed as failed.
    if (scan.sync.action != Ask) return;
    Report(scan.sync, "listed");
  }
  void FindingDisposed(TScanThread& scan, DisposeResult result) override {
    switch (result) {
      case DisposeResult::Done: Report(scan.sync, scan.sync.action == Delete ? "deleted" : "quarantined"); return;
      // Dealt with already, by this run or another: no failure.
      case DisposeResult::Missing: Report(scan.sync, "gone"); return;
      case DisposeResult::CopyFailed:
      case DisposeResult::DeleteFailed: break;
    }
    ++errors;
    Report(scan.sync, "failed");
  }
  void ScanError(TScanThread& scan) override {
    ++errors;
    ++scanErrors;
    std::wstring path = host_.displayPath(scan.FError.path);
    if (json_) {
      nlohmann::ordered_json line = {{"error", {{"path", WideToUtf8(path)}, {"reason", ErrorText(scan.FError.kind)}}}};
      std::fprintf(host_.out, "%s\n", line.dump().c_str());
      std::fflush(host_.out);
      return;
    }
    std::fprintf(host_.err, "drivewarden-cli: %s: %s; the scan of this drive is incomplete\n", WideToUtf8(path).c_str(),
                 ErrorText(scan.FError.kind));
    std::fflush(host_.err);
  }
  void RefreshFindingsView(int) override {}

  int drives = 0, threats = 0, suspicious = 0, errors = 0;
  int scanErrors = 0;  // parts of drives that could not be scanned
  bool finished = false;

 private:
  void Report(const TScanSync& sync, const char* action) {
    (sync.CurrMenaceType == Threat ? threats : suspicious)++;
    std::wstring path = host_.displayPath(sync.CurrMenace);
    if (json_) {
      nlohmann::ordered_json line = {{"path", WideToUtf8(path)},
                                     {"kind", KindName(sync.CurrMenaceType)},
                                     {"action", action},
                                     {"rule", std::string(RuleId(sync.why.why))},
                                     {"reason", WideToUtf8(ReasonEnglish(sync.why))}};
      std::fprintf(host_.out, "%s\n", line.dump().c_str());
    } else {
      // The path ends its line, as before; why goes on the next, indented.
      std::fprintf(host_.out, "%-10s %-11s %s\n", KindName(sync.CurrMenaceType).c_str(), action,
                   WideToUtf8(path).c_str());
      if (sync.why.why != Why::None) {
        std::fprintf(host_.out, "%-22s %s: %s\n", "", std::string(RuleId(sync.why.why)).c_str(),
                     WideToUtf8(ReasonEnglish(sync.why)).c_str());
      }
    }
    std::fflush(host_.out);
  }

  const CliHost& host_;
  bool json_;
};

void SetUpState(const std::wstring& dataFolder, const CliHost& host) {
  TSharedState& state = State();
  state.DataFolder = dataFolder;
  state.ProtectionEnabled = true;
  state.MayRequestElevation = false;
  Fs().CreateFolder(dataFolder);
  // Told once per run, whichever thread loses an entry first.
  std::FILE* err = host.err;
  auto displayPath = host.displayPath;
  state.Log = std::make_unique<TLogFile>(dataFolder, [err, displayPath](const std::wstring& logPath) {
    Print(err, L"drivewarden-cli: the log " + displayPath(logPath) +
                   L" cannot be written: this run's actions are not all recorded\n");
  });
}

// The drive records of the ROOT operands; false (told on err) when one cannot be used.
bool DrivesOf(const Options& o, const CliHost& host, std::vector<PdiskInfo>& drives) {
  if (o.operands.empty()) throw UsageError{WideToUtf8(o.command) + ": at least one ROOT is required"};
  for (const std::wstring& arg : o.operands) {
    std::wstring error;
    std::optional<std::wstring> root = host.mountRoot(arg, error);
    VolumeInfo info;
    if (root && !Vol().VolumeInformation(ToUpper(*root), info)) error = L"the volume cannot be read";
    if (!root || !error.empty()) {
      Print(host.err, L"drivewarden-cli: ROOT '" + arg + L"': " + error + L"\n");
      return false;
    }
    PdiskInfo drive = MakeDiskInfo((*root)[0]);
    drive->VolName = o.label ? *o.label : info.name;
    drive->FileSysName = info.fileSystem.empty() ? L"?" : info.fileSystem;
    drive->VolSerial = info.serial;
    drives.push_back(drive);
  }
  return true;
}

struct BlindRoot {
  std::wstring root;  // as the user knows it
  std::wstring fileSystem;
};

// Asked once the scan is over: what it read tells whether anything could be.
std::vector<BlindRoot> BlindRoots(const std::vector<PdiskInfo>& drives, const CliHost& host) {
  std::vector<BlindRoot> blind;
  if (!host.fileSystemWithoutAttributes) return blind;
  for (const PdiskInfo& drive : drives) {
    std::optional<std::wstring> fileSystem = host.fileSystemWithoutAttributes(drive->root);
    if (fileSystem) blind.push_back({host.displayPath(drive->root), *fileSystem});
  }
  return blind;
}

void AddBlindRoots(nlohmann::ordered_json& summary, const std::vector<BlindRoot>& blind) {
  if (blind.empty()) return;
  nlohmann::ordered_json roots = nlohmann::ordered_json::array();
  for (const BlindRoot& b : blind) {
    roots.push_back({{"root", WideToUtf8(b.root)}, {"file_system", WideToUtf8(b.fileSystem)}});
  }
  summary["summary"]["no_attributes"] = roots;
}

void TellBlindRoots(const std::vector<BlindRoot>& blind, const CliHost& host) {
  for (const BlindRoot& b : blind) {
    Print(host.out, L"note: " + b.root + L" (" + b.fileSystem +
                        L") keeps no hidden or system attributes that this scanner can read: the rules that need "
                        L"them could not apply\n");
  }
}

int Scan(const Options& o, const CliHost& host, const std::wstring& dataFolder) {
  std::vector<PdiskInfo> drives;
  if (!DrivesOf(o, host, drives)) return kExitError;

  SetUpState(dataFolder, host);
  TSharedState& state = State();
  state.ThreatAction = o.dryRun ? Ask : o.threatAction;
  state.RiskAction = o.dryRun ? Ask : o.riskAction;
  for (const PdiskInfo& drive : drives) state.DriveList.Append(drive);

  QueueMainThread mainThread;
  ScopedPlatform useQueue(Platform{.mainThread = &mainThread});
  CliScanView view(host, o.json);
  SetScanView(&view);

  auto* scan = new TScanThread(o.thorough, false);
  scan->FDryRun = o.dryRun;
  const std::atomic<uint64_t>& walked = scan->FFoldersWalked;
  bool showProgress = o.thorough && !o.json && host.progressToTerminal;
  StartWorker(scan, &state.WorkThreads);
  auto lastShown = std::chrono::steady_clock::now();
  mainThread.PumpUntil(
      [&] {
        if (showProgress && !view.finished &&
            std::chrono::steady_clock::now() - lastShown > std::chrono::milliseconds(250)) {
          std::fprintf(host.err, "\r%llu folders walked", static_cast<unsigned long long>(walked.load()));
          std::fflush(host.err);
          lastShown = std::chrono::steady_clock::now();
        }
        return view.finished && state.WorkThreads.Count() == 0;
      },
      50);
  if (showProgress) std::fprintf(host.err, "\r%*s\r", 40, "");
  SetScanView(nullptr);

  const std::vector<BlindRoot> blind = BlindRoots(drives, host);
  if (o.json) {
    nlohmann::ordered_json summary = {{"summary",
                                       {{"drives", drives.size()},
                                        {"threats", view.threats},
                                        {"suspicious", view.suspicious},
                                        {"errors", view.errors}}}};
    AddBlindRoots(summary, blind);
    std::fprintf(host.out, "%s\n", summary.dump().c_str());
  } else {
    TellBlindRoots(blind, host);
    std::fprintf(host.out, "%zu drive(s) scanned: %d threat(s), %d suspicious file(s), %d error(s)%s\n", drives.size(),
                 view.threats, view.suspicious, view.errors, o.dryRun ? " (dry run: nothing was changed)" : "");
  }
  // A scan that could not finish has not found everything there may be.
  if (view.scanErrors > 0) return kExitError;
  return view.threats + view.suspicious > 0 ? kExitFound : kExitClean;
}

int Repair(const Options& o, const CliHost& host, const std::wstring& dataFolder) {
  std::vector<PdiskInfo> drives;
  if (!DrivesOf(o, host, drives)) return kExitError;
  SetUpState(dataFolder, host);
  QueueMainThread mainThread;
  ScopedPlatform useQueue(Platform{.mainThread = &mainThread});

  TRepairCounts total;
  auto printStep = [&](const TRepairStep& step) {
    const std::string path = WideToUtf8(host.displayPath(step.path));
    const std::string action(RepairActionName(step.action));
    if (o.json) {
      nlohmann::ordered_json line = {{"action", action}, {"path", path}};
      if (!step.to.empty()) line["to"] = WideToUtf8(host.displayPath(step.to));
      if (!step.reason.empty()) line["reason"] = WideToUtf8(step.reason);
      std::fprintf(host.out, "%s\n", line.dump().c_str());
    } else if (!step.to.empty()) {
      std::fprintf(host.out, "%-11s %s -> %s\n", action.c_str(), path.c_str(),
                   WideToUtf8(host.displayPath(step.to)).c_str());
    } else if (!step.reason.empty()) {
      std::fprintf(host.out, "%-11s %s: %s\n", action.c_str(), path.c_str(), WideToUtf8(step.reason).c_str());
    } else {
      std::fprintf(host.out, "%-11s %s\n", action.c_str(), path.c_str());
    }
    std::fflush(host.out);
  };
  // One drive after the other: a second drive's findings must not wait on the first's moves.
  for (const PdiskInfo& drive : drives) {
    bool ended = false;
    auto onEnd = [&](const TRepairCounts& counts) {
      total += counts;
      ended = true;
    };
    StartWorker(new TRepairThread(drive, o.dryRun, printStep, onEnd), &State().WorkThreads);
    mainThread.PumpUntil([&] { return ended && State().WorkThreads.Count() == 0; }, 50);
  }

  const std::vector<BlindRoot> blind = BlindRoots(drives, host);
  if (o.json) {
    nlohmann::ordered_json summary = {{"summary",
                                       {{"drives", drives.size()},
                                        {"quarantined", total.quarantined},
                                        {"moved", total.moved},
                                        {"unhidden", total.unhidden},
                                        {"removed", total.removed},
                                        {"kept", total.kept},
                                        {"failed", total.failed}}}};
    AddBlindRoots(summary, blind);
    std::fprintf(host.out, "%s\n", summary.dump().c_str());
  } else {
    TellBlindRoots(blind, host);
    std::fprintf(host.out,
                 "%zu drive(s) %s: %d file(s) quarantined, %d item(s) moved to the root, %d unhidden, "
                 "%d folder(s) removed, %d kept, %d failed%s\n",
                 drives.size(), o.dryRun ? "looked at" : "repaired", total.quarantined, total.moved, total.unhidden,
                 total.removed, total.kept, total.failed, o.dryRun ? " (dry run: nothing was changed)" : "");
  }
  // A hiding folder left with something in it has not given everything back.
  return total.failed + total.kept > 0 ? kExitFound : kExitClean;
}

int QuarantineCommand(const Options& o, const CliHost& host, const std::wstring& dataFolder) {
  if (o.operands.empty()) throw UsageError{"quarantine: list, restore, erase or empty is required"};
  const std::wstring& verb = o.operands[0];
  auto expect = [&](size_t count, const char* form) {
    if (o.operands.size() != count) throw UsageError{std::string("quarantine ") + form};
  };
  SetUpState(dataFolder, host);
  // A name as listed, with or without its ".quarantine".
  auto storedName = [](std::wstring name) {
    if (name.size() < 11 || !EqualsNoCase(name.substr(name.size() - 11), L".quarantine")) name += L".quarantine";
    return name;
  };
  auto fail = [&](const std::wstring& message) {
    Print(host.err, L"drivewarden-cli: " + message + L"\n");
    return kExitError;
  };
  // The data folder is shared: a link planted as the store's folder is not used.
  if (QuarantineFolderRefused()) {
    return fail(L"the quarantine folder " + host.displayPath(QuarantineFolder()) +
                L" is a link, a junction or a file, not a folder of its own: nothing in it is used");
  }
  // Only a stored entry's own name reaches the store: never a path out of it.
  auto checkedName = [&](const char* form) {
    std::wstring name = storedName(o.operands[1]);
    if (!IsStoredEntryName(name)) {
      throw UsageError{std::string("quarantine ") + form + ": '" + WideToUtf8(o.operands[1]) +
                       "' is not a name in the quarantine (give it as 'quarantine list' shows it, without a folder)"};
    }
    return name;
  };

  if (verb == L"list") {
    expect(1, "list takes no operand");
    uint64_t total = 0;
    int count = 0;
    ListQuarantineEntries([&](const QuarantineEntry& e) {
      total += e.size;
      ++count;
      if (o.json) {
        nlohmann::ordered_json line = {{"name", WideToUtf8(e.storedName)},
                                       {"display", WideToUtf8(e.displayName)},
                                       {"source", WideToUtf8(host.displayPath(e.sourcePath))},
                                       {"size", e.size}};
        std::fprintf(host.out, "%s\n", line.dump().c_str());
      } else {
        std::fprintf(host.out, "%-32s %10s  %s\n", WideToUtf8(e.storedName).c_str(),
                     WideToUtf8(QuarantineSizeText(e.size)).c_str(),
                     WideToUtf8(host.displayPath(e.sourcePath)).c_str());
      }
      return true;
    });
    if (o.json) {
      nlohmann::ordered_json summary = {{"summary", {{"entries", count}, {"bytes", total}}}};
      std::fprintf(host.out, "%s\n", summary.dump().c_str());
    } else {
      std::fprintf(host.out, "%d file(s), %s\n", count, WideToUtf8(QuarantineSizeText(total)).c_str());
    }
    return kExitClean;
  }
  if (verb == L"restore") {
    expect(3, "restore NAME DIR");
    std::wstring name = checkedName("restore");
    std::wstring folder = host.folderPath(o.operands[2]);
    std::wstring target;
    switch (RestoreQuarantineEntry(name, folder, &target)) {
      case RestoreResult::Restored: break;
      case RestoreResult::NameTaken:
        LogItem(L"quarantineRestoreTo/failed", target);
        return fail(L"restore '" + o.operands[1] + L"': " + o.operands[2] + L" already holds " + RestoredName(name) +
                    L"; nothing was replaced (move it away or restore into another folder)");
      case RestoreResult::NotFound: return fail(L"restore '" + o.operands[1] + L"': no such file in the quarantine");
      case RestoreResult::Failed:
      case RestoreResult::FolderGone:
        LogItem(L"quarantineRestoreTo/failed", target);
        return fail(L"restore '" + o.operands[1] + L"': not restored into " + o.operands[2]);
    }
    LogItem(L"quarantineRestoreTo", target);
    std::fprintf(host.out, "restored %s into %s\n", WideToUtf8(RestoredName(name)).c_str(),
                 WideToUtf8(o.operands[2]).c_str());
    return kExitClean;
  }
  if (verb == L"erase") {
    expect(2, "erase NAME");
    std::wstring name = checkedName("erase");
    if (!EraseQuarantineEntry(name))
      return fail(L"erase '" + o.operands[1] + L"': no such file in the quarantine, or it could not be deleted");
    LogItem(L"quarantineErase", name);
    std::fprintf(host.out, "erased %s\n", WideToUtf8(name).c_str());
    return kExitClean;
  }
  if (verb == L"empty") {
    expect(1, "empty takes no operand");
    if (!EmptyQuarantineStore()) return fail(L"empty: some files could not be deleted");
    std::fprintf(host.out, "quarantine emptied\n");
    return kExitClean;
  }
  throw UsageError{"quarantine: '" + WideToUtf8(verb) + "' is not one of list, restore, erase, empty"};
}

}  // namespace

int RunCommandLine(const std::vector<std::wstring>& args, const CliHost& host) {
  if (!args.empty() && (args[0] == L"--help" || args[0] == L"-h")) {
    std::fputs(kUsage, host.out);
    std::fputs(kHelp, host.out);
    return kExitClean;
  }
  if (!args.empty() && args[0] == L"--version") {
    std::fprintf(host.out, "drivewarden-cli %s\n", DW_VERSION);
    return kExitClean;
  }
  try {
    Options o = Parse(args);
    std::wstring dataFolder = o.dataDir.empty() ? host.defaultDataFolder : host.folderPath(o.dataDir);
    if (o.command == L"scan") return Scan(o, host, dataFolder);
    if (o.command == L"repair") return Repair(o, host, dataFolder);
    if (o.command == L"quarantine") return QuarantineCommand(o, host, dataFolder);
    throw UsageError{"'" + WideToUtf8(o.command) + "' is not a command"};
  } catch (const UsageError& e) {
    std::fprintf(host.err, "drivewarden-cli: %s\n%s", e.message.c_str(), kUsage);
    return kExitError;
  }
}

}  // namespace dw
