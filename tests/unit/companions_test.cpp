// The two companion programs beside drivewarden.exe: usbcmd.exe, which starts the
// program again with administrator rights, and update.exe, which reads the
// program's command line and shows its notice in the user's language.
#include "state/Companions.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/ElevationCompanion.h"
#include "app/UpdaterCompanion.h"
#include "common/Text.h"
#include "lang_support.h"
#include "platform/Platform.h"
#include "state/Elevation.h"
#include "support/DriveFixture.h"
#include "support/FakeSystem.h"

namespace dw::test {
namespace {

std::string Narrow(const std::vector<std::wstring>& arguments) {
  std::string text;
  for (const std::wstring& a : arguments) text += "[" + WideToUtf8(a) + "]";
  return text;
}

TEST(ElevationCompanion, OnlyRunAsAdminStartsTheProgramElevatedFromItsOwnFolder) {
  struct Case {
    std::vector<std::wstring> arguments;
    bool starts;
  };
  const Case cases[] = {
      {{L"/runAsadmin"}, true},
      {{L"/RUNASADMIN"}, true},
      {{L"/runasadmin", L"extra"}, true},
      {{L" /runAsadmin "}, true},
      {{}, false},
      {{L""}, false},
      {{L"runasadmin"}, false},
      {{L"/runAsadmin2"}, false},
      {{L"/hidden", L"/runAsadmin"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.arguments));
    FakeSystem system;
    system.programFolder = L"D:\\Apps\\Drive warden\\";
    ScopedPlatform guard(Platform{.system = &system});

    const int code = RunElevationCompanion(c.arguments);
    const std::vector<ShellCall> calls = system.ShellCalls();
    EXPECT_TRUE(system.MessageBoxes().empty()) << "the companion shows nothing of its own";
    if (!c.starts) {
      EXPECT_NE(code, 0);
      EXPECT_TRUE(calls.empty());
      continue;
    }
    EXPECT_EQ(code, 0);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].owner, OwnerWindow::None);
    EXPECT_EQ(calls[0].verb, L"runas");
    EXPECT_EQ(calls[0].file, L"D:\\Apps\\Drive warden\\drivewarden.exe");
    EXPECT_EQ(calls[0].parameters, L"runasadmin");
    EXPECT_EQ(calls[0].directory, L"D:\\Apps\\Drive warden\\");
    EXPECT_EQ(calls[0].show, kSwShowNormal);
  }
}

TEST(UpdaterArguments, SwitchesInAnyOrderCaseAndSpacing) {
  struct Case {
    std::vector<std::wstring> arguments;
    TUpdaterOptions expected;  // Hidden, LanguageId, NoUpdateCheck
  };
  const Case cases[] = {
      {{}, {false, 0, false}},
      {{L"/hidden", L"/langid=1", L"/no_update_check"}, {true, 1, true}},
      {{L"/no_update_check", L"/langid=1", L"/hidden"}, {true, 1, true}},
      {{L"/langid=1", L"/no_update_check"}, {false, 1, true}},
      // The program's parameters as one text, with the leading blank of a user's start.
      {{L" /langid=1 /no_update_check"}, {false, 1, true}},
      {{L"/hidden /langid=-1\t/no_update_check "}, {true, -1, true}},
      {{L"/HIDDEN", L"/LangId=1", L"/No_Update_Check"}, {true, 1, true}},
      {{L"/langid=5"}, {false, 5, false}},
      // Unknown switches and numbers that are none change nothing.
      {{L"/verbose", L"hidden", L"/hidden=1", L"/no_update"}, {false, 0, false}},
      {{L"/langid=1", L"/langid="}, {false, 1, false}},
      {{L"/langid=1", L"/langid=abc"}, {false, 1, false}},
      {{L"/langid=1x"}, {false, 0, false}},
      {{L"/langid=+1"}, {false, 0, false}},
      {{L"/langid=99999999999"}, {false, 0, false}},
      {{L"/langid=0", L"/langid=1"}, {false, 1, false}},
      {{L"/langid"}, {false, 0, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.arguments));
    TUpdaterOptions options = ParseUpdaterArguments(c.arguments);
    EXPECT_EQ(options.Hidden, c.expected.Hidden);
    EXPECT_EQ(options.LanguageId, c.expected.LanguageId);
    EXPECT_EQ(options.NoUpdateCheck, c.expected.NoUpdateCheck);
  }
}

TEST(UpdaterArguments, ReadWhatTheProgramPasses) {
  for (int mode : {0, 1, 7}) {
    for (int languageId : {-1, 0, 1, 5}) {
      SCOPED_TRACE(testing::Message() << "mode " << mode << " language " << languageId);
      const std::wstring parameters = UpdaterParameters(mode, languageId);
      TUpdaterOptions options = ParseUpdaterArguments({parameters});
      EXPECT_EQ(options, (TUpdaterOptions{mode == 1, languageId, true}));
    }
  }
}

// A program folder with the shipped language files in "Languages\", or without them.
class UpdaterNoticeTest : public LangFileTest {
 protected:
  void ShipLanguages() {
    ASSERT_TRUE(Fs().CreateFolder(folder.path() + L"Languages"));
    for (const char* name : {"french.lng", "english.lng"}) {
      std::wstring wideName = Utf8ToWide(name);
      ASSERT_TRUE(Fs().WriteAll(folder.path() + L"Languages\\" + wideName, ShippedLanguageFile(name)));
    }
  }
  TUpdaterNotice Notice(std::vector<std::wstring> arguments) {
    return UpdaterNotice(ParseUpdaterArguments(arguments), folder.path());
  }
};

constexpr wchar_t kNotCheckedEnglish[] = L"Could not check for updates: Drivewarden has no update service yet";
constexpr wchar_t kNotCheckedFrench[] =
    L"Impossible de rechercher une mise à jour : Drivewarden n'a pas encore de service de mise à jour";

TEST_F(UpdaterNoticeTest, TheLanguageIdPicksTheProgramsLanguageFile) {
  ShipLanguages();
  struct Case {
    std::vector<std::wstring> arguments;
    int entry;
    const wchar_t* text;
  };
  const Case cases[] = {
      // Nothing is ever checked: it says so, never "up to date", with or without "no check".
      {{L" /langid=1 /no_update_check"}, 72, kNotCheckedEnglish},
      {{L" /langid=0 /no_update_check"}, 72, kNotCheckedFrench},
      {{L" /langid=-1 /no_update_check"}, 72, kNotCheckedFrench},
      {{L" /langid=5 /no_update_check"}, 72, kNotCheckedFrench},
      {{L"/no_update_check"}, 72, kNotCheckedFrench},
      {{L" /langid=1"}, 72, kNotCheckedEnglish},
      {{L" /langid=0"}, 72, kNotCheckedFrench},
      {{}, 72, kNotCheckedFrench},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.arguments));
    TUpdaterNotice notice = Notice(c.arguments);
    EXPECT_TRUE(notice.Show);
    EXPECT_EQ(notice.Entry, c.entry);
    EXPECT_EQ(notice.Text, c.text);
    EXPECT_EQ(notice.Caption, L"Drivewarden");
    EXPECT_EQ(notice.Kind, TNoticeKind::Warning);
  }
}

TEST_F(UpdaterNoticeTest, WithoutLanguageFilesTheFrenchDefaultsShow) {
  EXPECT_EQ(Notice({L" /langid=1 /no_update_check"}).Text, kNotCheckedFrench);
  EXPECT_EQ(Notice({L" /langid=1"}).Text, kNotCheckedFrench);
}

TEST_F(UpdaterNoticeTest, HiddenShowsNothing) {
  ShipLanguages();
  for (auto arguments : {std::vector<std::wstring>{L"/hidden /langid=0 /no_update_check"},
                         std::vector<std::wstring>{L"/hidden"}, std::vector<std::wstring>{L"/langid=1", L"/HIDDEN"}}) {
    SCOPED_TRACE(Narrow(arguments));
    EXPECT_FALSE(Notice(arguments).Show);
  }
}

}  // namespace
}  // namespace dw::test
