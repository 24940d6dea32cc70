#include <gtest/gtest.h>

#include "state/Companions.h"
#include "state/Settings.h"
#include "support/MemoryProfileFiles.h"
#include "tools_fixture.h"

namespace dw::test {

class ToolsOptionsTest : public ToolsFixture {
 protected:
  // The settings hooks as start-up binds them.
  void BindSettings() {
    panel->LanguageSetting = [this] { return settings.ReadInteger(kSectionApp, L"LanguageId", 0); };
    panel->WriteLanguageSetting = [this](int id) { settings.WriteInteger(kSectionApp, kKeyLanguageId, id); };
  }
  void PickLanguage(int index) {
    TComponent& box = C(L"lang");
    box.SetItemIndex(index);
    ASSERT_TRUE(box.OnChange);
    box.OnChange(box);
  }
  ShellCall LastShell() {
    std::vector<ShellCall> calls = system.ShellCalls();
    return calls.empty() ? ShellCall{} : calls.back();
  }

  MemoryProfileFiles profiles;
  TSettingsFile settings{L"C:\\ProgramData\\Drivewarden\\config\\config.ini", &profiles};
};

TEST_F(ToolsOptionsTest, PickingALanguageWritesItAtOnceAndAsksForARestart) {
  BindSettings();
  const std::wstring label = C(L"Label12").Caption();
  PickLanguage(1);

  EXPECT_EQ(settings.ReadInteger(kSectionApp, kKeyLanguageId, -9), 1);
  ASSERT_EQ(system.MessageBoxes().size(), 1u);
  EXPECT_EQ(system.MessageBoxes()[0].text,
            L"Vous devez redemarrer le logiciel pour que le changement de langue soit effectif");
  EXPECT_EQ(system.MessageBoxes()[0].type, kMbOk);
  // The running program keeps its language.
  EXPECT_EQ(C(L"Label12").Caption(), label);
  EXPECT_EQ(MsgRestartForLanguage, CatalogueDefault(33));

  PickLanguage(0);
  EXPECT_EQ(settings.ReadInteger(kSectionApp, kKeyLanguageId, -9), 0);
  EXPECT_EQ(system.MessageBoxes().size(), 2u);
}

TEST_F(ToolsOptionsTest, TheUpdaterGetsTheLanguageStoredAtTheMomentOfTheCall) {
  BindSettings();
  PickLanguage(1);
  Click(L"btupdateCheck");
  ShellCall call = LastShell();
  EXPECT_EQ(call.owner, OwnerWindow::ControlPanel);
  EXPECT_EQ(call.verb, L"open");
  EXPECT_EQ(call.file, L"C:\\Program Files\\Drivewarden\\update.exe");
  EXPECT_EQ(call.parameters, L" /langid=1 /no_update_check");
  EXPECT_EQ(call.directory, L"");
  EXPECT_EQ(call.show, kSwShow);

  panel->UpdateSoftware(1);
  EXPECT_EQ(LastShell().parameters, L"/hidden /langid=1 /no_update_check");

  settings.WriteString(kSectionApp, kKeyLanguageId, L"-1");
  panel->UpdateSoftware(1);
  EXPECT_EQ(LastShell().parameters, L"/hidden /langid=-1 /no_update_check");

  // Without a settings file the default language is passed.
  panel->LanguageSetting = nullptr;
  panel->UpdateSoftware(0);
  EXPECT_EQ(LastShell().parameters, L" /langid=0 /no_update_check");
}

TEST(UpdaterParametersTest, ModeOneIsTheHiddenStartAndEveryOtherModeTheUsersRequest) {
  EXPECT_EQ(UpdaterParameters(1, 1), L"/hidden /langid=1 /no_update_check");
  EXPECT_EQ(UpdaterParameters(0, 0), L" /langid=0 /no_update_check");
  EXPECT_EQ(UpdaterParameters(2, 1), L" /langid=1 /no_update_check");
  EXPECT_EQ(UpdaterParameters(-1, 12), L" /langid=12 /no_update_check");
}

// The command line splits as Windows splits one: the program, quoted or up to
// the first blank, then its arguments with the root in them; the program runs in
// a window of its own.
TEST_F(ToolsOptionsTest, AntivirusStartsItsProgramWithItsArgumentsVisibly) {
  AddDrive(L'e', L"USBSTICK");
  struct Case {
    const wchar_t* commandLine;
    const wchar_t* program;  // null: refused
    const wchar_t* arguments;
  };
  const Case cases[] = {
      {L"C:\\AV\\scan.exe /scan=%s", L"C:\\AV\\scan.exe", L"/scan=e:\\"},
      {L"\"C:\\Program Files\\AV\\scan.exe\" /scan %s", L"C:\\Program Files\\AV\\scan.exe", L"/scan e:\\"},
      // The root's backslash before a closing quote is doubled, or the quote would be part of it.
      {L"\"C:\\Program Files\\AV\\scan.exe\" \"%s\"", L"C:\\Program Files\\AV\\scan.exe", L"\"e:\\\\\""},
      {L"  C:\\AV\\scan.exe", L"C:\\AV\\scan.exe", L""},
      {L"scan.exe %s /level=100%%", L"scan.exe", L"e:\\ /level=100%"},
      {L"\"C:\\Program Files\\AV\\scan.exe /scan %s", nullptr, nullptr},
      {L"scan.exe /drive=%d", nullptr, nullptr},
      {L"scan.exe %s %s", nullptr, nullptr},
      {L"scan.exe %x", nullptr, nullptr},
      {L"   ", nullptr, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(WideToUtf8(c.commandLine));
    TComponent& edit = C(L"antiviruscmd_txt");
    edit.SetText(c.commandLine);
    edit.OnChange(edit);
    const size_t shellsBefore = system.ShellCalls().size();
    const size_t boxesBefore = system.MessageBoxes().size();

    PickTrayEntry(L"Antivirusscan_m", L"USBSTICK (E:\\)");

    if (c.program) {
      ASSERT_EQ(system.ShellCalls().size(), shellsBefore + 1);
      ShellCall call = LastShell();
      EXPECT_EQ(call.owner, OwnerWindow::Application);
      EXPECT_EQ(call.verb, L"open");
      EXPECT_EQ(call.file, c.program);
      EXPECT_EQ(call.parameters, c.arguments);
      EXPECT_EQ(call.directory, L"");
      EXPECT_EQ(call.show, kSwShowNormal);
      EXPECT_EQ(system.MessageBoxes().size(), boxesBefore);
    } else {
      EXPECT_EQ(system.ShellCalls().size(), shellsBefore);
      ASSERT_EQ(system.MessageBoxes().size(), boxesBefore + 1);
      const MessageBoxCall box = system.MessageBoxes().back();
      EXPECT_EQ(box.caption, MsgFailureTitle);
      EXPECT_NE(box.text.find(c.commandLine), std::wstring::npos);
      EXPECT_EQ(box.type & 0xF, kMbOk);
    }
  }
  EXPECT_TRUE(notifications.empty());
}

TEST_F(ToolsOptionsTest, AnAntivirusThatCannotBeStartedIsToldOf) {
  AddDrive(L'e', L"USBSTICK");
  State().AntivirusCommandLine = L"C:\\AV\\missing.exe %s";
  system.shellStarts = false;
  PickTrayEntry(L"Antivirusscan_m", L"USBSTICK (E:\\)");
  EXPECT_EQ(system.ShellCalls().size(), 1u);
  EXPECT_EQ(notifications,
            (std::vector<Notification>{
                {MsgFailureTitle, FormatText(MsgAntivirusNotStarted, {State().AntivirusCommandLine}), 1}}));
}

TEST_F(ToolsOptionsTest, AnAntivirusEntryBuiltBeforeTheCommandLineWasClearedStartsNothing) {
  AddDrive(L'e', L"USBSTICK");
  State().AntivirusCommandLine = L"scan.exe %s";
  TComponent& menu = C(L"PopupMenu1");
  menu.OnPopup(menu);
  State().AntivirusCommandLine.clear();
  TComponent& entry = *C(L"Antivirusscan_m").Children().at(0);
  entry.OnClick(entry);
  EXPECT_TRUE(system.ShellCalls().empty());
  EXPECT_TRUE(system.MessageBoxes().empty());
}

TEST_F(ToolsOptionsTest, TheWebsiteLinkOpensTheProductPage) {
  Click(L"cwebsite");
  ASSERT_EQ(system.ShellCalls().size(), 1u);
  ShellCall call = LastShell();
  EXPECT_EQ(call.owner, OwnerWindow::Application);
  EXPECT_EQ(call.verb, L"open");
  EXPECT_EQ(call.file, L"https://drivewarden.org");
  EXPECT_EQ(call.parameters, L"");
  EXPECT_EQ(call.show, kSwShow);
}

}  // namespace dw::test
