// The FileSystem contract that the portable code relies on, run on a fixture
// drive: our POSIX backend natively, the real Win32 functions under Wine.
#include <gtest/gtest.h>

#include <map>

#include "common/Text.h"
#include "platform/PathRules.h"
#include "platform/Platform.h"
#include "support/DriveFixture.h"
#include "support/HostileEntries.h"

namespace dw {
namespace {

using test::DriveFixture;

class FileSystemContract : public ::testing::Test {
 protected:
  std::wstring P(const std::wstring& rel) const { return drive.Path(rel); }

  // name -> (attributes, size) of what Find reports for pattern.
  std::map<std::wstring, std::pair<uint32_t, uint64_t>> Found(const std::wstring& pattern) {
    std::map<std::wstring, std::pair<uint32_t, uint64_t>> found;
    Fs().Find(pattern, [&](const FindData& entry) {
      found[entry.name] = {entry.attributes, entry.size};
      return true;
    });
    return found;
  }

  DriveFixture drive;
};

TEST_F(FileSystemContract, AttributesRoundTrip) {
  struct Case {
    const wchar_t* name;
    bool folder;
    uint32_t set;
    uint32_t expected;
  };
  const Case cases[] = {
      {L"plain", false, 0, kAttrArchive},
      {L"archive", false, kAttrArchive, kAttrArchive},
      {L"hidden", false, kAttrHidden, kAttrArchive | kAttrHidden},
      {L"hidsys", false, kAttrHidden | kAttrSystem, kAttrArchive | kAttrHidden | kAttrSystem},
      {L"readonly", false, kAttrReadOnly, kAttrArchive | kAttrReadOnly},
      {L"all", false, kAttrReadOnly | kAttrHidden | kAttrSystem,
       kAttrArchive | kAttrReadOnly | kAttrHidden | kAttrSystem},
      {L"normal", false, kAttrNormal, kAttrArchive},
      {L"dir", true, 0, kAttrDirectory},
      {L"hiddir", true, kAttrHidden, kAttrDirectory | kAttrHidden},
      {L"hidsysdir", true, kAttrHidden | kAttrSystem, kAttrDirectory | kAttrHidden | kAttrSystem},
  };
  for (const Case& c : cases) {
    if (c.folder) {
      drive.MakeFolder(c.name, c.set);
    } else {
      drive.WriteFile(c.name, "x", c.set);
    }
    EXPECT_EQ(drive.Attributes(c.name), c.expected) << WideToUtf8(c.name);
  }
  // Clearing gives the plain attributes back.
  drive.SetAttributes(L"all", kAttrNormal);
  EXPECT_EQ(drive.Attributes(L"all"), kAttrArchive);
  drive.SetAttributes(L"hidsysdir", kAttrNormal);
  EXPECT_EQ(drive.Attributes(L"hidsysdir"), kAttrDirectory);
  // Find reports the same attributes.
  auto found = Found(P(L"*"));
  EXPECT_EQ(found[L"hidsys"].first, kAttrArchive | kAttrHidden | kAttrSystem);
  EXPECT_EQ(found[L"hiddir"].first, kAttrDirectory | kAttrHidden);
}

TEST_F(FileSystemContract, MissingEntriesGiveFileOrPathNotFound) {
  EXPECT_EQ(Fs().Attributes(P(L"nothing")), kInvalidAttributes);
  EXPECT_EQ(Fs().LastError(), kErrorFileNotFound);
  EXPECT_EQ(Fs().Attributes(P(L"nofolder\\nothing")), kInvalidAttributes);
  EXPECT_EQ(Fs().LastError(), kErrorPathNotFound);
  EXPECT_FALSE(Fs().SetAttributes(P(L"nothing"), kAttrHidden));
  EXPECT_EQ(Fs().LastError(), kErrorFileNotFound);
  EXPECT_FALSE(Fs().ReadAll(P(L"nothing")).has_value());
  EXPECT_EQ(Fs().LastError(), kErrorFileNotFound);
  EXPECT_FALSE(Fs().WriteAll(P(L"nofolder\\x"), "x"));
  EXPECT_EQ(Fs().LastError(), kErrorPathNotFound);
}

TEST_F(FileSystemContract, ExistingNamesAreFoundWithoutRegardToCase) {
  drive.MakeFolder(L"Sub");
  drive.WriteFile(L"Sub\\Autorun.INF", "[autorun]");
  EXPECT_EQ(Fs().Attributes(P(L"sUB\\autorun.inf")), kAttrArchive);
  EXPECT_EQ(Fs().ReadAll(P(L"SUB\\AUTORUN.inf")), "[autorun]");
  auto found = Found(P(L"sub\\AUTORUN.*"));
  EXPECT_EQ(found.count(L"Autorun.INF"), 1u);
  // Writing through another spelling rewrites the file under its own name.
  EXPECT_TRUE(Fs().WriteAll(P(L"SUB\\AUTORUN.INF"), "new"));
  EXPECT_EQ(drive.Names(L"Sub"), std::vector<std::wstring>{L"Autorun.INF"});
  EXPECT_EQ(drive.Read(L"Sub\\Autorun.INF"), "new");
}

TEST_F(FileSystemContract, FindMatchesPatternsAndReportsAttributesAndSizes) {
  drive.WriteFile(L"a.lnk", "abc");
  drive.WriteFile(L"b.LNK", "");
  drive.WriteFile(L"c.exe", "12345", kAttrHidden | kAttrSystem);
  drive.WriteFile(L"readme", "r");
  drive.MakeFolder(L"sub", kAttrHidden);
  drive.WriteFile(L"sub\\in.txt", "in");

  struct Case {
    const wchar_t* pattern;
    std::vector<std::wstring> names;
  };
  const Case cases[] = {
      {L"*", {L"a.lnk", L"b.LNK", L"c.exe", L"readme", L"sub"}},
      {L"*.*", {L"a.lnk", L"b.LNK", L"c.exe", L"readme", L"sub"}},
      {L"*.lnk", {L"a.lnk", L"b.LNK"}},
      {L"?.EXE", {L"c.exe"}},
      {L"r*", {L"readme"}},
      {L"sub\\*", {L".", L"..", L"in.txt"}},
      {L"sub\\*.txt", {L"in.txt"}},
  };
  for (const Case& c : cases) {
    std::vector<std::wstring> names;
    for (const auto& [name, data] : Found(P(c.pattern))) names.push_back(name);
    EXPECT_EQ(names, c.names) << WideToUtf8(c.pattern);
  }
  auto found = Found(P(L"*"));
  EXPECT_EQ(found[L"a.lnk"], std::make_pair(kAttrArchive, uint64_t{3}));
  EXPECT_EQ(found[L"b.LNK"], std::make_pair(kAttrArchive, uint64_t{0}));
  EXPECT_EQ(found[L"c.exe"], std::make_pair(kAttrArchive | kAttrHidden | kAttrSystem, uint64_t{5}));
  EXPECT_EQ(found[L"sub"].first, kAttrDirectory | kAttrHidden);
}

TEST_F(FileSystemContract, FindFailsWithoutMatchesAndStopsWhenAsked) {
  drive.WriteFile(L"one", "1");
  drive.WriteFile(L"two", "2");
  auto never = [](const FindData&) {
    ADD_FAILURE() << "nothing should be visited";
    return true;
  };
  EXPECT_FALSE(Fs().Find(P(L"*.none"), never));
  EXPECT_EQ(Fs().LastError(), kErrorFileNotFound);
  EXPECT_FALSE(Fs().Find(P(L"missing\\*"), never));
  EXPECT_EQ(Fs().LastError(), kErrorPathNotFound);

  int visits = 0;
  EXPECT_TRUE(Fs().Find(P(L"*"), [&](const FindData&) {
    ++visits;
    return false;
  }));
  EXPECT_EQ(visits, 1);
}

constexpr uint32_t kErrorInvalidNameCode = 123;  // ERROR_INVALID_NAME
constexpr uint32_t kErrorDirectoryCode = 267;    // ERROR_DIRECTORY

// The walk lists with List, the rules with Find: both must see one drive alike.
TEST_F(FileSystemContract, ListIsFindOfEverythingWithoutTheDots) {
  drive.WriteFile(L"c.exe", "12345", kAttrHidden | kAttrSystem);
  drive.MakeFolder(L"Sub", kAttrHidden);
  drive.WriteFile(L"Sub\\in.txt", "in");
  drive.MakeFolder(L"empty");
  const struct {
    const wchar_t* folder;
    bool listed;
    uint32_t error;  // when not listed
  } cases[] = {
      {L"", true, 0},
      {L"Sub\\", true, 0},
      {L"sUB\\", true, 0},  // without regard to case, as Find
      {L"empty\\", true, 0},
      {L"missing\\", false, kErrorPathNotFound},
      {L"c.exe\\", false, kErrorPathNotFound},
      {L"missing\\below\\", false, kErrorPathNotFound},
  };
  for (const auto& c : cases) {
    std::map<std::wstring, std::pair<uint32_t, uint64_t>> listed, found;
    bool listResult = Fs().List(P(c.folder), [&](const FindData& entry) {
      listed[entry.name] = {entry.attributes, entry.size};
      return true;
    });
    uint32_t listError = Fs().LastError();
    bool findResult = Fs().Find(P(c.folder) + L"*", [&](const FindData& entry) {
      if (entry.name != L"." && entry.name != L"..") found[entry.name] = {entry.attributes, entry.size};
      return true;
    });
    EXPECT_EQ(listResult, c.listed) << WideToUtf8(c.folder);
    EXPECT_EQ(findResult, c.listed) << WideToUtf8(c.folder);
    if (!c.listed) {
      // A file taken for a folder: Windows (and Wine, since the listing asks for
      // large fetches) may call the name invalid or no folder instead.
      const bool fileAsFolder = std::wstring_view(c.folder) == L"c.exe\\";
      if (!fileAsFolder || (listError != kErrorInvalidNameCode && listError != kErrorDirectoryCode)) {
        EXPECT_EQ(listError, c.error) << WideToUtf8(c.folder);
      }
    }
    EXPECT_EQ(listed, found) << WideToUtf8(c.folder);
  }
  EXPECT_EQ(Found(P(L"Sub\\*")).count(L"."), 1u);

  int visits = 0;
  EXPECT_TRUE(Fs().List(P(L""), [&](const FindData&) {
    ++visits;
    return false;
  }));
  EXPECT_EQ(visits, 1);
}

TEST_F(FileSystemContract, MoveNeverReplacesAnExistingTarget) {
  drive.WriteFile(L"x", "x");
  drive.WriteFile(L"y", "y");
  EXPECT_FALSE(Fs().Move(P(L"x"), P(L"y")));
  EXPECT_EQ(Fs().LastError(), kErrorAlreadyExists);
  EXPECT_FALSE(Fs().Move(P(L"x"), P(L"Y")));
  EXPECT_EQ(Fs().LastError(), kErrorAlreadyExists);
  EXPECT_EQ(drive.Read(L"x"), "x");
  EXPECT_EQ(drive.Read(L"y"), "y");

  EXPECT_TRUE(Fs().Move(P(L"x"), P(L"z")));
  EXPECT_FALSE(drive.Exists(L"x"));
  EXPECT_EQ(drive.Read(L"z"), "x");
  // A new letter case for the same entry is no clash. (Windows takes the new
  // case; Wine keeps the old one.)
  EXPECT_TRUE(Fs().Move(P(L"z"), P(L"Z")));
  std::vector<std::wstring> names = drive.Names();
  ASSERT_EQ(names.size(), 2u);
  EXPECT_TRUE(PathNamesEqual(names[0], L"z") || PathNamesEqual(names[1], L"z"));

  EXPECT_FALSE(Fs().Move(P(L"missing"), P(L"w")));
  EXPECT_EQ(Fs().LastError(), kErrorFileNotFound);
  EXPECT_FALSE(Fs().Move(P(L"y"), P(L"nofolder\\y")));
  EXPECT_EQ(Fs().LastError(), kErrorPathNotFound);

  drive.MakeFolder(L"dir");
  drive.WriteFile(L"dir\\in", "in");
  EXPECT_TRUE(Fs().Move(P(L"dir"), P(L"moved")));
  EXPECT_EQ(drive.Read(L"moved\\in"), "in");
}

TEST_F(FileSystemContract, CopyHonoursFailIfExistsAndKeepsAttributes) {
  drive.WriteFile(L"src", "source", kAttrHidden | kAttrSystem);
  drive.WriteFile(L"dst", "old");
  EXPECT_FALSE(Fs().Copy(P(L"src"), P(L"dst"), true));
  EXPECT_EQ(Fs().LastError(), kErrorFileExists);
  EXPECT_FALSE(Fs().Copy(P(L"src"), P(L"DST"), true));
  EXPECT_EQ(drive.Read(L"dst"), "old");

  EXPECT_TRUE(Fs().Copy(P(L"src"), P(L"dst"), false));
  EXPECT_EQ(drive.Read(L"dst"), "source");
  EXPECT_TRUE(Fs().Copy(P(L"src"), P(L"new"), true));
  EXPECT_EQ(drive.Read(L"new"), "source");
  EXPECT_EQ(drive.Attributes(L"new"), kAttrArchive | kAttrHidden | kAttrSystem);
  EXPECT_EQ(drive.Read(L"src"), "source");

  EXPECT_FALSE(Fs().Copy(P(L"missing"), P(L"other"), false));
  EXPECT_EQ(Fs().LastError(), kErrorFileNotFound);
  EXPECT_FALSE(drive.Exists(L"other"));
}

TEST_F(FileSystemContract, CreateNewIsExclusive) {
  EXPECT_TRUE(Fs().CreateNew(P(L"note.txt"), "first"));
  EXPECT_FALSE(Fs().CreateNew(P(L"note.txt"), "second"));
  EXPECT_EQ(Fs().LastError(), kErrorFileExists);
  EXPECT_FALSE(Fs().CreateNew(P(L"NOTE.TXT"), "third"));
  EXPECT_EQ(Fs().LastError(), kErrorFileExists);
  EXPECT_EQ(drive.Read(L"note.txt"), "first");
  EXPECT_FALSE(Fs().CreateNew(P(L"nofolder\\note.txt"), "x"));
  EXPECT_EQ(Fs().LastError(), kErrorPathNotFound);
}

TEST_F(FileSystemContract, DeleteRemovesFilesOnly) {
  drive.WriteFile(L"file", "x");
  drive.WriteFile(L"locked", "x", kAttrReadOnly);
  drive.MakeFolder(L"dir");
  EXPECT_TRUE(Fs().Delete(P(L"FILE")));
  EXPECT_FALSE(drive.Exists(L"file"));
  EXPECT_FALSE(Fs().Delete(P(L"file")));
  EXPECT_EQ(Fs().LastError(), kErrorFileNotFound);
  EXPECT_FALSE(Fs().Delete(P(L"dir")));
  EXPECT_EQ(Fs().LastError(), kErrorAccessDenied);
  // A read-only file stays until its attribute is cleared.
  EXPECT_FALSE(Fs().Delete(P(L"locked")));
  EXPECT_EQ(Fs().LastError(), kErrorAccessDenied);
  drive.SetAttributes(L"locked", kAttrArchive);
  EXPECT_TRUE(Fs().Delete(P(L"locked")));
}

TEST_F(FileSystemContract, FoldersAreCreatedAndRemoved) {
  EXPECT_TRUE(Fs().CreateFolder(P(L"dir")));
  EXPECT_EQ(drive.Attributes(L"dir"), kAttrDirectory);
  EXPECT_FALSE(Fs().CreateFolder(P(L"dir")));
  EXPECT_EQ(Fs().LastError(), kErrorAlreadyExists);
  EXPECT_FALSE(Fs().CreateFolder(P(L"DIR")));
  EXPECT_EQ(Fs().LastError(), kErrorAlreadyExists);
  EXPECT_FALSE(Fs().CreateFolder(P(L"a\\b")));
  EXPECT_EQ(Fs().LastError(), kErrorPathNotFound);
  EXPECT_TRUE(Fs().CreateFolder(P(L"dir\\inner")));

  EXPECT_FALSE(Fs().RemoveFolder(P(L"dir")));
  EXPECT_EQ(Fs().LastError(), 145u);  // ERROR_DIR_NOT_EMPTY
  EXPECT_TRUE(Fs().RemoveFolder(P(L"dir\\inner")));
  EXPECT_TRUE(Fs().RemoveFolder(P(L"Dir")));
  EXPECT_FALSE(drive.Exists(L"dir"));
  EXPECT_FALSE(Fs().RemoveFolder(P(L"dir")));
  EXPECT_EQ(Fs().LastError(), kErrorFileNotFound);
}

TEST_F(FileSystemContract, WholeFilesAreReadAndWritten) {
  std::string bytes("a\0b\r\n\xff", 6);
  EXPECT_TRUE(Fs().WriteAll(P(L"data.bin"), bytes));
  EXPECT_EQ(Fs().ReadAll(P(L"data.bin")), bytes);
  EXPECT_TRUE(Fs().WriteAll(P(L"data.bin"), "short"));
  EXPECT_EQ(Fs().ReadAll(P(L"data.bin")), "short");
  EXPECT_TRUE(Fs().WriteAll(P(L"empty"), ""));
  EXPECT_EQ(Fs().ReadAll(P(L"empty")), "");
  // A hidden system file is rewritten in place and stays what it was.
  drive.WriteFile(L"hidden.ini", "a long first content", kAttrHidden | kAttrSystem);
  EXPECT_TRUE(Fs().WriteAll(P(L"hidden.ini"), "second"));
  EXPECT_EQ(drive.Read(L"hidden.ini"), "second");
  EXPECT_EQ(drive.Attributes(L"hidden.ini"), kAttrArchive | kAttrHidden | kAttrSystem);
  drive.MakeFolder(L"dir");
  EXPECT_FALSE(Fs().ReadAll(P(L"dir")).has_value());
}

TEST_F(FileSystemContract, SharedFileAppendsForEveryHolderAndRefusesOtherWriters) {
  drive.WriteFile(L"log.txt", "old;");
  std::unique_ptr<SharedFile> file = Fs().OpenShared(P(L"log.txt"));
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(file->Append("one;"));
  EXPECT_TRUE(file->Append("two;"));
  EXPECT_EQ(file->ReadAll(), "old;one;two;");

  // A second holder (another run of the program) appends after the first's end.
  std::unique_ptr<SharedFile> second = Fs().OpenShared(P(L"LOG.TXT"));
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(second->Append("theirs;"));
  EXPECT_TRUE(file->Append("three;"));
  second.reset();

  // Others may read it while it is held, not replace it.
  EXPECT_EQ(Fs().ReadAll(P(L"log.txt")), "old;one;two;theirs;three;");
  EXPECT_FALSE(Fs().WriteAll(P(L"log.txt"), "overwritten"));
  EXPECT_EQ(Fs().LastError(), kErrorSharingViolation);

  EXPECT_TRUE(file->Truncate());
  EXPECT_TRUE(file->Append("fresh;"));
  file.reset();
  EXPECT_EQ(drive.Read(L"log.txt"), "fresh;");
  // Released: a writer that shares nothing gets it.
  EXPECT_TRUE(Fs().WriteAll(P(L"log.txt"), "replaced"));
}

TEST_F(FileSystemContract, SharedFileIsNeverALinkAFolderOrAPipe) {
  test::TempFolder elsewhere;
  const std::wstring victim = elsewhere.path() + L"victim.txt";
  ASSERT_TRUE(Fs().WriteAll(victim, "victim"));
  test::HostileEntries hostile;
  hostile.Link(P(L"link.txt"), victim);
  hostile.Link(P(L"dangling.txt"), elsewhere.path() + L"nothing.txt");
  hostile.Pipe(P(L"pipe.txt"));
  drive.MakeFolder(L"folder.txt");
  for (const wchar_t* name : {L"link.txt", L"dangling.txt", L"pipe.txt", L"folder.txt"}) {
    EXPECT_EQ(Fs().OpenShared(P(name)), nullptr) << WideToUtf8(name);
  }
  EXPECT_EQ(Fs().ReadAll(victim), "victim");
  EXPECT_EQ(Fs().Attributes(elsewhere.path() + L"nothing.txt"), kInvalidAttributes);
}

TEST_F(FileSystemContract, SharedFileIsCreatedWhenMissing) {
  std::unique_ptr<SharedFile> file = Fs().OpenShared(P(L"new.txt"));
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->ReadAll(), "");
  EXPECT_TRUE(file->Append("entry;"));
  file.reset();
  EXPECT_EQ(drive.Read(L"new.txt"), "entry;");
  EXPECT_EQ(Fs().OpenShared(P(L"nofolder\\new.txt")), nullptr);
  EXPECT_EQ(Fs().LastError(), kErrorPathNotFound);
}

TEST_F(FileSystemContract, CopyNewCopiesARegularFileIntoANewOneOnly) {
  drive.WriteFile(L"src", "source bytes", kAttrHidden | kAttrSystem);
  drive.WriteFile(L"dst", "old");
  drive.MakeFolder(L"dir");
  EXPECT_TRUE(Fs().CopyNew(P(L"src"), P(L"copy"), 12));
  EXPECT_EQ(drive.Read(L"copy"), "source bytes");
  EXPECT_EQ(drive.Attributes(L"copy"), kAttrArchive);  // a plain file, whatever the source was

  struct {
    const wchar_t* from;
    const wchar_t* to;
    uint64_t size;
    uint32_t error;
  } refused[] = {
      {L"src", L"DST", 12, kErrorFileExists},
      {L"src", L"dir", 12, kErrorFileExists},
      {L"src", L"shorter", 5, kErrorInvalidData},  // not the size it was listed with
      {L"src", L"longer", 13, kErrorInvalidData},
      {L"dir", L"fromdir", 0, kErrorAccessDenied},
      {L"missing", L"frommissing", 0, kErrorFileNotFound},
  };
  for (const auto& c : refused) {
    SCOPED_TRACE(WideToUtf8(c.to));
    EXPECT_FALSE(Fs().CopyNew(P(c.from), P(c.to), c.size));
    EXPECT_EQ(Fs().LastError(), c.error);
  }
  EXPECT_EQ(drive.Names(), (std::vector<std::wstring>{L"copy", L"dir", L"dst", L"src"}));
  EXPECT_EQ(drive.Read(L"dst"), "old");
}

TEST_F(FileSystemContract, CopyNewAndReadRegularWholeNeverGoThroughALinkNorWaitOnAPipe) {
  test::TempFolder elsewhere;
  const std::wstring victim = elsewhere.path() + L"victim.txt";
  ASSERT_TRUE(Fs().WriteAll(victim, "victim"));
  test::HostileEntries hostile;
  hostile.Link(P(L"tovictim"), victim);
  hostile.Link(P(L"dangling"), elsewhere.path() + L"nothing.txt");
  hostile.Link(P(L"zero"), L"/dev/zero");
  hostile.Pipe(P(L"pipe"));
  drive.WriteFile(L"src", "source");

  for (const wchar_t* from : {L"tovictim", L"zero", L"pipe"}) {
    SCOPED_TRACE(WideToUtf8(from));
    EXPECT_FALSE(Fs().CopyNew(P(from), P(L"copy"), 6));
    EXPECT_FALSE(Fs().ReadRegularWhole(P(from), 1024).has_value());
    EXPECT_FALSE(Fs().IsRegularFile(P(from)));
  }
  EXPECT_TRUE(Fs().IsRegularFile(P(L"src")));
  EXPECT_FALSE(drive.Exists(L"copy"));
  for (const wchar_t* to : {L"tovictim", L"dangling"}) {
    SCOPED_TRACE(WideToUtf8(to));
    EXPECT_FALSE(Fs().CopyNew(P(L"src"), P(to), 6));
    EXPECT_EQ(Fs().LastError(), kErrorFileExists);
  }
  EXPECT_EQ(Fs().ReadAll(victim), "victim");
  EXPECT_EQ(Fs().Attributes(elsewhere.path() + L"nothing.txt"), kInvalidAttributes);
}

TEST_F(FileSystemContract, ReadRegularWholeReadsWithinItsBound) {
  drive.WriteFile(L"five", "12345");
  drive.WriteFile(L"empty", "");
  drive.MakeFolder(L"dir");
  EXPECT_EQ(Fs().ReadRegularWhole(P(L"five"), 5), "12345");
  EXPECT_EQ(Fs().ReadRegularWhole(P(L"empty"), 5), "");
  EXPECT_FALSE(Fs().ReadRegularWhole(P(L"five"), 4).has_value());
  EXPECT_EQ(Fs().LastError(), kErrorInvalidData);
  EXPECT_FALSE(Fs().ReadRegularWhole(P(L"dir"), 5).has_value());
  EXPECT_FALSE(Fs().ReadRegularWhole(P(L"missing"), 5).has_value());
  EXPECT_EQ(Fs().LastError(), kErrorFileNotFound);
}

TEST_F(FileSystemContract, TwoDrivesAreIndependent) {
  DriveFixture other(1);
  ASSERT_NE(other.root(), drive.root());
  drive.WriteFile(L"same", "first drive");
  other.WriteFile(L"same", "second drive");
  EXPECT_EQ(drive.Read(L"same"), "first drive");
  EXPECT_EQ(other.Read(L"same"), "second drive");
  EXPECT_TRUE(Fs().Copy(drive.Path(L"same"), other.Path(L"copied"), true));
  EXPECT_EQ(other.Read(L"copied"), "first drive");
}

TEST_F(FileSystemContract, EntryLooksUpOneEntryUnderItsStoredName) {
  drive.WriteFile(L"Evil.exe", "12345", kAttrHidden);
  drive.MakeFolder(L"Sub");
  std::optional<FindData> file = Fs().Entry(P(L"EVIL.EXE"));
  ASSERT_TRUE(file.has_value());
  EXPECT_EQ(file->name, L"Evil.exe");
  EXPECT_EQ(file->attributes, kAttrArchive | kAttrHidden);
  EXPECT_EQ(file->size, 5u);
  std::optional<FindData> folder = Fs().Entry(P(L"sub"));
  ASSERT_TRUE(folder.has_value());
  EXPECT_EQ(folder->name, L"Sub");
  EXPECT_EQ(folder->attributes, kAttrDirectory);
  for (const std::wstring& none : {drive.root(), P(L"missing"), P(L"Sub\\"), P(L"*.exe")}) {
    EXPECT_FALSE(Fs().Entry(none).has_value()) << WideToUtf8(none);
  }
}

TEST_F(FileSystemContract, TheLiteralFormKeepsTrailingDotsAndBlanks) {
  drive.WriteFile(L"name.txt", "plain");
  drive.WriteLiteral(L"name.txt.", "dot");
  drive.WriteLiteral(L"name.txt ", "blank");
  EXPECT_EQ(drive.Names(), (std::vector<std::wstring>{L"name.txt", L"name.txt ", L"name.txt."}));
  // The plain form is normalised to the other file.
  EXPECT_EQ(Fs().ReadAll(P(L"name.txt.")), "plain");
  EXPECT_EQ(Fs().ReadAll(drive.LiteralPath(L"name.txt.")), "dot");
  EXPECT_EQ(Fs().Entry(drive.LiteralPath(L"name.txt ")).value_or(FindData{}).name, L"name.txt ");
  EXPECT_EQ(Fs().Entry(P(L"name.txt ")).value_or(FindData{}).name, L"name.txt");
  EXPECT_TRUE(Fs().Delete(drive.LiteralPath(L"name.txt.")));
  EXPECT_EQ(drive.Names(), (std::vector<std::wstring>{L"name.txt", L"name.txt "}));
  // Gone means gone, though FindFirstFileW's pattern "name.txt." matches "name.txt".
  EXPECT_FALSE(Fs().Entry(drive.LiteralPath(L"name.txt.")).has_value());

  EXPECT_TRUE(Fs().CreateFolder(drive.LiteralPath(L"dir.")));
  drive.WriteLiteral(L"dir.\\in", "in");
  drive.MakeFolder(L"dir");
  auto inside = Found(drive.LiteralPath(L"dir.\\*"));
  EXPECT_EQ(inside.count(L"in"), 1u);
  EXPECT_TRUE(Found(P(L"dir\\*")).count(L"in") == 0);
  EXPECT_EQ(LiteralPath(P(L"name.txt")), P(L"name.txt"));
  EXPECT_EQ(LiteralPath(P(L"dir.\\in")), drive.LiteralPath(L"dir.\\in"));
}

TEST_F(FileSystemContract, ReadRegularReadsUpToItsBound) {
  drive.WriteFile(L"ten", "0123456789");
  drive.WriteFile(L"empty", "");
  drive.MakeFolder(L"folder");
  struct {
    const wchar_t* name;
    size_t limit;
    std::string bytes;
    bool complete;
  } cases[] = {
      {L"ten", 4, "0123", false},        {L"ten", 9, "012345678", false}, {L"ten", 10, "0123456789", true},
      {L"ten", 100, "0123456789", true}, {L"empty", 0, "", true},
  };
  for (const auto& c : cases) {
    std::optional<FileStart> start = Fs().ReadRegular(P(c.name), c.limit);
    ASSERT_TRUE(start.has_value()) << WideToUtf8(c.name) << " " << c.limit;
    EXPECT_EQ(start->bytes, c.bytes) << c.limit;
    EXPECT_EQ(start->complete, c.complete) << c.limit;
  }
  EXPECT_FALSE(Fs().ReadRegular(P(L"folder"), 100).has_value());
  EXPECT_FALSE(Fs().ReadRegular(P(L"missing"), 100).has_value());
  EXPECT_EQ(Fs().LastError(), kErrorFileNotFound);
}

}  // namespace
}  // namespace dw
