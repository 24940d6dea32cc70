#include <gtest/gtest.h>

#include <string>

#include "platform/ProfileFile.h"
#include "support/MemoryProfileFiles.h"

namespace dw {
namespace {

const std::wstring kFile = L"C:\\ProgramData\\Drivewarden\\config\\config.ini";

std::string Utf16Le(std::u16string_view text) {
  std::string out("\xFF\xFE", 2);
  for (char16_t c : text) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
  return out;
}

std::string Utf16Be(std::u16string_view text) {
  std::string out("\xFE\xFF", 2);
  for (char16_t c : text) {
    out.push_back(static_cast<char>(c >> 8));
    out.push_back(static_cast<char>(c & 0xFF));
  }
  return out;
}

class ProfileTest : public testing::Test {
 protected:
  test::MemoryProfileFiles profiles;

  void Put(std::string bytes) { profiles.store.Put(kFile, std::move(bytes)); }
  std::string Bytes() { return profiles.store.Get(kFile).value_or("<missing>"); }
  std::wstring Read(const std::wstring& section, const std::wstring& key, const std::wstring& def = L"<default>",
                    size_t size = 2048) {
    return profiles.ReadString(kFile, section, key, def, size);
  }
};

struct ReadCase {
  const wchar_t* section;
  const wchar_t* key;
  const wchar_t* expected;
};

TEST_F(ProfileTest, ReadsValuesAsTheApiDoes) {
  Put("top=before any section\r\n"
      "[app]\r\n"
      "enable=1\r\n"
      "  Spaced Key   =   spaced value   \r\n"
      "quoted=\"  inner  \"\r\n"
      "single='x'\r\n"
      "mixed=\"x'\r\n"
      "lonequote=\"\r\n"
      "emptyquotes=\"\"\r\n"
      "eq = a = b\r\n"
      "novalue\r\n"
      "empty=\r\n"
      "; comment=hidden\r\n"
      "dup=first\r\n"
      "DUP=second\r\n"
      "\r\n"
      "[ Other Section ]\r\n"
      "k=v\r\n"
      "[app]\r\n"
      "late=yes\r\n"
      "enable=0\r\n");
  const ReadCase cases[] = {
      {L"app", L"enable", L"1"},
      {L"APP", L"ENABLE", L"1"},
      {L"  app\t", L" enable ", L"1"},  // blanks around the names asked for do not count
      {L"app", L"spaced key", L"spaced value"},
      {L"app", L"quoted", L"  inner  "},  // quotes keep the blanks inside
      {L"app", L"single", L"x"},
      {L"app", L"mixed", L"\"x'"},
      {L"app", L"lonequote", L"\""},
      {L"app", L"emptyquotes", L""},
      {L"app", L"eq", L"a = b"},
      {L"app", L"novalue", L"<default>"},  // a line without "=" reads as missing
      {L"app", L"empty", L""},
      {L"app", L"comment", L"<default>"},
      {L"app", L"; comment", L"hidden"},  // a comment is just a key nobody asks for
      {L"app", L"dup", L"first"},
      {L"other section", L"k", L"v"},
      {L"app", L"late", L"<default>"},  // only the first [app] is searched
      {L"", L"top", L"before any section"},
      {L"app", L"top", L"<default>"},
      {L"missing", L"k", L"<default>"},
  };
  for (const ReadCase& c : cases) {
    EXPECT_EQ(Read(c.section, c.key), c.expected)
        << testing::PrintToString(std::wstring(c.section)) << " " << testing::PrintToString(std::wstring(c.key));
  }
}

TEST_F(ProfileTest, NamesIgnoreTheCaseOfAsciiLettersOnly) {
  Put(Utf16Le(u"[\u00C9t\u00E9]\r\nk=1\r\n[Summer]\r\nK\u00C9Y=2\r\n"));
  EXPECT_EQ(Read(L"\u00C9t\u00E9", L"K"), L"1");
  EXPECT_EQ(Read(L"\u00E9t\u00E9", L"k"), L"<default>");
  EXPECT_EQ(Read(L"SUMMER", L"k\u00C9y"), L"2");
  EXPECT_EQ(Read(L"summer", L"k\u00E9y"), L"<default>");
}

TEST_F(ProfileTest, BufferSizeAndDefaults) {
  Put("[app]\r\nlong=0123456789\r\nq=\"abcdef\"\r\n");
  EXPECT_EQ(Read(L"app", L"long", L"", 5), L"0123");
  EXPECT_EQ(Read(L"app", L"long", L"", 1), L"");
  EXPECT_EQ(Read(L"app", L"long", L"", 0), L"");
  EXPECT_EQ(Read(L"app", L"long", L"", 11), L"0123456789");
  // The closing quote goes only when it would fit, and then takes the last
  // character copied with it: a buffer one short loses a real character.
  EXPECT_EQ(Read(L"app", L"q", L"", 4), L"abc");
  EXPECT_EQ(Read(L"app", L"q", L"", 7), L"abcde");
  EXPECT_EQ(Read(L"app", L"q", L"", 8), L"abcdef");

  EXPECT_EQ(Read(L"app", L"missing", L"dflt  "), L"dflt");  // trailing blanks of the default go
  EXPECT_EQ(Read(L"app", L"missing", L"   "), L" ");        // but never its first character
  EXPECT_EQ(Read(L"app", L"missing", L"\"quoted\""), L"quoted");
  EXPECT_EQ(Read(L"app", L"missing", L"default", 4), L"def");
}

TEST_F(ProfileTest, MissingFileAndUnreachableFolder) {
  EXPECT_EQ(Read(L"app", L"k", L"\"d\""), L"d");
  profiles.store.SetUnreachable(true);
  EXPECT_EQ(Read(L"app", L"k", L"\"d\""), L"\"d\"");  // handed back untouched, as the API does
  EXPECT_FALSE(profiles.WriteString(kFile, L"app", L"k", L"v"));
}

struct FileCase {
  const char* name;
  std::string bytes;
};

TEST_F(ProfileTest, LinesHeadersAndEncodings) {
  const FileCase cases[] = {
      {"lf, cr and tabs", "[app]\nother=0\r\n\r\n\n\t k \t=\t value \t\rz=1"},
      {"^Z at the end", "[app]\r\nk= value\x1a"},
      {"ansi", "[app]\r\nk= value\r\n\xC9=\xE9\x80\r\n"},
      {"utf-8 bom", "\xEF\xBB\xBF[app]\r\nk=value\r\n\xC3\x89=\xC3\xA9\xE2\x82\xAC\r\n"},
      {"utf-16le bom", Utf16Le(u"[app]\r\nk=value\r\n\u00C9=\u00E9\u20AC\r\n")},
      {"utf-16be bom", Utf16Be(u"[app]\r\nk=value")},
      {"section name trimmed, to the last ]", "[ app ] ; note\r\nk=value\r\n"},
      {"broken header line is a key", "[app]\r\n[broken\r\nk=value\r\n"},
  };
  for (const FileCase& c : cases) {
    SCOPED_TRACE(c.name);
    Put(c.bytes);
    EXPECT_EQ(Read(L"app", L"k"), L"value");
  }
  Put("[app]\r\n\xC9=\xE9\x80\r\n");
  EXPECT_EQ(Read(L"app", L"\u00C9"), L"\u00E9\u20AC");
  Put("[a]b]\r\nk=1\r\n[]\r\nk=2\r\n[app\r\n");
  EXPECT_EQ(Read(L"a]b", L"k"), L"1");
  // "[]" names no section: the empty name finds the lines before the first section,
  // and there are none here.
  EXPECT_EQ(Read(L"", L"k"), L"<default>");
  EXPECT_EQ(Read(L"a]b", L"[app"), L"<default>");
  Put("\xA0k\xA0=\xA0v\xA0\r\n");  // a no-break space is not a blank to the API
  EXPECT_EQ(Read(L"", L"\u00A0k\u00A0"), L"\u00A0v\u00A0");
}

struct Write {
  const wchar_t* section;
  const wchar_t* key;
  const wchar_t* value;
};

struct WriteCase {
  const char* name;
  const char* initial;  // null: no file yet
  std::vector<Write> writes;
  std::string expected;
};

TEST_F(ProfileTest, WritesAsTheApiDoes) {
  const char* messy =
      "top=1\r\n"
      "[app]\r\n"
      "\r\n"
      "  a = 1 \r\n"
      "; note\r\n"
      "novalue\r\n"
      "\r\n"
      "[ scan ]  trailing\r\n"
      "b=2\r\n"
      "[app]\r\n"
      "late=3\r\n";
  const WriteCase cases[] = {
      {"new file: sections in order of first write, keys at the end of their section",
       nullptr,
       {{L"app", L"enable", L"1"}, {L"computer", L"cmd", L""}, {L"app", L"firstrun", L"0"}},
       "[app]\r\nenable=1\r\nfirstrun=0\r\n[computer]\r\ncmd=\r\n"},
      {"existing key replaced in place, file rewritten tidily",
       messy,
       {{L"APP", L"A", L"9"}},
       "top=1\r\n[app]\r\na=9\r\n; note\r\nnovalue\r\n[scan]\r\nb=2\r\n[app]\r\nlate=3\r\n"},
      {"new key goes to the first section of the name",
       messy,
       {{L"app", L"late", L"x"}},
       "top=1\r\n[app]\r\na=1\r\n; note\r\nnovalue\r\nlate=x\r\n[scan]\r\nb=2\r\n[app]\r\nlate=3\r\n"},
      {"same value: untouched", messy, {{L"app", L"a", L"1"}}, messy},
      {"key without value gets one",
       messy,
       {{L"app", L"novalue", L"v"}},
       "top=1\r\n[app]\r\na=1\r\n; note\r\nnovalue=v\r\n[scan]\r\nb=2\r\n[app]\r\nlate=3\r\n"},
      {"empty section name writes before the first section",
       messy,
       {{L"", L"other", L"3"}},
       "top=1\r\nother=3\r\n[app]\r\na=1\r\n; note\r\nnovalue\r\n[scan]\r\nb=2\r\n[app]\r\nlate=3\r\n"},
      {"leading blanks of names and values go, trailing ones stay",
       nullptr,
       {{L"  app  ", L"  key  ", L"  value  "}},
       "[app  ]\r\nkey  =value  \r\n"},
      {"and are trimmed when the file is read again",
       "[app  ]\r\nkey  =value  \r\n",
       {{L"app", L"key", L"x"}},
       "[app]\r\nkey=x\r\n"},
      {"ansi stays ansi", "[app]\r\nk=1\r\n", {{L"app", L"k", L"\u00C9\u20AC"}}, "[app]\r\nk=\xC9\x80\r\n"},
      {"utf-8 keeps its mark",
       "\xEF\xBB\xBF[app]\r\nk=1\r\n",
       {{L"app", L"k", L"\u0416"}},
       "\xEF\xBB\xBF[app]\r\nk=\xD0\x96\r\n"},
  };
  for (const WriteCase& c : cases) {
    SCOPED_TRACE(c.name);
    profiles.store.Clear();
    if (c.initial) Put(c.initial);
    for (const Write& w : c.writes) EXPECT_TRUE(profiles.WriteString(kFile, w.section, w.key, w.value));
    EXPECT_EQ(Bytes(), c.expected);
  }
}

TEST_F(ProfileTest, Utf16FilesKeepTheirEncoding) {
  Put(Utf16Le(u"[app]\r\nk=1\r\n"));
  ASSERT_TRUE(profiles.WriteString(kFile, L"app", L"k", L"\u00E9\u0416"));
  EXPECT_EQ(Bytes(), Utf16Le(u"[app]\r\nk=\u00E9\u0416\r\n"));
  EXPECT_EQ(Read(L"app", L"k"), L"\u00E9\u0416");
}

TEST_F(ProfileTest, CharactersBeyondTheBasicPlaneSurviveUtf16) {
  Put(Utf16Le(u"[app]\r\nk=\U0001F600\r\n"));
  EXPECT_EQ(Read(L"app", L"k"), L"\U0001F600");
  ASSERT_TRUE(profiles.WriteString(kFile, L"app", L"j", L"\U0001F601"));
  EXPECT_EQ(Bytes(), Utf16Le(u"[app]\r\nk=\U0001F600\r\nj=\U0001F601\r\n"));
}

}  // namespace
}  // namespace dw
