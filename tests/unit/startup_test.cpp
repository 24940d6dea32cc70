// The start-up sequence and the end of the run as the portable code runs them:
// the control panel's creation over a settings file, what it writes back, the
// commands that end the program, and the answers of the control panel's window.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "app/main1.h"
#include "common/Text.h"
#include "engine/scanthread.h"
#include "loc/LangLocStrings.h"
#include "platform/QueueMainThread.h"
#include "state/Elevation.h"
#include "state/Notify.h"
#include "state/Settings.h"
#include "state/SharedState.h"
#include "state/logfile.h"
#include "support/DriveFixture.h"
#include "support/FakePolicies.h"
#include "support/FakeSystem.h"
#include "support/FakeVolumes.h"
#include "support/MemoryProfileFiles.h"
#include "support/PanelFixture.h"
#include "support/ScopedProgramState.h"
#include "ui/Systray.h"
#include "ui/main.h"
#include "ui/usbnotify.h"

namespace dw {
namespace {

constexpr uint32_t kAutoPlayMessage = 0xC0DE;

class FakeApplication : public TApplication {
 public:
  void Terminate() override { ++terminations; }
  void CreateInstanceMutex() override { mutexHeld = true; }
  void CloseInstanceMutex() override { mutexHeld = false; }
  uint32_t RegisterAutoPlayQueryMessage() override { return kAutoPlayMessage; }

  int terminations = 0;
  bool mutexHeld = false;
};

using Entry = std::tuple<std::string, std::string, std::string>;  // section, key, value

// The settings file's entries in file order, from its plain text.
std::vector<Entry> Entries(const std::string& bytes) {
  std::vector<Entry> entries;
  std::string section;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = bytes.find("\r\n", pos);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(pos, end - pos);
    pos = end + 2;
    if (line.empty()) continue;
    if (line.front() == '[') {
      section = line.substr(1, line.size() - 2);
      continue;
    }
    size_t eq = line.find('=');
    entries.emplace_back(section, line.substr(0, eq), line.substr(eq + 1));
  }
  return entries;
}

class StartupTest : public testing::Test {
 protected:
  StartupTest() {
    // The special folder exists; the program makes only its own folder in it.
    drive.MakeFolder(L"ProgramData");
    system.specialFolder = drive.root() + L"ProgramData";
    SetTrayObserver(&tray);
  }

  std::wstring DataFolder() const { return drive.root() + L"ProgramData\\Drivewarden\\"; }
  std::wstring SettingsPath() const { return DataFolder() + L"config\\config.ini"; }
  void PutSettings(const std::string& text) { profiles.store.Put(SettingsPath(), text); }
  std::vector<Entry> SettingsEntries() { return Entries(profiles.store.Get(SettingsPath()).value_or("")); }
  std::string Setting(const std::string& section, const std::string& key) {
    for (const Entry& e : SettingsEntries())
      if (std::get<0>(e) == section && std::get<1>(e) == key) return std::get<2>(e);
    return "<missing>";
  }

  test::ScopedProgramState programState;
  test::DriveFixture drive;
  test::FakeSystem system;
  test::FakeVolumes volumes;
  test::MemoryProfileFiles profiles;
  QueueMainThread mainThread;
  ScopedPlatform platform{Platform{nullptr, &volumes, &system, &profiles, &mainThread}};
  test::RecordingTray tray;
  FakeApplication application;
  TPanelfrm panel;
  TPanelLifecycle lifecycle{panel, application, L""};
};

TEST_F(StartupTest, FirstRunBuildsTheStateAndTheEndWritesTheFirstRunSettings) {
  lifecycle.FormCreate();
  TSharedState& state = State();

  EXPECT_TRUE(application.mutexHeld);
  EXPECT_EQ(state.DataFolder, DataFolder());
  EXPECT_TRUE(drive.Exists(L"ProgramData\\Drivewarden\\config"));
  EXPECT_EQ(state.UsbcmdPath, system.programFolder + L"usbcmd.exe");
  EXPECT_TRUE(state.ProtectionEnabled);
  EXPECT_FALSE(state.StartedElevated);
  EXPECT_EQ(state.ExcludedDrives.Snapshot(), std::vector<std::wstring>{L"C:\\"});
  EXPECT_EQ(state.AutoPlayQueryMessage, kAutoPlayMessage);
  EXPECT_FALSE(state.StopRequested);
  ASSERT_TRUE(state.Log);
  EXPECT_TRUE(state.Log->IsOpen());

  EXPECT_FALSE(panel.Visible()) << "protection is on: the panel stays hidden";
  EXPECT_EQ(panel.Caption(), L"Drivewarden");
  EXPECT_EQ(panel.Component(L"method_sel").ItemIndex(), 2);
  EXPECT_EQ(panel.Component(L"lang").ItemIndex(), 0);
  EXPECT_EQ(panel.Component(L"Label8").Caption(), MsgNoUsbDrive);

  // The icon is added with the application's icon and title, then refreshed.
  ASSERT_GE(tray.steps.size(), 2u);
  EXPECT_EQ(tray.steps[0].operation, TTrayOperation::Add);
  EXPECT_EQ(tray.steps[0].record.Icon, kApplicationIcon);
  EXPECT_EQ(tray.steps[0].record.Tip, L"Drivewarden");
  EXPECT_EQ(tray.steps.back().operation, TTrayOperation::Modify);
  EXPECT_EQ(tray.steps.back().record.Icon, kImageProtected);

  EXPECT_TRUE(SettingsEntries().empty()) << "nothing is written before the end";
  lifecycle.FormDestroy();
  EXPECT_TRUE(state.StopRequested);
  EXPECT_FALSE(application.mutexHeld);
  // The fixed write order; the profile functions group keys under their sections.
  std::vector<Entry> expected = {{"app", "enable", "1"},     {"app", "firstrun", "0"},
                                 {"app", "languageId", "0"}, {"computer", "AntivirusCmdLine", ""},
                                 {"action", "menace", "0"},  {"action", "risk", "0"},
                                 {"scan", "avoid", "C:\\;"}};
  EXPECT_EQ(SettingsEntries(), expected);
}

TEST_F(StartupTest, TheEndWritesTheSettingsOnlyOnce) {
  lifecycle.FormCreate();
  lifecycle.FormDestroy();
  // The end of the session and the end of the program may both ask.
  State().ProtectionEnabled = false;
  lifecycle.FormDestroy();
  EXPECT_EQ(Setting("app", "enable"), "1");
}

TEST_F(StartupTest, NothingIsWrittenWithoutACreation) {
  lifecycle.FormDestroy();
  EXPECT_TRUE(SettingsEntries().empty());
}

TEST_F(StartupTest, SettingsShapeTheStartAndComeBackAtTheEnd) {
  struct Case {
    std::string file;
    bool panelShown;
    int languageIndex;
    std::string enableWritten, languageWritten, avoidWritten;
  };
  const Case cases[] = {
      {"[app]\r\nenable=0\r\nfirstrun=0\r\n", true, 0, "0", "0", ""},
      {"[app]\r\nlanguageId=5\r\n", false, -1, "1", "-1", "C:\\;"},
      {"[app]\r\nlanguageId=1\r\nfirstrun=0\r\n[scan]\r\navoid=e:\\;\r\n", false, 1, "1", "1", "e:\\;"},
      {"[app]\r\nlanguageId=-1\r\nenable=yes\r\n", false, -1, "1", "-1", "C:\\;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    ResetState();
    profiles.store.Clear();
    PutSettings(c.file);
    TPanelfrm freshPanel;
    TPanelLifecycle life(freshPanel, application, L"");
    life.FormCreate();
    EXPECT_EQ(freshPanel.Visible(), c.panelShown);
    EXPECT_EQ(freshPanel.Component(L"lang").ItemIndex(), c.languageIndex);
    life.FormDestroy();
    EXPECT_EQ(Setting("app", "enable"), c.enableWritten);
    EXPECT_EQ(Setting("app", "languageId"), c.languageWritten);
    EXPECT_EQ(Setting("app", "firstrun"), "0");
    EXPECT_EQ(Setting("scan", "avoid"), c.avoidWritten);
  }
}

// The organisation's language takes the place of the user's from the start on,
// and the end of the run leaves the user's choice in the file.
TEST_F(StartupTest, APolicyLanguageShapesTheStartAndIsNotWrittenBack) {
  PutSettings("[app]\r\nlanguageId=0\r\nfirstrun=0\r\n");
  test::FakePolicies policies;
  policies.SetNumber(PolicyScope::Machine, L"languageId", 1);
  policies.SetNumber(PolicyScope::User, L"menace", 1);
  ScopedPlatform withPolicies(Platform{.policies = &policies});
  lifecycle.FormCreate();

  TComponent& lang = panel.Component(L"lang");
  EXPECT_EQ(lang.ItemIndex(), 1);
  EXPECT_FALSE(lang.Enabled());
  EXPECT_EQ(lang.Hint(), MsgSetByOrganisation);
  EXPECT_FALSE(panel.Component(L"a_menace").Enabled());
  EXPECT_EQ(State().ThreatAction, Delete);
  ASSERT_FALSE(system.ShellCalls().empty());
  EXPECT_EQ(system.ShellCalls().back().parameters, L"/hidden /langid=1 /no_update_check");

  lifecycle.FormDestroy();
  EXPECT_EQ(Setting("app", "languageId"), "0");
  EXPECT_EQ(Setting("action", "menace"), "0");
}

TEST_F(StartupTest, TheUpdaterStartsHiddenInTheLanguageOfTheSettings) {
  const std::pair<std::string, std::wstring> cases[] = {
      {"", L"/hidden /langid=0 /no_update_check"},
      {"[app]\r\nlanguageId=1\r\nfirstrun=0\r\n", L"/hidden /langid=1 /no_update_check"},
      {"[app]\r\nlanguageId=-1\r\n", L"/hidden /langid=-1 /no_update_check"},
  };
  for (const auto& [file, parameters] : cases) {
    SCOPED_TRACE(file);
    ResetState();
    profiles.store.Clear();
    if (!file.empty()) PutSettings(file);
    test::FakeSystem freshSystem;
    freshSystem.specialFolder = system.specialFolder;
    ScopedPlatform withSystem(Platform{.system = &freshSystem});
    TPanelfrm freshPanel;
    TPanelLifecycle life(freshPanel, application, L"");
    life.FormCreate();

    const std::vector<test::ShellCall> calls = freshSystem.ShellCalls();
    ASSERT_EQ(calls.size(), 1u) << "start-up starts the updater and nothing else";
    EXPECT_EQ(calls[0].owner, OwnerWindow::ControlPanel);
    EXPECT_EQ(calls[0].verb, L"open");
    EXPECT_EQ(calls[0].file, freshSystem.programFolder + L"update.exe");
    EXPECT_EQ(calls[0].parameters, parameters);
    EXPECT_EQ(calls[0].directory, L"");
    EXPECT_EQ(calls[0].show, kSwShow);
    life.FormDestroy();
  }
}

TEST_F(StartupTest, OnlyRunAsAdminAsFirstArgumentMarksAnElevatedStart) {
  const std::pair<std::wstring, bool> cases[] = {
      {L"runasadmin", true},   {L"RunAsAdmin", true},   {L"RUNASADMIN", true},    {L"", false},
      {L"/runasadmin", false}, {L"runasadmin2", false}, {L"run as admin", false},
  };
  for (const auto& [argument, elevated] : cases) {
    SCOPED_TRACE(std::string(argument.begin(), argument.end()));
    EXPECT_EQ(IsRunAsAdmin(argument), elevated);
    EXPECT_EQ(SecondStartAction(argument), elevated ? TSecondStart::WaitAndEnd : TSecondStart::ShowRunningPanel);
    ResetState();
    TPanelfrm freshPanel;
    TPanelLifecycle life(freshPanel, application, argument);
    life.FormCreate();
    EXPECT_EQ(State().StartedElevated, elevated);
  }
}

TEST_F(StartupTest, QuitAndTheEndTimerEndTheLoopWithoutWaiting) {
  lifecycle.FormCreate();
  TComponent& quit = panel.Component(L"Fermer1");
  quit.OnClick(quit);
  EXPECT_EQ(application.terminations, 1);

  TComponent& timer = panel.Component(L"killertimer");
  EXPECT_FALSE(timer.Enabled());
  timer.OnTimer(timer);
  EXPECT_EQ(application.terminations, 2);
}

TEST_F(StartupTest, AnElevationRequestArmsTheEndTimer) {
  lifecycle.FormCreate();
  RequestElevation();
  mainThread.ProcessMessages();
  EXPECT_TRUE(panel.Component(L"killertimer").Enabled());
  EXPECT_EQ(application.terminations, 0) << "the timer ends the program when it fires, not before";
}

TEST_F(StartupTest, ClosingTheHiddenMainWindowEndsTheProgram) {
  Tmainfrm mainfrm(application);
  mainfrm.FormClose();
  EXPECT_EQ(application.terminations, 1);
}

TEST_F(StartupTest, TheOptionsPageReadsTheLanguageFromTheFileItWasWrittenTo) {
  lifecycle.FormCreate();
  PutSettings("[app]\r\nLanguageId=1\r\n");
  TComponent& options = panel.Component(L"TabSheet5");
  options.OnShow(options);
  EXPECT_EQ(panel.Component(L"lang").ItemIndex(), 1);
}

TEST_F(StartupTest, ALanguageChoiceIsWrittenAtOnce) {
  lifecycle.FormCreate();
  ASSERT_TRUE(panel.WriteLanguageSetting);
  panel.WriteLanguageSetting(1);
  EXPECT_EQ(Setting("app", "languageId"), "1");
}

TEST_F(StartupTest, ScansReportToTheControlPanelWhileItLives) {
  {
    TPanelfrm freshPanel;
    TPanelLifecycle life(freshPanel, application, L"");
    life.FormCreate();
    EXPECT_EQ(ScanView(), &freshPanel);
  }
  EXPECT_EQ(ScanView(), nullptr);
}

TEST_F(StartupTest, ALogThatCannotBeWrittenIsToldOnceByAnAlert) {
  drive.MakeFolder(L"ProgramData\\Drivewarden");
  drive.WriteFile(L"ProgramData\\Drivewarden\\log", "a file where the log's folder goes");
  std::vector<std::tuple<std::wstring, std::wstring, int>> alerts;
  SetNotificationSink([&](const std::wstring& title, const std::wstring& msg, int itype) {
    if (title == MsgFailureTitle) alerts.emplace_back(title, msg, itype);
  });
  lifecycle.FormCreate();
  LogItem(L"delete/threat", L"e:\\x.exe");
  LogItem(L"delete/riskFile", L"e:\\y.scr");
  mainThread.ProcessMessages();
  EXPECT_EQ(alerts, (std::vector<std::tuple<std::wstring, std::wstring, int>>{
                        {MsgFailureTitle, FormatText(MsgLogNotWritten, {State().Log->FileName()}), 1}}));
}

TEST_F(StartupTest, ThePopUpCreatedAfterThePanelTellsOfAProtectionLeftOff) {
  PutSettings("[app]\r\nenable=0\r\nfirstrun=0\r\n");
  lifecycle.FormCreate();
  TForm3 popup(panel);
  popup.FormCreate(*lifecycle.SettingsFile());
  EXPECT_TRUE(popup.Visible());
  EXPECT_EQ(popup.Component(L"Label2").Caption(), MsgAlertTitle);
  EXPECT_EQ(popup.Component(L"Label1").Caption(), L"Drivewarden est inactif");
  EXPECT_EQ(popup.Color(), kAlertColor);
  EXPECT_EQ(popup.Component(L"Image1").ImageIndex(), kImageUnprotected) << "the panel's state icon of the start";
  EXPECT_TRUE(popup.Queue().empty());
}

TEST(WindowAnswers, TrayMouseMessages) {
  const std::pair<uint32_t, TTrayClick> cases[] = {
      {0x0202, TTrayClick::ShowAndRestore}, {0x0203, TTrayClick::ShowAndRestore}, {0x0206, TTrayClick::ShowAndRestore},
      {0x0209, TTrayClick::ShowAndRestore}, {0x0205, TTrayClick::OpenMenu},       {0x0201, TTrayClick::None},
      {0x0204, TTrayClick::None},           {0x0200, TTrayClick::None},
  };
  for (const auto& [message, action] : cases) EXPECT_EQ(TrayClickAction(message), action) << message;
}

TEST(WindowAnswers, AutoPlayIsCancelledWhileProtectionIsOn) {
  EXPECT_EQ(AutoPlayAnswer(true), 1);
  EXPECT_EQ(AutoPlayAnswer(false), 0);
}

}  // namespace
}  // namespace dw
