#include <gtest/gtest.h>

#include "platform/ShellLinkFormat.h"
#include "support/ShortcutBuilder.h"

namespace dw {
namespace {

using test::ShortcutBuilder;

// What the fixture writer puts into a shortcut, the reader gets back.
TEST(ShortcutBuilder, RoundTripsThroughTheReader) {
  std::string bytes = ShortcutBuilder(L"e:\\Dossier cach\u00E9\\run.exe")
                          .IdList(L"e:\\Dossier cach\u00E9\\run.exe")
                          .RelativePath(L".\\Dossier cach\u00E9\\run.exe")
                          .WorkingDirectory(L"e:\\")
                          .Arguments(L"/c start _ & exit")
                          .Description(L"Disque amovible")
                          .IconLocation(L"%SystemRoot%\\system32\\shell32.dll", 8)
                          .FileAttributes(0x27)
                          .ShowCommand(7)
                          .HotKey(0x0341)
                          .EnvironmentTarget(L"%TEMP%\\run.exe")
                          .IconEnvironmentTarget(L"%SystemRoot%\\system32\\shell32.dll")
                          .ExtraBlock(0xA000000E, std::string(20, 'x'))
                          .Build();
  std::string error;
  std::optional<TShellLinkFile> link = ParseShellLink(bytes, &error);
  ASSERT_TRUE(link) << error;
  EXPECT_EQ(link->Size, bytes.size());
  EXPECT_EQ(link->LocalTargetPath(), L"e:\\Dossier cach\u00E9\\run.exe");
  EXPECT_EQ(link->IdListPath, L"e:\\Dossier cach\u00E9\\run.exe");
  EXPECT_EQ(link->RelativePath, L".\\Dossier cach\u00E9\\run.exe");
  EXPECT_EQ(link->WorkingDir, L"e:\\");
  EXPECT_EQ(link->Arguments, L"/c start _ & exit");
  EXPECT_EQ(link->Name, L"Disque amovible");
  EXPECT_EQ(link->IconLocation, L"%SystemRoot%\\system32\\shell32.dll");
  EXPECT_EQ(link->IconIndex, 8);
  EXPECT_EQ(link->FileAttributes, 0x27u);
  EXPECT_EQ(link->ShowCommand, 7u);
  EXPECT_EQ(link->HotKey, 0x0341);
  EXPECT_EQ(link->EnvironmentTarget, L"%TEMP%\\run.exe");
  EXPECT_EQ(link->IconEnvironmentTarget, L"%SystemRoot%\\system32\\shell32.dll");
  EXPECT_EQ(link->DriveType, 2u);
}

TEST(ShortcutBuilder, WritesEachVariantTheReaderKnows) {
  struct Case {
    const char* what;
    ShortcutBuilder builder;
    std::wstring local, network, idList, arguments;
  };
  const std::wstring cyrillic = L"e:\\\u0414\u0438\u043C\u0430\\x.exe";
  std::vector<Case> cases = {
      {"strings in code page 1252", ShortcutBuilder(L"e:\\\u00E9t\u00E9.exe").AnsiStrings().Arguments(L"\u20AC 5"),
       L"e:\\\u00E9t\u00E9.exe", L"", L"", L"\u20AC 5"},
      {"a path outside code page 1252 gets Unicode LinkInfo", ShortcutBuilder(cyrillic), cyrillic, L"", L"", L""},
      {"Unicode LinkInfo on request", ShortcutBuilder(L"e:\\a.exe").UnicodeLinkInfo(), L"e:\\a.exe", L"", L"", L""},
      {"base and suffix", ShortcutBuilder(L"c:\\Users\\").CommonPathSuffix(L"Alice"), L"c:\\Users\\Alice", L"", L"",
       L""},
      {"a share with a mapped drive",
       ShortcutBuilder().NetworkShare(L"\\\\srv\\docs", L"Z:").CommonPathSuffix(L"a\\b.pdf"), L"",
       L"\\\\srv\\docs\\a\\b.pdf", L"", L""},
      {"an ID list to a folder", ShortcutBuilder().IdList(L"e:\\RECYCLER\\S-1-5-21", true), L"", L"",
       L"e:\\RECYCLER\\S-1-5-21", L""},
      {"no terminal block", ShortcutBuilder(L"e:\\a.exe").Arguments(L"x").WithoutTerminalBlock(), L"e:\\a.exe", L"",
       L"", L"x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string error;
    std::optional<TShellLinkFile> link = ParseShellLink(c.builder.Build(), &error);
    ASSERT_TRUE(link) << error;
    EXPECT_EQ(link->LocalTargetPath(), c.local);
    EXPECT_EQ(link->NetworkTargetPath(), c.network);
    EXPECT_EQ(link->IdListPath, c.idList);
    EXPECT_EQ(link->Arguments, c.arguments);
  }
}

}  // namespace
}  // namespace dw
