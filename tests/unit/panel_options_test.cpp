#include <gtest/gtest.h>

#include "support/PanelFixture.h"

namespace dw::test {

class PanelOptionsTest : public PanelFixture {
 protected:
  void ShowOptions() {
    TComponent& page = C(L"TabSheet5");
    ASSERT_TRUE(page.OnShow);
    page.OnShow(page);
  }
};

TEST_F(PanelOptionsTest, ActionsOfferedByTheGroupsAreSelectedAndKept) {
  State().ThreatAction = Ask;
  State().RiskAction = Delete;
  ShowOptions();
  EXPECT_EQ(C(L"a_menace").ItemIndex(), 0);
  EXPECT_EQ(C(L"a_risk").ItemIndex(), 1);
  EXPECT_EQ(C(L"a_risk").Items()[1], L"Supprimer (Non recommandé)");
  EXPECT_EQ(State().ThreatAction.load(), Ask);
  EXPECT_EQ(State().RiskAction.load(), Delete);
}

TEST_F(PanelOptionsTest, ActionsTheGroupsDoNotOfferShowNoChoiceAndSurviveTheShowing) {
  struct Case {
    int threat, risk;
  };
  for (Case c : {Case{Quarantine, 5}, Case{-1, Quarantine}}) {
    State().ThreatAction = c.threat;
    State().RiskAction = c.risk;
    C(L"a_menace").SetItemIndex(1);  // left over from an earlier showing
    ShowOptions();
    EXPECT_EQ(C(L"a_menace").ItemIndex(), -1);
    EXPECT_EQ(C(L"a_risk").ItemIndex(), -1);
    EXPECT_EQ(State().ThreatAction.load(), c.threat);
    EXPECT_EQ(State().RiskAction.load(), c.risk);
  }
}

TEST_F(PanelOptionsTest, PickingAChoiceSetsTheActionAtOnce) {
  State().ThreatAction = Quarantine;
  ShowOptions();
  Pick(L"a_menace", 1);
  EXPECT_EQ(State().ThreatAction.load(), Delete);
  Pick(L"a_risk", 1);
  EXPECT_EQ(State().RiskAction.load(), Delete);
  Pick(L"a_risk", 0);
  EXPECT_EQ(State().RiskAction.load(), Ask);
}

TEST_F(PanelOptionsTest, EveryDriveIsListedWithExcludedOnesTicked) {
  AddDrive(L'e', L"USBSTICK");
  AddDrive(L'f', L"BACKUP");
  State().ExcludedDrives.Add(L"f:\\");
  ShowOptions();

  const auto& rows = C(L"ListView5").Rows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].Caption, L"E:\\");
  EXPECT_FALSE(rows[0].Checked);
  EXPECT_EQ(rows[1].Caption, L"F:\\");
  EXPECT_EQ(rows[1].SubItems[0], L"BACKUP");
  EXPECT_TRUE(rows[1].Checked);

  panel->refreshBt();
  ASSERT_EQ(C(L"ListView3").RowCount(), 1);
  EXPECT_EQ(C(L"ListView3").Rows()[0].Caption, L"E:\\");
}

TEST_F(PanelOptionsTest, ShowingAgainRebuildsTheListFromTheSharedData) {
  AddDrive(L'e');
  State().ExcludedDrives.Add(L"E:\\");
  ShowOptions();
  State().ExcludedDrives.Clear();
  AddDrive(L'g');
  ShowOptions();
  const auto& rows = C(L"ListView5").Rows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_FALSE(rows[0].Checked);
  EXPECT_EQ(rows[1].Caption, L"G:\\");
}

TEST_F(PanelOptionsTest, AntivirusCommandLineIsShownAndFollowsEveryKeystroke) {
  State().AntivirusCommandLine = L"scan.exe %s";
  ShowOptions();
  TComponent& edit = C(L"antiviruscmd_txt");
  EXPECT_EQ(edit.Text(), L"scan.exe %s");

  for (const std::wstring typed : {L"scan.exe %s ", L"scan.exe %s /", L"scan.exe %s /q"}) {
    edit.SetText(typed);
    edit.OnChange(edit);
    EXPECT_EQ(State().AntivirusCommandLine, typed);
  }
}

TEST_F(PanelOptionsTest, LanguageBoxShowsTheStoredSettingWithoutRunningItsHandler) {
  int reads = 0;
  panel->LanguageSetting = [&] {
    ++reads;
    return 1;
  };
  bool changed = false;
  C(L"lang").OnChange = [&](TComponent&) { changed = true; };
  ShowOptions();
  EXPECT_EQ(reads, 1);
  EXPECT_EQ(C(L"lang").ItemIndex(), 1);
  EXPECT_FALSE(changed);

  panel->LanguageSetting = [] { return 5; };
  ShowOptions();
  EXPECT_EQ(C(L"lang").ItemIndex(), -1);
}

TEST_F(PanelOptionsTest, AboutPageShowsTheProductNameAndTheUnicodeMark) {
  C(L"Label4").SetCaption(L"translated");
  TComponent& page = C(L"TabSheet6");
  ASSERT_TRUE(page.OnShow);
  page.OnShow(page);
  EXPECT_EQ(C(L"Label4").Caption(), L"Drivewarden");
  EXPECT_TRUE(C(L"Label7").Visible());
}

}  // namespace dw::test
