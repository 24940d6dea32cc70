// The COM reader against the portable one on shortcuts that the Shell link object
// itself writes, and on those our fixture writer makes: both must name the same target.
#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <windows.h>

#include <string>
#include <vector>

#include "common/Text.h"
#include "platform/lnk.h"
#include "support/ShortcutBuilder.h"
#include "support/win32/ShellLinkWriter.h"

namespace dw {
namespace {

using test::ShellLinkSettings;
using test::ShortcutBuilder;

// The machine as Win32 sees it, for the portable reader.
class Win32LinkHost : public TLinkHost {
 public:
  bool Exists(const std::wstring& path) override { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
  uint32_t LogicalDrives() override { return GetLogicalDrives(); }
  std::wstring FullPath(const std::wstring& path, const std::wstring& base) override {
    bool absolute = path.rfind(L"\\\\", 0) == 0 || (path.size() >= 2 && path[1] == L':');
    std::wstring joined = absolute ? path : base + path;
    wchar_t buffer[MAX_PATH * 2];
    DWORD length = GetFullPathNameW(joined.c_str(), MAX_PATH * 2, buffer, nullptr);
    return length == 0 || length >= MAX_PATH * 2 ? std::wstring() : std::wstring(buffer, length);
  }
  std::optional<std::wstring> Variable(const std::wstring& name) override {
    wchar_t buffer[1024];
    DWORD length = GetEnvironmentVariableW(name.c_str(), buffer, 1024);
    if (length == 0 || length >= 1024) return std::nullopt;
    return std::wstring(buffer, length);
  }
};

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

void DeleteTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring path = folder + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        DeleteTree(path + L"\\");
      } else {
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(folder.c_str());
}

class ShellLinkDifferential : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    wchar_t temp[MAX_PATH];
    ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
    folder_ = std::wstring(temp) + L"dw-lnk-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::to_wstring(GetTickCount()) + L"\\";
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
  }
  void TearDown() override {
    DeleteTree(folder_);
    CoUninitialize();
  }

  std::wstring MakeFile(const std::wstring& relative) {
    std::wstring path = folder_ + relative;
    for (size_t slash = path.find(L'\\', folder_.size()); slash != std::wstring::npos;
         slash = path.find(L'\\', slash + 1)) {
      CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
    }
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << WideToUtf8(path);
    CloseHandle(file);
    return path;
  }

  std::wstring MakeFolder(const std::wstring& relative) {
    std::wstring path = folder_ + relative;
    EXPECT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
    return path;
  }

  // A shortcut written by the Shell link object.
  void SaveWithShell(const std::wstring& lnk, const ShellLinkSettings& settings) {
    ASSERT_TRUE(test::SaveWithShell(lnk, settings)) << WideToUtf8(lnk);
  }

  void SaveBytes(const std::wstring& lnk, const std::string& bytes) {
    HANDLE file = CreateFileW(lnk.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, bytes.size());
  }

  TShellLink ReadPortable(const std::wstring& lnk) {
    HANDLE file = CreateFileW(lnk.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    Win32LinkHost host;
    return ReadShellLinkBytes(bytes, lnk, host);
  }

  std::wstring folder_;
};

TEST_F(ShellLinkDifferential, ShortcutsTheShellWritesReadTheSameThroughBothReaders) {
  struct Case {
    const wchar_t* name;
    std::wstring target;
    bool folder;
  };
  const std::vector<Case> cases = {
      {L"program", L"target.exe", false},        {L"folder", L"Hidden Dir", true},
      {L"nested", L"sub\\deep file.txt", false}, {L"accents", L"caf\u00E9 \u00E9t\u00E9.txt", false},
      {L"worm", L"\u00A0\\\u00A0.exe", false},   {L"missing", L"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(WideToUtf8(c.name));
    std::wstring target = c.target.empty() ? folder_ + L"missing.exe"
                          : c.folder       ? MakeFolder(c.target)
                                           : MakeFile(c.target);
    ShellLinkSettings settings;
    settings.target = target;
    settings.arguments = L"/c start _ & exit";
    settings.workingDirectory = folder_;
    settings.description = L"Disque amovible (E:)";
    settings.iconPath = L"%SystemRoot%\\system32\\shell32.dll";
    settings.iconIndex = 8;
    settings.showCmd = SW_SHOWMINNOACTIVE;
    settings.hotKey = 0x0641;
    std::wstring lnk = folder_ + c.name + L".lnk";
    SaveWithShell(lnk, settings);

    TShellLink shell = ReadShellLink(lnk);
    TShellLink portable = ReadPortable(lnk);
    EXPECT_TRUE(SamePath(shell.PathName, target)) << WideToUtf8(shell.PathName);
    EXPECT_TRUE(SamePath(portable.PathName, shell.PathName))
        << WideToUtf8(portable.PathName) << " vs " << WideToUtf8(shell.PathName);
    EXPECT_EQ(portable.Arguments, shell.Arguments);
    EXPECT_EQ(portable.Description, shell.Description);
    EXPECT_EQ(portable.WorkingDirectory, shell.WorkingDirectory);
    EXPECT_EQ(portable.IconLocation, shell.IconLocation);
    EXPECT_EQ(portable.IconIndex, shell.IconIndex);
    EXPECT_EQ(portable.HotKey, shell.HotKey);
    // Wine's loader never reads the show command from the file (its object keeps
    // SW_SHOWNORMAL); Windows reports the stored value, as the portable reader does.
    EXPECT_EQ(portable.ShowCmd, SW_SHOWMINNOACTIVE);
    EXPECT_TRUE(shell.ShowCmd == SW_SHOWMINNOACTIVE || shell.ShowCmd == SW_SHOWNORMAL);
  }
}

// Wine writes LinkInfo's path in the ANSI code page only and reads it back from there,
// so a name outside that code page comes back with "?" from the Shell link object
// (Windows also writes the Unicode form). The portable reader finds that the ANSI path
// does not exist and takes the ID list's Unicode long names, which name the file.
TEST_F(ShellLinkDifferential, NamesOutsideTheAnsiCodePage) {
  std::wstring target = MakeFile(L"\u0414\u0438\u043C\u0430\\\u8BF4\u660E.txt");
  ShellLinkSettings settings;
  settings.target = target;
  std::wstring lnk = folder_ + L"cyrillic.lnk";
  SaveWithShell(lnk, settings);
  TShellLink shell = ReadShellLink(lnk);
  TShellLink portable = ReadPortable(lnk);
  EXPECT_TRUE(SamePath(portable.PathName, target)) << WideToUtf8(portable.PathName);
  EXPECT_TRUE(SamePath(shell.PathName, target) || shell.PathName.find(L'?') != std::wstring::npos)
      << WideToUtf8(shell.PathName);
}

// Wine's Resolve only fills in a missing path from the ID list: it neither follows a
// target that moved (the relative path) nor a stick that got another drive letter.
// The portable reader does both, as the Shell on Windows resolves them; here only its
// answer is checked, and the Shell link object may give the recorded path.
TEST_F(ShellLinkDifferential, TargetsThatMovedResolveInThePortableReader) {
  std::wstring recorded = MakeFile(L"orig\\t.exe");
  SaveBytes(folder_ + L"orig\\t.lnk", ShortcutBuilder(recorded).RelativePath(L".\\t.exe").Build());
  ASSERT_TRUE(MoveFileW((folder_ + L"orig").c_str(), (folder_ + L"moved").c_str()));
  std::wstring moved = folder_ + L"moved\\t.exe";
  TShellLink shell = ReadShellLink(folder_ + L"moved\\t.lnk");
  EXPECT_TRUE(SamePath(ReadPortable(folder_ + L"moved\\t.lnk").PathName, moved));
  EXPECT_TRUE(SamePath(shell.PathName, moved) || SamePath(shell.PathName, recorded)) << WideToUtf8(shell.PathName);

  // A letter that no drive of this machine has: the same path on the shortcut's drive.
  wchar_t unused = 0;
  for (wchar_t letter = L'Q'; letter <= L'Y' && !unused; ++letter) {
    if (!(GetLogicalDrives() & (1u << (letter - L'A')))) unused = letter;
  }
  ASSERT_NE(unused, 0);
  std::wstring elsewhere = moved;
  elsewhere[0] = unused;
  SaveBytes(folder_ + L"letter.lnk", ShortcutBuilder(elsewhere).Build());
  shell = ReadShellLink(folder_ + L"letter.lnk");
  EXPECT_TRUE(SamePath(ReadPortable(folder_ + L"letter.lnk").PathName, moved));
  EXPECT_TRUE(SamePath(shell.PathName, moved) || SamePath(shell.PathName, elsewhere)) << WideToUtf8(shell.PathName);
}

// The fixture writer's shortcuts are what the detection tests place on drives: the
// Shell must take them for what the portable reader sees.
TEST_F(ShellLinkDifferential, FixtureShortcutsReadTheSameThroughBothReaders) {
  std::wstring program = MakeFile(L"stick\\\u00A0\\run.exe");
  std::wstring hidden = MakeFolder(L"stick\\RECYCLER");
  struct Case {
    const wchar_t* name;
    std::string bytes;
    std::wstring expected;
  };
  const std::vector<Case> cases = {
      {L"linkinfo", ShortcutBuilder(program).Arguments(L"/b").Build(), program},
      {L"linkinfo-and-idlist", ShortcutBuilder(hidden).IdList(hidden, true).Build(), hidden},
      {L"idlist-only", ShortcutBuilder().IdList(program).Build(), program},
      {L"relative-only", ShortcutBuilder().RelativePath(L".\\\u00A0\\run.exe").Build(), program},
      {L"ansi-strings", ShortcutBuilder(program).AnsiStrings().Description(L"caf\u00E9").Build(), program},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(WideToUtf8(c.name));
    std::wstring lnk = folder_ + L"stick\\" + c.name + L".lnk";
    SaveBytes(lnk, c.bytes);
    TShellLink shell = ReadShellLink(lnk);
    TShellLink portable = ReadPortable(lnk);
    EXPECT_TRUE(SamePath(shell.PathName, c.expected)) << WideToUtf8(shell.PathName);
    EXPECT_TRUE(SamePath(portable.PathName, c.expected)) << WideToUtf8(portable.PathName);
    EXPECT_EQ(portable.Arguments, shell.Arguments);
    EXPECT_EQ(portable.Description, shell.Description);
  }
}

TEST_F(ShellLinkDifferential, TheComReaderRaisesOnWhatItCannotLoad) {
  std::wstring junk = folder_ + L"junk.lnk";
  SaveBytes(junk, "not a shortcut at all, just text");
  EXPECT_THROW(ReadShellLink(junk), ShellLinkError);
  EXPECT_THROW(ReadShellLink(folder_ + L"absent.lnk"), ShellLinkError);
}

}  // namespace
}  // namespace dw
