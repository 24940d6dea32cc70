// The control panel with a pumped window thread, for tests of the repair tools
// and the commands around them.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "engine/tools.h"
#include "platform/QueueMainThread.h"
#include "state/Elevation.h"
#include "support/ForwardingFileSystem.h"
#include "support/PanelFixture.h"
#include "support/RecordingObserver.h"

namespace dw::test {

// The file system of the moment, except for the calls a test refuses.
class RefusingFileSystem : public ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;

  using Refusal = std::function<bool(const std::wstring& path)>;
  Refusal refuseSetAttributes, refuseCreateFolder, refuseWriteAll;
  // The error a refused folder creation leaves.
  uint32_t createFolderError = kErrorAccessDenied;

  bool SetAttributes(const std::wstring& path, uint32_t attributes) override {
    if (refuseSetAttributes && refuseSetAttributes(path)) return false;
    return ForwardingFileSystem::SetAttributes(path, attributes);
  }
  bool CreateFolder(const std::wstring& path) override {
    refused_ = refuseCreateFolder && refuseCreateFolder(path);
    if (refused_) return false;
    return ForwardingFileSystem::CreateFolder(path);
  }
  bool WriteAll(const std::wstring& path, std::string_view bytes) override {
    if (refuseWriteAll && refuseWriteAll(path)) return false;
    return ForwardingFileSystem::WriteAll(path, bytes);
  }
  uint32_t LastError() override { return refused_ ? createFolderError : ForwardingFileSystem::LastError(); }

 private:
  bool refused_ = false;
};

class ToolsFixture : public PanelFixture {
 protected:
  ToolsFixture() { panel->SetObserver(&observer); }
  ~ToolsFixture() override {
    // Workers still running would outlive the state they use.
    WaitForTools();
    panel->SetObserver(nullptr);
  }

  // Serves the window thread until done() holds; false after a generous timeout.
  bool Pump(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    mainThread.PumpUntil([&] { return done() || std::chrono::steady_clock::now() > deadline; });
    return done();
  }
  // Until every tool worker, registered or not, has ended.
  bool WaitForTools() {
    return Pump([] { return State().WorkThreads.Count() == 0 && TToolThread::Alive() == 0; });
  }

  void Click(const wchar_t* name) {
    TComponent& c = C(name);
    ASSERT_TRUE(c.OnClick) << "no handler";
    c.OnClick(c);
  }
  // Refreshes the tools page and selects the row of caption (a root in capitals).
  void SelectToolDrive(const std::wstring& caption) {
    panel->refreshBt();
    TComponent& view = C(L"ListView3");
    for (int row = 0; row < view.RowCount(); ++row)
      if (view.Rows()[static_cast<size_t>(row)].Caption == caption) view.SetSelectedRow(row);
    ASSERT_EQ(panel->SelectedToolDrive(), caption);
  }
  // Opens the tray menu and picks the drive entry of caption under item.
  void PickTrayEntry(const wchar_t* item, const std::wstring& caption) {
    TComponent& menu = C(L"PopupMenu1");
    menu.OnPopup(menu);
    for (const auto& child : C(item).Children()) {
      if (child->Caption() == caption) {
        child->OnClick(*child);
        return;
      }
    }
    FAIL() << "no such entry";
  }

  bool ElevationRequested() {
    for (const ShellCall& call : system.ShellCalls())
      if (call.parameters == L"/runAsadmin") return true;
    return false;
  }

  QueueMainThread mainThread;  // the test's own thread is the window thread
  RecordingObserver observer;

 private:
  ScopedPlatform mainGuard_{Platform{.mainThread = &mainThread}};
};

}  // namespace dw::test
