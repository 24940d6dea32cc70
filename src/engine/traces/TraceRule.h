// The rules for the worms of today, which the five classic rules do not see
// (shortcuts that run cmd or wscript on a file of the stick, hiding folders,
// launchers named like the drive). Each is a unit of its own behind ITraceRule;
// the scan runs them on each folder it walks, after the classic rules, in quick
// and thorough scans alike (a quick scan walks the root only).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/drivepath.h"
#include "engine/scanthread.h"
#include "platform/Platform.h"
#include "platform/ShellLinkFormat.h"
#include "state/FindingWhy.h"
#include "state/diskinfo.h"

namespace dw {

// What one listing of a folder told the scan: names, attributes and sizes.
struct TFolderView {
  const std::wstring& path;              // ends with "\"
  const std::vector<FindData>& entries;  // without "." and ".."
  bool isRoot;
};

// The scan as a rule sees it: the drive, what a rule may ask of it for the few
// entries it suspects (every read is bounded and never follows a link), and where
// it reports.
class TTraceContext {
 public:
  TTraceContext(TScanThread& scan, const PdiskInfo& drive, bool thorough);

  const std::wstring& Root() const { return FDrive->root; }
  // The volume label; may be empty.
  const std::wstring& Label() const { return FDrive->VolName; }
  bool Thorough() const { return FThorough; }
  // False once the scan was stopped or the drive went away: a rule returns then.
  bool GoOn() const;

  // Reports path (as the drive stores its names) as a finding, once per scan; a
  // file listed already keeps its kind and reason.
  void Report(const std::wstring& path, FindingKind kind, TFindingWhy why);
  bool Reported(const std::wstring& path) const;
  // A part of the drive the rule could not look at: the drive is then not clean.
  void ScanError(const std::wstring& path, ScanErrorKind kind);

  // Up to max bytes from the start of a regular file; nothing when it cannot be
  // read, which is reported as a scan error.
  std::optional<std::string> Head(const std::wstring& path, size_t max);
  // The shortcut file decoded, whole (arguments included, however long); nothing
  // when it is malformed, or unreadable (then reported as a scan error).
  std::optional<TShellLinkFile> Shortcut(const std::wstring& path);
  // The entry that a full path on this drive reaches, checked one component at a
  // time: no link or junction on the way.
  DriveEntry Resolve(const std::wstring& path) const;
  // The entries of a folder of the drive, without "." and ".."; nothing when it
  // cannot be listed. Bounded by the caller: list only what is suspected.
  std::optional<std::vector<FindData>> List(const std::wstring& folder);

  // The findings reported so far.
  int Count() const { return static_cast<int>(FReported.size()); }

 private:
  TScanThread& FScan;
  PdiskInfo FDrive;
  bool FThorough;
  std::unordered_set<std::wstring> FReported;  // lower-case paths
};

class ITraceRule {
 public:
  virtual ~ITraceRule() = default;
  // Looks at one folder the scan walked; the root comes first.
  virtual void Inspect(const TFolderView& folder, TTraceContext& context) = 0;
};

// One instance of every rule for one drive's scan, in the order they run.
std::vector<std::unique_ptr<ITraceRule>> MakeTraceRules();

// The units, each in a file of its own.
std::unique_ptr<ITraceRule> MakeInterpreterShortcutRule();
std::unique_ptr<ITraceRule> MakeImpersonatingLauncherRule();
std::unique_ptr<ITraceRule> MakeEmptiedRootRule();
std::unique_ptr<ITraceRule> MakeDisguisedNameRule();
std::unique_ptr<ITraceRule> MakeHidingPlaceRule();

// Runs the rules over a drive's scan.
class TTraceRun {
 public:
  TTraceRun(TScanThread& scan, const PdiskInfo& drive, bool thorough);
  void Inspect(const std::wstring& folder, const std::vector<FindData>& entries);
  int Count() const { return FContext.Count(); }

 private:
  TTraceContext FContext;
  std::vector<std::unique_ptr<ITraceRule>> FRules;
};

}  // namespace dw
