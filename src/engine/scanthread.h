// The scan run: a worker that scans one drive or every drive of DriveList, hands
// each visible step to the window thread, and lists or disposes of findings.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/lnk.h"
#include "state/FindingWhy.h"
#include "state/SharedState.h"
#include "state/diskinfo.h"
#include "state/workthreads.h"

namespace dw {

class TScanThread;

// How a disposal ended.
enum class DisposeResult {
  Done,          // a verified copy is in the quarantine and the file is gone
  CopyFailed,    // no verified copy: the file was left in place
  DeleteFailed,  // copied, but the file is still on the drive
  Missing,       // the file was no longer there (dealt with already): no failure
};

// Why a drive's scan could not look at all it should have. Such a drive is never
// called clean.
enum class ScanErrorKind {
  TooLarge,         // a file the rules read is larger than they read of it
  NotRegularFile,   // a file the rules read is a pipe, a device or a link
  Unreadable,       // a file the rules read could not be read
  UnreachableName,  // an entry's name leads elsewhere or is shared with another entry
  DriveGone,        // the drive went away or failed during the scan
  Failed,           // the rules ended with an error
};

// The kind of a failed regular-file read, from the error it left; and of a
// shortcut that could not be read whole.
ScanErrorKind ReadErrorKind(uint32_t error);
ScanErrorKind ShortcutErrorKind(ShellLinkReadError::Reason reason);

struct TScanError {
  std::wstring path;
  ScanErrorKind kind = ScanErrorKind::Failed;
};

// The window-thread side of a scan: the control panel, or the command-line
// scanner. Every call runs on the window thread.
class IScanView {
 public:
  virtual ~IScanView() = default;
  virtual void ScanStarted(TScanThread& scan) = 0;
  virtual void DriveScanDone(TScanThread& scan) = 0;
  virtual void ScanFinished(TScanThread& scan) = 0;
  virtual void FindingAdded(TScanThread& scan) = 0;
  // A finding the settings had disposed of at once (sync holds it).
  virtual void FindingDisposed(TScanThread& scan, DisposeResult result) = 0;
  // A part of the drive that the scan could not deal with (FError holds it).
  virtual void ScanError(TScanThread& scan) = 0;
  virtual void RefreshFindingsView(int mode) = 0;
};

void SetScanView(IScanView* view);
IScanView* ScanView();

struct TScanSync {
  std::wstring CurrMenace;
  int CurrMenaceType = Threat;
  int action = Ask;
  TFindingWhy why;
};

// What the settings disposed of at once on the drive scanned now: the user is
// told once, when the drive's scan is done, not once per file.
struct TAutoDisposals {
  int quarantined = 0;
  int deleted = 0;
  int failed = 0;
  TScanSync firstDone;  // the first finding that left the drive
  std::wstring firstFailed;
};

// The lines that tell the user what the settings did on the drive; empty when
// they did nothing.
std::wstring AutoDisposalText(const TAutoDisposals& disposals);

class TScanThread : public TWorkThread {
 public:
  // All drives of DriveList.
  TScanThread(bool advanced, bool silenceMode);
  // One drive.
  TScanThread(bool advanced, bool silenceMode, PdiskInfo diskInfo);

  bool Fadvanced;
  bool FSilenceMode;
  PdiskInfo FdiskInfo;
  int FMenaceCount = 0;
  TScanSync sync;
  // Report autorun files under their own names instead of setting them aside, and
  // change nothing on the drive (the command-line scanner's dry run).
  bool FDryRun = false;
  // When set, every finding is listed and handed here, whatever the configured
  // actions: the repair disposes of them itself, after reading what they open.
  std::vector<TScanSync>* FFindings = nullptr;
  TAutoDisposals FAutoDisposals;
  // The scan errors of the drive scanned last, and the one being handed over.
  int FDriveErrors = 0;
  TScanError FError;
  // The paths of the drive's scan errors: several rules may meet one part of the
  // drive they cannot deal with, and the user is told of it once.
  std::unordered_set<std::wstring> FErrorPaths;
  // The drive scanned now went away: its rules stop at their next entry.
  bool FCutShort = false;
  // The findings this run reported, by kind and lower-case path, whatever became
  // of them; and those of the drive scanned now.
  std::set<std::pair<int, std::wstring>> FRunFindings;
  std::set<std::pair<int, std::wstring>> FDriveFindings;
  // How many findings of the kind this run reported, each path once.
  int FoundCount(FindingKind kind) const;
  // For the progress shown while a long scan runs, read from the window thread:
  // folders enumerated so far, findings reported (each path once), and the letter
  // of the drive being scanned.
  std::atomic<uint64_t> FFoldersWalked{0};
  std::atomic<int> FReportedCount{0};
  std::atomic<wchar_t> FScanningLetter{0};

  // The window-thread steps, each run through Synchronize.
  void HandOver(void (IScanView::*step)(TScanThread&));
  void RunOnWindowThread(const std::function<void()>& fn) { Synchronize(fn); }

 protected:
  void Execute() override;
};

int ScanDrive(TScanThread& scan, const PdiskInfo& drive, bool thorough);
// Lists path as a finding of drive, once; false when it was listed already.
bool AddToLists(const std::wstring& path, FindingKind kind, const PdiskInfo& drive, const TFindingWhy& why);
void ReportFinding(TScanThread& scan, const std::wstring& path, FindingKind kind, const PdiskInfo& drive,
                   const TFindingWhy& why);
void AutoActionNotice(TScanThread& scan, DisposeResult result);
// Counts a part of the drive the scan could not deal with, logs it and tells the view.
void ReportScanError(TScanThread& scan, const std::wstring& path, ScanErrorKind kind);

}  // namespace dw
