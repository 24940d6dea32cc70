#include <gtest/gtest.h>

#include "support/PanelFixture.h"

namespace dw::test {

namespace {

const std::wstring kUntouched = L"Analyse de E:\\ en cours";

struct RefreshCase {
  const char* name;
  bool protection;
  bool drive;
  int threats;
  int risks;
  TColor band;
  std::wstring headline;
  std::wstring status;  // kUntouched: refreshBt leaves the status line alone
  int image;
  std::wstring tip;
};

std::vector<RefreshCase> RefreshCases() {
  return {
      {"protection off", false, true, 0, 0, kClRed, L"Votre système n'est pas protégé", L"Protection Désactivée",
       kImageUnprotected, L"Drivewarden : protection désactivée"},
      {"protection on", true, true, 0, 0, kClWhite, L"Aucune menance détecter", kUntouched, kImageProtected,
       L"Drivewarden"},
      {"no drive", true, false, 0, 0, kClWhite, L"Aucun disque USB détecté", kUntouched, kImageProtected,
       L"Drivewarden"},
      {"no drive, protection off", false, false, 0, 0, kClRed, L"Votre système n'est pas protégé",
       L"Protection Désactivée", kImageUnprotected, L"Drivewarden : protection désactivée"},
      {"threat listed", true, true, 1, 0, kClRed, L"Des menances on été détectés", kUntouched, kImageFindings,
       L"Drivewarden : 1 menace(s), 0 fichier(s) suspect(s)"},
      {"suspicious file listed", true, true, 0, 2, kClRed, L"Des menances on été détectés", kUntouched, kImageFindings,
       L"Drivewarden : 0 menace(s), 2 fichier(s) suspect(s)"},
      // Off comes first: nothing protects the PC, whatever was listed before.
      {"finding, protection off", false, true, 1, 1, kClRed, L"Votre système n'est pas protégé",
       L"Protection Désactivée", kImageUnprotected, L"Drivewarden : protection désactivée"},
      {"finding, no drive left", true, false, 1, 0, kClRed, L"Des menances on été détectés", kUntouched, kImageFindings,
       L"Drivewarden : 1 menace(s), 0 fichier(s) suspect(s)"},
  };
}

}  // namespace

using PanelRefreshTest = PanelFixture;

TEST_F(PanelRefreshTest, StateTextsBandAndIconFollowProtectionDrivesAndFindings) {
  for (const RefreshCase& c : RefreshCases()) {
    SCOPED_TRACE(c.name);
    ResetState();
    tray.steps.clear();
    panel = std::make_unique<TPanelfrm>();
    State().ProtectionEnabled = c.protection;
    if (c.drive) AddDrive(L'e');
    for (int i = 0; i < c.threats; ++i) State().ThreatList.Add(L"e:\\run" + std::to_wstring(i) + L".exe");
    for (int i = 0; i < c.risks; ++i) State().RiskList.Add(L"e:\\x" + std::to_wstring(i) + L".scr");
    C(L"Label13").SetCaption(kUntouched);

    panel->refreshBt();

    EXPECT_EQ(C(L"Shape1").Color(), c.band);
    EXPECT_EQ(C(L"Label8").Caption(), c.headline);
    EXPECT_EQ(C(L"Label13").Caption(), c.status);
    ASSERT_FALSE(tray.steps.empty());
    EXPECT_EQ(tray.steps.back().operation, TTrayOperation::Modify);
    EXPECT_EQ(TrayIcon().Icon, c.image);
    EXPECT_EQ(TrayIcon().Tip, c.tip);
    EXPECT_EQ(panel->IconIndex(), c.image);
  }
}

TEST_F(PanelRefreshTest, LastFindingGoneBringsBackTheProtectedState) {
  AddDrive(L'e');
  State().ThreatList.Add(L"e:\\run.exe");
  panel->refreshBt();
  EXPECT_EQ(TrayIcon().Icon, kImageFindings);

  State().ThreatList.Remove(L"e:\\run.exe");
  panel->refreshBt();
  EXPECT_EQ(TrayIcon().Icon, kImageProtected);
  EXPECT_EQ(TrayIcon().Tip, L"Drivewarden");
  EXPECT_EQ(C(L"Shape1").Color(), kClWhite);
  EXPECT_EQ(C(L"Label8").Caption(), L"Aucune menance détecter");
  EXPECT_EQ(panel->IconIndex(), kImageProtected);
}

TEST_F(PanelRefreshTest, TextsFollowTheLoadedCatalogue) {
  MsgThreatsDetected = L"Threats were found on your drives";
  MsgTrayFindings = L"%s found %d threat(s) and %d suspicious file(s) on your drives, a text cut in the tip";
  AddDrive(L'e');
  State().RiskList.Add(L"e:\\x.scr");
  panel->refreshBt();
  EXPECT_EQ(C(L"Label8").Caption(), MsgThreatsDetected);
  EXPECT_EQ(
      TrayIcon().Tip,
      std::wstring(L"Drivewarden found 0 threat(s) and 1 suspicious file(s) on your drives, a text cut in the tip")
          .substr(0, 64));
}

TEST_F(PanelRefreshTest, ToolsListIsRefilledWithTheDrivesThatAreNotExcluded) {
  AddDrive(L'e', L"USBSTICK");
  AddDrive(L'f', L"BACKUP");
  AddDrive(L'g', L"CAMERA");
  State().ExcludedDrives.Add(L"F:\\");
  C(L"ListView3").AddRow({L"Z:\\", {L"stale"}});
  C(L"ListView3").SetSelectedRow(0);

  panel->refreshBt();

  const auto& rows = C(L"ListView3").Rows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].Caption, L"E:\\");
  EXPECT_EQ(rows[0].SubItems[0], L"USBSTICK");
  EXPECT_EQ(rows[1].Caption, L"G:\\");
  EXPECT_EQ(C(L"ListView3").SelectedRow(), -1);
}

TEST_F(PanelRefreshTest, ShowingTheToolsPageRefreshes) {
  AddDrive(L'e');
  TComponent& tools = C(L"TabSheet3");
  ASSERT_TRUE(tools.OnShow);
  tools.OnShow(tools);
  EXPECT_EQ(C(L"ListView3").RowCount(), 1);
  EXPECT_EQ(TrayIcon().Icon, kImageProtected);
}

TEST_F(PanelRefreshTest, ProtectionToggleNotifiesAndSetsTheStatusLine) {
  AddDrive(L'e');
  // Not scanned when the protection comes back on: this fixture serves no window
  // thread for a scan's hand-overs (the scans of switching on have tests of their own).
  State().ExcludedDrives.Add(L"E:\\");
  TComponent& link = C(L"cprotectionControl");
  TComponent& trayItem = C(L"ActiverDsactiverlaprotection1");
  ASSERT_TRUE(link.OnClick);
  ASSERT_TRUE(trayItem.OnClick);

  link.OnClick(link);
  EXPECT_FALSE(State().ProtectionEnabled);
  EXPECT_EQ(notifications, (std::vector<Notification>{{L"Alerte", L"Drivewarden a été désactivé", 1}}));
  EXPECT_EQ(C(L"Label13").Caption(), L"Protection Désactivée");
  EXPECT_EQ(C(L"Shape1").Color(), kClRed);
  EXPECT_EQ(TrayIcon().Icon, kImageUnprotected);
  EXPECT_EQ(TrayIcon().Tip, L"Drivewarden : protection désactivée");

  notifications.clear();
  trayItem.OnClick(trayItem);
  EXPECT_TRUE(State().ProtectionEnabled);
  EXPECT_EQ(notifications, (std::vector<Notification>{{L"Information", L"Drivewarden est actif", 0}}));
  EXPECT_EQ(C(L"Label13").Caption(), L"Protection active");
  EXPECT_EQ(C(L"Shape1").Color(), kClWhite);
  EXPECT_EQ(C(L"Label8").Caption(), L"Aucune menance détecter");
  EXPECT_EQ(TrayIcon().Icon, kImageProtected);
}

TEST_F(PanelRefreshTest, AMistranslatedNoticeIsShownUnformatted) {
  MsgDisabled = L"%d disabled";
  panel->DisableProtection();
  ASSERT_EQ(notifications.size(), 1u);
  EXPECT_EQ(notifications[0].msg, L"%d disabled");
}

TEST_F(PanelRefreshTest, ShowEntryMakesThePanelVisible) {
  TComponent& show = C(L"Afficher1");
  ASSERT_TRUE(show.OnClick);
  show.OnClick(show);
  EXPECT_TRUE(panel->Visible());
}

}  // namespace dw::test
