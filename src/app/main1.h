// The program's spine as portable logic: what a second start does, the hidden
// main window Tmainfrm, the control panel's creation and destruction around the
// TPanelfrm model, and the answers the control panel's window gives. The Win32
// program supplies the window-system parts through TApplication.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace dw {

class TPanelfrm;
class TSettingsFile;

constexpr uint32_t kShowPanelMessage = 0x0400 + 2;  // WM_USER+2: a second start asks to see the panel
inline constexpr wchar_t kPanelClassName[] = L"TPanelfrm";
inline constexpr wchar_t kMainFormClassName[] = L"Tmainfrm";
inline constexpr wchar_t kInstanceMutexName[] = L"drivewarden_mutex";

// Only the first argument counts: "runasadmin" in any letter case.
bool IsRunAsAdmin(const std::wstring& firstArgument);

// A second start that finds a running control panel either asks it to show
// itself, or (restarted elevated while the old instance ends) waits 500 ms.
enum class TSecondStart { ShowRunningPanel, WaitAndEnd };
TSecondStart SecondStartAction(const std::wstring& firstArgument);
constexpr uint32_t kSecondStartWaitMs = 500;

// The tray icon's callback: what a mouse message on the icon asks for.
enum class TTrayClick { None, Show, ShowAndRestore, OpenMenu };
TTrayClick TrayClickAction(uint32_t mouseMessage);

// The answer to the shell's "QueryCancelAutoPlay": 1 cancels AutoPlay for the new
// medium, 0 lets it run.
int AutoPlayAnswer(bool protectionEnabled);

// The window system's side of start-up and shutdown.
class TApplication {
 public:
  virtual ~TApplication() = default;
  // The message loop ends at its next turn.
  virtual void Terminate() = 0;
  virtual void CreateInstanceMutex() = 0;
  virtual void CloseInstanceMutex() = 0;
  // RegisterWindowMessageW("QueryCancelAutoPlay"); 0 when it failed.
  virtual uint32_t RegisterAutoPlayQueryMessage() = 0;
};

// The hidden main window: closing it ends the program once the workers have
// stopped or 5000 ms have passed.
class Tmainfrm {
 public:
  explicit Tmainfrm(TApplication& application) : FApplication(application) {}
  void FormClose();

 private:
  TApplication& FApplication;
};

// The control panel's creation and destruction: the shared state, the settings,
// the tray icon and the panel's own commands around the TPanelfrm model.
class TPanelLifecycle {
 public:
  TPanelLifecycle(TPanelfrm& panel, TApplication& application, std::wstring firstArgument);
  ~TPanelLifecycle();
  TPanelLifecycle(const TPanelLifecycle&) = delete;
  TPanelLifecycle& operator=(const TPanelLifecycle&) = delete;

  // After the panel's window exists (the tray icon is added for it).
  void FormCreate();
  // StopRequested, the settings written back in their order, the mutex closed.
  // Runs once: an orderly end of the session and the end of the program may both ask.
  void FormDestroy();
  TSettingsFile* SettingsFile() const { return FSettings.get(); }

 private:
  void BindCommands();

  TPanelfrm& FPanel;
  TApplication& FApplication;
  std::wstring FFirstArgument;
  std::unique_ptr<TSettingsFile> FSettings;
  bool FCreated = false;
  bool FDestroyed = false;
};

}  // namespace dw
