// The log page: read when shown, newest first, in the user's words, and the
// command that opens the file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "findings_fixture.h"
#include "loc/LangLocStrings.h"
#include "state/LogReader.h"
#include "state/logfile.h"

namespace dw {
namespace {

class LogPageTest : public test::FindingsFixture {
 protected:
  void ShowPage() {
    TComponent& sheet = C(L"TabSheet7");
    sheet.OnShow(sheet);
  }
  TComponent& Rows() { return C(L"ListView6"); }
};

TEST_F(LogPageTest, ListsTheEntriesNewestFirstInTheUsersWords) {
  State().Log->addItem(L"scan/start", L"e:\\");
  system.dateTime = L"10/12/2026 14:03:08";
  State().Log->addItem(L"Menace/threat", L"e:\\My Files\\a;b.exe");
  system.dateTime = L"10/12/2026 14:03:09";
  State().Log->addItem(L"usb/vaccinated", L"e:\\");
  ShowPage();
  EXPECT_EQ(Rows().Rows(), (std::vector<TListRow>{
                               {L"10/12/2026 14:03:09", {L"usb/vaccinated", L"e:\\"}},
                               {L"10/12/2026 14:03:08", {MsgLogActThreat, L"e:\\My Files\\a;b.exe"}},
                               {L"10/12/2026 14:03:07", {MsgLogActScanStart, L"e:\\"}},
                           }));
  EXPECT_EQ(C(L"IlogState").Caption(), L"");
}

TEST_F(LogPageTest, ThePageIsReadWhenShownNotOnEveryEntry) {
  ShowPage();
  EXPECT_EQ(Rows().RowCount(), 0);
  State().Log->addItem(L"protection/off", L"");
  EXPECT_EQ(Rows().RowCount(), 0);
  ShowPage();
  EXPECT_EQ(Rows().RowCount(), 1);
}

TEST_F(LogPageTest, ADamagedLogShowsWhatCanBeRead) {
  const std::wstring path = State().Log->FileName();
  State().Log.reset();
  ASSERT_TRUE(Fs().WriteAll(path, std::string("\xff\xfe garbage;10/12/2026 14:03:07 delete/threat e:\\x.exe;10/1")));
  State().Log = std::make_unique<TLogFile>(data.path());
  ShowPage();
  EXPECT_EQ(Rows().Rows(), (std::vector<TListRow>{{L"10/12/2026 14:03:07", {MsgLogActDeleteThreat, L"e:\\x.exe"}}}));
}

TEST_F(LogPageTest, WithoutALogThePageSaysSoAndOpensNothing) {
  State().Log.reset();
  ShowPage();
  EXPECT_EQ(Rows().RowCount(), 0);
  EXPECT_EQ(C(L"IlogState").Caption(), FormatText(MsgLogOpenFailed, {std::wstring()}));
  Click(L"btlogOpen");
  EXPECT_TRUE(system.ShellCalls().empty());
  ASSERT_EQ(notifications.size(), 1u);
  EXPECT_EQ(notifications[0].title, MsgFailureTitle);
}

TEST_F(LogPageTest, OpenTheFileOpensTheLogItself) {
  Click(L"btlogOpen");
  ASSERT_EQ(system.ShellCalls().size(), 1u);
  EXPECT_EQ(system.ShellCalls()[0].verb, L"open");
  EXPECT_EQ(system.ShellCalls()[0].file, State().Log->FileName());
  EXPECT_TRUE(notifications.empty());
  system.shellStarts = false;
  Click(L"btlogOpen");
  ASSERT_EQ(notifications.size(), 1u);
  EXPECT_EQ(notifications[0].msg, FormatText(MsgLogOpenFailed, {State().Log->FileName()}));
}

}  // namespace
}  // namespace dw
