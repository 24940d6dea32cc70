// The drive repair: rid a drive of what the rules find, then give the user back
// what the worm hid or moved away, on the drive itself and by renames only, so
// that a drive pulled out half-way keeps every item whole at its old place or its
// new one, and a second run completes the first.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "engine/scanthread.h"

namespace dw {

enum class RepairAction {
  Quarantined,  // a finding, or what a worm left in its hiding folder: a verified copy kept, the file gone
  Moved,        // a user's item, from a hiding folder to the root
  Unhidden,     // hidden and system taken off a user's item at the root
  Removed,      // an emptied hiding folder
  Kept,         // left where it is, with why (a hiding folder that still holds something)
  Failed,       // a step that could not be done, with why
};

// "quarantined", "moved", ...: the log's and the command line's word.
std::string_view RepairActionName(RepairAction action);

struct TRepairStep {
  RepairAction action = RepairAction::Failed;
  std::wstring path;
  std::wstring to;      // Moved: the new place
  std::wstring reason;  // Kept and Failed, in English
};

struct TRepairCounts {
  int quarantined = 0, moved = 0, unhidden = 0, removed = 0, kept = 0, failed = 0;

  TRepairCounts& operator+=(const TRepairCounts& other) {
    quarantined += other.quarantined;
    moved += other.moved;
    unhidden += other.unhidden;
    removed += other.removed;
    kept += other.kept;
    failed += other.failed;
    return *this;
  }
};

using RepairReport = std::function<void(const TRepairStep&)>;

// The end pop-up of a repair, in the user's language: its title says "repaired"
// only when no step failed and no hiding folder was left holding something.
struct TRepairSummary {
  std::wstring title, text;
  bool complete = true;
};
// drive: as the user knows it, "<volume name> (<ROOT>)".
TRepairSummary SummariseRepair(const std::wstring& drive, const TRepairCounts& counts);

// Repairs drive, thoroughly scanned by scan (a worker's: the scan hands its steps
// to the window thread). Each step goes to report, on the calling thread, and to
// the log. dryRun: nothing on the drive is changed, and report is told what would
// be done.
TRepairCounts RepairDrive(TScanThread& scan, const PdiskInfo& drive, bool dryRun, const RepairReport& report);

// One repair run on a worker: steps and the end are handed to the window thread.
class TRepairThread : public TScanThread {
 public:
  TRepairThread(PdiskInfo drive, bool dryRun, RepairReport onStep, std::function<void(const TRepairCounts&)> onEnd);

 protected:
  void Execute() override;

 private:
  bool FRepairDryRun;
  RepairReport FOnStep;
  std::function<void(const TRepairCounts&)> FOnEnd;
};

}  // namespace dw
