#include <gtest/gtest.h>

#include <map>
#include <set>

#include "platform/Platform.h"
#include "platform/lnk.h"
#include "support/FakeVolumes.h"
#include "support/ShortcutBuilder.h"
#include "unit/lnk_samples.h"

namespace dw {
namespace {

using test::ShortcutBuilder;

// ASCII letters only: all the paths here need.
std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return text;
}

uint32_t Drives(std::wstring_view letters) {
  uint32_t mask = 0;
  for (wchar_t c : letters) mask |= 1u << (c - L'A');
  return mask;
}

// "." and ".." folded, as GetFullPathNameW does for the paths these tests use.
std::wstring Fold(const std::wstring& path) {
  size_t rootLength = path.rfind(L"\\\\", 0) == 0 ? 2 : (path.size() >= 3 && path[1] == L':') ? 3 : 0;
  std::vector<std::wstring> parts;
  std::wstring part;
  for (size_t i = rootLength; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == L'\\') {
      if (part == L"..") {
        if (!parts.empty()) parts.pop_back();
      } else if (!part.empty() && part != L".") {
        parts.push_back(part);
      }
      part.clear();
    } else {
      part.push_back(path[i]);
    }
  }
  std::wstring out = path.substr(0, rootLength);
  for (size_t i = 0; i < parts.size(); ++i) out += (i ? L"\\" : L"") + parts[i];
  return out;
}

class FakeHost : public TLinkHost {
 public:
  std::set<std::wstring> existing;  // lower case
  uint32_t drives = 0;
  std::map<std::wstring, std::wstring> variables;

  bool Exists(const std::wstring& path) override { return existing.count(Lower(path)) != 0; }
  uint32_t LogicalDrives() override { return drives; }
  std::wstring FullPath(const std::wstring& path, const std::wstring& base) override {
    bool absolute = path.rfind(L"\\\\", 0) == 0 || (path.size() >= 3 && path[1] == L':' && path[2] == L'\\');
    return Fold(absolute ? path : base + path);
  }
  std::optional<std::wstring> Variable(const std::wstring& name) override {
    auto it = variables.find(Lower(name));
    if (it == variables.end()) return std::nullopt;
    return it->second;
  }
};

const std::wstring kNbsp = L"\u00A0";

struct ResolveCase {
  const char* what;
  std::string link;
  std::wstring shortcut;
  std::set<std::wstring> existing;
  std::wstring drives;
  std::wstring expected;
};

TEST(ResolveLinkTarget, FollowsTheShellsOrderOfFallbacks) {
  const std::string withRelative = ShortcutBuilder(L"e:\\data\\x.exe").RelativePath(L".\\data\\x.exe").Build();
  const std::string worm = ShortcutBuilder(L"E:\\" + kNbsp + L"\\" + kNbsp + L".exe").Arguments(L"/b").Build();
  // clang-format off
  const std::vector<ResolveCase> cases = {
      {"the absolute target when it exists", withRelative, L"f:\\lure.lnk", {L"e:\\data\\x.exe", L"f:\\data\\x.exe"},
       L"EF", L"e:\\data\\x.exe"},
      {"the relative path from the shortcut's folder when the target is gone", withRelative, L"f:\\lure.lnk",
       {L"f:\\data\\x.exe"}, L"EF", L"f:\\data\\x.exe"},
      {"a relative path that climbs out of the shortcut's folder",
       ShortcutBuilder(L"e:\\a\\b.exe").RelativePath(L"..\\a\\b.exe").Build(), L"f:\\sub\\s.lnk", {L"f:\\a\\b.exe"},
       L"EF", L"f:\\a\\b.exe"},
      {"a drive letter this PC lacks becomes the shortcut's own drive", worm, L"g:\\x.lnk", {}, L"CG",
       L"g:\\" + kNbsp + L"\\" + kNbsp + L".exe"},
      {"a drive letter this PC has stays", worm, L"g:\\x.lnk", {}, L"CEG", L"E:\\" + kNbsp + L"\\" + kNbsp + L".exe"},
      {"nothing exists: the target as recorded", ShortcutBuilder(L"c:\\gone\\x.exe").Build(), L"g:\\x.lnk", {}, L"CG",
       L"c:\\gone\\x.exe"},
      {"nothing exists and the relative path is missing too", withRelative, L"f:\\lure.lnk", {}, L"EF",
       L"e:\\data\\x.exe"},
      {"a shortcut on a share has no drive to move the target to", worm, L"\\\\srv\\share\\x.lnk", {}, L"C",
       L"E:\\" + kNbsp + L"\\" + kNbsp + L".exe"},
      {"the network path when the local one is gone",
       ShortcutBuilder(L"c:\\share\\").CommonPathSuffix(L"doc.txt").NetworkShare(L"\\\\srv\\share").Build(),
       L"g:\\x.lnk", {L"\\\\srv\\share\\doc.txt"}, L"CG", L"\\\\srv\\share\\doc.txt"},
      {"the item ID list when there is no LinkInfo", ShortcutBuilder().IdList(L"c:\\windows\\cmd.exe").Build(),
       L"g:\\x.lnk", {}, L"CG", L"c:\\windows\\cmd.exe"},
      {"an existing item ID list path beats a missing LinkInfo path",
       ShortcutBuilder(L"c:\\old\\x.exe").IdList(L"c:\\new\\x.exe").Build(), L"g:\\x.lnk", {L"c:\\new\\x.exe"}, L"CG",
       L"c:\\new\\x.exe"},
      {"only a relative path, missing", ShortcutBuilder().RelativePath(L".\\x.exe").Build(), L"f:\\d\\s.lnk", {}, L"F",
       L"f:\\d\\x.exe"},
      {"a folder target", ShortcutBuilder(L"e:\\hidden dir").Build(), L"e:\\hidden dir.lnk", {L"e:\\hidden dir"},
       L"E", L"e:\\hidden dir"},
      {"an advertised shortcut names no file",
       ShortcutBuilder().IdList(L"c:\\windows\\installer\\x.ico").Advertised(L"product>feature").Build(),
       L"g:\\x.lnk", {L"c:\\windows\\installer\\x.ico"}, L"CG", L""},
  };
  // clang-format on
  for (const ResolveCase& c : cases) {
    SCOPED_TRACE(c.what);
    std::optional<TShellLinkFile> link = ParseShellLink(c.link);
    ASSERT_TRUE(link);
    FakeHost host;
    host.existing = c.existing;
    host.drives = Drives(c.drives);
    EXPECT_EQ(ResolveLinkTarget(*link, c.shortcut, host), c.expected);
  }
}

// Each sample read from a stick at g:\ on a Windows PC with only C:, as the rule sees
// it. Deviations from what the Shell reports on the PC that made a sample: a drive
// letter this PC lacks moves to the stick's letter; an advertised shortcut has no
// file target; ANSI strings are code page 1252 (so the 1251 user name stays garbled).
TEST(ResolveLinkTarget, SamplesResolveToTheShellsTarget) {
  FakeHost host;
  host.drives = Drives(L"CG");
  host.variables = {{L"windir", L"C:\\Windows"}, {L"systemroot", L"C:\\Windows"}};
  host.existing = {L"c:\\windows\\system32\\cmd.exe", L"c:\\windows\\system32\\wuapp.exe",
                   L"c:\\windows\\system32\\migwiz\\migwiz.exe", L"c:\\users\\administrator"};
  const std::wstring nbsp = L"\u00A0";
  // clang-format off
  const std::vector<std::pair<std::string, std::wstring>> cases = {
      {"ez-lnk/WinXP_WordPad.lnk", L"C:\\Program Files\\Windows NT\\Accessories\\wordpad.exe"},
      {"ez-lnk/WinVista_Windows Update.lnk", L"C:\\Windows\\system32\\wuapp.exe"},
      {"ez-lnk/Win8.1_PhotosApp.lnk", L"C:\\Windows\\FileManager\\PhotosApp.exe"},
      {"ez-lnk/Misc_remote.file.xp.test",
       L"\\\\ALS-FICHIERS3\\QUALIT\u00C9\\Archives\\M\u00E9thodologie WAS\\Norme de d\u00E9veloppement JAVA.doc"},
      {"ez-lnk/Misc_local.directory.seven.test", L"C:\\Users\\Administrator"},
      {"ez-lnk/Misc_unicodeNetworkPath.lnk.test", L"\\\\\u0793\\C\\relay\\\u8BF4\u660E.txt"},
      {"ez-lnk/Misc_local.file.darwin.test", L""},
      {"ez-lnk/Bad_ImDisk Virtual Disk Driver.test", L""},
      {"plaso/NeroInfoTool.lnk", L"C:\\Program Files (x86)\\Nero\\Nero 9\\Nero InfoTool\\InfoTool.exe"},
      {"plaso/example.lnk", L"C:\\Windows\\system32\\migwiz\\migwiz.exe"},
      {"plaso/unpaired_surrogate.lnk", L"C:\\test\\unicode_U+0000d800_" + std::wstring(1, static_cast<wchar_t>(0xD800)) + L".exe"},
      {"lnkparse3/microsoft_example.b64", L"C:\\test\\a.txt"},
      {"lnkparse3/sample5.b64", L"g:\\" + nbsp + L"\\" + nbsp + L".exe"},
      {"lnkparse3/unknown_block.b64", L"C:\\Windows\\system32\\cmd.exe"},
      {"lnkparse3/sample13.b64", L"C:\\Windows\\System32\\cmd.exe"},
      {"lnkparse3/padded_cli_arguments.b64", L"C:\\Windows\\System32\\cmd.exe"},
      {"lnkparse3/broken_link_info.b64", L"C:\\Program Files\\xt\\xt.exe"},
      {"lnkparse3/decoding_error3.b64",
       L"C:\\Users\\\u00C4\u00E8\u00EC\u00E0\\Desktop\\PixelMod\\Mod for Pixelmon\\Error Fix.bat"},
      {"lnkparse3/network_info.b64",
       L"\\\\10.0.0.150\\LMmetal\\A - LM METAL LIFT\\01.OBCHOD - BRO\u017DURY - Prodejn\u00ED a technick\u00E9 "
       L"informace o produktech\\ETN\\ETN-Katalog-ENG\\Katalog ETN 10_2017\\Lift-programme\\ETN-lift programme 2017.pdf"},
  };
  // clang-format on
  for (const auto& [file, expected] : cases) {
    SCOPED_TRACE(file);
    EXPECT_EQ(ReadShellLinkBytes(test::LnkSample(file), L"g:\\x.lnk", host).PathName, expected);
  }
  EXPECT_THROW(ReadShellLinkBytes(test::LnkSample("ez-lnk/Bad_$I2GXWHL.test"), L"g:\\x.lnk", host), ShellLinkError);
}

TEST(ResolveLinkTarget, ExpandsTheEnvironmentTarget) {
  FakeHost host;
  host.drives = Drives(L"CD");
  host.variables[L"windir"] = L"c:\\winnt";
  host.existing = {L"c:\\winnt\\system32\\cmd.exe", L"d:\\windows\\system32\\cmd.exe"};
  auto resolve = [&host](const std::string& bytes) {
    return ResolveLinkTarget(*ParseShellLink(bytes), L"c:\\x.lnk", host);
  };

  // Recorded paths first, then the expanded environment target.
  EXPECT_EQ(resolve(ShortcutBuilder(L"d:\\gone\\cmd.exe").EnvironmentTarget(L"%WINDIR%\\system32\\cmd.exe").Build()),
            L"c:\\winnt\\system32\\cmd.exe");
  EXPECT_EQ(
      resolve(
          ShortcutBuilder(L"d:\\windows\\system32\\cmd.exe").EnvironmentTarget(L"%windir%\\system32\\cmd.exe").Build()),
      L"d:\\windows\\system32\\cmd.exe");
  // A link that prefers its environment path takes it before LinkInfo.
  EXPECT_EQ(resolve(ShortcutBuilder(L"d:\\windows\\system32\\cmd.exe")
                        .EnvironmentTarget(L"%windir%\\system32\\cmd.exe", true)
                        .Build()),
            L"c:\\winnt\\system32\\cmd.exe");
  // A variable that is not set stays as written.
  EXPECT_EQ(resolve(ShortcutBuilder().EnvironmentTarget(L"%nosuch%\\x.exe", true).Build()), L"%nosuch%\\x.exe");
}

TEST(ResolveLinkTarget, ExpandVariablesKeepsWhatItCannotExpand) {
  FakeHost host;
  host.variables[L"a"] = L"1";
  EXPECT_EQ(ExpandVariables(L"%A%\\%b%\\%%\\50%", host), L"1\\%b%\\%%\\50%");
  EXPECT_EQ(ExpandVariables(L"x%a%%a%y", host), L"x11y");
}

TEST(ShellLinkFromFile, FillsEveryFieldAsTheShellsGettersDo) {
  FakeHost host;
  host.drives = Drives(L"E");
  std::string bytes = ShortcutBuilder(L"e:\\x.exe")
                          .Arguments(std::wstring(300, L'a'))
                          .Description(L"Removable Disk")
                          .WorkingDirectory(L"e:\\")
                          .IconLocation(L"%SystemRoot%\\system32\\shell32.dll", 7)
                          .ShowCommand(7)
                          .HotKey(0x0641)
                          .Build();
  TShellLink link = ShellLinkFromFile(*ParseShellLink(bytes), L"e:\\x.lnk", host);
  EXPECT_EQ(link.PathName, L"e:\\x.exe");
  EXPECT_EQ(link.Arguments, std::wstring(259, L'a'));  // a 260-character buffer
  EXPECT_EQ(link.Description, L"Removable Disk");
  EXPECT_EQ(link.WorkingDirectory, L"e:\\");
  EXPECT_EQ(link.IconLocation, L"%SystemRoot%\\system32\\shell32.dll");
  EXPECT_EQ(link.IconIndex, 7);
  EXPECT_EQ(link.ShowCmd, 7);
  EXPECT_EQ(link.HotKey, 0x0641);

  std::string iconFromBlock = ShortcutBuilder(L"e:\\x.exe").IconEnvironmentTarget(L"%ProgramFiles%\\x.ico").Build();
  EXPECT_EQ(ShellLinkFromFile(*ParseShellLink(iconFromBlock), L"e:\\x.lnk", host).IconLocation,
            L"%ProgramFiles%\\x.ico");
}

TEST(ReadShellLinkBytes, AMalformedFileRaisesShellLinkError) {
  FakeHost host;
  std::string bytes = ShortcutBuilder(L"e:\\x.exe").Build();
  try {
    ReadShellLinkBytes(std::string_view(bytes).substr(0, 0x50), L"e:\\bad.lnk", host);
    FAIL() << "no error raised";
  } catch (const ShellLinkError& error) {
    EXPECT_NE(std::string(error.what()).find("e:\\bad.lnk"), std::string::npos);
  }
  EXPECT_THROW(ReadShellLinkBytes("", L"e:\\empty.lnk", host), std::runtime_error);
}

// Just what ReadShellLinkPortable uses: files, their sizes and attributes.
class MemoryFileSystem : public FileSystem {
 public:
  struct MemoryEntry {
    std::string bytes;
    uint32_t attributes = kAttrArchive;
    uint64_t reportedSize = 0;  // when not 0, the size enumeration reports
  };
  std::map<std::wstring, MemoryEntry> entries;  // lower-case paths

  uint32_t Attributes(const std::wstring& path) override {
    auto it = entries.find(Lower(path));
    return it == entries.end() ? kInvalidAttributes : it->second.attributes;
  }
  bool Find(const std::wstring& pattern, const std::function<bool(const FindData&)>& visit) override {
    auto it = entries.find(Lower(pattern));
    if (it == entries.end()) return false;
    const MemoryEntry& e = it->second;
    visit({pattern.substr(pattern.find_last_of(L'\\') + 1), e.attributes,
           e.reportedSize ? e.reportedSize : e.bytes.size()});
    return true;
  }
  std::optional<FindData> Entry(const std::wstring& path) override {
    std::optional<FindData> found;
    Find(path, [&](const FindData& entry) {
      found = entry;
      return false;
    });
    return found;
  }
  std::optional<std::string> ReadAll(const std::wstring& path) override {
    auto it = entries.find(Lower(path));
    if (it == entries.end()) return std::nullopt;
    return it->second.bytes;
  }
  // A file of the reported size holds more than its bytes here.
  std::optional<FileStart> ReadRegular(const std::wstring& path, size_t limit) override {
    auto it = entries.find(Lower(path));
    if (it == entries.end()) return std::nullopt;
    const MemoryEntry& e = it->second;
    return FileStart{e.bytes.substr(0, limit), (e.reportedSize ? e.reportedSize : e.bytes.size()) <= limit};
  }
  std::wstring FullPath(const std::wstring& path, const std::wstring& base) override {
    return FakeHost().FullPath(path, base);
  }
  bool SetAttributes(const std::wstring&, uint32_t) override { return false; }
  bool Move(const std::wstring&, const std::wstring&) override { return false; }
  bool Copy(const std::wstring&, const std::wstring&, bool) override { return false; }
  bool Delete(const std::wstring&) override { return false; }
  bool CreateFolder(const std::wstring&) override { return false; }
  bool RemoveFolder(const std::wstring&) override { return false; }
  bool WriteAll(const std::wstring&, std::string_view) override { return false; }
  bool CreateNew(const std::wstring&, std::string_view) override { return false; }
  std::unique_ptr<SharedFile> OpenShared(const std::wstring&) override { return nullptr; }
  bool CopyNew(const std::wstring&, const std::wstring&, uint64_t) override { return false; }
  std::optional<std::string> ReadRegularWhole(const std::wstring&, size_t) override { return std::nullopt; }
  bool IsRegularFile(const std::wstring&) override { return false; }
  uint32_t LastError() override { return 0; }
};

class PortableReader : public ::testing::Test {
 protected:
  PortableReader() : guard_(Services()) { volumes_.Add(L'G'); }

  Platform Services() {
    Platform services;
    services.fs = &fs_;
    services.volumes = &volumes_;
    return services;
  }

  MemoryFileSystem fs_;
  test::FakeVolumes volumes_;
  ScopedPlatform guard_;
};

// A worm's lure made on a PC where the stick was E: and read where it is G:.
TEST_F(PortableReader, ReadsAndResolvesAShortcutOnTheDrive) {
  const std::wstring hidden = kNbsp + L"\\" + kNbsp + L".exe";
  fs_.entries[L"g:\\usb.lnk"].bytes = ShortcutBuilder(L"E:\\" + hidden).Arguments(L"/b").ShowCommand(7).Build();
  fs_.entries[Lower(L"g:\\" + hidden)].attributes = kAttrHidden | kAttrSystem;

  TShellLink link = ReadShellLinkPortable(L"g:\\usb.lnk");
  EXPECT_EQ(link.PathName, L"g:\\" + hidden);
  EXPECT_EQ(link.Arguments, L"/b");
  EXPECT_EQ(link.ShowCmd, 7);
}

TEST_F(PortableReader, FilesItCannotUseRaiseShellLinkError) {
  fs_.entries[L"g:\\broken.lnk"].bytes = "L\0\0\0";
  fs_.entries[L"g:\\huge.lnk"] = {ShortcutBuilder(L"g:\\x.exe").Build(), kAttrArchive, 1ull << 32};
  EXPECT_THROW(ReadShellLinkPortable(L"g:\\missing.lnk"), ShellLinkError);
  EXPECT_THROW(ReadShellLinkPortable(L"g:\\broken.lnk"), ShellLinkError);
  EXPECT_THROW(ReadShellLinkPortable(L"g:\\huge.lnk"), ShellLinkError);
}

#ifndef _WIN32
TEST_F(PortableReader, IsTheShortcutReaderOffWindows) {
  fs_.entries[L"g:\\a.lnk"].bytes = ShortcutBuilder(L"g:\\a.exe").Build();
  EXPECT_EQ(ReadShellLink(L"g:\\a.lnk").PathName, L"g:\\a.exe");
  EXPECT_THROW(ReadShellLink(L"g:\\none.lnk"), ShellLinkError);
}
#endif

}  // namespace
}  // namespace dw
