// The control panel under policies: what a policy holds is greyed out with the
// organisation's hint, cannot be changed through its control, and the protection
// switch says why it does not turn.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/Text.h"
#include "loc/LangLocStrings.h"
#include "state/Elevation.h"
#include "support/FakePolicies.h"
#include "support/PanelFixture.h"

namespace dw::test {

namespace {

constexpr PolicyScope kMachine = PolicyScope::Machine;

// Every control that a policy may grey out; the protection switch stays usable.
const wchar_t* const kHeldControls[] = {L"lang",      L"a_menace",      L"a_risk",
                                        L"ListView5", L"btexcludeDisk", L"antiviruscmd_txt"};

class PanelPolicyTest : public PanelFixture {
 protected:
  void ShowOptions() {
    TComponent& page = C(L"TabSheet5");
    page.OnShow(page);
  }
  void Click(const wchar_t* name) {
    TComponent& c = C(name);
    ASSERT_TRUE(c.OnClick) << "no handler";
    c.OnClick(c);
  }
  void HoldEverything() {
    policies.SetNumber(kMachine, L"languageId", 1);
    policies.SetNumber(kMachine, L"menace", 2);
    policies.SetNumber(kMachine, L"risk", 0);
    policies.SetText(kMachine, L"avoid", L"F:\\;");
    policies.SetText(kMachine, L"AntivirusCmdLine", L"corp.exe %s");
  }

  FakePolicies policies;
  ScopedPlatform withPolicies{Platform{.policies = &policies}};
};

TEST_F(PanelPolicyTest, EachHeldSettingIsGreyedWithTheOrganisationsHintUntilThePolicyGoes) {
  struct Case {
    const wchar_t* value;
    bool text;
    std::vector<std::wstring> greyed;
  };
  const Case cases[] = {
      {L"languageId", false, {L"lang"}},
      {L"menace", false, {L"a_menace"}},
      {L"risk", false, {L"a_risk"}},
      {L"avoid", true, {L"ListView5", L"btexcludeDisk"}},
      {L"AntivirusCmdLine", true, {L"antiviruscmd_txt"}},
  };
  const std::wstring ownHint = C(L"antiviruscmd_txt").Hint();
  ASSERT_FALSE(ownHint.empty());
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.value)));
    if (c.text) {
      policies.SetText(kMachine, c.value, L"");
    } else {
      policies.SetNumber(kMachine, c.value, 1);
    }
    ShowOptions();
    for (const wchar_t* name : kHeldControls) {
      const bool held = std::find(c.greyed.begin(), c.greyed.end(), name) != c.greyed.end();
      EXPECT_EQ(C(name).Enabled(), !held) << testing::PrintToString(std::wstring(name));
      EXPECT_EQ(C(name).Hint() == MsgSetByOrganisation, held) << testing::PrintToString(std::wstring(name));
    }
    EXPECT_TRUE(C(L"IpolicyNote").Visible());
    EXPECT_EQ(C(L"IpolicyNote").Caption(), MsgSetByOrganisation);

    policies.Clear();
    ShowOptions();
    for (const wchar_t* name : kHeldControls) EXPECT_TRUE(C(name).Enabled());
    EXPECT_EQ(C(L"antiviruscmd_txt").Hint(), ownHint);
    EXPECT_FALSE(C(L"IpolicyNote").Visible());
  }
  EXPECT_EQ(MsgSetByOrganisation, L"Ce réglage est fixé par votre organisation.");
}

TEST_F(PanelPolicyTest, TheProtectionSwitchIsRefusedWithItsNoticeWhileAPolicyHoldsIt) {
  for (uint32_t held : {0u, 1u}) {
    SCOPED_TRACE(held);
    policies.SetNumber(kMachine, L"enable", held);
    panel->RefreshPolicies();
    notifications.clear();
    for (const wchar_t* name : {L"cprotectionControl", L"ActiverDsactiverlaprotection1"}) {
      Click(name);
      EXPECT_EQ(State().ProtectionEnabled, held == 1);
    }
    const Notification refused{MsgInformationTitle, MsgProtectionSetByOrganisation, 0};
    EXPECT_EQ(notifications, (std::vector<Notification>{refused, refused}));
    EXPECT_EQ(C(L"cprotectionControl").Hint(), MsgSetByOrganisation);
    EXPECT_TRUE(C(L"cprotectionControl").Enabled()) << "a click must still say why";
    EXPECT_FALSE(C(L"IpolicyNote").Visible()) << "nothing on the options page is held";
  }

  // Let go, the switch is the user's again and turns back to the user's own state.
  policies.Clear();
  panel->RefreshPolicies();
  EXPECT_TRUE(State().ProtectionEnabled);
  notifications.clear();
  Click(L"cprotectionControl");
  EXPECT_FALSE(State().ProtectionEnabled);
  ASSERT_EQ(notifications.size(), 1u);
  EXPECT_EQ(notifications[0].msg, FormatText(MsgDisabled, {std::wstring(kProductName)}));
}

TEST_F(PanelPolicyTest, APolicyFoundWhenTheOptionsPageShowsSwitchesTheProtectionAsTheSwitchWould) {
  policies.SetNumber(kMachine, L"enable", 0);
  ShowOptions();
  EXPECT_FALSE(State().ProtectionEnabled);
  ASSERT_EQ(notifications.size(), 1u);
  EXPECT_EQ(notifications[0], (Notification{MsgAlertTitle, FormatText(MsgDisabled, {std::wstring(kProductName)}), 1}));
  EXPECT_EQ(C(L"Label13").Caption(), MsgProtectionDisabled);

  ShowOptions();
  EXPECT_EQ(notifications.size(), 1u) << "the same policy read again switches nothing";
}

TEST_F(PanelPolicyTest, HeldSettingsKeepThePolicysValueWhateverReachesTheirControls) {
  AddDrive(L'e');
  AddDrive(L'f');
  HoldEverything();
  int languageWrites = 0;
  panel->WriteLanguageSetting = [&](int) { ++languageWrites; };
  ShowOptions();
  ASSERT_EQ(State().ExcludedDrives.Snapshot(), std::vector<std::wstring>{L"F:\\"});

  Pick(L"a_menace", 0);
  EXPECT_EQ(State().ThreatAction, Quarantine);
  EXPECT_EQ(C(L"a_menace").ItemIndex(), -1) << "Quarantine is no choice of the group";
  Pick(L"a_risk", 1);
  EXPECT_EQ(State().RiskAction, Ask);
  EXPECT_EQ(C(L"a_risk").ItemIndex(), 0);

  TComponent& edit = C(L"antiviruscmd_txt");
  edit.SetText(L"mine.exe %s");
  edit.OnChange(edit);
  EXPECT_EQ(State().AntivirusCommandLine, L"corp.exe %s");

  TComponent& lang = C(L"lang");
  lang.SetItemIndex(0);
  lang.OnChange(lang);
  EXPECT_EQ(languageWrites, 0);
  EXPECT_EQ(lang.ItemIndex(), 1);
  EXPECT_TRUE(system.MessageBoxes().empty()) << "no restart to ask for";

  TComponent& drives = C(L"ListView5");
  drives.SetRowChecked(0, true);
  drives.SetRowChecked(1, false);
  drives.OnClick(drives);
  EXPECT_EQ(State().ExcludedDrives.Snapshot(), std::vector<std::wstring>{L"F:\\"});
  EXPECT_FALSE(drives.RowChecked(0));
  EXPECT_TRUE(drives.RowChecked(1));

  Click(L"btexcludeDisk");
  EXPECT_TRUE(C(L"PopupMenu2").Children().empty());
  EXPECT_TRUE(system.MessageBoxes().empty());
  EXPECT_EQ(State().ExcludedDrives.Snapshot(), std::vector<std::wstring>{L"F:\\"});
}

}  // namespace
}  // namespace dw::test
