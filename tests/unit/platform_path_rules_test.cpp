#include <gtest/gtest.h>

#include "common/Text.h"
#include "platform/PathRules.h"
#include "platform/Platform.h"
#include "unit/platform_path_cases.h"

namespace dw {
namespace {

using test::kFullPathCases;

std::string Describe(const test::FullPathCase& c) {
  return "path [" + WideToUtf8(c.path) + "] base [" + WideToUtf8(c.base) + "]";
}

TEST(PathRules, FullPathNameFollowsGetFullPathNameW) {
  for (const auto& c : kFullPathCases) {
    EXPECT_EQ(FullPathName(c.path, c.base), c.expected) << Describe(c);
  }
}

// The same table through the platform: our rules on Linux, GetFullPathNameW under Wine.
TEST(PathRules, FileSystemFullPathAgrees) {
  for (const auto& c : kFullPathCases) {
    // On Linux a path that begins with "/" is a Unix path, not a rooted one.
    if (c.path[0] == L'/') continue;
    EXPECT_EQ(Fs().FullPath(c.path, c.base), c.expected) << Describe(c);
  }
}

TEST(PathRules, NoFullPathWithoutAnAnchor) {
  EXPECT_EQ(FullPathName(L"", L"e:\\"), L"");
  EXPECT_EQ(FullPathName(L"x.exe", L""), L"");
  EXPECT_EQ(FullPathName(L"\\x.exe", L""), L"");
  EXPECT_EQ(Fs().FullPath(L"x.exe", L""), L"");
}

TEST(PathRules, WildcardMatchesAsFindFirstFileW) {
  struct Case {
    const wchar_t* pattern;
    const wchar_t* name;
    bool matches;
  };
  // clang-format off
  const Case cases[] = {
      {L"*", L"x.txt", true},          {L"*", L"README", true},         {L"*.*", L"README", true},
      {L"*.*", L"x.txt", true},        {L"*.lnk", L"a.LNK", true},      {L"*.lnk", L"a.lnk.exe", false},
      {L"*.lnk", L"lnk", false},       {L"*.lnk", L"x.lnk.lnk", true},  {L"a*", L"ABC", true},
      {L"a*", L"bac", false},          {L"?.txt", L"x.txt", true},      {L"?.txt", L"xy.txt", false},
      {L"x.tx?", L"x.txt", true},      {L"x.txt?", L"x.txt", false},    {L"*.t*", L"x.txt", true},
      {L"*.t*", L"x.exe", false},      {L"*a*b", L"xaybzb", true},      {L"*a*b", L"xaybz", false},
      {L"autorun.inf", L"AUTORUN.INF", true}, {L"autorun.inf", L"autorun.inf.ren", false},
      {L"\u00C9T\u00C9*", L"\u00E9t\u00E9.doc", true},  {L"\u0416*", L"\u0436\u0443\u043A", true},
      {L"", L"x", false},
  };
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.matches)
        << "pattern [" << WideToUtf8(c.pattern) << "] name [" << WideToUtf8(c.name) << "]";
  }
}

TEST(PathRules, NamesCompareWithoutRegardToCase) {
  EXPECT_TRUE(PathNamesEqual(L"Autorun.INF", L"autorun.inf"));
  EXPECT_TRUE(PathNamesEqual(L"\u00C9cole", L"\u00E9COLE"));                    // É and é
  EXPECT_TRUE(PathNamesEqual(L"\u0178", L"\u00FF"));                            // Ÿ and ÿ
  EXPECT_TRUE(PathNamesEqual(L"\u0141\u00F3d\u017A", L"\u0142\u00D3D\u0179"));  // Łódź
  EXPECT_TRUE(PathNamesEqual(L"\u03A3\u039F\u03A3", L"\u03C3\u03BF\u03C2"));    // ΣΟΣ, final sigma
  EXPECT_FALSE(PathNamesEqual(L"a.txt", L"a.txt "));
  EXPECT_FALSE(PathNamesEqual(L"\u00F7", L"\u00D7"));  // ÷ and × are no letters
}

TEST(PathRules, FolderPartKeepsTheLastSeparator) {
  EXPECT_EQ(FolderPart(L"e:\\dir\\*.lnk"), L"e:\\dir\\");
  EXPECT_EQ(FolderPart(L"e:\\*"), L"e:\\");
  EXPECT_EQ(FolderPart(L"/tmp/x\\y"), L"/tmp/x\\");
  EXPECT_EQ(FolderPart(L"name"), L"");
}

TEST(PathRules, TheLiteralFormOnlyWhereNormalisingWouldChangeAName) {
  struct {
    const wchar_t* path;
    const wchar_t* literal;
  } cases[] = {
      {L"e:\\dir\\x.exe", L"e:\\dir\\x.exe"},
      {L"e:\\x.exe.", L"\\\\?\\e:\\x.exe."},
      {L"e:\\x.exe ", L"\\\\?\\e:\\x.exe "},
      {L"e:\\dir.\\x.exe", L"\\\\?\\e:\\dir.\\x.exe"},
      {L"e:\\CON.exe", L"\\\\?\\e:\\CON.exe"},
      {L"e:\\a\\..\\b", L"\\\\?\\e:\\a\\..\\b"},
      {L"\\\\?\\e:\\x.", L"\\\\?\\e:\\x."},
      {L"e:/x.", L"e:/x."},
      {L"relative.", L"relative."},
      {L"/tmp/x.", L"/tmp/x."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LiteralPath(c.path), c.literal) << WideToUtf8(c.path);
    EXPECT_EQ(PlainPath(LiteralPath(c.path)), PlainPath(c.path)) << WideToUtf8(c.path);
  }
  EXPECT_TRUE(IsLiteralPath(L"\\\\?\\e:\\x"));
  EXPECT_FALSE(IsLiteralPath(L"\\\\.\\e:"));
}

}  // namespace
}  // namespace dw
