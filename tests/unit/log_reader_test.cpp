// Reading the log back: entries whose targets hold blanks, ';' or text shaped like
// a date, a damaged file, and a log far larger than the page shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/Text.h"
#include "platform/Platform.h"
#include "state/LogReader.h"
#include "state/logfile.h"
#include "support/DriveFixture.h"
#include "support/FakeSystem.h"

namespace dw {
namespace {

using test::FakeSystem;
using test::TempFolder;
using E = TLogEntry;

struct ParseCase {
  const char* name;
  std::wstring text;
  bool startsMidway;
  std::vector<TLogEntry> expected;
};

const std::wstring kDate = L"10/12/2026 14:03:07";

class LogParseTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(LogParseTest, GivesTheEntriesThatCanBeRead) {
  const ParseCase& c = GetParam();
  EXPECT_EQ(ParseLogText(c.text, c.startsMidway), c.expected);
}

const ParseCase kParseCases[] = {
    {"Empty", L"", false, {}},
    {"OneEntry", kDate + L" delete/threat e:\\x.exe;", false, {E{kDate, L"delete/threat", L"e:\\x.exe"}}},
    {"MidnightDateAloneAndEmptyTarget",
     L"11/12/2026 protection/off ;11/12/2026 00:00:01 protection/on ;",
     false,
     {E{L"11/12/2026", L"protection/off", L""}, E{L"11/12/2026 00:00:01", L"protection/on", L""}}},
    {"TwelveHourClock",
     L"12/10/2026 2:03:07 PM scan/start e:\\;",
     false,
     {E{L"12/10/2026 2:03:07 PM", L"scan/start", L"e:\\"}}},
    {"BlanksAndSemicolonsInTheTarget",
     kDate + L" Menace/threat e:\\My Files\\a;b ;c.exe;" + kDate + L" delete/threat e:\\ x ;",
     false,
     {E{kDate, L"Menace/threat", L"e:\\My Files\\a;b ;c.exe"}, E{kDate, L"delete/threat", L"e:\\ x "}}},
    {"ATargetWithDigitsAfterASemicolonIsNoEntry",
     kDate + L" Menace/threat e:\\2026;10 12 notes.txt;",
     false,
     {E{kDate, L"Menace/threat", L"e:\\2026;10 12 notes.txt"}}},
    {"TwoWordAction",
     kDate + L" error msg The device is not ready. ;",
     false,
     {E{kDate, L"error msg", L"The device is not ready. "}}},
    {"RepairMoveWithArrowAndReason",
     kDate + L" repair/moved e:\\_\\Doc.docx -> e:\\Doc.docx;" + kDate +
         L" repair/kept e:\\_\\ (it still holds 1 item);",
     false,
     {E{kDate, L"repair/moved", L"e:\\_\\Doc.docx -> e:\\Doc.docx"},
      E{kDate, L"repair/kept", L"e:\\_\\ (it still holds 1 item)"}}},
    {"AWordOfAnotherVersionIsKept", kDate + L" usb/vaccinated e:\\;", false, {E{kDate, L"usb/vaccinated", L"e:\\"}}},
    {"NonAsciiTarget",
     kDate + L" Menace/riskFile e:\\\u00E9t\u00E9\\\u20AC.exe;",
     false,
     {E{kDate, L"Menace/riskFile", L"e:\\\u00E9t\u00E9\\\u20AC.exe"}}},
    {"ADamagedTailIsLeftOut",
     kDate + L" delete/threat e:\\x.exe;" + kDate + L" Menace/threat e:\\half",
     false,
     {E{kDate, L"delete/threat", L"e:\\x.exe"}}},
    {"AnEntryBeforeDamageIsKept",
     kDate + L" delete/threat e:\\a;b.exe;10/1\x01 Men",
     false,
     {E{kDate, L"delete/threat", L"e:\\a;b.exe"}}},
    {"GarbageAtTheStartIsSkipped",
     L"\x01\x02garbage; more;" + kDate + L" scan/end e:\\;",
     false,
     {E{kDate, L"scan/end", L"e:\\"}}},
    {"ATailReadMidwayStartsAtTheFirstWholeEntry",
     L"6 scan/start e:\\x;" + kDate + L" scan/end e:\\;",
     true,
     {E{kDate, L"scan/end", L"e:\\"}}},
    {"NoEntryAtAll", L";;;;  ; 12 ;;", false, {}},
};

INSTANTIATE_TEST_SUITE_P(Entries, LogParseTest, ::testing::ValuesIn(kParseCases),
                         [](const ::testing::TestParamInfo<ParseCase>& param) { return param.param.name; });

class LogReadTest : public ::testing::Test {
 protected:
  LogReadTest() : guard({nullptr, nullptr, &system, nullptr, nullptr}) {}
  std::wstring LogPath() const { return data.path() + L"log\\drivewarden_log_Alice.u.txt"; }

  TempFolder data;
  FakeSystem system;
  ScopedPlatform guard;
};

TEST_F(LogReadTest, ALargeLogGivesEveryEntryNewestFirstInTheAnsiCodePage) {
  constexpr int kEntries = 100000;
  std::wstring text;
  for (int i = 0; i < kEntries; ++i) {
    text += kDate + L" Menace/threat e:\\dossier \u00E9t\u00E9\\f;" + std::to_wstring(i) + L".exe;";
  }
  ASSERT_TRUE(Fs().CreateFolder(data.path() + L"log"));
  ASSERT_TRUE(Fs().WriteAll(LogPath(), system.ToAnsi(text)));
  TLogFile log(data.path());
  TLogReading reading = ReadLogNewestFirst(log);
  EXPECT_TRUE(reading.Opened);
  EXPECT_FALSE(reading.CutShort);
  ASSERT_EQ(reading.Entries.size(), static_cast<size_t>(kEntries));
  for (int i = 0; i < kEntries; ++i) {
    const TLogEntry& entry = reading.Entries[static_cast<size_t>(kEntries - 1 - i)];
    ASSERT_EQ(entry.Target, L"e:\\dossier \u00E9t\u00E9\\f;" + std::to_wstring(i) + L".exe") << i;
    ASSERT_EQ(entry.Action, L"Menace/threat") << i;
  }
}

TEST_F(LogReadTest, OnlyTheEndOfAHugeLogIsReadAndTheShortfallIsSaid) {
  TLogFile log(data.path());
  for (int i = 0; i < 50; ++i) log.addItem(L"scan/start", L"e:\\" + std::to_wstring(i));
  // Each of the last entries, "date scan/start e:\4N;", is 37 bytes; a bound that
  // falls inside the one before them leaves that one out instead of guessing.
  TLogReading tail = ReadLogNewestFirst(log, 10 * 37 + 5);
  EXPECT_TRUE(tail.CutShort);
  ASSERT_EQ(tail.Entries.size(), 10u);
  EXPECT_EQ(tail.Entries.front().Target, L"e:\\49");
  EXPECT_EQ(tail.Entries.back().Target, L"e:\\40");

  TLogReading fewRows = ReadLogNewestFirst(log, kLogReadBytes, 3);
  EXPECT_TRUE(fewRows.CutShort);
  ASSERT_EQ(fewRows.Entries.size(), 3u);
  EXPECT_EQ(fewRows.Entries.front().Target, L"e:\\49");
  EXPECT_EQ(fewRows.Entries.back().Target, L"e:\\47");

  TLogReading whole = ReadLogNewestFirst(log);
  EXPECT_FALSE(whole.CutShort);
  EXPECT_EQ(whole.Entries.size(), 50u);
}

}  // namespace
}  // namespace dw
