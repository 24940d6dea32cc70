#include "common/Text.h"

#include <gtest/gtest.h>

namespace dw {
namespace {

struct CasePair {
  const wchar_t* a;
  const wchar_t* b;
  bool equal;
};

TEST(TextCase, EqualsNoCaseFoldsLettersOfEveryCoveredScript) {
  const CasePair cases[] = {
      {L"E:\\AUTORUN.INF", L"e:\\autorun.inf", true},
      {L"\u00C9t\u00E9", L"\u00E9T\u00C9", true},                                    // Été
      {L"\u00DCBER", L"\u00FCber", true},                                            // Über
      {L"\u0178", L"\u00FF", true},                                                  // Ÿ ÿ
      {L"\u0141\u00D3D\u0179", L"\u0142\u00F3d\u017A", true},                        // ŁÓDŹ
      {L"\u0150\u017D", L"\u0151\u017E", true},                                      // Ő Ž
      {L"\u03A9\u039C\u0395\u0393\u0391", L"\u03C9\u03BC\u03B5\u03B3\u03B1", true},  // ΩΜΕΓΑ
      {L"\u0386\u038F", L"\u03AC\u03CE", true},                                      // accented Greek
      {L"\u03A3", L"\u03C2", true},                                                  // Σ and final ς
      {L"\u03C3", L"\u03C2", true},                                                  // σ and ς
      {L"\u0416\u0401\u0490\u04E8", L"\u0436\u0451\u0491\u04E9", true},              // Ж Ё Ґ Ө
      {L"\u00B5", L"\u03BC", true},                                                  // micro sign and mu
      {L"\u0131", L"I", true},                                                       // dotless i
      {L"\u017F", L"S", true},                                                       // long s
      {L"\u00C9", L"E", false},
      {L"\u00DF", L"s", false},
      {L"\u00D7", L"\u00F7", false},  // multiplication and division signs are no letters
      {L"[", L"{", false},
      {L"@", L"`", false},
      {L"abc", L"abcd", false},
      {L"\u0416", L"\u0436\u0436", false},
  };
  for (const CasePair& c : cases) {
    EXPECT_EQ(EqualsNoCase(c.a, c.b), c.equal) << "a=" << testing::PrintToString(std::wstring(c.a));
    EXPECT_EQ(CompareNoCase(c.a, c.b) == 0, c.equal);
  }
}

TEST(TextCase, UpperAndLowerAreInversesAcrossTheTables) {
  // Catches a shifted range: every letter that changes must come back unchanged.
  for (wchar_t c = 0; c < 0x530; ++c) {
    std::wstring s(1, c);
    std::wstring lower = ToLower(s);
    std::wstring upper = ToUpper(s);
    if (lower != s && c != 0x130) {
      EXPECT_EQ(ToUpper(lower), s) << std::hex << static_cast<int>(c);
    }
    if (upper != s && c != 0x131 && c != 0x17F && c != 0x3C2) {
      EXPECT_EQ(ToLower(upper), s) << std::hex << static_cast<int>(c);
    }
    EXPECT_EQ(FoldCase(lower[0]), FoldCase(upper[0])) << std::hex << static_cast<int>(c);
  }
}

TEST(TextCase, ConversionsOfWholeStrings) {
  EXPECT_EQ(ToUpper(L"e:\\cl\u00E9 \u0436 \u03C9"), L"E:\\CL\u00C9 \u0416 \u03A9");
  EXPECT_EQ(ToLower(L"E:\\CL\u00C9 \u0416 \u03A9"), L"e:\\cl\u00E9 \u0436 \u03C9");
  EXPECT_EQ(AsciiLower(L"E:\\CL\u00C9"), L"e:\\cl\u00C9");
  EXPECT_EQ(ToUpper(L"\u00DF"), L"\u00DF");
}

TEST(TextCase, CompareNoCaseOrdersByFoldedLetters) {
  EXPECT_LT(CompareNoCase(L"apple", L"BANANA"), 0);
  EXPECT_GT(CompareNoCase(L"Banana", L"apple"), 0);
  EXPECT_LT(CompareNoCase(L"ab", L"ABC"), 0);
  EXPECT_GT(CompareNoCase(L"\u00E9", L"z"), 0);
  EXPECT_EQ(CompareNoCase(L"", L""), 0);
}

struct FormatCase {
  const wchar_t* pattern;
  std::vector<FormatArg> args;
  const wchar_t* expected;
};

TEST(TextFormat, FillsFittingPlaceholdersAndReturnsOthersUnchanged) {
  const std::wstring path = L"e:\\autorun.inf";
  const FormatCase cases[] = {
      {L"le fichier %s a \u00E9t\u00E9 mis en quarantaine",
       {path},
       L"le fichier e:\\autorun.inf a \u00E9t\u00E9 mis en quarantaine"},
      {L"%d menaces trouv\u00E9(s) | %d fichier(s)",
       {int64_t{3}, int64_t{-2}},
       L"3 menaces trouv\u00E9(s) | -2 fichier(s)"},
      {L"Scan %s de %s (%s) en cours...",
       {std::wstring(), std::wstring(L"USB"), path},
       L"Scan  de USB (e:\\autorun.inf) en cours..."},
      {L"Memoire: %d ko", {int64_t{5000000000}}, L"Memoire: 5000000000 ko"},
      {L"100%% %s", {std::wstring(L"ok")}, L"100% ok"},
      {L"%s%s", {std::wstring(L"a"), std::wstring(L"%s")}, L"a%s"},  // arguments are not re-scanned
      // Extra arguments are ignored.
      {L"vid\u00E9e", {std::wstring(L"name.exe")}, L"vid\u00E9e"},
      {L"%s only", {std::wstring(L"one"), int64_t{2}}, L"one only"},
      // Placeholders that do not fit: unchanged.
      {L"%d menaces", {std::wstring(L"x")}, L"%d menaces"},
      {L"%s est actif", {int64_t{1}}, L"%s est actif"},
      {L"%s and %s", {std::wstring(L"one")}, L"%s and %s"},
      {L"%s", {}, L"%s"},
      {L"%x %s", {std::wstring(L"a")}, L"%x %s"},
      {L"%5d", {int64_t{1}}, L"%5d"},
      {L"50%", {}, L"50%"},
      {L"100%% s\u00FBr", {}, L"100% s\u00FBr"},
  };
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.pattern)));
    EXPECT_EQ(FormatText(c.pattern, c.args), c.expected);
  }
}

TEST(TextFormat, FitsTellsWhetherFormattingApplies) {
  EXPECT_TRUE(FormatFits(L"%s (%s)", {std::wstring(L"a"), std::wstring(L"b")}));
  EXPECT_TRUE(FormatFits(L"plain", {}));
  EXPECT_FALSE(FormatFits(L"%s (%s)", {std::wstring(L"a")}));
  EXPECT_FALSE(FormatFits(L"%d", {std::wstring(L"a")}));
  EXPECT_FALSE(FormatFits(L"trailing %", {}));
}

TEST(TextPath, FileNameExtensionAndTrailingBackslash) {
  EXPECT_EQ(FileNamePart(L"e:\\dir\\file.exe"), L"file.exe");
  EXPECT_EQ(FileNamePart(L"e:file.exe"), L"file.exe");
  EXPECT_EQ(FileNamePart(L"e:/dir/file"), L"file");
  EXPECT_EQ(FileNamePart(L"e:\\dir\\"), L"");
  EXPECT_EQ(FileNamePart(L"name"), L"name");

  EXPECT_EQ(ExtensionPart(L"e:\\dir\\file.tar.gz"), L".gz");
  EXPECT_EQ(ExtensionPart(L"e:\\dir.d\\file"), L"");  // a dot in a folder is no extension
  EXPECT_EQ(ExtensionPart(L"e:\\file."), L".");
  EXPECT_EQ(ExtensionPart(L"e:\\AUTORUN.INF"), L".INF");

  EXPECT_EQ(IncludeTrailingBackslash(L"e:"), L"e:\\");
  EXPECT_EQ(IncludeTrailingBackslash(L"e:\\"), L"e:\\");
  EXPECT_EQ(IncludeTrailingBackslash(L"C:\\ProgramData\\Drivewarden"), L"C:\\ProgramData\\Drivewarden\\");
}

}  // namespace
}  // namespace dw
