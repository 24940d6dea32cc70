#include <gtest/gtest.h>

#include <map>
#include <thread>
#include <vector>

#include "common/Text.h"
#include "platform/Platform.h"
#include "state/logfile.h"
#include "support/DriveFixture.h"
#include "support/FakeSystem.h"
#include "support/ForwardingFileSystem.h"
#include "support/HostileEntries.h"

namespace dw {
namespace {

using test::FakeSystem;
using test::TempFolder;

class LogFileTest : public ::testing::Test {
 protected:
  LogFileTest() : guard({nullptr, nullptr, &system, nullptr, nullptr}) {}

  std::wstring LogPath(const std::wstring& user) const {
    return data.path() + L"log\\drivewarden_log_" + user + L".u.txt";
  }
  std::string Content(const std::wstring& path) const { return Fs().ReadAll(path).value_or("<missing>"); }

  TempFolder data;
  FakeSystem system;
  ScopedPlatform guard;
};

TEST_F(LogFileTest, FirstStartCreatesFolderAndEmptyFileThenAppendsEntries) {
  TLogFile log(data.path());
  EXPECT_TRUE(log.IsOpen());
  EXPECT_EQ(log.FileName(), LogPath(L"Alice"));
  EXPECT_EQ(Fs().Attributes(data.path() + L"log") & kAttrDirectory, kAttrDirectory);
  EXPECT_EQ(Content(LogPath(L"Alice")), "");

  log.addItem(L"delete/threat", L"e:\\x.exe");
  EXPECT_EQ(Content(LogPath(L"Alice")), "10/12/2026 14:03:07 delete/threat e:\\x.exe;");
  system.dateTime = L"11/12/2026";  // midnight: the platform leaves the time out
  log.addItem(L"Menace/riskFile", L"");
  EXPECT_EQ(Content(LogPath(L"Alice")), "10/12/2026 14:03:07 delete/threat e:\\x.exe;11/12/2026 Menace/riskFile ;");
}

TEST_F(LogFileTest, ExistingLogKeepsItsContent) {
  ASSERT_TRUE(Fs().CreateFolder(data.path() + L"log"));
  ASSERT_TRUE(Fs().WriteAll(LogPath(L"Alice"), "01/01/2026 quarantineErase x;"));
  TLogFile log(data.path());
  log.addItem(L"quarantineRestoreTo", L"c:\\restored\\");
  EXPECT_EQ(Content(LogPath(L"Alice")),
            "01/01/2026 quarantineErase x;10/12/2026 14:03:07 quarantineRestoreTo c:\\restored\\;");
}

TEST_F(LogFileTest, EachUserHasAFileAndNoUserNameGivesDotUTxt) {
  TLogFile alice(data.path());
  system.userName = L"Bob";
  TLogFile bob(data.path());
  system.userName = std::nullopt;
  TLogFile nobody(data.path());
  alice.addItem(L"a", L"1");
  bob.addItem(L"b", L"2");
  nobody.addItem(L"c", L"3");
  EXPECT_EQ(Content(LogPath(L"Alice")), "10/12/2026 14:03:07 a 1;");
  EXPECT_EQ(Content(LogPath(L"Bob")), "10/12/2026 14:03:07 b 2;");
  EXPECT_EQ(nobody.FileName(), data.path() + L"log\\.u.txt");
  EXPECT_EQ(Content(data.path() + L"log\\.u.txt"), "10/12/2026 14:03:07 c 3;");
}

TEST_F(LogFileTest, EntriesAreWrittenInTheAnsiCodePage) {
  TLogFile log(data.path());
  log.addItem(L"Menace/threat", L"e:\\\u00E9t\u00E9\\\u20AC\u0100.exe");
  EXPECT_EQ(Content(LogPath(L"Alice")), "10/12/2026 14:03:07 Menace/threat e:\\\xE9t\xE9\\\x80?.exe;");
  EXPECT_EQ(log.lbGetLog(),
            std::vector<std::wstring>{L"10/12/2026 14:03:07 Menace/threat e:\\\u00E9t\u00E9\\\u20AC?.exe;"});
}

TEST_F(LogFileTest, OthersMayReadAndAppendToTheLogButNotReplaceIt) {
  TLogFile log(data.path());
  log.addItem(L"delete/threat", L"e:\\x.exe");
  EXPECT_EQ(Content(LogPath(L"Alice")), "10/12/2026 14:03:07 delete/threat e:\\x.exe;");
  EXPECT_FALSE(Fs().WriteAll(LogPath(L"Alice"), "tampered"));
  // Another run of the program (a command-line scan) appends to the same log.
  std::unique_ptr<SharedFile> other = Fs().OpenShared(LogPath(L"Alice"));
  ASSERT_NE(other, nullptr);
  EXPECT_TRUE(other->Append("theirs;"));
  log.addItem(L"delete/riskFile", L"e:\\y.scr");
  EXPECT_EQ(Content(LogPath(L"Alice")),
            "10/12/2026 14:03:07 delete/threat e:\\x.exe;theirs;10/12/2026 14:03:07 delete/riskFile e:\\y.scr;");
}

TEST_F(LogFileTest, ALogHeldByAnotherWriterGetsBothWritersEntries) {
  ASSERT_TRUE(Fs().CreateFolder(data.path() + L"log"));
  std::unique_ptr<SharedFile> other = Fs().OpenShared(LogPath(L"Alice"));
  ASSERT_NE(other, nullptr);
  ASSERT_TRUE(other->Append("theirs;"));

  TLogFile log(data.path());
  EXPECT_TRUE(log.IsOpen());
  log.addItem(L"delete/threat", L"e:\\x.exe");
  ASSERT_TRUE(other->Append("more;"));
  EXPECT_EQ(other->ReadAll(), "theirs;10/12/2026 14:03:07 delete/threat e:\\x.exe;more;");
}

TEST_F(LogFileTest, UnusableDataFolderMeansNoLog) {
  TLogFile log(data.path() + L"missing\\deeper\\");
  EXPECT_FALSE(log.IsOpen());
  log.addItem(L"delete/threat", L"e:\\x.exe");  // nothing happens, nothing breaks
}

TEST_F(LogFileTest, ConcurrentEntriesLandWhole) {
  TLogFile log(data.path());
  constexpr int kThreads = 4, kEntries = 50;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&log, t] {
      for (int i = 0; i < kEntries; ++i) log.addItem(L"delete/AutoAction", L"e:\\t" + std::to_wstring(t) + L".exe");
    });
  }
  for (std::thread& thread : threads) thread.join();

  std::string content = Content(LogPath(L"Alice"));
  std::vector<int> perThread(kThreads, 0);
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find(';', start);
    ASSERT_NE(end, std::string::npos);
    std::string entry = content.substr(start, end - start);
    const std::string prefix = "10/12/2026 14:03:07 delete/AutoAction e:\\t";
    ASSERT_EQ(entry.substr(0, prefix.size()), prefix) << entry;
    ASSERT_EQ(entry.size(), prefix.size() + 5) << entry;  // the digit and ".exe"
    ++perThread.at(static_cast<size_t>(entry[prefix.size()] - '0'));
    start = end + 1;
  }
  EXPECT_EQ(perThread, std::vector<int>(kThreads, kEntries));
}

TEST_F(LogFileTest, TwoRunsSharingTheLogLandAllTheirEntriesWhole) {
  // Two opens of the one file behave as two processes do: each holds its own
  // handle and its own lock.
  TLogFile program(data.path()), scanner(data.path());
  ASSERT_TRUE(program.IsOpen());
  ASSERT_TRUE(scanner.IsOpen());
  // Enough that two handles appending without the lock overwrite each other's
  // entries under Wine, every time.
  constexpr int kEntries = 3000;
  auto write = [](TLogFile& log, const wchar_t* who) {
    for (int i = 0; i < kEntries; ++i) log.addItem(L"delete/AutoAction", std::wstring(who) + L".exe");
  };
  std::thread a(write, std::ref(program), L"e:\\program"), b(write, std::ref(scanner), L"e:\\scanner");
  a.join();
  b.join();

  std::string content = Content(LogPath(L"Alice"));
  std::map<std::string, int> counts;
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find(';', start);
    ASSERT_NE(end, std::string::npos);
    ++counts[content.substr(start, end - start)];
    start = end + 1;
  }
  EXPECT_EQ(counts, (std::map<std::string, int>{{"10/12/2026 14:03:07 delete/AutoAction e:\\program.exe", kEntries},
                                                {"10/12/2026 14:03:07 delete/AutoAction e:\\scanner.exe", kEntries}}));
}

// A log whose file refuses this run: it was held by a writer that shares
// nothing, or it fails while the run goes on (a full disk).
class RefusingLogs : public test::ForwardingFileSystem {
 public:
  enum Mode { NoOpen, FailingAppends };
  RefusingLogs(FileSystem& inner, Mode mode) : ForwardingFileSystem(inner), mode_(mode) {}

  std::unique_ptr<SharedFile> OpenShared(const std::wstring& path) override {
    if (mode_ == NoOpen) return nullptr;
    return std::make_unique<FailingFile>(ForwardingFileSystem::OpenShared(path));
  }

 private:
  class FailingFile : public SharedFile {
   public:
    explicit FailingFile(std::unique_ptr<SharedFile> inner) : inner_(std::move(inner)) {}
    bool Append(std::string_view) override { return false; }
    std::optional<std::string> ReadAll() override { return inner_->ReadAll(); }
    std::optional<FileStart> ReadTail(size_t maxBytes) override { return inner_->ReadTail(maxBytes); }
    bool Truncate() override { return inner_->Truncate(); }

   private:
    std::unique_ptr<SharedFile> inner_;
  };

  Mode mode_;
};

TEST_F(LogFileTest, ALogThatCannotBeWrittenIsToldOnce) {
  struct {
    const char* name;
    std::optional<RefusingLogs::Mode> refusal;
    const wchar_t* plantedLink;  // leads from the log's name into the other folder
    const wchar_t* below;        // the data folder below a fresh folder
  } cases[] = {
      {"HeldByAWriterThatSharesNothing", RefusingLogs::NoOpen, nullptr, L""},
      {"WritesFail", RefusingLogs::FailingAppends, nullptr, L""},
      {"ALinkToAFileElsewhere", std::nullopt, L"victim.txt", L""},
      {"ADanglingLink", std::nullopt, L"created.txt", L""},
      {"NoDataFolder", std::nullopt, nullptr, L"missing\\deeper\\"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder fresh, elsewhere;
    const std::wstring dataFolder = fresh.path() + c.below;
    const std::wstring victim = elsewhere.path() + L"victim.txt";
    ASSERT_TRUE(Fs().WriteAll(victim, "the user's own file"));
    test::HostileEntries hostile;
    if (c.plantedLink) {
      // Another user of the PC was there first.
      ASSERT_TRUE(Fs().CreateFolder(dataFolder + L"log"));
      hostile.Link(dataFolder + L"log\\drivewarden_log_Alice.u.txt", elsewhere.path() + c.plantedLink);
    }
    RefusingLogs refusing(Fs(), c.refusal.value_or(RefusingLogs::NoOpen));
    std::optional<ScopedPlatform> refused;
    if (c.refusal) refused.emplace(Platform{.fs = &refusing});

    std::vector<std::wstring> told;
    TLogFile log(dataFolder, [&](const std::wstring& path) { told.push_back(path); });
    for (int i = 0; i < 3; ++i) log.addItem(L"delete/threat", L"e:\\x.exe");
    EXPECT_EQ(told, std::vector<std::wstring>{log.FileName()});
    EXPECT_EQ(Fs().ReadAll(victim), "the user's own file");
    EXPECT_EQ(Fs().Attributes(elsewhere.path() + L"created.txt"), kInvalidAttributes);
  }
}

TEST_F(LogFileTest, EraseLogEmptiesTheFile) {
  TLogFile log(data.path());
  log.addItem(L"a", L"1");
  log.EraseLog();
  EXPECT_EQ(Content(LogPath(L"Alice")), "");
  log.addItem(L"b", L"2");
  EXPECT_EQ(log.lbGetLog(), std::vector<std::wstring>{L"10/12/2026 14:03:07 b 2;"});
}

}  // namespace
}  // namespace dw
