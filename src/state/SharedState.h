// The program-wide state that the window thread and the workers share.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "common/threadStringlist.h"
#include "state/FindingWhy.h"
#include "state/Policy.h"
#include "state/diskinfo.h"
#include "state/workthreads.h"

namespace dw {

class TLogFile;

enum FindingKind { Threat = 0, Suspicious = 1 };
enum FindingAction { Ask = 0, Delete = 1, Quarantine = 2 };

struct TSharedState {
  std::wstring DataFolder;  // ends with "\"
  std::atomic<bool> ProtectionEnabled{true};
  std::atomic<int> ThreatAction{Ask};
  std::atomic<int> RiskAction{Ask};
  std::wstring AntivirusCommandLine;
  TThreadStringList ExcludedDrives;
  // The settings the organisation holds, and the user's own values of those
  // (window thread only).
  TPolicySet Policies;
  TOwnSettings OwnSettings;
  TThreadStringList ThreatList;
  TThreadStringList RiskList;
  TThreadStringList FindingsSeen;
  TFindingReasons FindingReasons;  // why each listed finding is one
  bool StartedElevated = false;
  // False for a run that cannot restart itself elevated (the command-line scanner):
  // it reports what it could not do instead.
  bool MayRequestElevation = true;
  std::atomic<bool> StopRequested{false};
  std::wstring UsbcmdPath;
  uint32_t AutoPlayQueryMessage = 0;
  TWorkThreadList WorkThreads;
  TDriveList DriveList;
  std::unique_ptr<TLogFile> Log;  // null until created; calls through LogItem are then no-ops

  ~TSharedState();
};

TSharedState& State();
// Replaces the state with a fresh one (tests; the program keeps one for its whole run).
void ResetState();
// The log's addItem when a log exists.
void LogItem(const std::wstring& action, const std::wstring& arg);

}  // namespace dw
