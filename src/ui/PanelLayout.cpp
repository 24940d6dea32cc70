// The control panel's layout: every component, its parent, place and French
// captions. The names are also the keys of the window's section in a language file.
#include "ui/main.h"

namespace dw {

namespace {

using K = TComponentKind;

constexpr uint32_t kListView = kOptReadOnly | kOptRowSelect;
constexpr uint32_t kLink = kOptHandCursor | kOptTransparent;

const TFont kBold{L"Tahoma", 8, true};
const TFont kLinkFont{L"Tahoma", 8, false, true, kClBlue};

const std::vector<std::wstring> kAskOrDelete = {L"Me demander avant d'agir", L"Supprimer Automatiquement"};
const std::vector<std::wstring> kAskOrDeleteRisk = {L"Me demander avant d'agir", L"Supprimer (Non recommandé)"};
const std::vector<TListColumn> kDriveColumnsTools = {{L"Root", 40}, {L"VolName", 200}, {L"Taille", 65}, {L"Libre", 65}};
const std::vector<TListColumn> kDriveColumnsOptions = {
    {L"Root", 50}, {L"VolName", 165}, {L"Taille", 65}, {L"Libre", 80}};

// clang-format off
const std::vector<TLayoutRow> kLayout = {
    // Frame, on every page.
    {.Name = L"Shape1", .Kind = K::Shape, .Place = {0, 0, 481, 49}, .Options = kOptNoOutline, .Color = kClWhite},
    {.Name = L"Label8", .Kind = K::Label, .Place = {8, 8, 401, 41},
     .Options = kOptWordWrap | kOptTransparent, .Alignment = TAlignment::Center, .Font = {L"Tahoma", 10, true}},
    {.Name = L"Panel1", .Kind = K::Panel, .Place = {0, 48, 481, 34}, .Options = kOptNoBevel, .Color = Rgb(183, 183, 255)},
    {.Name = L"Label13", .Kind = K::Label, .Parent = L"Panel1", .Place = {8, 12}, .Caption = L"Protection active",
     .Font = {L"Tahoma", 8, false, false, kClBlack}},
    {.Name = L"scanBt", .Kind = K::BitBtn, .Parent = L"Panel1", .Place = {378, 2, 95, 30}, .Caption = L"Scanner",
     .Font = kBold, .Picture = L"SCANGLYPH"},
    {.Name = L"stopscanbt", .Kind = K::Button, .Parent = L"Panel1", .Place = {378, 2, 95, 30},
     .Caption = L"Stopper le scan", .Visible = false},
    {.Name = L"PageControl1", .Kind = K::PageControl, .Place = {8, 88, 465, 329}},
    {.Name = L"cprotectionControl", .Kind = K::Label, .Place = {232, 420, 242, 13},
     .Caption = L"Activer/ Désactiver la protection", .Options = kLink, .Font = {L"Tahoma", 8, true, true, kClBlue}},

    // Findings.
    {.Name = L"TabSheet1", .Kind = K::TabSheet, .Parent = L"PageControl1", .Caption = L"Menaces et suspicions"},
    {.Name = L"btexcludeDisk", .Kind = K::Button, .Parent = L"TabSheet1", .Place = {11, 1, 135, 25},
     .Caption = L"Exclure le disque...", .Tag = -1},
    {.Name = L"ListView1", .Kind = K::ListView, .Parent = L"TabSheet1", .Place = {8, 32, 445, 202},
     // The reason is a sentence: it takes the width the path had, and the path,
     // which the name column mostly repeats, scrolls.
     .Columns = {{L"Nom", 100}, {L"Type", 90}, {L"Chemin", 140}, {L"Raison", 330}}, .Options = kListView},
    {.Name = L"tdel", .Kind = K::Button, .Parent = L"TabSheet1", .Place = {8, 239, 95, 25}, .Caption = L"Supprimer"},
    {.Name = L"method_sel", .Kind = K::ComboBox, .Parent = L"TabSheet1", .Place = {184, 240, 169, 21},
     .Items = {L"Menaces", L"Fichiers suspects", L"Menances et fichiers suspects"}, .ItemIndex = 2},
    {.Name = L"tdelall", .Kind = K::Button, .Parent = L"TabSheet1", .Place = {360, 239, 95, 25},
     .Caption = L"Supprimer tout"},

    // Tools.
    {.Name = L"TabSheet3", .Kind = K::TabSheet, .Parent = L"PageControl1", .Caption = L"Outils"},
    {.Name = L"ItoolDescript", .Kind = K::Label, .Parent = L"TabSheet3", .Place = {8, 8, 441, 17},
     .Caption = L"Ces outils vous permettent de complèter la protection", .Options = kOptWordWrap,
     .Alignment = TAlignment::Center},
    {.Name = L"ListView3", .Kind = K::ListView, .Parent = L"TabSheet3", .Place = {8, 32, 445, 202},
     .Columns = kDriveColumnsTools, .Options = kListView | kOptShowSelectionAlways},
    {.Name = L"btToolChangeAttribute", .Kind = K::Button, .Parent = L"TabSheet3", .Place = {8, 240, 113, 25},
     .Caption = L"Reparer..",
     .Hint = L"Répare un disque infecté par un virus : met le virus en quarantaine et vous rend les fichiers qu'il "
             L"a cachés ou déplacés. Ou change seulement les attributs.",
     .Options = kOptWordWrap},
    {.Name = L"btToolProtectionFolder", .Kind = K::Button, .Parent = L"TabSheet3", .Place = {128, 240, 169, 25},
     .Caption = L"Créer un dossier de protection",
     .Hint = L"Créer un dossier AUTORUN.INF pour proteger votre disque USB des attaques .", .Options = kOptWordWrap},
    {.Name = L"safeopenbt", .Kind = K::Button, .Parent = L"TabSheet3", .Place = {304, 240, 149, 25},
     .Caption = L"Ouvrir en toute sécurité", .Options = kOptWordWrap, .Font = kBold},

    // Quarantine.
    {.Name = L"TabSheet4", .Kind = K::TabSheet, .Parent = L"PageControl1", .Caption = L"Quarantaire"},
    {.Name = L"IquarantineDescript", .Kind = K::Label, .Parent = L"TabSheet4", .Place = {8, 2, 406, 26},
     .Caption = L"Les fichiers contenus dans cette liste on été mis en quarantaine pour protéger votre ordinateur",
     .Options = kOptWordWrap, .Alignment = TAlignment::Center},
    {.Name = L"ListView4", .Kind = K::ListView, .Parent = L"TabSheet4", .Place = {8, 32, 445, 202},
     .Columns = {{L"Nom", 125}, {L"Taille", 45}, {L"Date", 130}, {L"Chemin", 135}}, .Options = kListView},
    {.Name = L"btquarantineRestore", .Kind = K::Button, .Parent = L"TabSheet4", .Place = {8, 240, 89, 25},
     .Caption = L"Restaurer"},
    {.Name = L"btquarantineDel", .Kind = K::Button, .Parent = L"TabSheet4", .Place = {248, 240, 97, 25},
     .Caption = L"Supprimer"},
    {.Name = L"btquarantineErase", .Kind = K::Button, .Parent = L"TabSheet4", .Place = {354, 240, 97, 25},
     .Caption = L"Vider"},
    {.Name = L"IquarantineMemory", .Kind = K::Label, .Parent = L"TabSheet4", .Place = {215, 271, 239, 13},
     .Alignment = TAlignment::Right},

    // Options.
    {.Name = L"TabSheet5", .Kind = K::TabSheet, .Parent = L"PageControl1", .Caption = L"Option"},
    {.Name = L"lblang", .Kind = K::Label, .Parent = L"TabSheet5", .Place = {104, 16}, .Caption = L"Langue:"},
    {.Name = L"lang", .Kind = K::ComboBox, .Parent = L"TabSheet5", .Place = {168, 16, 145, 21},
     .Items = {L"Français", L"English"}},
    {.Name = L"a_menace", .Kind = K::RadioGroup, .Parent = L"TabSheet5", .Place = {8, 56, 212, 73},
     .Caption = L"Action: Menace est détectée", .Items = kAskOrDelete},
    {.Name = L"a_risk", .Kind = K::RadioGroup, .Parent = L"TabSheet5", .Place = {226, 56, 227, 73},
     .Caption = L"Action: fichier suscpects détectés", .Items = kAskOrDeleteRisk},
    {.Name = L"Label12", .Kind = K::Label, .Parent = L"TabSheet5", .Place = {8, 136},
     .Caption = L"Exclure les disques suivants lors du scan:"},
    {.Name = L"ListView5", .Kind = K::ListView, .Parent = L"TabSheet5", .Place = {8, 152, 433, 105},
     .Columns = kDriveColumnsOptions, .Options = kListView | kOptShowSelectionAlways | kOptCheckBoxes},
    {.Name = L"IantivirusCmdline", .Kind = K::Label, .Parent = L"TabSheet5", .Place = {8, 264},
     .Caption = L"Ligne de commande  de votre antivirus:"},
    {.Name = L"antiviruscmd_txt", .Kind = K::Edit, .Parent = L"TabSheet5", .Place = {216, 264, 225, 21},
     .Hint = L"Facultatif"},
    // Says that the organisation holds some of these settings; its text is the catalogue's.
    {.Name = L"IpolicyNote", .Kind = K::Label, .Parent = L"TabSheet5", .Place = {8, 290, 433, 13},
     .Visible = false},

    // About.
    {.Name = L"TabSheet6", .Kind = K::TabSheet, .Parent = L"PageControl1", .Caption = L"A propos"},
    {.Name = L"Label4", .Kind = K::Label, .Parent = L"TabSheet6", .Place = {144, 40}, .Caption = L"Drivewarden",
     .Font = kBold},
    {.Name = L"Label5", .Kind = K::Label, .Parent = L"TabSheet6", .Place = {192, 64}, .Caption = L"v 2.1"},
    {.Name = L"IversionSpecification", .Kind = K::Label, .Parent = L"TabSheet6", .Place = {236, 64},
     .Caption = L"Beta version"},
    {.Name = L"Label7", .Kind = K::Label, .Parent = L"TabSheet6", .Place = {185, 89}, .Caption = L"(UNICODE)",
     .Visible = false},
    {.Name = L"Panel2", .Kind = K::Panel, .Parent = L"TabSheet6", .Place = {0, 108, 457, 25}},
    {.Name = L"Label1", .Kind = K::Label, .Parent = L"Panel2", .Place = {88, 4},
     .Caption = L"Conçu et développé par l'équipe Drivewarden"},
    {.Name = L"Label6", .Kind = K::Label, .Parent = L"TabSheet6", .Place = {144, 160},
     .Caption = L"Contact : contact@drivewarden.org"},
    {.Name = L"ISoftwarewarning", .Kind = K::Label, .Parent = L"TabSheet6", .Place = {24, 192, 417, 39},
     .Caption = L"Attention: ce logiciel sert a prévenir l'instrusion de virus et de malwares provenant des appareils "
                L"de stockage amovibles USB. Il ne peut en aucun cas se substituer à un antivirus.",
     .Options = kOptWordWrap},
    {.Name = L"cwebsite", .Kind = K::Label, .Parent = L"TabSheet6", .Place = {11, 280},
     .Caption = L"Visiter le site web", .Options = kLink, .Font = kLinkFont},
    {.Name = L"btupdateCheck", .Kind = K::Button, .Parent = L"TabSheet6", .Place = {320, 272, 131, 25},
     .Caption = L"Verifier la mise a jour"},

    // Log. Many thousands of entries: the list view asks for the rows it shows.
    {.Name = L"TabSheet7", .Kind = K::TabSheet, .Parent = L"PageControl1", .Caption = L"Journal"},
    {.Name = L"IlogDescript", .Kind = K::Label, .Parent = L"TabSheet7", .Place = {8, 8, 441, 17},
     .Caption = L"Ce que Drivewarden a fait, le plus récent en premier", .Options = kOptWordWrap,
     .Alignment = TAlignment::Center},
    {.Name = L"ListView6", .Kind = K::ListView, .Parent = L"TabSheet7", .Place = {8, 32, 445, 202},
     .Columns = {{L"Date", 140}, {L"Action", 150}, {L"Cible", 300}}, .Options = kListView | kOptOwnerData},
    {.Name = L"btlogOpen", .Kind = K::Button, .Parent = L"TabSheet7", .Place = {8, 240, 121, 25},
     .Caption = L"Ouvrir le fichier"},
    {.Name = L"IlogState", .Kind = K::Label, .Parent = L"TabSheet7", .Place = {136, 246, 317, 13},
     .Options = kOptWordWrap, .Alignment = TAlignment::Right},

    // Menu of the notification-area icon. The drive-submenu parents carry -1.
    {.Name = L"PopupMenu1", .Kind = K::PopupMenu},
    {.Name = L"Afficher1", .Kind = K::MenuItem, .Parent = L"PopupMenu1", .Caption = L"Afficher",
     .Options = kOptDefaultItem},
    {.Name = L"N2", .Kind = K::MenuItem, .Parent = L"PopupMenu1", .Caption = L"-"},
    {.Name = L"repairdisk_m", .Kind = K::MenuItem, .Parent = L"PopupMenu1", .Caption = L"Réparer le disque",
     .Tag = -1},
    {.Name = L"resetfolder_m", .Kind = K::MenuItem, .Parent = L"PopupMenu1",
     .Caption = L"Reparer les attributs des dossiers dans", .Tag = -1},
    {.Name = L"resetfile_m", .Kind = K::MenuItem, .Parent = L"PopupMenu1",
     .Caption = L"Reparer les attributs des fichiers dans", .Tag = -1},
    {.Name = L"N5", .Kind = K::MenuItem, .Parent = L"PopupMenu1", .Caption = L"-"},
    {.Name = L"safeopen_m", .Kind = K::MenuItem, .Parent = L"PopupMenu1", .Caption = L"Ouvir en toute sécurité",
     .Tag = -1},
    {.Name = L"N4", .Kind = K::MenuItem, .Parent = L"PopupMenu1", .Caption = L"-"},
    {.Name = L"Scan_m", .Kind = K::MenuItem, .Parent = L"PopupMenu1", .Caption = L"Analyser", .Tag = -1},
    {.Name = L"Antivirusscan_m", .Kind = K::MenuItem, .Parent = L"PopupMenu1",
     .Caption = L"Scanner avec mon Antivirus ", .Tag = -1},
    {.Name = L"N1", .Kind = K::MenuItem, .Parent = L"PopupMenu1", .Caption = L"-"},
    {.Name = L"ActiverDsactiverlaprotection1", .Kind = K::MenuItem, .Parent = L"PopupMenu1",
     .Caption = L"Activer/Désactiver la protection"},
    {.Name = L"N3", .Kind = K::MenuItem, .Parent = L"PopupMenu1", .Caption = L"-"},
    {.Name = L"Fermer1", .Kind = K::MenuItem, .Parent = L"PopupMenu1", .Caption = L"Quitter"},

    // Filled with the drives by btexcludeDisk.
    {.Name = L"PopupMenu2", .Kind = K::PopupMenu},

    // Shown by btToolChangeAttribute.
    {.Name = L"PopupMenu3", .Kind = K::PopupMenu},
    {.Name = L"RepairDrive_m", .Kind = K::MenuItem, .Parent = L"PopupMenu3", .Caption = L"Réparer le disque"},
    {.Name = L"N6", .Kind = K::MenuItem, .Parent = L"PopupMenu3", .Caption = L"-"},
    {.Name = L"ChangeFoldersAttr_m", .Kind = K::MenuItem, .Parent = L"PopupMenu3",
     .Caption = L"Attributs des dossiers"},
    {.Name = L"ChangeFilesAttr_m", .Kind = K::MenuItem, .Parent = L"PopupMenu3", .Caption = L"Attributs des fichiers"},

    // Shown by btquarantineRestore when the drive the file came from is attached.
    {.Name = L"PopupMenu4", .Kind = K::PopupMenu},
    {.Name = L"RestoreOrigin_m", .Kind = K::MenuItem, .Parent = L"PopupMenu4",
     .Caption = L"Restaurer à l'emplacement d'origine"},
    {.Name = L"RestoreFolder_m", .Kind = K::MenuItem, .Parent = L"PopupMenu4", .Caption = L"Restaurer dans un dossier..."},

    // The three 32 x 32 state icons (images 0, 1 and 2).
    {.Name = L"ImageList1", .Kind = K::ImageList, .Place = {0, 0, 32, 32}, .Picture = L"STATEICONS"},
    // Ends the program when it fires; armed by the elevation request.
    {.Name = L"killertimer", .Kind = K::Timer, .Enabled = false, .Interval = 100},
    // The status line's progress while a scan the user started runs.
    {.Name = L"progresstimer", .Kind = K::Timer, .Enabled = false, .Interval = 250},
    // Lifts the stop of "Stopper le scan" once the runs have seen it.
    {.Name = L"stoptimer", .Kind = K::Timer, .Enabled = false, .Interval = 500},
};
// clang-format on

}  // namespace

std::span<const TLayoutRow> PanelLayout() { return kLayout; }

}  // namespace dw
