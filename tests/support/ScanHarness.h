// A scan set-up for tests: fresh shared state, a data folder, a pumped window
// thread, fake volumes for the fixture drives and a view that records each step.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/scanthread.h"
#include "platform/QueueMainThread.h"
#include "state/SharedState.h"
#include "support/DriveFixture.h"
#include "support/FakeSystem.h"
#include "support/FakeVolumes.h"
#include "support/ScopedProgramState.h"

namespace dw::test {

struct Notice {
  std::wstring title, msg;
  int itype;
};

class RecordingView : public IScanView {
 public:
  void ScanStarted(TScanThread&) override { events.push_back(L"started"); }
  void DriveScanDone(TScanThread& scan) override {
    events.push_back(L"done " + scan.FdiskInfo->root);
    lastCount = scan.FMenaceCount;
    lastDisposals = scan.FAutoDisposals;
  }
  void ScanFinished(TScanThread&) override {
    events.push_back(L"finished");
    finished = true;
  }
  void FindingAdded(TScanThread& scan) override { added.push_back(scan.sync.CurrMenace); }
  void FindingDisposed(TScanThread& scan, DisposeResult result) override {
    disposed.push_back({scan.sync.CurrMenace, result});
  }
  void ScanError(TScanThread& scan) override { errors.push_back({scan.FError.path, scan.FError.kind}); }
  void RefreshFindingsView(int) override { ++refreshes; }

  std::vector<std::wstring> events;
  std::vector<std::pair<std::wstring, ScanErrorKind>> errors;
  std::vector<std::wstring> added;
  std::vector<std::pair<std::wstring, DisposeResult>> disposed;
  int refreshes = 0;
  int lastCount = -1;            // the count of the last drive scanned to its end
  TAutoDisposals lastDisposals;  // what the settings did on it
  bool finished = false;
};

// The entries of the log now open, without the fake clock's date and time.
std::vector<std::wstring> LogEntries(FakeSystem& system);

class ScanHarness {
 public:
  ScanHarness();
  ~ScanHarness();

  // A drive record for a fixture drive, as the drive pass makes it.
  PdiskInfo Drive(const DriveFixture& fixture);
  // Runs a one-drive scan to its end; the drive's finding count, -1 when it was skipped.
  int Scan(const PdiskInfo& drive, bool thorough = false);
  std::vector<std::wstring> FindingsSeen() const { return State().FindingsSeen.Snapshot(); }
  std::vector<std::wstring> LogText() { return LogEntries(system); }

  ScopedProgramState programState;
  QueueMainThread mainThread;
  FakeSystem system;
  FakeVolumes volumes;
  RecordingView view;
  std::vector<Notice> notices;
  TempFolder data;

 private:
  std::unique_ptr<ScopedPlatform> guard_;
};

}  // namespace dw::test
