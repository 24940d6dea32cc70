#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "forms/forms.h"
#include "lang_support.h"
#include "loc/LangLocEngine.h"

namespace dw::test {

namespace {

using K = TComponentKind;

const std::vector<TLayoutRow> kLayout = {
    {.Name = L"btPlain", .Kind = K::Button, .Caption = L"Old", .Hint = L"old hint"},
    {.Name = L"btQuoted", .Kind = K::Button, .Caption = L"Old", .Hint = L"old hint"},
    {.Name = L"btPair", .Kind = K::Button, .Caption = L"Old", .Hint = L"old hint"},
    {.Name = L"btThree", .Kind = K::Button, .Caption = L"Old", .Hint = L"old hint"},
    {.Name = L"bbPlain", .Kind = K::BitBtn, .Caption = L"Old", .Hint = L"old hint"},
    {.Name = L"bbPair", .Kind = K::BitBtn, .Caption = L"Old"},
    {.Name = L"lbl", .Kind = K::Label, .Caption = L"Old", .Font = {L"Arial", 10, true}},
    {.Name = L"lblEmpty", .Kind = K::Label, .Caption = L"Old"},
    {.Name = L"lblBar", .Kind = K::Label, .Caption = L"Old"},
    {.Name = L"edt", .Kind = K::Edit, .Hint = L"hint"},
    {.Name = L"cbKeep", .Kind = K::ComboBox, .Items = {L"a", L"b", L"c"}, .ItemIndex = 2},
    {.Name = L"cbDrop", .Kind = K::ComboBox, .Items = {L"a", L"b", L"c"}, .ItemIndex = 2},
    {.Name = L"chk", .Kind = K::CheckBox, .Caption = L"Old"},
    {.Name = L"lvFull", .Kind = K::ListView, .Columns = {{L"C1", 40}, {L"C2", 60}}},
    {.Name = L"lvShort", .Kind = K::ListView, .Columns = {{L"C1", 40}, {L"C2", 60}}},
    {.Name = L"lvColumnsOnly", .Kind = K::ListView, .Columns = {{L"C1", 40}, {L"C2", 60}}},
    {.Name = L"grp", .Kind = K::GroupBox, .Caption = L"Old"},
    {.Name = L"Pages", .Kind = K::PageControl},
    {.Name = L"tab", .Kind = K::TabSheet, .Parent = L"Pages", .Caption = L"Old"},
    {.Name = L"Menu", .Kind = K::PopupMenu},
    {.Name = L"mnu", .Kind = K::MenuItem, .Parent = L"Menu", .Caption = L"Old", .Tag = -1},
    {.Name = L"dlg", .Kind = K::OpenDialog},
    {.Name = L"spdOne", .Kind = K::SpeedButton, .Caption = L"Old", .Hint = L"old hint"},
    {.Name = L"spdTwo", .Kind = K::SpeedButton, .Caption = L"Old", .Hint = L"old hint"},
    {.Name = L"rad", .Kind = K::RadioButton, .Caption = L"Old"},
    {.Name = L"rgFull", .Kind = K::RadioGroup, .Caption = L"Old", .Items = {L"x", L"y"}, .ItemIndex = 1},
    {.Name = L"rgShort", .Kind = K::RadioGroup, .Caption = L"Old", .Items = {L"x", L"y"}},
    {.Name = L"pnl", .Kind = K::Panel, .Caption = L"Old"},
    {.Name = L"shp", .Kind = K::Shape, .Caption = L"Old"},
    {.Name = L"tmr", .Kind = K::Timer, .Caption = L"Old"},
};

// Every kind with the values of the design's table.
const char kFile[] =
    "[-Header-]\n"
    "IsUTF8=1\n"
    "UIFont=Tahoma\n"
    "[TTestfrm]\n"
    "-Caption-=Fen\xC3\xAAtre\n"
    "btPlain=Supprimer tout\n"
    "btQuoted=\"Supprimer tout\"\n"
    "btPair=Go,Hint\n"
    "btThree=\"Go on\",\"A hint\",ignored\n"
    "bbPlain=Scanner\n"
    "bbPair=Scan,\"Scan all\"\n"
    "lbl=a,b \"c\"\n"
    "lblEmpty=\n"
    "lblBar=a|b%/c\n"
    "edt=typed\n"
    "cbKeep=x,y,z\n"
    "cbDrop=x,y\n"
    "chk=Checked\n"
    "lvFull=A,B,r1,r2,extra\n"
    "lvShort=A,B,r1\n"
    "lvColumnsOnly=A\n"
    "grp=Group\n"
    "tab=Page\n"
    "mnu=Item\n"
    "dlg=Text files (*.txt)|*.txt\n"
    "spdOne=One\n"
    "spdTwo=One,Two\n"
    "rad=Radio\n"
    "rgFull=\"Caption here\",\"First choice\",Second,Third\n"
    "rgShort=Caption,First\n"
    "pnl=Panel\n"
    "shp=Shape\n"
    "tmr=Timer\n"
    "Pages=Pages\n"
    "Menu=Menu\n"
    "unknownName=ignored\n";

class RowsObserver : public IFormObserver {
 public:
  void Changed(TComponent& c, TProperty p) override {
    if (p == TProperty::Rows) rowBatches[c.Name()]++;
  }
  void FormChanged(TForm&, TProperty) override {}
  std::map<std::wstring, int> rowBatches;
};

class LangFormTest : public LangFileTest {
 protected:
  LangFormTest() : form(TFormStyle{.ClassName = L"TTestfrm", .Caption = L"Old", .FontFace = L"Verdana"}) {
    form.Build(kLayout);
    for (const wchar_t* name : {L"lvFull", L"lvShort"}) {
      C(name).AddRow({L"row1", {L"s1"}, true});
      C(name).AddRow({L"row2", {L"s2"}, false});
    }
    C(L"lvFull").SetSelectedRow(1);
  }

  TComponent& C(const wchar_t* name) { return form.Component(name); }

  TForm form;
};

}  // namespace

TEST_F(LangFormTest, EachKindTakesItsValue) {
  TLocEngine engine;
  Load(engine, kFile);
  RowsObserver observer;
  form.SetObserver(&observer);
  engine.TranslateForm(form);
  form.SetObserver(nullptr);

  EXPECT_EQ(form.Caption(), L"Fenêtre");
  EXPECT_EQ(form.FontFace(), L"Tahoma");
  EXPECT_EQ(C(L"lbl").Font().Face, L"Arial");  // a font of its own stays

  // Push and bitmap buttons: a comma list only with a comma or a quote in it.
  EXPECT_EQ(C(L"btPlain").Caption(), L"Supprimer tout");
  EXPECT_EQ(C(L"btPlain").Hint(), L"old hint");
  EXPECT_EQ(C(L"btQuoted").Caption(), L"Supprimer tout");
  EXPECT_EQ(C(L"btQuoted").Hint(), L"old hint");
  EXPECT_EQ(C(L"btPair").Caption(), L"Go");
  EXPECT_EQ(C(L"btPair").Hint(), L"Hint");
  EXPECT_EQ(C(L"btThree").Caption(), L"Go on");
  EXPECT_EQ(C(L"btThree").Hint(), L"A hint");
  EXPECT_EQ(C(L"bbPlain").Caption(), L"Scanner");
  EXPECT_EQ(C(L"bbPlain").Hint(), L"old hint");
  EXPECT_EQ(C(L"bbPair").Caption(), L"Scan");
  EXPECT_EQ(C(L"bbPair").Hint(), L"Scan all");

  // Plain values are taken whole; window values have no escapes.
  EXPECT_EQ(C(L"lbl").Caption(), L"a,b \"c\"");
  EXPECT_EQ(C(L"lblEmpty").Caption(), L"Old");
  EXPECT_EQ(C(L"lblBar").Caption(), L"a|b%/c");
  EXPECT_EQ(C(L"edt").Text(), L"typed");
  EXPECT_EQ(C(L"edt").Hint(), L"hint");
  EXPECT_EQ(C(L"chk").Caption(), L"Checked");
  EXPECT_EQ(C(L"grp").Caption(), L"Group");
  EXPECT_EQ(C(L"tab").Caption(), L"Page");
  EXPECT_EQ(C(L"mnu").Caption(), L"Item");
  EXPECT_EQ(C(L"mnu").Tag(), -1);
  EXPECT_EQ(C(L"dlg").Text(), L"Text files (*.txt)|*.txt");
  EXPECT_EQ(C(L"rad").Caption(), L"Radio");

  // Combo boxes keep their selection while it still names an item.
  EXPECT_EQ(C(L"cbKeep").Items(), (std::vector<std::wstring>{L"x", L"y", L"z"}));
  EXPECT_EQ(C(L"cbKeep").ItemIndex(), 2);
  EXPECT_EQ(C(L"cbDrop").Items(), (std::vector<std::wstring>{L"x", L"y"}));
  EXPECT_EQ(C(L"cbDrop").ItemIndex(), -1);

  // List views: columns, then row captions, in one batch; widths, sub-items,
  // ticks and the selection stay.
  const TComponent& full = C(L"lvFull");
  EXPECT_EQ(full.Columns(), (std::vector<TListColumn>{{L"A", 40}, {L"B", 60}}));
  EXPECT_EQ(full.Rows(), (std::vector<TListRow>{{L"r1", {L"s1"}, true}, {L"r2", {L"s2"}, false}}));
  EXPECT_EQ(full.SelectedRow(), 1);
  EXPECT_EQ(observer.rowBatches[L"lvFull"], 1);

  // Too few items: as many texts as there are items, and the rest goes on.
  EXPECT_EQ(C(L"lvShort").Columns(), (std::vector<TListColumn>{{L"A", 40}, {L"B", 60}}));
  EXPECT_EQ(C(L"lvShort").Rows(), (std::vector<TListRow>{{L"r1", {L"s1"}, true}, {L"row2", {L"s2"}, false}}));
  EXPECT_EQ(C(L"lvColumnsOnly").Columns(), (std::vector<TListColumn>{{L"A", 40}, {L"C2", 60}}));
  EXPECT_EQ(observer.rowBatches[L"lvColumnsOnly"], 0);

  // Speed buttons: caption from item 1, hint from item 2 when there is one.
  EXPECT_EQ(C(L"spdOne").Caption(), L"One");
  EXPECT_EQ(C(L"spdOne").Hint(), L"old hint");
  EXPECT_EQ(C(L"spdTwo").Caption(), L"One");
  EXPECT_EQ(C(L"spdTwo").Hint(), L"Two");

  // Radio groups: caption, then the choices that exist.
  EXPECT_EQ(C(L"rgFull").Caption(), L"Caption here");
  EXPECT_EQ(C(L"rgFull").Items(), (std::vector<std::wstring>{L"First choice", L"Second"}));
  EXPECT_EQ(C(L"rgFull").ItemIndex(), 1);
  EXPECT_EQ(C(L"rgShort").Caption(), L"Caption");
  EXPECT_EQ(C(L"rgShort").Items(), (std::vector<std::wstring>{L"First", L"y"}));

  // Kinds without texts are left alone.
  for (const wchar_t* name : {L"pnl", L"shp", L"tmr"}) EXPECT_EQ(C(name).Caption(), L"Old") << name;
  EXPECT_EQ(C(L"Pages").Caption(), L"");
  EXPECT_EQ(C(L"Menu").Caption(), L"");
}

TEST_F(LangFormTest, NothingHappensWithoutALoadedFile) {
  TLocEngine engine;
  engine.TranslateForm(form);
  EXPECT_EQ(form.FontFace(), L"Verdana");
  EXPECT_EQ(form.Caption(), L"Old");
  EXPECT_EQ(C(L"btPlain").Caption(), L"Old");
}

TEST_F(LangFormTest, AMissingFileStillSetsTheDefaultFont) {
  TLocEngine engine;
  engine.LoadLanguageFile(folder.path() + L"missing.lng");
  engine.TranslateForm(form);
  EXPECT_EQ(form.FontFace(), L"MS Sans Serif");
  EXPECT_EQ(form.Caption(), L"Old");
  EXPECT_EQ(C(L"btPlain").Caption(), L"Old");
}

TEST_F(LangFormTest, WithoutIsUtf8ComponentValuesAreAnsi) {
  TLocEngine engine;
  Load(engine,
       "[TTestfrm]\nlbl=Fran\xC3\xA7"
       "ais\nchk=Fran\xE7"
       "ais\n");
  engine.TranslateForm(form);
  EXPECT_EQ(C(L"lbl").Caption(), L"Fran\u00C3\u00A7ais");
  EXPECT_EQ(C(L"chk").Caption(), L"Français");
}

TEST_F(LangFormTest, SectionFallsBackToTheNameWithoutT) {
  struct Case {
    const char* file;
    const wchar_t* caption;
  };
  const std::vector<Case> cases = {
      {"[TTestfrm]\nlbl=full\n", L"full"},
      {"[Testfrm]\nlbl=short\n", L"short"},
      {"[TTestfrm]\nlbl=full\n[Testfrm]\nlbl=short\n", L"full"},
      {"[Testfrm]\nlbl=short\n[TTestfrm]\nlbl=full\n", L"full"},
      {"[TTestfrm]\n[Testfrm]\nlbl=short\n", L"short"},
      {"[TTestfrm]\n; only a comment\n\n[Testfrm]\nlbl=short\n", L"short"},
      // A line without "=" still counts as a line of the section.
      {"[TTestfrm]\nno key\n[Testfrm]\nlbl=short\n", L"Old"},
      {"[ttestfrm]\nlbl=any case\n[Testfrm]\nlbl=short\n", L"any case"},
      // The last section of the name is the one that must have lines.
      {"[TTestfrm]\nlbl=full\n[TTestfrm]\n[Testfrm]\nlbl=short\n", L"short"},
      {"[Other]\nlbl=other\n", L"Old"},
  };
  for (const Case& c : cases) {
    TForm fresh(TFormStyle{.ClassName = L"TTestfrm", .Caption = L"Old"});
    fresh.Build(kLayout);
    TLocEngine engine;
    Load(engine, c.file);
    engine.TranslateForm(fresh);
    EXPECT_EQ(fresh.Component(L"lbl").Caption(), c.caption) << c.file;
  }
}

TEST_F(LangFormTest, NoFallBackWithoutALeadingCapitalT) {
  TForm lower(TFormStyle{.ClassName = L"testfrm", .Caption = L"Old"});
  lower.Build(kLayout);
  TLocEngine engine;
  Load(engine, "[estfrm]\nlbl=wrong\n");
  engine.TranslateForm(lower);
  EXPECT_EQ(lower.Component(L"lbl").Caption(), L"Old");
}

// The writer stores the live form and texts; a fresh engine reads the same back.
TEST_F(LangFormTest, TemplateWriterRoundTrip) {
  C(L"btPair").SetHint(L"");
  C(L"lbl").SetCaption(L"Français, \"quoted\"");
  C(L"cbKeep").SetItems({L"one item", L"", L"x,y"});
  C(L"lvFull").SetColumns({{L"Nom", 40}, {L"Type de fichier", 60}});
  std::wstring twoLines = L"first\r\nsecond";
  std::wstring bar = L"50%|x | y";
  std::wstring loneLf = L"a\nb";
  std::wstring leading = L"  kept inside  ";
  const std::wstring* strings[] = {&twoLines, &bar, &loneLf, &leading};

  TLocEngine writer;
  std::wstring path = folder.path() + L"template.lng";
  writer.LoadLanguageFile(path);  // no file yet: an empty image to fill
  writer.AddForm(form);
  writer.AddStrings(strings);
  ASSERT_TRUE(writer.UpdateFile());

  std::optional<std::string> bytes = Fs().ReadAll(path);
  ASSERT_TRUE(bytes);
  EXPECT_NE(bytes->substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_NE(bytes->find("IsUTF8=1"), std::string::npos);
  EXPECT_NE(bytes->find("Fran\xC3\xA7"
                        "ais"),
            std::string::npos);
  EXPECT_EQ(bytes->find("UIFont"), std::string::npos);
  EXPECT_EQ(bytes->find("rgFull"), std::string::npos);  // radio groups are not written

  TForm fresh(TFormStyle{.ClassName = L"TTestfrm", .Caption = L"Blank"});
  fresh.Build(kLayout);
  for (const auto& c : fresh.Components()) {
    c->SetCaption(L"blank");
    c->SetHint(L"blank hint");
  }
  TLocEngine reader;
  reader.LoadLanguageFile(path);
  EXPECT_TRUE(reader.IsUTF8());
  reader.TranslateForm(fresh);
  EXPECT_EQ(fresh.Caption(), L"Old");
  EXPECT_EQ(fresh.Component(L"btPlain").Caption(), L"Old");
  EXPECT_EQ(fresh.Component(L"btPlain").Hint(), L"old hint");
  EXPECT_EQ(fresh.Component(L"btPair").Caption(), L"Old");
  EXPECT_EQ(fresh.Component(L"btPair").Hint(), L"blank hint");  // no hint: none written
  EXPECT_EQ(fresh.Component(L"spdOne").Hint(), L"old hint");
  EXPECT_EQ(fresh.Component(L"lbl").Caption(), L"Français, \"quoted\"");
  EXPECT_EQ(fresh.Component(L"cbKeep").Items(), (std::vector<std::wstring>{L"one item", L"", L"x,y"}));
  EXPECT_EQ(fresh.Component(L"lvFull").Columns(), (std::vector<TListColumn>{{L"Nom", 40}, {L"Type de fichier", 60}}));
  EXPECT_EQ(fresh.Component(L"rgFull").Caption(), L"blank");

  std::vector<std::wstring> read(4, L"unset");
  for (int n = 1; n <= 4; ++n) reader.TranslateString(n, read[static_cast<size_t>(n - 1)]);
  EXPECT_EQ(read[0], twoLines);
  EXPECT_EQ(read[1], bar);
  EXPECT_EQ(read[2], L"a\r\nb");       // a lone LF folds like the other breaks
  EXPECT_EQ(read[3], L"kept inside");  // the reader strips the ends
}

TEST_F(LangFormTest, WriterKeepsWhatAnAnsiFileHeld) {
  std::wstring path = Write("[TTestfrm]\nchk=Coch\xE9\n; comment\n[-Strings-]\n1=d\xE9j\xE0\n");
  TLocEngine writer;
  writer.LoadLanguageFile(path);
  writer.AddStrings({});
  ASSERT_TRUE(writer.UpdateFile());
  EXPECT_TRUE(writer.IsUTF8());

  TLocEngine reader;
  reader.LoadLanguageFile(path);
  EXPECT_EQ(reader.Strings(), std::vector<std::wstring>{L"déjà"});
  reader.TranslateForm(form);
  EXPECT_EQ(C(L"chk").Caption(), L"Coché");
}

TEST_F(LangFormTest, WriterDoesNothingWithoutAnImage) {
  TLocEngine engine;
  engine.AddForm(form);
  EXPECT_FALSE(engine.UpdateFile());
}

}  // namespace dw::test
