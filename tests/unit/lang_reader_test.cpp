#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "common/Text.h"
#include "lang_support.h"
#include "loc/LangFile.h"
#include "loc/LangLocEngine.h"

namespace dw::test {

namespace {

std::string Utf16(std::wstring_view text, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  auto put = [&](uint32_t unit) {
    char lo = static_cast<char>(unit & 0xFF);
    char hi = static_cast<char>((unit >> 8) & 0xFF);
    out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
  };
  for (wchar_t c : text) {
    auto cp = static_cast<uint32_t>(c);
    if (sizeof(wchar_t) == 4 && cp >= 0x10000) {
      cp -= 0x10000;
      put(0xD800 + (cp >> 10));
      put(0xDC00 + (cp & 0x3FF));
    } else {
      put(cp);
    }
  }
  return out;
}

// "😀" as one code point on Linux and as a surrogate pair on Windows.
std::wstring Emoji() { return Utf8ToWide("\xF0\x9F\x98\x80"); }

struct ReaderCase {
  const char* name;
  std::string file;
  std::vector<std::wstring> strings;  // what "-Strings-" yields, in key order
  bool isUtf8 = false;
  std::wstring uiFont = L"MS Sans Serif";
};

std::vector<ReaderCase> ReaderCases() {
  // clang-format off
  return {
      {"BlanksAndControlsAroundEverything",
       "  [ -Strings- ] \r\n\t 1 = \x01 two words \x1F\r\n", {L"two words"}},
      {"InnerBlanksAreKept", "[-Strings-]\n1=a  b\n", {L"a  b"}},
      {"CommentsAndEmptyLinesAreSkipped", "[-Strings-]\n; 1=comment\n\n   \n1=a\n  ;2=b\n", {L"a"}},
      {"LinesBeforeTheFirstSectionAreIgnored", "1=stray\n2=stray\n[-Strings-]\n", {}},
      {"EveryLineEnding", "[-Strings-]\r1=a\n2=b\r\n3=c\n\r4=d", {L"a", L"b", L"c", L"d"}},
      {"LastSectionOfANameWins", "[-Strings-]\n1=a\n2=b\n[Other]\n[-STRINGS-]\n1=c\n", {L"c"}},
      {"LastKeyWins", "[-Strings-]\n1=a\n2=b\n1=c\n", {L"c", L"b"}},
      {"NumberingStopsAtTheFirstGap", "[-Strings-]\n1=a\n2=b\n4=d\n", {L"a", L"b"}},
      {"PresentButEmptyIsAnEmptyText", "[-Strings-]\n1=\n2=b\n", {L"", L"b"}},
      {"ALineWithoutEqualsHasNoKey", "[-Strings-]\n1=a\n2\n3=c\n", {L"a"}},
      {"SplitAtTheFirstEquals", "[-Strings-]\n1=a=b\n", {L"a=b"}},
      {"LeadingZerosAreAnotherKey", "[-Strings-]\n01=a\n", {}},
      {"EscapesAreNotTheReadersJob", "[-Strings-]\n1=a|b%/c\n2=\"quoted\"\n", {L"a|b%/c", L"\"quoted\""}},
      {"SectionLikeLineWithoutClosingBracketIsAnEntry", "[-Strings-]\n[1=a\n1=b\n", {L"b"}},
      {"Utf8ByteOrderMark", "\xEF\xBB\xBF[-Strings-]\n1=Fran\xC3\xA7" "ais\n", {L"Français"}},
      {"Utf16LittleEndian", Utf16(L"[-Strings-]\r\n1=Français " + Emoji() + L"\r\n", false),
       {L"Français " + Emoji()}},
      {"Utf16BigEndian", Utf16(L"[-Strings-]\r\n1=Français\r\n", true), {L"Français"}},
      {"AnsiWithoutMark", "[-Strings-]\n1=Fran\xE7" "ais \x80\n", {L"Français \u20AC"}},
      {"Utf8BytesWithoutIsUtf8ReadAsAnsi", "[-Strings-]\n1=Fran\xC3\xA7" "ais\n", {L"Fran\u00C3\u00A7ais"}},
      {"IsUtf8DecodesValues", "[-Header-]\nIsUTF8=1\n[-Strings-]\n1=Fran\xC3\xA7" "ais\n", {L"Français"}, true},
      // 0x9D and 0x81 have no Windows-1252 character: decoded from the file's bytes.
      {"IsUtf8KeepsBytesTheCodePageLacks",
       "[-Header-]\nIsUTF8=1\n[-Strings-]\n1=\xE2\x80\x9Cquoted\xE2\x80\x9D \xC3\x9D \xC3\x81\n",
       {L"\u201Cquoted\u201D \u00DD \u00C1"}, true},
      {"IsUtf8WithAnsiTextKeepsTheText", "[-Header-]\nIsUTF8=1\n[-Strings-]\n1=Fran\xE7" "ais\n", {L"Français"}, true},
      {"IsUtf8WithAUtf8MarkIsNotDecodedTwice",
       "\xEF\xBB\xBF[-Header-]\nIsUTF8=1\n[-Strings-]\n1=Fran\xC3\xA7" "ais\n", {L"Français"}, true},
      {"IsUtf8Zero", "[-Header-]\nIsUTF8=0\n[-Strings-]\n1=\xC3\xA7\n", {L"\u00C3\u00A7"}, false},
      {"IsUtf8AnyNonZeroNumber", "[-Header-]\nIsUTF8=2\n", {}, true},
      {"IsUtf8Hexadecimal", "[-Header-]\nisutf8=0x1\n", {}, true},
      {"IsUtf8NotANumber", "[-Header-]\nIsUTF8=yes\n", {}, false},
      {"UIFontGiven", "[-Header-]\nUIFont= Tahoma \n", {}, false, L"Tahoma"},
      {"UIFontEmptyIsTheDefault", "[-Header-]\nUIFont=\n", {}, false, L"MS Sans Serif"},
      {"UIFontUtf8", "[-Header-]\nIsUTF8=1\nUIFont=Fa\xC3\xA7" "e\n", {}, true, L"Façe"},
  };
  // clang-format on
}

void PrintTo(const ReaderCase& c, std::ostream* os) { *os << c.name; }

class ReaderTest : public LangFileTest, public ::testing::WithParamInterface<ReaderCase> {};

}  // namespace

TEST_P(ReaderTest, ReadsTheFileByTheRules) {
  const ReaderCase& c = GetParam();
  TLocEngine engine;
  Load(engine, c.file);
  ASSERT_NE(engine.LangIni(), nullptr);
  EXPECT_EQ(engine.Strings(), c.strings);
  EXPECT_EQ(engine.IsUTF8(), c.isUtf8);
  EXPECT_EQ(engine.UIFont(), c.uiFont);
}

INSTANTIATE_TEST_SUITE_P(Lang, ReaderTest, ::testing::ValuesIn(ReaderCases()),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

using LangEngineTest = LangFileTest;

TEST_F(LangEngineTest, AMissingFileIsAnEmptyLanguage) {
  TLocEngine engine;
  EXPECT_EQ(engine.LangIni(), nullptr);
  EXPECT_EQ(engine.UIFont(), L"");
  Load(engine, "[-Header-]\nIsUTF8=1\nUIFont=Arial\n[-Strings-]\n1=a\n");
  engine.LoadLanguageFile(folder.path() + L"missing.lng");
  ASSERT_NE(engine.LangIni(), nullptr);
  EXPECT_TRUE(engine.LangIni()->Sections().empty());
  EXPECT_TRUE(engine.Strings().empty());
  EXPECT_FALSE(engine.IsUTF8());
  EXPECT_EQ(engine.UIFont(), L"MS Sans Serif");
}

TEST_F(LangEngineTest, ImageKeepsSectionsAndLinesAsRead) {
  TLocEngine engine;
  Load(engine, "[A]\nx=1\nno key here\n[a]\nX = 2\nx=3\n[B]\n");
  const TLangImage& image = *engine.LangIni();
  ASSERT_EQ(image.Sections().size(), 3u);
  const TLangSection* a = image.Section(L"A");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, &image.Sections()[1]);  // the last of that name
  ASSERT_NE(a->Find(L"x"), nullptr);
  EXPECT_EQ(a->Find(L"x")->Value, L"3");
  EXPECT_EQ(image.Sections()[0].Lines.size(), 2u);
  EXPECT_FALSE(image.Sections()[0].Lines[1].HasKey);
  EXPECT_EQ(image.Sections()[0].Find(L"no key here"), nullptr);
  EXPECT_TRUE(image.Section(L"b")->Lines.empty());
  EXPECT_EQ(image.Section(L"C"), nullptr);
}

TEST_F(LangEngineTest, TranslateStringUnescapesBarsThenPercentSlash) {
  struct Case {
    std::string value;
    std::wstring expected;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {"a|b", L"a\r\nb"},
      {"a%/b", L"a|b"},
      {"%/|", L"|\r\n"},
      {"%%/", L"%|"},
      {"||", L"\r\n\r\n"},
      {"%d trouv\xC3\xA9(s) %/ %d", L"%d trouvé(s) | %d"},
      {"%", L"%"},
  };
  // clang-format on
  std::string file = "[-Header-]\nIsUTF8=1\n[-Strings-]\n";
  for (size_t i = 0; i < cases.size(); ++i) file += std::to_string(i + 1) + "=" + cases[i].value + "\n";
  TLocEngine engine;
  Load(engine, file);
  for (size_t i = 0; i < cases.size(); ++i) {
    std::wstring s = L"default";
    engine.TranslateString(static_cast<int>(i + 1), s);
    EXPECT_EQ(s, cases[i].expected) << cases[i].value;
  }
}

TEST_F(LangEngineTest, TranslateStringLeavesTextsBeyondTheFileAlone) {
  TLocEngine engine;
  std::wstring s = L"default";
  engine.TranslateString(1, s);  // nothing loaded
  EXPECT_EQ(s, L"default");
  Load(engine, "[-Strings-]\n1=one\n2=\n");
  for (int id : {0, -1, 3, 64}) {
    engine.TranslateString(id, s);
    EXPECT_EQ(s, L"default") << id;
  }
  engine.TranslateString(2, s);
  EXPECT_EQ(s, L"");
}

TEST_F(LangEngineTest, LoadingAgainReplacesEverything) {
  TLocEngine engine;
  Load(engine, "[-Header-]\nIsUTF8=1\nUIFont=Arial\n[-Strings-]\n1=a\n2=b\n");
  engine.LoadLanguageFile(Write("[-Strings-]\n1=c\n", L"second.lng"));
  EXPECT_EQ(engine.Strings(), std::vector<std::wstring>{L"c"});
  EXPECT_FALSE(engine.IsUTF8());
  EXPECT_EQ(engine.UIFont(), L"MS Sans Serif");
}

// ---- Comma lists ----

TEST(LangCommaList, ReadsItemsByTheRules) {
  struct Case {
    std::wstring text;
    std::vector<std::wstring> items;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {L"Menaces,Fichiers suspects", {L"Menaces", L"Fichiers", L"suspects"}},
      {L"Menaces,\"Fichiers suspects\",\"Menances et fichiers suspects\"",
       {L"Menaces", L"Fichiers suspects", L"Menances et fichiers suspects"}},
      {L"\"a \"\"b\"\", c\",d", {L"a \"b\", c", L"d"}},
      {L"\"unterminated, still", {L"unterminated, still"}},
      {L"\"x\"y", {L"x", L"y"}},
      {L"\"\"", {L""}},
      {L"a,", {L"a", L""}},
      {L"a, ", {L"a"}},
      {L"a,,b", {L"a", L"", L"b"}},
      {L",a", {L"", L"a"}},
      {L",", {L"", L""}},
      {L"  a ,  b\t", {L"a", L"b"}},
      {L"a\tb\x01" L"c", {L"a", L"b", L"c"}},
      {L"\"a,b\" , \"c d\"", {L"a,b", L"c d"}},
      {L"Root,VolName,Taille,Libre", {L"Root", L"VolName", L"Taille", L"Libre"}},
      {L"", {}},
      {L" \t ", {}},
  };
  // clang-format on
  for (const Case& c : cases) EXPECT_EQ(ReadCommaList(c.text), c.items) << WideToUtf8(c.text);
}

TEST(LangCommaList, WritesItemsByTheRules) {
  struct Case {
    std::vector<std::wstring> items;
    std::wstring text;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {{}, L""},
      {{L""}, L"\"\""},
      {{L"a", L"b"}, L"a,b"},
      {{L"a b"}, L"\"a b\""},
      {{L"a\"b"}, L"\"a\"\"b\""},
      {{L"a,b", L"c"}, L"\"a,b\",c"},
      {{L"", L"a"}, L",a"},
      {{L"a", L""}, L"a,"},
      {{L"tab\there"}, L"\"tab\there\""},
      {{L"Créer", L"Créer un dossier"}, L"Créer,\"Créer un dossier\""},
  };
  // clang-format on
  for (const Case& c : cases) EXPECT_EQ(WriteCommaList(c.items), c.text) << WideToUtf8(c.text);
}

TEST(LangCommaList, WhatIsWrittenReadsBack) {
  // clang-format off
  const std::vector<std::vector<std::wstring>> lists = {
      {},
      {L""},
      {L"", L""},
      {L"a", L"", L"b"},
      {L"", L"x"},
      {L"x", L""},
      {L"Fichiers suspects", L"say \"hi\", then go", L"\"\""},
      {L" leading", L"trailing ", L"a\tb"},
      {L"Français", L"English"},
  };
  // clang-format on
  for (const auto& list : lists) {
    EXPECT_EQ(ReadCommaList(WriteCommaList(list)), list) << WideToUtf8(WriteCommaList(list));
  }
}

}  // namespace dw::test
