#include <gtest/gtest.h>

#include <set>

#include "common/Text.h"
#include "support/PanelFixture.h"

namespace dw::test {

namespace {

std::vector<std::wstring> Names(const std::vector<TComponent*>& components) {
  std::vector<std::wstring> names;
  for (const TComponent* c : components) names.push_back(c->Name());
  return names;
}

std::vector<std::wstring> Captions(const std::vector<TComponent*>& components) {
  std::vector<std::wstring> captions;
  for (const TComponent* c : components) captions.push_back(c->Caption());
  return captions;
}

}  // namespace

using PanelLayoutTest = PanelFixture;

// The renderer and the language files find components by name, and each window is
// created inside its parent's: a name twice or a parent missing breaks both.
TEST_F(PanelLayoutTest, NamesAreUniqueAndEveryParentIsAContainerOfThePanel) {
  // Look-ups ignore case, as the language files' do: two names that differ in case
  // alone would reach one component.
  std::set<std::wstring> seen;
  for (const auto& c : panel->Components()) {
    EXPECT_TRUE(seen.insert(ToLower(c->Name())).second) << "named twice: " << WideToUtf8(c->Name());
  }
  const std::set<TComponentKind> containers = {TComponentKind::Panel,     TComponentKind::PageControl,
                                               TComponentKind::TabSheet,  TComponentKind::GroupBox,
                                               TComponentKind::PopupMenu, TComponentKind::MenuItem};
  for (const auto& c : panel->Components()) {
    if (c->ParentName().empty()) continue;
    SCOPED_TRACE(WideToUtf8(c->Name()));
    const TComponent* parent = panel->Find(c->ParentName());
    ASSERT_NE(parent, nullptr) << "no parent " << WideToUtf8(c->ParentName());
    EXPECT_TRUE(containers.count(parent->Kind())) << "parent is no container";
  }
}

TEST_F(PanelLayoutTest, WindowIsTheSingleInstanceTargetAndStartsHidden) {
  EXPECT_EQ(panel->ClassName(), L"TPanelfrm");
  EXPECT_EQ(panel->Caption(), L"Drivewarden");
  EXPECT_EQ(panel->Style().ClientWidth, 479);
  EXPECT_EQ(panel->Style().ClientHeight, 445);
  EXPECT_EQ(panel->FontFace(), L"Tahoma");
  EXPECT_EQ(panel->Style().FontSize, 8);
  EXPECT_TRUE(panel->Style().StayOnTop);
  EXPECT_TRUE(panel->Style().AppWindow);
  EXPECT_FALSE(panel->Visible());
}

TEST_F(PanelLayoutTest, PagesComeInOrderWithTheFirstActive) {
  EXPECT_EQ(
      Names(panel->ChildrenOf(L"PageControl1")),
      (std::vector<std::wstring>{L"TabSheet1", L"TabSheet3", L"TabSheet4", L"TabSheet5", L"TabSheet6", L"TabSheet7"}));
  EXPECT_EQ(C(L"PageControl1").ActivePage(), L"TabSheet1");
}

TEST_F(PanelLayoutTest, TrayMenuItemsAreInOrderAndDriveParentsCarryMinusOne) {
  std::vector<TComponent*> items = panel->ChildrenOf(L"PopupMenu1");
  EXPECT_EQ(Names(items),
            (std::vector<std::wstring>{L"Afficher1", L"N2", L"repairdisk_m", L"resetfolder_m", L"resetfile_m", L"N5",
                                       L"safeopen_m", L"N4", L"Scan_m", L"Antivirusscan_m", L"N1",
                                       L"ActiverDsactiverlaprotection1", L"N3", L"Fermer1"}));
  for (TComponent* item : items) {
    bool driveParent = item->Name() == L"repairdisk_m" || item->Name() == L"resetfolder_m" ||
                       item->Name() == L"resetfile_m" || item->Name() == L"safeopen_m" || item->Name() == L"Scan_m" ||
                       item->Name() == L"Antivirusscan_m";
    EXPECT_EQ(item->Tag(), driveParent ? -1 : 0) << std::string(item->Name().begin(), item->Name().end());
  }
  EXPECT_TRUE(C(L"Afficher1").HasOption(kOptDefaultItem));
  EXPECT_TRUE(panel->ChildrenOf(L"PopupMenu2").empty());
  EXPECT_EQ(
      Captions(panel->ChildrenOf(L"PopupMenu3")),
      (std::vector<std::wstring>{L"Réparer le disque", L"-", L"Attributs des dossiers", L"Attributs des fichiers"}));
}

TEST_F(PanelLayoutTest, ListsChoicesAndColumnsAreAsDesigned) {
  using Cols = std::vector<TListColumn>;
  using Items = std::vector<std::wstring>;
  EXPECT_EQ(C(L"ListView1").Columns(), (Cols{{L"Nom", 100}, {L"Type", 90}, {L"Chemin", 140}, {L"Raison", 330}}));
  EXPECT_EQ(C(L"ListView3").Columns(), (Cols{{L"Root", 40}, {L"VolName", 200}, {L"Taille", 65}, {L"Libre", 65}}));
  EXPECT_EQ(C(L"ListView4").Columns(), (Cols{{L"Nom", 125}, {L"Taille", 45}, {L"Date", 130}, {L"Chemin", 135}}));
  EXPECT_EQ(C(L"ListView5").Columns(), (Cols{{L"Root", 50}, {L"VolName", 165}, {L"Taille", 65}, {L"Libre", 80}}));
  EXPECT_TRUE(C(L"ListView5").HasOption(kOptCheckBoxes));
  EXPECT_FALSE(C(L"ListView3").HasOption(kOptCheckBoxes));
  EXPECT_TRUE(C(L"ListView3").HasOption(kOptShowSelectionAlways));

  EXPECT_EQ(C(L"method_sel").Items(), (Items{L"Menaces", L"Fichiers suspects", L"Menances et fichiers suspects"}));
  EXPECT_EQ(C(L"method_sel").ItemIndex(), 2);
  EXPECT_EQ(C(L"lang").Items(), (Items{L"Français", L"English"}));
  EXPECT_EQ(C(L"a_menace").Items(), (Items{L"Me demander avant d'agir", L"Supprimer Automatiquement"}));
  EXPECT_EQ(C(L"a_risk").Items(), (Items{L"Me demander avant d'agir", L"Supprimer (Non recommandé)"}));
}

TEST_F(PanelLayoutTest, HintsTagsStatesAndLooksAreAsDesigned) {
  // The button's menu begins with the whole repair of the drive, which its hint names.
  EXPECT_EQ(C(L"btToolChangeAttribute").Hint(),
            L"Répare un disque infecté par un virus : met le virus en quarantaine et vous rend les fichiers qu'il a "
            L"cachés ou déplacés. Ou change seulement les attributs.");
  EXPECT_EQ(C(L"btToolProtectionFolder").Hint(),
            L"Créer un dossier AUTORUN.INF pour proteger votre disque USB des attaques .");
  EXPECT_EQ(C(L"antiviruscmd_txt").Hint(), L"Facultatif");
  EXPECT_EQ(C(L"btexcludeDisk").Tag(), -1);

  EXPECT_FALSE(C(L"stopscanbt").Visible());
  EXPECT_FALSE(C(L"Label7").Visible());
  EXPECT_FALSE(C(L"killertimer").Enabled());
  EXPECT_EQ(C(L"killertimer").Interval(), 100);

  EXPECT_EQ(C(L"Panel1").Color(), Rgb(183, 183, 255));
  EXPECT_TRUE(C(L"Shape1").HasOption(kOptNoOutline));
  EXPECT_EQ(C(L"Label8").Font(), (TFont{L"Tahoma", 10, true}));
  EXPECT_EQ(C(L"Label8").Alignment(), TAlignment::Center);
  EXPECT_TRUE(C(L"Label8").HasOption(kOptWordWrap));
  EXPECT_EQ(C(L"cprotectionControl").Font(), (TFont{L"Tahoma", 8, true, true, kClBlue}));
  EXPECT_TRUE(C(L"cprotectionControl").HasOption(kOptHandCursor));
  EXPECT_EQ(C(L"cwebsite").Font(), (TFont{L"Tahoma", 8, false, true, kClBlue}));
  EXPECT_TRUE(C(L"scanBt").Font().Bold);
  EXPECT_TRUE(C(L"safeopenbt").Font().Bold);
  EXPECT_TRUE(C(L"Label4").Font().Bold);
  EXPECT_TRUE(C(L"tdel").ParentFont());
  EXPECT_EQ(C(L"IquarantineMemory").Alignment(), TAlignment::Right);
}

}  // namespace dw::test
