#include "app/main1.h"

#include "common/Text.h"
#include "engine/keptfindings.h"
#include "engine/scanthread.h"
#include "loc/LangLocEngine.h"
#include "loc/LangLocStrings.h"
#include "platform/Platform.h"
#include "state/Elevation.h"
#include "state/Notify.h"
#include "state/Settings.h"
#include "state/SharedState.h"
#include "state/logfile.h"
#include "ui/Systray.h"
#include "ui/main.h"

namespace dw {

namespace {

constexpr uint32_t kWmLButtonUp = 0x0202;
constexpr uint32_t kWmLButtonDblClk = 0x0203;
constexpr uint32_t kWmRButtonUp = 0x0205;
constexpr uint32_t kWmRButtonDblClk = 0x0206;
constexpr uint32_t kWmMButtonDblClk = 0x0209;

constexpr uint32_t kWorkerShutdownMs = 5000;
constexpr int kBothFindingKinds = 2;  // "Menances et fichiers suspects" in method_sel

std::wstring DataFolderPath() {
  std::wstring folder = Sys().SpecialFolder(kCsidlCommonAppData);
  if (folder.empty()) folder = Sys().SpecialFolder(kCsidlAppData);
  return folder + L"\\Drivewarden\\";
}

}  // namespace

bool IsRunAsAdmin(const std::wstring& firstArgument) { return AsciiLower(firstArgument) == L"runasadmin"; }

TSecondStart SecondStartAction(const std::wstring& firstArgument) {
  return IsRunAsAdmin(firstArgument) ? TSecondStart::WaitAndEnd : TSecondStart::ShowRunningPanel;
}

TTrayClick TrayClickAction(uint32_t mouseMessage) {
  switch (mouseMessage) {
    // A single click brings back a minimised panel too: the user wants to see it.
    case kWmLButtonUp: return TTrayClick::ShowAndRestore;
    case kWmLButtonDblClk:
    case kWmRButtonDblClk:
    case kWmMButtonDblClk: return TTrayClick::ShowAndRestore;
    case kWmRButtonUp: return TTrayClick::OpenMenu;
    default: return TTrayClick::None;
  }
}

// The protective choice: while protection is on, AutoPlay is cancelled, so nothing
// on a new medium starts before the scan has looked at it. With protection off the
// user has chosen to leave the system's own behaviour alone.
int AutoPlayAnswer(bool protectionEnabled) { return protectionEnabled ? 1 : 0; }

void Tmainfrm::FormClose() {
  State().WorkThreads.CancelAllAndWaitTermination(kWorkerShutdownMs);
  FApplication.Terminate();
}

TPanelLifecycle::TPanelLifecycle(TPanelfrm& panel, TApplication& application, std::wstring firstArgument)
    : FPanel(panel), FApplication(application), FFirstArgument(std::move(firstArgument)) {}

TPanelLifecycle::~TPanelLifecycle() {
  SetElevationExitHook(nullptr);
  if (ScanView() == &FPanel) SetScanView(nullptr);
  FPanel.LanguageSetting = nullptr;
  FPanel.WriteLanguageSetting = nullptr;
}

void TPanelLifecycle::BindCommands() {
  // "Quitter" and the end timer end the loop at once; workers are not waited for.
  FPanel.Component(L"Fermer1").OnClick = [this](TComponent&) { FApplication.Terminate(); };
  FPanel.Component(L"killertimer").OnTimer = [this](TComponent&) { FApplication.Terminate(); };
  // The elevation request may come from a worker; the timer is armed on the window thread.
  // What the user was shown is kept for the elevated run to list again.
  SetElevationExitHook([this] {
    KeepListedFindings();
    FPanel.Component(L"killertimer").SetEnabled(true);
  });
  FPanel.LanguageSetting = [this] {
    return State().Policies.LanguageId.value_or(FSettings->ReadInteger(kSectionApp, L"LanguageId", 0));
  };
  FPanel.WriteLanguageSetting = [this](int languageId) {
    FSettings->WriteInteger(kSectionApp, kKeyLanguageId, languageId);
  };
  // Scans report their steps to the control panel, the start-up drive pass's first.
  SetScanView(&FPanel);
}

void TPanelLifecycle::FormCreate() {
  TSharedState& state = State();
  FApplication.CreateInstanceMutex();

  state.DataFolder = DataFolderPath();
  Fs().CreateFolder(state.DataFolder);
  Fs().CreateFolder(state.DataFolder + L"config");
  FSettings = std::make_unique<TSettingsFile>(SettingsFilePath(state.DataFolder));
  state.UsbcmdPath = Sys().ProgramFolder() + L"usbcmd.exe";

  const int languageId = LoadSettings(state, *FSettings);
  // A value outside the choices leaves the box without a selection, and so -1 is
  // what the end of the run writes back.
  FPanel.Component(L"lang").SetItemIndex(languageId);
  // One engine for the run; the texts it sets stay until the program ends.
  static TLocEngine language;
  StartLanguage(language, languageId, Sys().ProgramFolder(), FPanel);
  // After the translation: the hints it set are the ones a policy's hint replaces.
  FPanel.ShowHeldSettings();

  state.StartedElevated = IsRunAsAdmin(FFirstArgument);
  FPanel.Component(L"method_sel").SetItemIndex(kBothFindingKinds);
  state.AutoPlayQueryMessage = FApplication.RegisterAutoPlayQueryMessage();
  AddTrayIcon(kApplicationIcon, kProductName);
  // An alert, once: the log is what the user reads back after the fact.
  state.Log = std::make_unique<TLogFile>(state.DataFolder, [](const std::wstring& logPath) {
    ShowNotification(MsgFailureTitle, FormatText(MsgLogNotWritten, {logPath}), 1);
  });
  BindCommands();
  FCreated = true;

  FPanel.refreshBt();
  if (!state.ProtectionEnabled) FPanel.Show();
  state.StopRequested = false;
  FPanel.SetCaption(kProductName);
  FPanel.UpdateSoftware(1);
}

void TPanelLifecycle::FormDestroy() {
  if (!FCreated || FDestroyed) return;
  FDestroyed = true;
  State().StopRequested = true;
  if (FSettings) SaveSettings(State(), *FSettings, FPanel.Component(L"lang").ItemIndex());
  FApplication.CloseInstanceMutex();
}

}  // namespace dw
