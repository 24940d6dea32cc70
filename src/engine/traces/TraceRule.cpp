#include "engine/traces/TraceRule.h"

#include "common/Text.h"
#include "platform/lnk.h"
#include "state/SharedState.h"

namespace dw {

TTraceContext::TTraceContext(TScanThread& scan, const PdiskInfo& drive, bool thorough)
    : FScan(scan), FDrive(drive), FThorough(thorough) {}

bool TTraceContext::GoOn() const { return !FScan.Terminated() && !FScan.FCutShort && !State().StopRequested.load(); }

void TTraceContext::Report(const std::wstring& path, FindingKind kind, TFindingWhy why) {
  if (!FReported.insert(ToLower(path)).second) return;
  // A file that a classic rule (or an earlier scan) listed keeps its row, its kind
  // and its reason: one row per file, under the design's own rules first.
  TSharedState& state = State();
  for (FindingKind listed : {Threat, Suspicious}) {
    if ((listed == Threat ? state.ThreatList : state.RiskList).Contains(path)) {
      kind = listed;
      why = state.FindingReasons.Get(listed, path).value_or(why);
      break;
    }
  }
  ReportFinding(FScan, path, kind, FDrive, why);
}

bool TTraceContext::Reported(const std::wstring& path) const { return FReported.count(ToLower(path)) != 0; }

void TTraceContext::ScanError(const std::wstring& path, ScanErrorKind kind) { ReportScanError(FScan, path, kind); }

std::optional<std::string> TTraceContext::Head(const std::wstring& path, size_t max) {
  std::optional<FileStart> file = Fs().ReadRegular(path, max);
  if (!file) {
    uint32_t error = Fs().LastError();
    // Gone meanwhile: nothing to judge, and nothing missed.
    if (error == kErrorFileNotFound || error == kErrorPathNotFound) return std::nullopt;
    ScanError(path, ReadErrorKind(error));
    return std::nullopt;
  }
  return std::move(file->bytes);
}

std::optional<TShellLinkFile> TTraceContext::Shortcut(const std::wstring& path) {
  std::string bytes;
  try {
    bytes = ReadShortcutFile(path);
  } catch (const ShellLinkReadError& error) {
    ScanError(path, ShortcutErrorKind(error.reason()));
    return std::nullopt;
  } catch (const ShellLinkError&) {
    return std::nullopt;  // gone meanwhile
  }
  // A malformed shortcut leads nowhere: Windows does not run it either.
  return ParseShellLink(bytes);
}

DriveEntry TTraceContext::Resolve(const std::wstring& path) const { return ResolveOnDrive(path, FDrive->root); }

std::optional<std::vector<FindData>> TTraceContext::List(const std::wstring& folder) {
  std::vector<FindData> entries;
  bool listed = Fs().List(folder, [&](const FindData& entry) {
    entries.push_back(entry);
    return GoOn();
  });
  if (!listed) return std::nullopt;
  return entries;
}

std::vector<std::unique_ptr<ITraceRule>> MakeTraceRules() {
  std::vector<std::unique_ptr<ITraceRule>> rules;
  rules.push_back(MakeInterpreterShortcutRule());
  rules.push_back(MakeImpersonatingLauncherRule());
  rules.push_back(MakeEmptiedRootRule());
  rules.push_back(MakeDisguisedNameRule());
  rules.push_back(MakeHidingPlaceRule());
  return rules;
}

TTraceRun::TTraceRun(TScanThread& scan, const PdiskInfo& drive, bool thorough)
    : FContext(scan, drive, thorough), FRules(MakeTraceRules()) {}

void TTraceRun::Inspect(const std::wstring& folder, const std::vector<FindData>& entries) {
  TFolderView view{folder, entries, folder == FContext.Root()};
  for (const auto& rule : FRules) {
    if (!FContext.GoOn()) return;
    rule->Inspect(view, FContext);
  }
}

}  // namespace dw
