#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <thread>

#include "common/Text.h"
#include "engine/quarantine.h"
#include "support/ScanHarness.h"

namespace dw::test {

namespace {

std::vector<QuarantineEntry> Entries() {
  std::vector<QuarantineEntry> entries;
  ListQuarantineEntries([&](const QuarantineEntry& e) {
    entries.push_back(e);
    return true;
  });
  std::sort(entries.begin(), entries.end(), [](auto& a, auto& b) { return a.storedName < b.storedName; });
  return entries;
}

TEST(Quarantine, SameNamesGetNumberedNamesAndTheirOwnRecords) {
  DriveFixture e(0), f(1);
  ScanHarness h;
  e.WriteFile(L"run.exe", "one");
  f.WriteFile(L"run.exe", "two");
  e.MakeFolder(L"sub");
  e.WriteFile(L"sub\\run.exe", "three");
  for (const std::wstring& p : {e.Path(L"run.exe"), f.Path(L"run.exe"), e.Path(L"sub\\run.exe")})
    ASSERT_EQ(CopyToQuarantine(p), 0);

  auto entries = Entries();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].storedName, L"run.exe(0).quarantine");
  EXPECT_EQ(entries[0].displayName, L"run.exe(0)");
  EXPECT_EQ(entries[0].sourcePath, f.Path(L"run.exe"));
  EXPECT_EQ(entries[1].storedName, L"run.exe(1).quarantine");
  EXPECT_EQ(entries[1].sourcePath, e.Path(L"sub\\run.exe"));
  EXPECT_EQ(entries[2].storedName, L"run.exe.quarantine");
  EXPECT_EQ(entries[2].sourcePath, e.Path(L"run.exe"));
  EXPECT_EQ(Fs().ReadAll(QuarantineFolder() + L"run.exe(1).quarantine"), "three");
  EXPECT_TRUE(e.Exists(L"run.exe"));  // the caller deletes; the copy-in never does
}

TEST(Quarantine, ConcurrentCopyInsNeverShareAName) {
  DriveFixture e;
  ScanHarness h;
  constexpr int kPerThread = 15;
  for (int t = 0; t < 2; ++t) {
    for (int i = 0; i < kPerThread; ++i) {
      std::wstring folder = L"d" + std::to_wstring(t) + L"_" + std::to_wstring(i);
      e.MakeFolder(folder);
      e.WriteFile(folder + L"\\run.exe", WideToUtf8(folder));
    }
  }
  auto copyIn = [&](int t) {
    for (int i = 0; i < kPerThread; ++i)
      CopyToQuarantine(e.Path(L"d" + std::to_wstring(t) + L"_" + std::to_wstring(i) + L"\\run.exe"));
  };
  std::thread a(copyIn, 0), b(copyIn, 1);
  a.join();
  b.join();

  auto entries = Entries();
  ASSERT_EQ(entries.size(), 2u * kPerThread);
  for (const auto& entry : entries) {
    // Each stored copy holds the content of the file its record names.
    std::wstring folder =
        entry.sourcePath.substr(e.root().size(), entry.sourcePath.find(L"\\run.exe") - e.root().size());
    EXPECT_EQ(Fs().ReadAll(QuarantineFolder() + entry.storedName), WideToUtf8(folder)) << entry.storedName;
  }
}

TEST(Quarantine, SizesAndDisplayNames) {
  struct {
    uint64_t bytes;
    const wchar_t* shown;
  } sizes[] = {{0, L"1ko"}, {1023, L"1ko"}, {1024, L"2ko"}, {5000000000ULL, L"4882813ko"}};
  for (const auto& c : sizes) EXPECT_EQ(QuarantineSizeText(c.bytes), c.shown);
  EXPECT_EQ(QuarantineDisplayName(L"run.exe.quarantine"), L"run.exe");
  EXPECT_EQ(QuarantineDisplayName(L"a.quarantine.quarantine"), L"a");
  EXPECT_EQ(RestoredName(L"run.exe(0).quarantine"), L"run.exe(0)");
}

TEST(Quarantine, RecordsUseTheAnsiCodePage) {
  DriveFixture e;
  ScanHarness h;
  std::wstring name = L"caf\u00e9 \u4e2d.exe";
  e.WriteFile(name, "x");
  ASSERT_EQ(CopyToQuarantine(e.Path(name)), 0);
  auto entries = Entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(Fs().ReadAll(QuarantineFolder() + entries[0].storedName + L".info"),
            WideToUtf8(L"") + h.system.ToAnsi(e.Path(name)));
  EXPECT_EQ(entries[0].sourcePath, e.Path(L"caf\u00e9 ?.exe"));
}

TEST(Quarantine, RestoreNeverReplacesAndSaysWhy) {
  DriveFixture e;
  ScanHarness h;
  e.WriteFile(L"run.exe", "payload");
  ASSERT_EQ(CopyToQuarantine(e.Path(L"run.exe")), 0);
  ASSERT_TRUE(Fs().Delete(e.Path(L"run.exe")));
  e.MakeFolder(L"out");
  e.WriteFile(L"out\\run.exe", "older");
  e.MakeFolder(L"free");
  e.MakeFolder(L"taken");
  e.MakeFolder(L"taken\\run.exe");

  struct {
    const char* name;
    std::wstring stored, folder;
    RestoreResult result;
  } cases[] = {
      {"FreeName", L"run.exe.quarantine", e.Path(L"free"), RestoreResult::Restored},
      {"DriveRootKeepsItsOneBackslash", L"run.exe.quarantine", e.root(), RestoreResult::Restored},
      {"FileOfThatName", L"run.exe.quarantine", e.Path(L"out\\"), RestoreResult::NameTaken},
      {"FolderOfThatName", L"run.exe.quarantine", e.Path(L"taken"), RestoreResult::NameTaken},
      {"MissingFolder", L"run.exe.quarantine", e.Path(L"missing\\"), RestoreResult::Failed},
      {"NoSuchStoredFile", L"nothing.quarantine", e.Path(L"free"), RestoreResult::NotFound},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RestoreQuarantineEntry(c.stored, c.folder), c.result);
  }
  EXPECT_EQ(e.Read(L"free\\run.exe"), "payload");
  EXPECT_EQ(e.Read(L"run.exe"), "payload");
  EXPECT_EQ(e.Read(L"out\\run.exe"), "older");
  EXPECT_EQ(e.Names(L"out"), std::vector<std::wstring>{L"run.exe"});  // no partial copy left beside it
  EXPECT_EQ(e.Names(L"taken\\run.exe"), std::vector<std::wstring>{});
  EXPECT_EQ(Entries().size(), 1u);  // restoring never takes anything out of the store
}

TEST(Quarantine, EraseKeepsTheRecordUntilTheStoreIsEmptied) {
  DriveFixture e;
  ScanHarness h;
  e.WriteFile(L"a.exe", "a");
  e.WriteFile(L"b.exe", "b");
  CopyToQuarantine(e.Path(L"a.exe"));
  CopyToQuarantine(e.Path(L"b.exe"));
  EXPECT_TRUE(EraseQuarantineEntry(L"a.exe.quarantine"));
  EXPECT_FALSE(EraseQuarantineEntry(L"a.exe.quarantine"));
  EXPECT_NE(Fs().Attributes(QuarantineFolder() + L"a.exe.quarantine.info"), kInvalidAttributes);
  EXPECT_TRUE(EmptyQuarantineStore());
  bool any = false;
  Fs().Find(QuarantineFolder() + L"*", [&](const FindData& d) {
    any = any || !(d.attributes & kAttrDirectory);
    return true;
  });
  EXPECT_FALSE(any);
}

}  // namespace

}  // namespace dw::test
