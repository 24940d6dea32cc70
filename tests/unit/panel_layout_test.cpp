#include <gtest/gtest.h>

#include <cwchar>
#include <set>

#include "support/PanelFixture.h"

namespace dw::test {

namespace {

using K = TComponentKind;

struct Expected {
  const wchar_t* name;
  K kind;
  const wchar_t* parent;
  TPlace place;
  const wchar_t* caption;
};

// The control panel as designed; a zero size means the kind's natural size.
const Expected kDesign[] = {
    {L"Shape1", K::Shape, L"", {0, 0, 481, 49}, L""},
    {L"Label8", K::Label, L"", {8, 8, 401, 41}, L""},
    {L"Panel1", K::Panel, L"", {0, 48, 481, 34}, L""},
    {L"Label13", K::Label, L"Panel1", {8, 12}, L"Protection active"},
    {L"scanBt", K::BitBtn, L"Panel1", {378, 2, 95, 30}, L"Scanner"},
    {L"stopscanbt", K::Button, L"Panel1", {378, 2, 95, 30}, L"Stopper le scan"},
    {L"PageControl1", K::PageControl, L"", {8, 88, 465, 329}, L""},
    {L"cprotectionControl", K::Label, L"", {288, 420, 186, 13}, L"Activer/ Désactiver la protection"},
    {L"TabSheet1", K::TabSheet, L"PageControl1", {}, L"Menaces et suspicions"},
    {L"btexcludeDisk", K::Button, L"TabSheet1", {11, 1, 103, 25}, L"Exclure le disque..."},
    {L"ListView1", K::ListView, L"TabSheet1", {8, 32, 445, 202}, L""},
    {L"tdel", K::Button, L"TabSheet1", {8, 239, 95, 25}, L"Supprimer"},
    {L"method_sel", K::ComboBox, L"TabSheet1", {184, 240, 169, 21}, L""},
    {L"tdelall", K::Button, L"TabSheet1", {360, 239, 95, 25}, L"Supprimer tout"},
    {L"TabSheet3", K::TabSheet, L"PageControl1", {}, L"Outils"},
    {L"ItoolDescript", K::Label, L"TabSheet3", {8, 8, 441, 17}, L"Ces outils vous permettent de complèter la protection"},
    {L"ListView3", K::ListView, L"TabSheet3", {8, 32, 445, 202}, L""},
    {L"btToolChangeAttribute", K::Button, L"TabSheet3", {8, 240, 113, 25}, L"Reparer.."},
    {L"btToolProtectionFolder", K::Button, L"TabSheet3", {128, 240, 169, 25}, L"Créer un dossier de protection"},
    {L"safeopenbt", K::Button, L"TabSheet3", {304, 240, 149, 25}, L"Ouvrir en toute sécurité"},
    {L"TabSheet4", K::TabSheet, L"PageControl1", {}, L"Quarantaire"},
    {L"IquarantineDescript", K::Label, L"TabSheet4", {8, 2, 406, 26},
     L"Les fichiers contenus dans cette liste on été mis en quarantaine pour protéger votre ordinateur"},
    {L"ListView4", K::ListView, L"TabSheet4", {8, 32, 445, 202}, L""},
    {L"btquarantineRestore", K::Button, L"TabSheet4", {8, 240, 89, 25}, L"Restaurer"},
    {L"btquarantineDel", K::Button, L"TabSheet4", {248, 240, 97, 25}, L"Supprimer"},
    {L"btquarantineErase", K::Button, L"TabSheet4", {354, 240, 97, 25}, L"Vider"},
    {L"IquarantineMemory", K::Label, L"TabSheet4", {215, 271, 239, 13}, L""},
    {L"TabSheet5", K::TabSheet, L"PageControl1", {}, L"Option"},
    {L"lblang", K::Label, L"TabSheet5", {104, 16}, L"Langue:"},
    {L"lang", K::ComboBox, L"TabSheet5", {168, 16, 145, 21}, L""},
    {L"a_menace", K::RadioGroup, L"TabSheet5", {8, 56, 193, 73}, L"Action: Menace est détectée"},
    {L"a_risk", K::RadioGroup, L"TabSheet5", {256, 56, 185, 73}, L"Action: fichier suscpects détectés"},
    {L"Label12", K::Label, L"TabSheet5", {8, 136}, L"Exclure les disques suivants lors du scan:"},
    {L"ListView5", K::ListView, L"TabSheet5", {8, 152, 433, 105}, L""},
    {L"IantivirusCmdline", K::Label, L"TabSheet5", {8, 264}, L"Ligne de commande  de votre antivirus:"},
    {L"antiviruscmd_txt", K::Edit, L"TabSheet5", {200, 264, 241, 21}, L""},
    {L"TabSheet6", K::TabSheet, L"PageControl1", {}, L"A propos"},
    {L"Label4", K::Label, L"TabSheet6", {144, 40}, L"Drivewarden"},
    {L"Label5", K::Label, L"TabSheet6", {192, 64}, L"v 2.1"},
    {L"IversionSpecification", K::Label, L"TabSheet6", {236, 64}, L"Beta version"},
    {L"Label7", K::Label, L"TabSheet6", {185, 89}, L"(UNICODE)"},
    {L"Panel2", K::Panel, L"TabSheet6", {0, 108, 457, 25}, L""},
    {L"Label1", K::Label, L"Panel2", {88, 4}, nullptr},
    {L"Label6", K::Label, L"TabSheet6", {144, 160}, nullptr},
    {L"ISoftwarewarning", K::Label, L"TabSheet6", {24, 192, 417, 39},
     L"Attention: ce logiciel sert a prévenir l'instrusion de virus et de malwares provenant des appareils de "
     L"stockage amovibles USB. Il ne peut en aucun cas se substituer à un antivirus."},
    {L"cwebsite", K::Label, L"TabSheet6", {11, 280}, L"Visiter le site web"},
    {L"btupdateCheck", K::Button, L"TabSheet6", {320, 272, 131, 25}, L"Verifier la mise a jour"},
    {L"PopupMenu1", K::PopupMenu, L"", {}, L""},
    {L"Afficher1", K::MenuItem, L"PopupMenu1", {}, L"Afficher"},
    {L"N2", K::MenuItem, L"PopupMenu1", {}, L"-"},
    {L"resetfolder_m", K::MenuItem, L"PopupMenu1", {}, L"Reparer les attributs des dossiers dans"},
    {L"resetfile_m", K::MenuItem, L"PopupMenu1", {}, L"Reparer les attributs des fichiers dans"},
    {L"N5", K::MenuItem, L"PopupMenu1", {}, L"-"},
    {L"safeopen_m", K::MenuItem, L"PopupMenu1", {}, L"Ouvir en toute sécurité"},
    {L"N4", K::MenuItem, L"PopupMenu1", {}, L"-"},
    {L"Scan_m", K::MenuItem, L"PopupMenu1", {}, L"Analyser"},
    {L"Antivirusscan_m", K::MenuItem, L"PopupMenu1", {}, L"Scanner avec mon Antivirus "},
    {L"N1", K::MenuItem, L"PopupMenu1", {}, L"-"},
    {L"ActiverDsactiverlaprotection1", K::MenuItem, L"PopupMenu1", {}, L"Activer/Désactiver la protection"},
    {L"N3", K::MenuItem, L"PopupMenu1", {}, L"-"},
    {L"Fermer1", K::MenuItem, L"PopupMenu1", {}, L"Quitter"},
    {L"PopupMenu2", K::PopupMenu, L"", {}, L""},
    {L"PopupMenu3", K::PopupMenu, L"", {}, L""},
    {L"ChangeFoldersAttr_m", K::MenuItem, L"PopupMenu3", {}, L"Attributs des dossiers"},
    {L"ChangeFilesAttr_m", K::MenuItem, L"PopupMenu3", {}, L"Attributs des fichiers"},
    {L"ImageList1", K::ImageList, L"", {0, 0, 32, 32}, L""},
    {L"killertimer", K::Timer, L"", {}, L""},
};

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

TEST_F(PanelLayoutTest, EveryDesignedComponentHasItsKindParentPlaceAndCaption) {
  for (const Expected& e : kDesign) {
    SCOPED_TRACE(testing::Message() << "component " << std::string(e.name, e.name + wcslen(e.name)));
    TComponent* c = panel->Find(e.name);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Name(), e.name);
    EXPECT_EQ(c->Kind(), e.kind);
    EXPECT_EQ(c->ParentName(), e.parent);
    EXPECT_EQ(c->Place(), e.place);
    if (e.caption) {
      EXPECT_EQ(c->Caption(), e.caption);
    }
  }
}

TEST_F(PanelLayoutTest, HoldsNothingBeyondTheDesignAndNoNameTwice) {
  std::set<std::wstring> designed, seen;
  for (const Expected& e : kDesign) designed.insert(e.name);
  for (const auto& c : panel->Components()) {
    EXPECT_TRUE(designed.count(c->Name())) << "unexpected component";
    EXPECT_TRUE(seen.insert(c->Name()).second) << "component named twice";
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
  EXPECT_EQ(Names(panel->ChildrenOf(L"PageControl1")),
            (std::vector<std::wstring>{L"TabSheet1", L"TabSheet3", L"TabSheet4", L"TabSheet5", L"TabSheet6"}));
  EXPECT_EQ(C(L"PageControl1").ActivePage(), L"TabSheet1");
}

TEST_F(PanelLayoutTest, TrayMenuItemsAreInOrderAndDriveParentsCarryMinusOne) {
  std::vector<TComponent*> items = panel->ChildrenOf(L"PopupMenu1");
  EXPECT_EQ(Names(items),
            (std::vector<std::wstring>{L"Afficher1", L"N2", L"resetfolder_m", L"resetfile_m", L"N5", L"safeopen_m",
                                       L"N4", L"Scan_m", L"Antivirusscan_m", L"N1",
                                       L"ActiverDsactiverlaprotection1", L"N3", L"Fermer1"}));
  for (TComponent* item : items) {
    bool driveParent = item->Name() == L"resetfolder_m" || item->Name() == L"resetfile_m" ||
                       item->Name() == L"safeopen_m" || item->Name() == L"Scan_m" ||
                       item->Name() == L"Antivirusscan_m";
    EXPECT_EQ(item->Tag(), driveParent ? -1 : 0) << std::string(item->Name().begin(), item->Name().end());
  }
  EXPECT_TRUE(C(L"Afficher1").HasOption(kOptDefaultItem));
  EXPECT_TRUE(panel->ChildrenOf(L"PopupMenu2").empty());
  EXPECT_EQ(Captions(panel->ChildrenOf(L"PopupMenu3")),
            (std::vector<std::wstring>{L"Attributs des dossiers", L"Attributs des fichiers"}));
}

TEST_F(PanelLayoutTest, ListsChoicesAndColumnsAreAsDesigned) {
  using Cols = std::vector<TListColumn>;
  using Items = std::vector<std::wstring>;
  EXPECT_EQ(C(L"ListView1").Columns(), (Cols{{L"Nom", 100}, {L"Type", 80}, {L"Chemin", 260}}));
  EXPECT_EQ(C(L"ListView3").Columns(), (Cols{{L"Root", 40}, {L"VolName", 200}, {L"Taille", 65}, {L"Libre", 65}}));
  EXPECT_EQ(C(L"ListView4").Columns(), (Cols{{L"Nom", 220}, {L"Taille", 60}, {L"Chemin", 150}}));
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
  EXPECT_EQ(C(L"btToolChangeAttribute").Hint(),
            L"Modifie les attributs des dossiers. utile au cas ou votre disque a été infecté et que vos dossiers ont "
            L"été tous masquer");
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
