#include "state/Settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <tuple>
#include <vector>

#include "platform/Platform.h"
#include "state/SharedState.h"
#include "state/logfile.h"  // completes TSharedState::Log
#include "support/FakeSystem.h"
#include "support/MemoryProfileFiles.h"

namespace dw {
namespace {

const std::wstring kDataFolder = L"C:\\ProgramData\\Drivewarden\\";

using Entry = std::tuple<std::wstring, std::wstring, std::wstring>;  // section, key, value
using Items = std::vector<std::wstring>;

// The file's sections, keys and values in file order, read from its plain text.
std::vector<Entry> Entries(const std::string& bytes) {
  std::vector<Entry> entries;
  std::wstring section;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = bytes.find("\r\n", pos);
    if (end == std::string::npos) end = bytes.size();
    std::wstring line(bytes.begin() + static_cast<std::ptrdiff_t>(pos),
                      bytes.begin() + static_cast<std::ptrdiff_t>(end));
    pos = end + 2;
    if (line.empty()) continue;
    if (line.front() == L'[' && line.back() == L']') {
      section = line.substr(1, line.size() - 2);
      continue;
    }
    size_t eq = line.find(L'=');
    entries.emplace_back(section, line.substr(0, eq), eq == std::wstring::npos ? L"<none>" : line.substr(eq + 1));
  }
  return entries;
}

class SettingsTest : public testing::Test {
 protected:
  test::FakeSystem system;
  ScopedPlatform platform{Platform{nullptr, nullptr, &system, nullptr, nullptr}};
  test::MemoryProfileFiles profiles;
  TSettingsFile settings{SettingsFilePath(kDataFolder), &profiles};

  void PutFile(const std::string& text) { profiles.store.Put(settings.FileName(), text); }
  std::string FileBytes() { return profiles.store.Get(settings.FileName()).value_or("<missing>"); }
  std::wstring Value(const std::wstring& section, const std::wstring& key) {
    for (const Entry& e : Entries(FileBytes())) {
      if (std::get<0>(e) == section && std::get<1>(e) == key) return std::get<2>(e);
    }
    return L"<missing>";
  }
};

TEST_F(SettingsTest, FileLivesInTheConfigFolder) {
  EXPECT_EQ(settings.FileName(), L"C:\\ProgramData\\Drivewarden\\config\\config.ini");
}

TEST_F(SettingsTest, FirstStartExcludesTheSystemDriveAndQuitWritesEverySetting) {
  system.systemDirectory = L"D:\\Windows\\system32";
  TSharedState state;
  EXPECT_EQ(LoadSettings(state, settings), 0);
  EXPECT_TRUE(state.ProtectionEnabled);
  EXPECT_EQ(state.ThreatAction, Ask);
  EXPECT_EQ(state.RiskAction, Ask);
  EXPECT_EQ(state.AntivirusCommandLine, L"");
  EXPECT_EQ(state.ExcludedDrives.Snapshot(), Items{L"D:\\"});
  EXPECT_EQ(FileBytes(), "<missing>");  // loading writes nothing

  SaveSettings(state, settings, 0);
  const std::vector<Entry> expected = {
      {L"app", L"enable", L"1"},     {L"app", L"firstrun", L"0"},
      {L"app", L"languageId", L"0"}, {L"computer", L"AntivirusCmdLine", L""},
      {L"action", L"menace", L"0"},  {L"action", L"risk", L"0"},
      {L"scan", L"avoid", L"D:\\;"},
  };
  EXPECT_EQ(Entries(FileBytes()), expected);

  // The next start reads the exclusion back once, whatever the system drive is now.
  system.systemDirectory = L"C:\\Windows\\system32";
  TSharedState next;
  LoadSettings(next, settings);
  EXPECT_EQ(next.ExcludedDrives.Snapshot(), Items{L"D:\\"});
}

TEST_F(SettingsTest, ReincludingEveryDriveSticksAfterQuit) {
  TSharedState state;
  LoadSettings(state, settings);
  state.ExcludedDrives.Clear();
  SaveSettings(state, settings, 1);
  EXPECT_EQ(Value(L"scan", L"avoid"), L"");
  EXPECT_EQ(Value(L"app", L"firstrun"), L"0");
  EXPECT_EQ(Value(L"app", L"languageId"), L"1");

  TSharedState next;
  EXPECT_EQ(LoadSettings(next, settings), 1);
  EXPECT_EQ(next.ExcludedDrives.Count(), 0);
}

TEST_F(SettingsTest, AvoidListAndTheFirstRunRule) {
  struct Case {
    const char* file;
    Items expected;
  };
  const Case cases[] = {
      {"[scan]\r\navoid=e:\\;;f:\\;\r\n", {L"e:\\", L"", L"f:\\"}},  // an empty middle piece is an entry
      {"[scan]\r\navoid=C:\\;e:\\;\r\n", {L"C:\\", L"e:\\"}},
      {"[scan]\r\navoid=e:\\\r\n", {L"e:\\"}},
      {"[scan]\r\navoid=e:\\;E:\\;\r\n", {L"e:\\", L"E:\\"}},  // repeats are kept
      {"[scan]\r\navoid=;\r\n", {L""}},                        // not empty: no first-run rule
      {"[scan]\r\navoid=\r\n", {L"C:\\"}},
      {"[scan]\r\navoid=\r\n[app]\r\nfirstrun=0\r\n", {}},
      {"[app]\r\nfirstrun=yes\r\n", {L"C:\\"}},  // not a number: the default, true
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    PutFile(c.file);
    TSharedState state;
    LoadSettings(state, settings);
    EXPECT_EQ(state.ExcludedDrives.Snapshot(), c.expected);
  }
}

TEST_F(SettingsTest, SystemFolderWithoutDriveExcludesNothing) {
  system.systemDirectory = L"";
  TSharedState state;
  LoadSettings(state, settings);
  EXPECT_EQ(state.ExcludedDrives.Count(), 0);
}

TEST_F(SettingsTest, BooleansReadAsIntegersAndAreWrittenAsOneOrZero) {
  struct Case {
    const char* value;
    bool expected;
  };
  const Case cases[] = {
      {"1", true}, {"0", false},   {"2", true},   {"-1", true},   {"yes", true},
      {"", true},  {"0x0", false}, {"$0", false}, {" 0 ", false}, {"false", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    PutFile(std::string("[app]\r\nenable=") + c.value + "\r\n");
    TSharedState state;
    LoadSettings(state, settings);
    EXPECT_EQ(state.ProtectionEnabled, c.expected);
    SaveSettings(state, settings, 0);
    EXPECT_EQ(Value(L"app", L"enable"), c.expected ? L"1" : L"0");
  }
  PutFile("");
  EXPECT_FALSE(settings.ReadBool(kSectionApp, kKeyEnable, false));
  EXPECT_TRUE(settings.WriteBool(L"app", L"flag", true));
  EXPECT_EQ(Value(L"app", L"flag"), L"1");
}

TEST(SettingsInteger, DecimalAndHexadecimalForms) {
  struct Case {
    const wchar_t* text;
    bool ok;
    int value;
  };
  const Case cases[] = {
      {L"12", true, 12},
      {L"-3", true, -3},
      {L"+7", true, 7},
      {L"0x1F", true, 31},
      {L"0X1f", true, 31},
      {L"$ff", true, 255},
      {L"$FFFFFFFF", true, -1},
      {L"2147483647", true, INT_MAX},
      {L"-2147483648", true, INT_MIN},
      {L"2147483648", false, 0},
      {L"0x100000000", false, 0},
      {L"99999999999999999999", false, 0},
      {L"1.5", false, 0},
      {L"12abc", false, 0},
      {L"abc", false, 0},
      {L"0x", false, 0},
      {L"$", false, 0},
      {L"-", false, 0},
      {L"", false, 0},
  };
  for (const Case& c : cases) {
    int value = 0;
    EXPECT_EQ(ParseSettingInteger(c.text, value), c.ok) << testing::PrintToString(std::wstring(c.text));
    if (c.ok) {
      EXPECT_EQ(value, c.value) << testing::PrintToString(std::wstring(c.text));
    }
  }
}

TEST_F(SettingsTest, ActionsAntivirusAndLanguageRoundTrip) {
  PutFile(
      "[APP]\r\nLANGUAGEID=1\r\nenable=0\r\n"
      "[action]\r\nmenace=2\r\nrisk=0x1\r\n"
      "[computer]\r\nAntivirusCmdLine=C:\\AV\\scan.exe /scan %s\r\n");
  TSharedState state;
  EXPECT_EQ(LoadSettings(state, settings), 1);
  EXPECT_FALSE(state.ProtectionEnabled);
  EXPECT_EQ(state.ThreatAction, Quarantine);
  EXPECT_EQ(state.RiskAction, Delete);
  EXPECT_EQ(state.AntivirusCommandLine, L"C:\\AV\\scan.exe /scan %s");

  SaveSettings(state, settings, -1);
  EXPECT_EQ(Value(L"APP", L"LANGUAGEID"), L"-1");  // the key keeps the spelling it had in the file
  EXPECT_EQ(Value(L"action", L"menace"), L"2");
  EXPECT_EQ(Value(L"action", L"risk"), L"1");
  EXPECT_EQ(Value(L"APP", L"enable"), L"0");
}

TEST_F(SettingsTest, TextComesBackExactlyEvenWhenQuotedOrPadded) {
  const std::wstring values[] = {
      L"\"C:\\Program Files\\AV\\scan.exe\" \"%s\"",  // would otherwise lose its outer quotes
      L"'x'",
      L"  padded  ",
      L"\"",
      L"plain %s",
      L"",
  };
  for (const std::wstring& value : values) {
    SCOPED_TRACE(testing::PrintToString(value));
    TSharedState state;
    state.AntivirusCommandLine = value;
    SaveSettings(state, settings, 0);
    TSharedState next;
    LoadSettings(next, settings);
    EXPECT_EQ(next.AntivirusCommandLine, value);
  }
  EXPECT_EQ(ProtectedValue(L"plain %s"), L"plain %s");
  EXPECT_EQ(ProtectedValue(L"\"a\""), L"\"\"a\"\"");
}

TEST_F(SettingsTest, UnreachableFileGivesDefaultsAndLosesWritesQuietly) {
  profiles.store.SetUnreachable(true);
  TSharedState state;
  EXPECT_EQ(LoadSettings(state, settings), 0);
  EXPECT_TRUE(state.ProtectionEnabled);
  EXPECT_EQ(state.ExcludedDrives.Snapshot(), Items{L"C:\\"});
  SaveSettings(state, settings, 0);
  EXPECT_FALSE(settings.WriteString(L"app", L"k", L"v"));
}

TEST_F(SettingsTest, WithoutProfilesTheProcessWideOnesAreUsed) {
  test::MemoryProfileFiles installed;
  ScopedPlatform withProfiles{Platform{nullptr, nullptr, nullptr, &installed, nullptr}};
  TSettingsFile global(SettingsFilePath(kDataFolder));
  ASSERT_TRUE(global.WriteInteger(kSectionAction, kKeyRisk, 1));
  EXPECT_EQ(installed.ReadString(global.FileName(), L"action", L"risk", L""), L"1");
  EXPECT_EQ(global.ReadInteger(kSectionAction, kKeyRisk, 0), 1);
}

}  // namespace
}  // namespace dw
