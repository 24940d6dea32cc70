// Policies set by the organisation: which values count, the machine's over the
// user's, how they take the place of the settings file's, and that the file keeps
// the user's own values.
#include "state/Policy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Platform.h"
#include "state/Settings.h"
#include "state/SharedState.h"
#include "state/logfile.h"  // completes TSharedState::Log
#include "support/FakePolicies.h"
#include "support/FakeSystem.h"
#include "support/MemoryProfileFiles.h"

namespace dw {

void PrintTo(const TPolicySet& set, std::ostream* os) {
  auto number = [os](const char* name, const std::optional<int>& value) {
    if (value) *os << name << "=" << *value << " ";
  };
  auto text = [os](const char* name, const std::optional<std::wstring>& value) {
    if (value) *os << name << "=" << testing::PrintToString(*value) << " ";
  };
  if (set.Enable) *os << "enable=" << *set.Enable << " ";
  number("languageId", set.LanguageId);
  number("menace", set.ThreatAction);
  number("risk", set.RiskAction);
  text("avoid", set.Avoid);
  text("AntivirusCmdLine", set.AntivirusCmdLine);
  *os << "}";
}

namespace {

using Items = std::vector<std::wstring>;
constexpr PolicyScope kMachine = PolicyScope::Machine;
constexpr PolicyScope kUser = PolicyScope::User;

PolicyValue Number(uint32_t n) { return PolicyValue::Number(n); }
PolicyValue Text(std::wstring t) { return PolicyValue::Text(std::move(t)); }
PolicyValue Other() { return PolicyValue{}; }

struct Put {
  PolicyScope scope;
  const wchar_t* name;
  PolicyValue value;
};

class PolicyTest : public testing::Test {
 protected:
  void Set(const std::vector<Put>& values) {
    policies.Clear();
    for (const Put& p : values) policies.Put(p.scope, p.name, p.value);
  }

  test::FakePolicies policies;
  test::FakeSystem system;
  ScopedPlatform platform{Platform{.system = &system, .policies = &policies}};
};

TEST_F(PolicyTest, OnlyValuesOfTheirTypeAndRangeAreHeld) {
  struct Case {
    const char* what;
    std::vector<Put> values;
    TPolicySet expected;
  };
  const std::wstring longest(kPolicyTextLimit, L'x');
  const Case cases[] = {
      {"nothing set", {}, {}},
      {"every value, for the user",
       {{kUser, L"enable", Number(0)},
        {kUser, L"languageId", Number(1)},
        {kUser, L"menace", Number(2)},
        {kUser, L"risk", Number(1)},
        {kUser, L"avoid", Text(L"C:\\;e:\\;")},
        {kUser, L"AntivirusCmdLine", Text(L"\"C:\\AV\\scan.exe\" %s")}},
       {.Enable = false,
        .LanguageId = 1,
        .ThreatAction = 2,
        .RiskAction = 1,
        .Avoid = L"C:\\;e:\\;",
        .AntivirusCmdLine = L"\"C:\\AV\\scan.exe\" %s"}},
      {"names without regard to case", {{kMachine, L"ENABLE", Number(1)}}, {.Enable = true}},
      {"the machine's over the user's",
       {{kMachine, L"menace", Number(1)}, {kUser, L"menace", Number(2)}, {kUser, L"risk", Number(2)}},
       {.ThreatAction = 1, .RiskAction = 2}},
      {"an unusable machine value leaves the user's",
       {{kMachine, L"menace", Number(7)}, {kUser, L"menace", Number(2)}},
       {.ThreatAction = 2}},
      {"numbers out of range",
       {{kMachine, L"enable", Number(2)},
        {kMachine, L"languageId", Number(2)},
        {kMachine, L"menace", Number(3)},
        {kMachine, L"risk", Number(0xFFFFFFFF)}},
       {}},
      {"numbers given as text", {{kMachine, L"enable", Text(L"1")}, {kMachine, L"menace", Text(L"0")}}, {}},
      {"text given as a number", {{kMachine, L"avoid", Number(0)}, {kMachine, L"AntivirusCmdLine", Number(1)}}, {}},
      {"other types", {{kMachine, L"enable", Other()}, {kMachine, L"avoid", Other()}}, {}},
      {"empty texts hold: nothing excluded, no antivirus",
       {{kMachine, L"avoid", Text(L"")}, {kMachine, L"AntivirusCmdLine", Text(L"")}},
       {.Avoid = L"", .AntivirusCmdLine = L""}},
      {"empty pieces and a last root without ';'",
       {{kMachine, L"avoid", Text(L"e:\\;;F:\\")}},
       {.Avoid = L"e:\\;;F:\\"}},
      {"a piece that is not a drive root spoils the list", {{kMachine, L"avoid", Text(L"C:\\;e:;")}}, {}},
      {"a folder is not a root", {{kMachine, L"avoid", Text(L"C:\\Windows\\;")}}, {}},
      {"a root of something else than a letter", {{kMachine, L"avoid", Text(L"1:\\;")}}, {}},
      {"a line break in the list", {{kMachine, L"avoid", Text(L"C:\\\r\nD:\\;")}}, {}},
      {"a control character in the command line", {{kMachine, L"AntivirusCmdLine", Text(L"scan.exe\t%s")}}, {}},
      {"the longest text", {{kMachine, L"AntivirusCmdLine", Text(longest)}}, {.AntivirusCmdLine = longest}},
      {"one character more", {{kMachine, L"AntivirusCmdLine", Text(longest + L"x")}}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Set(c.values);
    EXPECT_EQ(ReadPolicies(), c.expected);
  }
}

class PolicySettingsTest : public PolicyTest {
 protected:
  void PutFile(const std::string& text) { profiles.store.Put(settings.FileName(), text); }
  std::string FileBytes() { return profiles.store.Get(settings.FileName()).value_or("<missing>"); }

  test::MemoryProfileFiles profiles;
  TSettingsFile settings{SettingsFilePath(L"C:\\ProgramData\\Drivewarden\\"), &profiles};
};

const char kUsersFile[] =
    "[app]\r\nenable=1\r\nfirstrun=0\r\nlanguageId=0\r\n"
    "[computer]\r\nAntivirusCmdLine=mine.exe %s\r\n"
    "[action]\r\nmenace=0\r\nrisk=1\r\n"
    "[scan]\r\navoid=e:\\;\r\n";

const std::vector<Put> kEveryPolicy = {
    {kMachine, L"enable", Number(0)},          {kMachine, L"languageId", Number(1)},
    {kMachine, L"menace", Number(2)},          {kMachine, L"risk", Number(0)},
    {kMachine, L"avoid", Text(L"F:\\;G:\\;")}, {kMachine, L"AntivirusCmdLine", Text(L"corp.exe %s")},
};

TEST_F(PolicySettingsTest, PoliciesTakeThePlaceOfTheFileAndTheFileKeepsTheUsersValues) {
  PutFile(kUsersFile);
  Set(kEveryPolicy);
  TSharedState state;
  EXPECT_EQ(LoadSettings(state, settings), 1);
  EXPECT_FALSE(state.ProtectionEnabled);
  EXPECT_EQ(state.ThreatAction, Quarantine);
  EXPECT_EQ(state.RiskAction, Ask);
  EXPECT_EQ(state.ExcludedDrives.Snapshot(), (Items{L"F:\\", L"G:\\"}));
  EXPECT_EQ(state.AntivirusCommandLine, L"corp.exe %s");

  // The language box shows the policy's choice; what it holds at exit is not the user's.
  SaveSettings(state, settings, 1);
  EXPECT_EQ(FileBytes(), kUsersFile);
}

TEST_F(PolicySettingsTest, UnusableValuesLeaveTheFileRuling) {
  PutFile(kUsersFile);
  Set({{kMachine, L"enable", Number(5)},
       {kMachine, L"languageId", Text(L"1")},
       {kMachine, L"menace", Number(0x80000000)},
       {kUser, L"risk", Other()},
       {kMachine, L"avoid", Text(L"\\\\server\\share\\;")},
       {kMachine, L"AntivirusCmdLine", Text(std::wstring(5000, L'a'))}});
  TSharedState state;
  EXPECT_EQ(LoadSettings(state, settings), 0);
  EXPECT_EQ(state.Policies, TPolicySet{});
  EXPECT_TRUE(state.ProtectionEnabled);
  EXPECT_EQ(state.ThreatAction, Ask);
  EXPECT_EQ(state.RiskAction, Delete);
  EXPECT_EQ(state.ExcludedDrives.Snapshot(), Items{L"e:\\"});
  EXPECT_EQ(state.AntivirusCommandLine, L"mine.exe %s");
}

// The first-run rule still gives the user's own list its system drive: the day
// the policy goes, the user has the exclusion a first start would have given.
TEST_F(PolicySettingsTest, AHeldExclusionListLeavesTheUsersFirstRunListInTheFile) {
  system.systemDirectory = L"D:\\Windows\\system32";
  Set({{kMachine, L"avoid", Text(L"")}});
  TSharedState state;
  LoadSettings(state, settings);
  EXPECT_EQ(state.ExcludedDrives.Count(), 0);
  SaveSettings(state, settings, 0);

  Set({});
  TSharedState next;
  LoadSettings(next, settings);
  EXPECT_EQ(next.ExcludedDrives.Snapshot(), Items{L"D:\\"});
}

TEST_F(PolicySettingsTest, APolicyTakingHoldDuringTheRunPutsTheUsersValuesAsideAndLettingGoGivesThemBack) {
  PutFile(kUsersFile);
  TSharedState state;
  LoadSettings(state, settings);
  // The user's changes of this run, before any policy.
  state.ThreatAction = Delete;
  state.ExcludedDrives.Add(L"h:\\");
  state.AntivirusCommandLine = L"other.exe %s";

  Set(kEveryPolicy);
  EXPECT_EQ(ApplyPolicies(state, ReadPolicies()), false) << "protection is to be switched off";
  state.ProtectionEnabled = false;  // as the caller switches it
  EXPECT_EQ(state.ThreatAction, Quarantine);
  EXPECT_EQ(state.ExcludedDrives.Snapshot(), (Items{L"F:\\", L"G:\\"}));
  EXPECT_EQ(state.AntivirusCommandLine, L"corp.exe %s");
  EXPECT_EQ(ApplyPolicies(state, ReadPolicies()), std::nullopt) << "reading again changes nothing";

  // The organisation changes one value and the user's own stay aside.
  policies.SetNumber(kMachine, L"menace", 0);
  ApplyPolicies(state, ReadPolicies());
  EXPECT_EQ(state.ThreatAction, Ask);

  // Saved while held: the user's own values of this run.
  SaveSettings(state, settings, 0);
  EXPECT_EQ(settings.ReadInteger(kSectionAction, kKeyMenace, -9), Delete);
  EXPECT_EQ(settings.ReadString(kSectionScan, kKeyAvoid, L""), L"e:\\;h:\\;");
  EXPECT_EQ(settings.ReadString(kSectionComputer, kKeyAntivirusCmdLine, L""), L"other.exe %s");
  EXPECT_EQ(settings.ReadString(kSectionApp, kKeyEnable, L""), L"1");

  Set({});
  EXPECT_EQ(ApplyPolicies(state, ReadPolicies()), true) << "the user had protection on";
  EXPECT_EQ(state.ThreatAction, Delete);
  EXPECT_EQ(state.RiskAction, Delete);
  EXPECT_EQ(state.ExcludedDrives.Snapshot(), (Items{L"e:\\", L"h:\\"}));
  EXPECT_EQ(state.AntivirusCommandLine, L"other.exe %s");
  EXPECT_EQ(state.Policies, TPolicySet{});
}

TEST_F(PolicySettingsTest, ALoadForgetsThePoliciesOfAnEarlierOne) {
  PutFile(kUsersFile);
  TSharedState state;
  Set(kEveryPolicy);
  LoadSettings(state, settings);
  Set({});
  EXPECT_EQ(LoadSettings(state, settings), 0);
  EXPECT_TRUE(state.ProtectionEnabled);
  EXPECT_EQ(state.ThreatAction, Ask);
  EXPECT_EQ(state.ExcludedDrives.Snapshot(), Items{L"e:\\"});
  EXPECT_EQ(state.AntivirusCommandLine, L"mine.exe %s");
}

}  // namespace
}  // namespace dw
