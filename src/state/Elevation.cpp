#include "state/Elevation.h"

#include <mutex>

#include "common/Text.h"
#include "loc/LangLocStrings.h"
#include "platform/Platform.h"
#include "state/SharedState.h"

namespace dw {

const wchar_t* const kProductName = L"Drivewarden";

namespace {
std::mutex hookMutex;
std::function<void()> exitHook;
}  // namespace

void SetElevationExitHook(std::function<void()> armEndTimer) {
  std::lock_guard<std::mutex> lock(hookMutex);
  exitHook = std::move(armEndTimer);
}

int ShowMessageBox(const std::wstring& text, const std::wstring& caption, uint32_t type) {
  return Sys().MessageDialog(text, caption, type);
}

void RequestElevation() {
  TSharedState& state = State();
  if (state.StartedElevated || !state.MayRequestElevation) return;
  // Test and set in one step: of several workers failing at once only the first asks.
  if (state.StopRequested.exchange(true)) return;

  ShowMessageBox(FormatText(MsgElevationRequired, {std::wstring(kProductName)}), MsgElevationTitle, kMbOk);
  const bool started =
      Sys().Shell(OwnerWindow::Application, L"open", state.UsbcmdPath, L"/runAsadmin", Sys().ProgramFolder(), kSwHide);
  // The program ends either way: a companion that could not start leaves a run
  // that did not get its rights, and only the log tells why.
  LogItem(started ? L"elevation/request" : L"elevation/failed", state.UsbcmdPath);

  std::function<void()> hook;
  {
    std::lock_guard<std::mutex> lock(hookMutex);
    hook = exitHook;
  }
  if (hook) Main().Post(hook);
}

}  // namespace dw
