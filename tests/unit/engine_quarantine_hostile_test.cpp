// The quarantine store against hostile sticks and a data folder that every user
// of the PC may write: planted links, names that lead out of the store, a store
// that cannot take a copy, copies cut off half-way, sources that never end.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "common/Text.h"
#include "engine/disposal.h"
#include "engine/quarantine.h"
#include "loc/LangLocStrings.h"
#include "support/CaughtCheck.h"
#include "support/ForwardingFileSystem.h"
#include "support/HostileEntries.h"
#include "support/ScanHarness.h"

namespace dw::test {

namespace {

std::vector<QuarantineEntry> Entries() {
  std::vector<QuarantineEntry> entries;
  ListQuarantineEntries([&](const QuarantineEntry& e) {
    entries.push_back(e);
    return true;
  });
  return entries;
}

// Every name in a folder (ending with "\"), "." and ".." left out, sorted.
std::vector<std::wstring> NamesIn(const std::wstring& folder) {
  std::vector<std::wstring> names;
  Fs().Find(folder + L"*", [&](const FindData& entry) {
    if (entry.name != L"." && entry.name != L"..") names.push_back(entry.name);
    return true;
  });
  std::sort(names.begin(), names.end());
  return names;
}

bool StartsWith(const std::wstring& path, const std::wstring& folder) {
  return path.size() >= folder.size() && EqualsNoCase(std::wstring_view(path).substr(0, folder.size()), folder);
}

// A victim file outside the store, in a folder of its own.
class Victim {
 public:
  Victim() { EXPECT_TRUE(Fs().WriteAll(Path(), kContent)); }
  std::wstring Path() const { return folder.path() + L"victim.txt"; }
  bool Intact() const { return Fs().ReadAll(Path()) == std::optional<std::string>(kContent); }

  static constexpr const char* kContent = "the user's own file";
  TempFolder folder;
};

TEST(HostileStore, LinksPlantedUnderTheStoresNamesAreNeverWrittenThrough) {
  DriveFixture e;
  ScanHarness h;
  Victim victim;
  HostileEntries hostile;
  e.WriteFile(L"run.exe", "MZ payload");
  const std::wstring store = QuarantineFolder();
  ASSERT_TRUE(Fs().CreateFolder(store));
  // Another user of the PC plants links named like the next copies' files.
  hostile.Link(store + L"run.exe.quarantine.info", victim.Path());
  hostile.Link(store + L"run.exe(0).quarantine.info", victim.folder.path() + L"created.txt");
  hostile.Link(store + L"run.exe(1).quarantine.partial", victim.Path());
  hostile.Link(store + L"run.exe(2).quarantine", victim.Path());
  const std::wstring expected = L"run.exe(3).quarantine";

  ASSERT_EQ(CopyToQuarantine(e.Path(L"run.exe")), 0);
  EXPECT_TRUE(victim.Intact());
  EXPECT_EQ(Fs().Attributes(victim.folder.path() + L"created.txt"), kInvalidAttributes);
  std::vector<QuarantineEntry> entries = Entries();  // a link is never listed
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].storedName, expected);
  EXPECT_EQ(entries[0].sourcePath, e.Path(L"run.exe"));
  EXPECT_EQ(Fs().ReadAll(store + expected), "MZ payload");

  // Nor is a planted link erased, restored or emptied through.
  e.MakeFolder(L"out");
  EXPECT_FALSE(EraseQuarantineEntry(L"run.exe(2).quarantine"));
  EXPECT_EQ(RestoreQuarantineEntry(L"run.exe(2).quarantine", e.Path(L"out\\")), RestoreResult::NotFound);
  EXPECT_TRUE(EmptyQuarantineStore());
  EXPECT_TRUE(victim.Intact());
  EXPECT_EQ(e.Names(L"out"), std::vector<std::wstring>{});
}

TEST(HostileStore, ARecordReplacedByALinkIsNotRead) {
  DriveFixture e;
  ScanHarness h;
  Victim victim;
  HostileEntries hostile;
  e.WriteFile(L"run.exe", "MZ");
  e.WriteFile(L"big.exe", "MZ");
  ASSERT_EQ(CopyToQuarantine(e.Path(L"run.exe")), 0);
  ASSERT_EQ(CopyToQuarantine(e.Path(L"big.exe")), 0);
  const std::wstring store = QuarantineFolder();
  // Another user swaps a record for a link to someone's file, another for one
  // longer than any path.
  ASSERT_TRUE(Fs().Delete(store + L"run.exe.quarantine.info"));
  hostile.Link(store + L"run.exe.quarantine.info", victim.Path());
  ASSERT_TRUE(Fs().WriteAll(store + L"big.exe.quarantine.info", std::string(70000, 'x')));

  std::vector<QuarantineEntry> entries = Entries();
  std::sort(entries.begin(), entries.end(), [](auto& a, auto& b) { return a.storedName < b.storedName; });
  ASSERT_EQ(entries.size(), 2u);
  // The listing shows the stored file's own path, as for a record it cannot read.
  EXPECT_EQ(entries[0].sourcePath, store + L"big.exe.quarantine");
  EXPECT_EQ(entries[1].sourcePath, store + L"run.exe.quarantine");
  EXPECT_TRUE(victim.Intact());
}

TEST(HostileStore, AStoreFolderThatIsALinkIsNeverUsed) {
  DriveFixture e;
  ScanHarness h;
  TempFolder elsewhere;
  HostileEntries hostile;
  const std::vector<std::wstring> theirs = {L"a.exe.quarantine", L"a.exe.quarantine.info", L"notes.txt"};
  for (const std::wstring& name : theirs) ASSERT_TRUE(Fs().WriteAll(elsewhere.path() + name, "theirs"));
  hostile.Link(State().DataFolder + L"quarantine", elsewhere.path());
  e.WriteFile(L"run.exe", "MZ");
  e.MakeFolder(L"out");

  EXPECT_TRUE(QuarantineFolderRefused());
  EXPECT_FALSE(ListQuarantineEntries([](const QuarantineEntry&) {
    ADD_FAILURE() << "nothing is listed through a link";
    return true;
  }));
  EXPECT_EQ(CopyToQuarantine(e.Path(L"run.exe")), -1);
  EXPECT_FALSE(EraseQuarantineEntry(L"a.exe.quarantine"));
  EXPECT_EQ(RestoreQuarantineEntry(L"a.exe.quarantine", e.Path(L"out\\")), RestoreResult::NotFound);
  EXPECT_FALSE(EmptyQuarantineStore());

  EXPECT_EQ(NamesIn(elsewhere.path()), theirs);
  EXPECT_EQ(e.Names(L"out"), std::vector<std::wstring>{});
  EXPECT_EQ(e.Read(L"run.exe"), "MZ");
}

TEST(HostileStore, EmptyingDeletesOnlyTheStoresOwnFiles) {
  DriveFixture e;
  ScanHarness h;
  e.WriteFile(L"a.exe", "a");
  ASSERT_EQ(CopyToQuarantine(e.Path(L"a.exe")), 0);
  const std::wstring store = QuarantineFolder();
  ASSERT_TRUE(Fs().WriteAll(store + L"b.exe.quarantine.partial", "left by a copy cut off"));
  ASSERT_TRUE(Fs().WriteAll(store + L"b.exe.quarantine.info", "e:\\b.exe"));
  // What someone else put there is not the store's to delete.
  ASSERT_TRUE(Fs().WriteAll(store + L"notes.txt", "someone's notes"));
  ASSERT_TRUE(Fs().CreateFolder(store + L"folder.quarantine"));

  EXPECT_TRUE(EmptyQuarantineStore());
  EXPECT_EQ(NamesIn(store), (std::vector<std::wstring>{L"folder.quarantine", L"notes.txt"}));
}

TEST(HostileStore, OnlyAStoredEntrysOwnNameReachesTheStore) {
  DriveFixture e;
  ScanHarness h;
  // Files beside and above the store that a crafted name would reach.
  ASSERT_TRUE(Fs().WriteAll(State().DataFolder + L"victim.quarantine", "data folder"));
  e.WriteFile(L"victim.quarantine", "on the drive");
  e.WriteFile(L"run.exe", "MZ");
  ASSERT_EQ(CopyToQuarantine(e.Path(L"run.exe")), 0);
  e.MakeFolder(L"out");
  const std::wstring drive = e.root();

  const std::wstring refused[] = {
      L"..\\victim.quarantine",
      L"../victim.quarantine",
      L"..\\..\\victim.quarantine",
      drive + L"victim.quarantine",
      drive.substr(0, 2) + L"victim.quarantine",
      L"\\victim.quarantine",
      L"sub\\run.exe.quarantine",
      L"run.exe.quarantine:stream.quarantine",
      L"*.quarantine",
      L"run.exe?quarantine",
      std::wstring(L"run.exe\0x", 9) + L".quarantine",
      L"con.quarantine",
      L"run.exe",
      L"run.exe.quarantine.info",
      L"",
  };
  for (const std::wstring& name : refused) {
    SCOPED_TRACE(WideToUtf8(name));
    EXPECT_FALSE(IsStoredEntryName(name));
    EXPECT_FALSE(EraseQuarantineEntry(name));
    EXPECT_EQ(RestoreQuarantineEntry(name, e.Path(L"out\\")), RestoreResult::NotFound);
  }
  EXPECT_EQ(Fs().ReadAll(State().DataFolder + L"victim.quarantine"), "data folder");
  EXPECT_EQ(e.Read(L"victim.quarantine"), "on the drive");
  EXPECT_EQ(e.Names(L"out"), std::vector<std::wstring>{});
  EXPECT_TRUE(IsStoredEntryName(L"run.exe.quarantine"));
  EXPECT_TRUE(IsStoredEntryName(L"run..exe(0).QUARANTINE"));
  EXPECT_EQ(Entries().size(), 1u);
}

// A store that takes no copy: the calls that would make a file in it fail with
// the given error, as a read-only or a full disk answers.
class RefusingStore : public ForwardingFileSystem {
 public:
  RefusingStore(FileSystem& inner, uint32_t error) : ForwardingFileSystem(inner), error_(error) {}

  uint32_t Attributes(const std::wstring& path) override {
    refused_ = false;
    return ForwardingFileSystem::Attributes(path);
  }
  bool CreateNew(const std::wstring& path, std::string_view bytes) override {
    return InStore(path) && error_ == kErrorAccessDenied ? Refuse() : ForwardingFileSystem::CreateNew(path, bytes);
  }
  bool WriteAll(const std::wstring& path, std::string_view bytes) override {
    return InStore(path) && error_ == kErrorAccessDenied ? Refuse() : ForwardingFileSystem::WriteAll(path, bytes);
  }
  bool CopyNew(const std::wstring& from, const std::wstring& to, uint64_t size) override {
    return InStore(to) ? Refuse() : ForwardingFileSystem::CopyNew(from, to, size);
  }
  bool Copy(const std::wstring& from, const std::wstring& to, bool failIfExists) override {
    return InStore(to) ? Refuse() : ForwardingFileSystem::Copy(from, to, failIfExists);
  }
  uint32_t LastError() override { return refused_ ? error_ : ForwardingFileSystem::LastError(); }

 private:
  bool InStore(const std::wstring& path) {
    refused_ = false;
    return StartsWith(path, QuarantineFolder());
  }
  bool Refuse() {
    refused_ = true;
    return false;
  }

  uint32_t error_;
  bool refused_ = false;
};

TEST(HostileStore, ADisposalThatCannotStoreItsCopyLeavesTheFileAsItWas) {
  constexpr uint32_t kDiskFull = 112;
  constexpr uint32_t kHiddenSystem = kAttrHidden | kAttrSystem;
  struct {
    const char* name;
    bool storeIsAFile;
    uint32_t refusal;  // 0: the real file system
  } cases[] = {
      {"StoreFolderIsAFile", true, 0},
      {"ReadOnlyStore", false, kErrorAccessDenied},
      {"FullStore", false, kDiskFull},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DriveFixture e;
    ScanHarness h;
    State().MayRequestElevation = false;  // a request would stop the scans
    e.WriteFile(L"x.scr", "scr", kHiddenSystem);
    const uint32_t before = e.Attributes(L"x.scr");
    if (c.storeIsAFile) {
      ASSERT_TRUE(Fs().WriteAll(State().DataFolder + L"quarantine", "a file"));
    }
    PdiskInfo drive = h.Drive(e);
    {
      RefusingStore store(Fs(), c.refusal);
      std::optional<ScopedPlatform> refusing;
      if (c.refusal != 0) refusing.emplace(Platform{.fs = &store});
      EXPECT_EQ(CopyToQuarantine(e.Path(L"x.scr")), -1);
      EXPECT_EQ(e.Attributes(L"x.scr"), before);
      // The scan's automatic deletion says it failed and leaves the file there.
      State().RiskAction = Delete;
      h.Scan(drive);
      ASSERT_EQ(h.view.disposed.size(), 1u);
      EXPECT_EQ(h.view.disposed[0].second, DisposeResult::CopyFailed);
    }
    EXPECT_EQ(e.Read(L"x.scr"), "scr");
    EXPECT_EQ(e.Attributes(L"x.scr"), before);
    EXPECT_TRUE(Entries().empty());
    // So the next run's scan still finds it.
    State().RiskAction = Ask;
    State().RiskList.Clear();
    h.view.added.clear();
    h.Scan(drive);
    EXPECT_EQ(h.view.added, std::vector<std::wstring>{e.Path(L"x.scr")});
  }
}

// A store that cannot be written may need administrator rights: the program asks
// for them (once a run). A file or a link in the store's place is no matter of
// rights, and an elevated run would refuse it as well.
TEST(HostileStore, AStoreThatCannotBeWrittenAsksForElevation) {
  constexpr uint32_t kDiskFull = 112;
  struct {
    const char* name;
    bool storeIsAFile;
    uint32_t refusal;  // 0: the real file system
    bool asks;
  } cases[] = {
      {"ReadOnlyStore", false, kErrorAccessDenied, true},
      {"FullStore", false, kDiskFull, true},
      {"StoreFolderIsAFile", true, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DriveFixture e;
    ScanHarness h;
    e.WriteFile(L"x.scr", "scr");
    if (c.storeIsAFile) {
      ASSERT_TRUE(Fs().WriteAll(State().DataFolder + L"quarantine", "a file"));
    }
    RefusingStore store(Fs(), c.refusal);
    std::optional<ScopedPlatform> refusing;
    if (c.refusal != 0) refusing.emplace(Platform{.fs = &store});
    EXPECT_EQ(CopyToQuarantine(e.Path(L"x.scr")), -1);
    std::vector<MessageBoxCall> boxes = h.system.MessageBoxes();
    ASSERT_EQ(boxes.size(), c.asks ? 1u : 0u);
    if (c.asks) {
      EXPECT_EQ(boxes[0].caption, MsgElevationTitle);
      ASSERT_EQ(h.system.ShellCalls().size(), 1u);
      EXPECT_EQ(h.system.ShellCalls()[0].parameters, L"/runAsadmin");
    }
    EXPECT_EQ(e.Read(L"x.scr"), "scr");
  }
}

TEST(HostileStore, LongNamesAreShortenedAndTheRecordKeepsTheSource) {
  DriveFixture e;
  ScanHarness h;
  const std::wstring names[] = {
      std::wstring(240, L'a') + L".exe", std::wstring(120, L'\u00e9') + L".exe",  // 244 bytes in UTF-8
  };
  for (const std::wstring& name : names) {
    SCOPED_TRACE(WideToUtf8(name.substr(0, 8)));
    RemoveFolderContents(QuarantineFolder());
    e.WriteFile(name, "long " + WideToUtf8(name.substr(0, 3)));
    ASSERT_EQ(CopyToQuarantine(e.Path(name)), 0)
        << "error " << Fs().LastError() << " storing into " << WideToUtf8(QuarantineFolder());
    std::vector<QuarantineEntry> entries = Entries();
    ASSERT_EQ(entries.size(), 1u);
    const std::wstring& stored = entries[0].storedName;
    EXPECT_EQ(entries[0].sourcePath, h.system.FromAnsi(h.system.ToAnsi(e.Path(name))));
    EXPECT_LE(WideToUtf8(stored + L".partial").size(), 255u) << WideToUtf8(stored);
    EXPECT_LE((QuarantineFolder() + stored + L".partial").size(), 259u);
    EXPECT_NE(stored.find(L"~.exe.quarantine"), std::wstring::npos) << WideToUtf8(stored);
    EXPECT_EQ(Fs().ReadAll(QuarantineFolder() + stored), e.Read(name));

    e.MakeFolder(L"out");
    EXPECT_EQ(RestoreQuarantineEntry(stored, e.Path(L"out\\")), RestoreResult::Restored);
    EXPECT_EQ(e.Read(L"out\\" + RestoredName(stored)), e.Read(name));
    RemoveFolderContents(e.Path(L"out\\"));
    ASSERT_TRUE(Fs().RemoveFolder(e.Path(L"out")));
  }
}

// Emulates a run ended in the middle of a copy (SIGTERM, a closed console): the
// copy into the store gets half of the bytes, then nothing more happens at all.
class DyingFileSystem : public ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;

  bool CopyNew(const std::wstring& from, const std::wstring& to, uint64_t size) override {
    if (!StartsWith(to, QuarantineFolder())) return ForwardingFileSystem::CopyNew(from, to, size);
    return Die(from, to);
  }
  bool Copy(const std::wstring& from, const std::wstring& to, bool failIfExists) override {
    if (!StartsWith(to, QuarantineFolder())) return ForwardingFileSystem::Copy(from, to, failIfExists);
    return Die(from, to);
  }
  bool Delete(const std::wstring& path) override { return !dead_ && ForwardingFileSystem::Delete(path); }
  bool Move(const std::wstring& from, const std::wstring& to) override {
    return !dead_ && ForwardingFileSystem::Move(from, to);
  }
  bool WriteAll(const std::wstring& path, std::string_view bytes) override {
    return !dead_ && ForwardingFileSystem::WriteAll(path, bytes);
  }
  bool CreateNew(const std::wstring& path, std::string_view bytes) override {
    return !dead_ && ForwardingFileSystem::CreateNew(path, bytes);
  }

 private:
  bool Die(const std::wstring& from, const std::wstring& to) {
    std::string bytes = ForwardingFileSystem::ReadAll(from).value_or("");
    ForwardingFileSystem::WriteAll(to, bytes.substr(0, bytes.size() / 2));
    dead_ = true;
    throw std::runtime_error("the run ended here");
  }

  bool dead_ = false;
};

TEST(HostileStore, ACopyCutOffHalfWayIsNeverListedNorRestored) {
  DriveFixture e;
  ScanHarness h;
  e.WriteFile(L"x.exe", std::string(100000, 'x'), kAttrHidden | kAttrSystem);
  const uint32_t before = e.Attributes(L"x.exe");
  {
    DyingFileSystem dying(Fs());
    ScopedPlatform dies(Platform{.fs = &dying});
    EXPECT_EQ(CopyToQuarantine(e.Path(L"x.exe")), -1);
  }
  EXPECT_EQ(TakeCaught().size(), 1u);
  EXPECT_EQ(e.Attributes(L"x.exe"), before);

  // The next run.
  EXPECT_TRUE(Entries().empty());
  e.MakeFolder(L"out");
  EXPECT_EQ(RestoreQuarantineEntry(L"x.exe.quarantine", e.Path(L"out\\")), RestoreResult::NotFound);
  EXPECT_EQ(e.Names(L"out"), std::vector<std::wstring>{});
  // A copy of the same file later takes a slot of its own, and emptying the store
  // takes the leftovers with it.
  ASSERT_EQ(CopyToQuarantine(e.Path(L"x.exe")), 0);
  std::vector<QuarantineEntry> entries = Entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].size, 100000u);
  EXPECT_TRUE(EmptyQuarantineStore());
  EXPECT_EQ(NamesIn(QuarantineFolder()), std::vector<std::wstring>{});
}

TEST(HostileStore, OnlyRegularFilesAreCopiedNeverThroughALink) {
  DriveFixture e;
  ScanHarness h;
  Victim elsewhere;
  HostileEntries hostile;
  hostile.Link(e.Path(L"linked.exe"), elsewhere.Path());
  // First, so that a copy that follows links stops the test before the endless one.
  ASSERT_EQ(CopyToQuarantine(e.Path(L"linked.exe")), -1);
  hostile.Link(e.Path(L"zero.exe"), L"/dev/zero");
  hostile.Pipe(e.Path(L"pipe.exe"));
  e.MakeFolder(L"folder.exe");
  for (const wchar_t* name : {L"zero.exe", L"pipe.exe", L"folder.exe"}) {
    SCOPED_TRACE(WideToUtf8(name));
    EXPECT_EQ(CopyToQuarantine(e.Path(name)), -1);
  }
  EXPECT_TRUE(Entries().empty());
  EXPECT_EQ(NamesIn(QuarantineFolder()), std::vector<std::wstring>{});
  EXPECT_TRUE(elsewhere.Intact());
}

}  // namespace

}  // namespace dw::test
