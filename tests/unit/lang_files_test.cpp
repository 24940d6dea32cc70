// The language files shipped beside the program, and the start-up steps that
// load one of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/Text.h"
#include "lang_support.h"
#include "loc/LangLocEngine.h"
#include "loc/LangLocStrings.h"
#include "state/FindingWhy.h"
#include "support/PanelFixture.h"

namespace dw::test {

namespace {

const char* const kShippedFiles[] = {"french.lng", "english.lng"};

// The conversions of a text in order: 's' for "%s", 'd' for "%d" ("%%" is no placeholder).
std::wstring Placeholders(std::wstring_view text) {
  std::wstring kinds;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != L'%') continue;
    if (text[i + 1] != L'%') kinds.push_back(text[i + 1]);
    ++i;
  }
  return kinds;
}

// How many texts a component's entry must carry to fill the component.
size_t ExpectedItems(const TComponent& c) {
  switch (c.Kind()) {
    case TComponentKind::ListView: return c.Columns().size() + c.Rows().size();
    case TComponentKind::ComboBox: return c.Items().size();
    case TComponentKind::RadioGroup: return 1 + c.Items().size();
    case TComponentKind::Button:
    case TComponentKind::BitBtn:
    case TComponentKind::SpeedButton: return c.Hint().empty() ? 1 : 2;
    default: return 1;
  }
}

size_t ItemsIn(const TComponent& c, const std::wstring& value) {
  switch (c.Kind()) {
    case TComponentKind::ListView:
    case TComponentKind::ComboBox:
    case TComponentKind::RadioGroup:
    case TComponentKind::SpeedButton: return ReadCommaList(value).size();
    case TComponentKind::Button:
    case TComponentKind::BitBtn:
      return value.find_first_of(L",\"") == std::wstring::npos ? 1 : ReadCommaList(value).size();
    default: return 1;
  }
}

// What the language file can change on a component.
struct Texts {
  std::wstring caption, hint, text;
  std::vector<std::wstring> items;
  int itemIndex;
  std::vector<TListColumn> columns;
  bool operator==(const Texts&) const = default;
};

std::map<std::wstring, Texts> Snapshot(const TForm& form) {
  std::map<std::wstring, Texts> texts;
  for (const auto& c : form.Components())
    texts[c->Name()] = {c->Caption(), c->Hint(), c->Text(), c->Items(), c->ItemIndex(), c->Columns()};
  return texts;
}

class LangShippedTest : public PanelFixture {
 protected:
  LangShippedTest() {
    EXPECT_TRUE(Fs().CreateFolder(folder.path() + L"Languages\\"));
    for (const char* name : kShippedFiles) EXPECT_TRUE(Fs().WriteAll(Path(name), ShippedLanguageFile(name)));
  }
  ~LangShippedTest() override { ResetCatalogue(); }

  std::wstring Path(const char* name) { return folder.path() + L"Languages\\" + Utf8ToWide(name); }

  // Whether the panel's component is one a complete file must translate.
  static bool Translatable(const TComponent& c) {
    if (c.Kind() == TComponentKind::RadioGroup) return true;
    if (c.Kind() == TComponentKind::MenuItem && c.Caption() == L"-") return false;  // separators
    return !TLocEngine::ComponentText(c).empty();
  }

  TempFolder folder;
};

}  // namespace

TEST_F(LangShippedTest, BothFilesParseAsCompleteUtf8Files) {
  for (const char* name : kShippedFiles) {
    SCOPED_TRACE(name);
    std::string bytes = ShippedLanguageFile(name);
    EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF");
    TLocEngine engine;
    engine.LoadLanguageFile(Path(name));
    EXPECT_TRUE(engine.IsUTF8());
    EXPECT_EQ(engine.UIFont(), L"Tahoma");
    ASSERT_EQ(engine.Strings().size(), static_cast<size_t>(kCatalogueSize));
    for (const std::wstring& s : engine.Strings()) {
      EXPECT_FALSE(s.empty());
      EXPECT_EQ(s.find(L'\xFFFD'), std::wstring::npos) << WideToUtf8(s);
    }
    ASSERT_NE(engine.LangIni()->Section(L"TPanelfrm"), nullptr);
  }
}

TEST_F(LangShippedTest, EnglishTranslatesEveryEntryAndKeepsItsPlaceholders) {
  TLocEngine engine;
  engine.LoadLanguageFile(Path("english.lng"));
  ASSERT_GE(engine.Strings().size(), static_cast<size_t>(kCatalogueSize));
  for (int n = 1; n <= kCatalogueSize; ++n) {
    std::wstring text = L"untranslated";
    engine.TranslateString(n, text);
    std::wstring expected = Placeholders(CatalogueDefault(n));
    EXPECT_EQ(Placeholders(text), expected) << "entry " << n << ": " << WideToUtf8(text);
    EXPECT_EQ(text.find(L'|'), std::wstring::npos) << "entry " << n;  // only line breaks were meant
  }
}

// The command-line scanner's English sentences are compiled in; english.lng must
// say the same, and each French default be the entry the reason names.
TEST_F(LangShippedTest, EveryReasonHasARuleIdAndTheEnglishFilesSentence) {
  TLocEngine engine;
  engine.LoadLanguageFile(Path("english.lng"));
  std::set<int> entries;
  for (int w = static_cast<int>(Why::AutorunFile); w <= static_cast<int>(Why::DisguisingDesktopIni); ++w) {
    const Why why = static_cast<Why>(w);
    SCOPED_TRACE(w);
    EXPECT_FALSE(RuleId(why).empty());
    const int n = ReasonEntry(why);
    ASSERT_GT(n, 0);
    EXPECT_TRUE(entries.insert(n).second) << "entry " << n << " serves two reasons";
    std::wstring english = L"untranslated";
    engine.TranslateString(n, english);
    EXPECT_EQ(ReasonEnglish({why, L"%s"}), english);
    EXPECT_EQ(ReasonText({why, L"%s"}), CatalogueDefault(n));
  }
  EXPECT_EQ(ReasonText({}), L"");
  EXPECT_EQ(RuleId(Why::None), "");
}

TEST_F(LangShippedTest, BothFilesCoverEveryTranslatableComponent) {
  for (const char* name : kShippedFiles) {
    SCOPED_TRACE(name);
    TLocEngine engine;
    engine.LoadLanguageFile(Path(name));
    const TLangSection* section = engine.LangIni()->Section(L"TPanelfrm");
    ASSERT_NE(section, nullptr);
    for (const auto& c : panel->Components()) {
      if (!Translatable(*c)) continue;
      const TLangLine* line = section->Find(c->Name());
      ASSERT_NE(line, nullptr) << WideToUtf8(c->Name());
      ASSERT_TRUE(line->AnsiBytes);
      std::wstring value = Utf8ToWide(*line->AnsiBytes);
      EXPECT_FALSE(value.empty()) << WideToUtf8(c->Name());
      EXPECT_EQ(ItemsIn(*c, value), ExpectedItems(*c)) << WideToUtf8(c->Name()) << "=" << WideToUtf8(value);
    }
    // Nothing that the file would put into a text the user types.
    EXPECT_EQ(section->Find(L"antiviruscmd_txt"), nullptr);
  }
}

// The shipped French corrects the defaults' spelling, so it is checked against
// what a translation must keep: the placeholders and the line breaks of each entry.
TEST_F(LangShippedTest, FrenchKeepsEachEntrysPlaceholdersAndLineBreaks) {
  TLocEngine engine;
  engine.LoadLanguageFile(Path("french.lng"));
  for (int n = 1; n <= kCatalogueSize; ++n) {
    std::wstring text = L"untranslated";
    engine.TranslateString(n, text);
    std::wstring_view original = CatalogueDefault(n);
    EXPECT_EQ(Placeholders(text), Placeholders(original)) << "entry " << n << ": " << WideToUtf8(text);
    EXPECT_EQ(std::count(text.begin(), text.end(), L'|'), std::count(original.begin(), original.end(), L'|'))
        << "entry " << n;
  }
}

TEST_F(LangShippedTest, FrenchHasNoneOfTheDefaultsMistakes) {
  const std::string bytes = ShippedLanguageFile("french.lng");
  const char* const mistakes[] = {
      "menance",
      "Menance",
      " on été",
      "Quarantaire",
      "suscpect",
      "Minitieux",
      "Ouvir",
      "réussi\n",
      "fichies",
      "détéct",
      "represant",
      "Bienvenu ",
      "Merçi",
      "CREER",
      "Reparer",
      "Verifier",
      "instrusion",
      "complèter",
      "proteger",
      "redemarrer",
      "  ",
      // entries that the defaults give in English
      "Do you want",
      "scannin",
      "Change file",
  };
  for (const char* m : mistakes) EXPECT_EQ(bytes.find(m), std::string::npos) << m;
}

// The note's text is the name of a file the protection folder holds: a ':' would
// make it a stream of another file on Windows, a '\\' a folder.
TEST_F(LangShippedTest, TheProtectionNoteIsAFileNameInBothFiles) {
  for (const char* name : kShippedFiles) {
    SCOPED_TRACE(name);
    TLocEngine engine;
    engine.LoadLanguageFile(Path(name));
    std::wstring note = L"untranslated";
    engine.TranslateString(36, note);
    EXPECT_EQ(note.find_first_of(L"<>:\"/\\|?*"), std::wstring::npos) << WideToUtf8(note);
    EXPECT_NE(note.back(), L'.');
  }
}

TEST_F(LangShippedTest, FrenchLeavesThePanelAsLaidOut) {
  std::map<std::wstring, Texts> before = Snapshot(*panel);
  TLocEngine engine;
  engine.LoadLanguageFile(Path("french.lng"));
  engine.TranslateForm(*panel);
  std::map<std::wstring, Texts> after = Snapshot(*panel);

  // Only the words change: the choices, the selection and the columns stay.
  for (const auto& [name, texts] : before) {
    SCOPED_TRACE(WideToUtf8(name));
    const Texts& now = after[name];
    EXPECT_EQ(now.items.size(), texts.items.size());
    EXPECT_EQ(now.itemIndex, texts.itemIndex);
    ASSERT_EQ(now.columns.size(), texts.columns.size());
    for (size_t i = 0; i < now.columns.size(); ++i) EXPECT_EQ(now.columns[i].Width, texts.columns[i].Width);
    EXPECT_EQ(now.text, texts.text);
  }
  EXPECT_EQ(panel->FontFace(), L"Tahoma");
  EXPECT_EQ(panel->Caption(), L"Drivewarden");
}

TEST_F(LangShippedTest, StartLanguageFollowsLanguageId) {
  struct Case {
    int languageId;
    const wchar_t* tdelall;
    const wchar_t* alertTitle;
    bool loaded;
  };
  const Case cases[] = {
      {-1, L"Supprimer tout", L"Alerte", true},  {0, L"Supprimer tout", L"Alerte", true},
      {1, L"Delete all", L"Alert", true},        {2, L"Supprimer tout", L"Alerte", false},
      {-2, L"Supprimer tout", L"Alerte", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.languageId);
    ResetCatalogue();
    TPanelfrm fresh;
    TLocEngine engine;
    StartLanguage(engine, c.languageId, folder.path(), fresh);
    EXPECT_EQ(engine.LangIni() != nullptr, c.loaded);
    EXPECT_EQ(fresh.Component(L"tdelall").Caption(), c.tdelall);
    EXPECT_EQ(MsgAlertTitle, c.alertTitle);
    EXPECT_EQ(fresh.Caption(), L"Drivewarden");
    EXPECT_EQ(fresh.FontFace(), L"Tahoma");
  }
}

TEST_F(LangShippedTest, EnglishReachesMenusPagesListsAndTheCatalogue) {
  TLocEngine engine;
  StartLanguage(engine, 1, folder.path(), *panel);
  EXPECT_EQ(C(L"Afficher1").Caption(), L"Show");
  EXPECT_EQ(C(L"Fermer1").Caption(), L"Quit");
  EXPECT_EQ(C(L"ChangeFilesAttr_m").Caption(), L"File attributes");
  EXPECT_EQ(C(L"N2").Caption(), L"-");
  EXPECT_EQ(C(L"TabSheet4").Caption(), L"Quarantine");
  EXPECT_EQ(C(L"ListView1").Columns(),
            (std::vector<TListColumn>{{L"Name", 100}, {L"Type", 90}, {L"Path", 140}, {L"Reason", 330}}));
  EXPECT_EQ(C(L"method_sel").Items(),
            (std::vector<std::wstring>{L"Threats", L"Suspicious files", L"Threats and suspicious files"}));
  EXPECT_EQ(C(L"method_sel").ItemIndex(), 2);
  EXPECT_EQ(C(L"lang").Items(), (std::vector<std::wstring>{L"Français", L"English"}));
  EXPECT_EQ(C(L"a_risk").Items(), (std::vector<std::wstring>{L"Ask me before acting", L"Delete (not recommended)"}));
  EXPECT_EQ(C(L"btToolProtectionFolder").Caption(), L"Create a protection folder");
  EXPECT_EQ(C(L"btToolProtectionFolder").Hint(),
            L"Creates an AUTORUN.INF folder that protects your USB drive from attacks.");
  EXPECT_EQ(C(L"Label4").Caption(), L"Drivewarden");
  EXPECT_EQ(MsgScanSummary, L"%d threat(s) and %d suspicious file(s) found");
  EXPECT_EQ(MsgElevationRequired,
            L"To carry out the tasks that protect your computer, %s needs to switch to administrator mode.\r\n"
            L"Please confirm the switch to administrator mode.");
  EXPECT_EQ(FormatText(MsgFileRestored, {std::wstring(L"a.exe"), std::wstring(L"C:\\x\\")}),
            L"The file a.exe has been restored to C:\\x\\");
}

TEST_F(LangShippedTest, StartLanguageKeepsThePanelCaptionAndSurvivesAMissingFile) {
  TempFolder other;
  ASSERT_TRUE(Fs().CreateFolder(other.path() + L"Languages\\"));
  ASSERT_TRUE(
      Fs().WriteAll(other.path() + L"Languages\\english.lng", "[TPanelfrm]\n-Caption-=Renamed\ntdelall=Delete all\n"));
  TLocEngine english;
  StartLanguage(english, 1, other.path(), *panel);
  // Other instances find the running one by this caption.
  EXPECT_EQ(panel->Caption(), L"Drivewarden");
  EXPECT_EQ(C(L"tdelall").Caption(), L"Delete all");

  TempFolder empty;
  TPanelfrm fresh;
  TLocEngine engine;
  StartLanguage(engine, 0, empty.path(), fresh);
  EXPECT_EQ(fresh.FontFace(), L"MS Sans Serif");
  EXPECT_EQ(fresh.Component(L"tdelall").Caption(), L"Supprimer tout");
  EXPECT_EQ(MsgAlertTitle, L"Alerte");
}

TEST(LangStartup, LanguageFilePathBesideTheProgram) {
  struct Case {
    int languageId;
    const wchar_t* folder;
    const wchar_t* path;
  };
  const Case cases[] = {
      {-1, L"C:\\Program Files\\Drivewarden\\", L"C:\\Program Files\\Drivewarden\\Languages\\french.lng"},
      {0, L"C:\\Program Files\\Drivewarden\\", L"C:\\Program Files\\Drivewarden\\Languages\\french.lng"},
      {1, L"C:\\Program Files\\Drivewarden\\", L"C:\\Program Files\\Drivewarden\\Languages\\english.lng"},
      {1, L"C:\\dw", L"C:\\dw\\Languages\\english.lng"},
      {2, L"C:\\dw\\", L""},
      {-2, L"C:\\dw\\", L""},
      {100, L"C:\\dw\\", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(LanguageFilePath(c.languageId, c.folder), c.path) << c.languageId;
}

}  // namespace dw::test
