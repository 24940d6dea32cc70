// The control panel with a pumped window thread, a data folder and a log: scans,
// disposals and quarantine work run for real on fixture drives, and the panel
// hears every step of a scan through a view that also lets a test act in between.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/Text.h"
#include "devices/DrivePass.h"
#include "platform/QueueMainThread.h"
#include "state/logfile.h"
#include "support/DriveFixture.h"
#include "support/PanelFixture.h"
#include "support/ScanHarness.h"

namespace dw::test {

constexpr uint32_t kHiddenSystem = kAttrHidden | kAttrSystem;

// Hands each step to the panel, then tells the test.
class PanelScanView : public IScanView {
 public:
  explicit PanelScanView(TPanelfrm& panel) : panel_(panel) {}

  void ScanStarted(TScanThread& scan) override {
    panel_.ScanStarted(scan);
    if (onStarted) onStarted(scan);
  }
  void DriveScanDone(TScanThread& scan) override {
    drivesDone.push_back(scan.FdiskInfo->root);
    panel_.DriveScanDone(scan);
  }
  void ScanFinished(TScanThread& scan) override {
    panel_.ScanFinished(scan);
    ++finished;
  }
  void FindingAdded(TScanThread& scan) override {
    panel_.FindingAdded(scan);
    if (onFindingAdded) onFindingAdded(scan);
  }
  void FindingDisposed(TScanThread& scan, DisposeResult result) override { panel_.FindingDisposed(scan, result); }
  void ScanError(TScanThread& scan) override { panel_.ScanError(scan); }
  void RefreshFindingsView(int mode) override { panel_.RefreshFindingsView(mode); }

  std::function<void(TScanThread&)> onStarted;
  std::function<void(TScanThread&)> onFindingAdded;
  std::vector<std::wstring> drivesDone;
  int finished = 0;

 private:
  TPanelfrm& panel_;
};

class FindingsFixture : public PanelFixture {
 protected:
  FindingsFixture() : mainGuard_(Platform{.mainThread = &mainThread}) {
    State().DataFolder = data.path();
    State().Log = std::make_unique<TLogFile>(data.path());
    SetScanView(&view);
  }

  ~FindingsFixture() override { State().Log.reset(); }

  // Serves the window thread until done() holds; a test that waits in vain fails
  // instead of hanging.
  bool Pump(const std::function<bool()>& done) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    mainThread.PumpUntil([&] { return done() || std::chrono::steady_clock::now() > deadline; });
    bool reached = done();
    EXPECT_TRUE(reached) << "the window thread waited in vain";
    return reached;
  }
  // Until every registered worker has ended.
  void WaitForWorkers() {
    Pump([] { return State().WorkThreads.Count() == 0; });
  }
  // A silent one-drive scan, as the drive pass starts it, run to its end.
  void ScanSilently(const PdiskInfo& drive) {
    int before = view.finished;
    StartSilentDriveScan(drive);
    Pump([&] { return view.finished > before; });
  }
  PdiskInfo AddFixtureDrive(const DriveFixture& fixture, const std::wstring& label = L"USBSTICK") {
    return AddDrive(fixture.letter(), label);
  }

  void Click(const wchar_t* name) {
    TComponent& c = C(name);
    if (c.OnClick) c.OnClick(c);
  }
  // Selects the findings row of path; false when there is none.
  bool SelectFinding(const std::wstring& path, int occurrence = 0) {
    TComponent& rows = C(L"ListView1");
    for (int i = 0; i < rows.RowCount(); ++i) {
      if (rows.Rows()[static_cast<size_t>(i)].SubItems.at(1) == path && occurrence-- == 0) {
        rows.SetSelectedRow(i);
        return true;
      }
    }
    return false;
  }

  // Row i of ListView1 shows entry i of FindingsSeen, and no row is missing.
  void ExpectRowsMatchFindingsSeen() {
    std::vector<std::wstring> seen = State().FindingsSeen.Snapshot();
    const std::vector<TListRow>& rows = C(L"ListView1").Rows();
    ASSERT_EQ(rows.size(), seen.size());
    for (size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(rows[i].Caption, FileNamePart(seen[i])) << i;
      ASSERT_EQ(rows[i].SubItems.size(), 3u) << i;
      EXPECT_EQ(rows[i].SubItems[1], seen[i]) << i;
    }
  }

  std::vector<std::wstring> LogText() { return LogEntries(system); }

  // One queue for the whole test program: a worker that started no registered
  // work may still be returning from its last hand-over when the test ends, and
  // must not find the queue gone.
  static QueueMainThread& SharedQueue() {
    static QueueMainThread* queue = new QueueMainThread();
    queue->AdoptCurrentThread();
    return *queue;
  }

  QueueMainThread& mainThread = SharedQueue();
  TempFolder data;
  PanelScanView view{*panel};

 private:
  ScopedPlatform mainGuard_;
};

}  // namespace dw::test
