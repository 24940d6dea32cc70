#include "loc/LangLocStrings.h"

#include "common/Text.h"
#include "forms/forms.h"
#include "loc/LangLocEngine.h"

namespace dw {

namespace {
constexpr const wchar_t* kDefaults[kCatalogueSize] = {
    L"Alerte",
    L"%s est inactif",
    L"Protection active",
    L"Protection Désactivée",
    L"Un fichier suspect  a été supprimé:",
    L"Un fichier represantant une menace forte a été supprimé:",
    L"Tous les fichiers suspects ont été supprimés",
    L"Toutes les menaces ont été supprimés",
    L"Une menace a été détéctée et placé en quarantaine",
    L"Un Fichier suscpect a été détéctée et placé en quarantaine",
    L"le fichier %s a été mis en quarantaine",
    L"Opération réussi",
    L"L'attribut de vos dossiers dans %s a été changé.",
    L"Un dossier de protection a été créé sur %s",
    L"Des menances on été détectés",
    L"Aucune menance détecter",
    L"Information",
    L"L'analyse a été  stoppée",
    L"%d menaces trouvé(s) | %d fichier(s) suspect(s) trouvé(s)",
    L"Le fichier %s a été supprimé de la quarantaine",
    L"Tous les fichies en quarantaine on été supprimés",
    L"le fichier %s a été restauré dans %s",
    L"%s a été désactivé",
    L"%s est actif",
    L"Attention",
    L"Votre système n'est pas protégé",
    L"Aucun disque USB détecté",
    L"Menance",
    L"Fichier suspect",
    L"Êtes vous sûr de vouloir supprimer ce fichier?.Nous vous recommandons d'analyser vos disques USB avec un "
    L"antivirus.",
    L"Sélectionnez un dossier",
    L"Arrêt du scan en cours...",
    L"Vous devez redemarrer le logiciel pour que le changement de langue soit effectif",
    L"Pour effectuer les taches qui vous permettrons de protéger votre Ordinateur,%s est obligé de passer en mode "
    L"administrateur.\r\nVeuillez valider le passage en mode administrateur",
    L"Passage en mode administrateur",
    L"NB. Ce dossier vous protège des autoruns des virus",
    L"DOSSIER CREER PAR LE LOGICIEL %s ",
    L"Ce dossier vous protège des autoruns des virus",
    L"Change file  attribute can cause instability if system files ares in your USB disk.\r\nDo you want to continue "
    L"this operation?",
    L"Confirmation",
    L"Scan %s  en cours...",
    L"Scan %s de %s (%s) en cours...",
    L"By excluding disk %s from scannin ,threats or suspicious files in this disk will not be detected .\r\nYou can "
    L"change it in \"Option\" section\r\nDo you want to continue ?",
    L"(Minitieux)",
    L"Memoire occupée: %d ko",
    L"Bienvenu !",
    L"Merçi d'avoir installé ce logiciel",
    L"Voulez-vous vraiment interrompre le téléchargement de la mise à jour ?",
    L"Connecté",
    L"Hors connexion",
    L"Mise à jour de %s",
    L"Une nouvelle version de %s est disponible. Voulez-vous la télécharger ?",
    L"Recherche de mises à jour...",
    L"Le serveur de mise à jour est introuvable",
    L"Échec de la mise à jour",
    L"Téléchargez la nouvelle version depuis le site web de %s",
    L"Votre logiciel est à jour",
    L"Téléchargement en cours : %d %%",
    L"Vitesse : %d ko/s ",
    L"Vitesse : 0 ko/s",
    L"Erreur",
    L"Le téléchargement de la mise à jour a échoué",
    L"Veuillez fermer toutes les fenêtres de %s avant de continuer",
    L"Enregistrement du programme d'installation...",
    L"Le fichier %s n'a pas pu être supprimé : il reste sur le disque",
    L"Impossible de mettre le fichier en quarantaine",
    L"le fichier %s n'a pas pu être restauré dans %s",
    L"Opération échouée",
    L"Les attributs de certains éléments de %s n'ont pas pu être changés",
    L"Le dossier de protection n'a pas pu être créé sur %s",
    L"La ligne de commande de votre antivirus n'est pas valide : %s",
    L"Impossible de rechercher une mise à jour : %s n'a pas encore de service de mise à jour",
    L"L'analyse de ce disque n'a pas pu aller jusqu'au bout : il n'est pas déclaré sain",
    L"%s existe déjà dans %s : rien n'a été remplacé. Déplacez ce fichier ou choisissez un autre dossier",
    L"Le journal %s ne peut pas être écrit : des actions ne sont pas enregistrées",
    L"Fichier autorun qui lance des programmes à l'insertion du disque",
    L"Programme que lance le fichier autorun du disque",
    L"Programme caché et marqué comme fichier système",
    L"Raccourci vers le fichier caché %s",
    L"Programme qui porte le nom du dossier caché %s",
    L"Raccourci qui lance %s sur un fichier caché du disque",
    L"Raccourci qui lance %s sur un fichier du disque",
    L"Raccourci qui lance %s en cachant ce qu'il lui fait faire",
    L"Fichier que le raccourci %s fait exécuter",
    L"Lanceur qui se fait passer pour le disque lui-même",
    L"Lanceur qui se fait passer pour l'élément caché %s",
    L"Seul lanceur visible d'un disque dont les fichiers ont été cachés",
    L"Programme déguisé en document par une double extension",
    L"Nom qui inverse le sens de l'écriture pour cacher son extension",
    L"Fichier caché qui contient un programme ou un script",
    L"Programme ou script dans le dossier de dissimulation %s",
    L"desktop.ini qui déguise un dossier en élément de Windows",
    L"Fichier caché qu'ouvre le raccourci %s",
    L"%s va réparer le disque %s :\r\n- les fichiers du virus qu'il trouve sont mis en quarantaine ;\r\n- vos fichiers "
    L"que le virus a déplacés dans des dossiers cachés reviennent à la racine ;\r\n- vos fichiers cachés redeviennent "
    L"visibles.\r\nAucun de vos fichiers n'est supprimé. Voulez-vous continuer ?",
    L"Le disque %s a été réparé",
    L"Le disque %s n'a pas pu être entièrement réparé",
    L"%d fichier rendu visible",
    L"%d fichiers rendus visibles",
    L"%d déplacé à la racine",
    L"%d déplacés à la racine",
    L"%d fichier du virus mis en quarantaine",
    L"%d fichiers du virus mis en quarantaine",
    L"%d dossier(s) caché(s) laissé(s) en place : ils contiennent encore des éléments",
    L"%d étape(s) n'ont pas pu être faites : voir le journal",
    L"Rien n'était à réparer sur ce disque",
    L"Réparation du disque %s en cours...",
    L"Attributs réparés sur %s : %d élément(s) rendu(s) visible(s)",
    L"Rien n'a été changé sur %s : aucun élément n'y était à la fois caché et système. « Réparer le disque » rend "
    L"aussi visibles les éléments seulement cachés.",
    L"Analyse des disques en cours...",
    L"La protection est désactivée : aucun disque n'est analysé. Activez-la pour analyser ou réparer un "
    L"disque.",
    L"Votre antivirus n'a pas pu être lancé : %s",
    L"Êtes-vous sûr de vouloir supprimer %s ? Nous vous recommandons d'analyser vos disques USB avec un "
    L"antivirus.",
    L"Êtes-vous sûr de vouloir supprimer les %d fichiers suspects de la liste ? Nous vous recommandons "
    L"d'analyser vos disques USB avec un antivirus.",
    L"Le fichier %s n'est plus sur le disque : il a été retiré de la liste",
    L"Le disque de %s n'est plus branché : ce fichier n'a pas été supprimé",
    L"Menaces supprimées : %d ; non supprimées : %d",
    L"Fichiers suspects supprimés : %d ; non supprimés : %d",
    L"Supprimer définitivement %s (provenant de %s) de la quarantaine ? C'est peut-être la seule copie de "
    L"ce fichier.",
    L"Supprimer définitivement les %d fichiers de la quarantaine ? Pour certains, c'est peut-être la "
    L"seule copie.",
    L"Un fichier nommé autorun.inf occupe déjà ce nom sur %s : le dossier de protection ne peut pas y "
    L"être créé. Analysez ce disque, ce fichier peut venir d'un virus.",
    L"Scan %s de %s : %d dossiers examinés, %d trouvé(s)",
    L"%s : %d menace(s), %d fichier(s) suspect(s)",
    L"%s : analyse en cours...",
    L"%s : protection désactivée",
    L"%d fichiers dangereux ont été mis en quarantaine",
    L"%d fichiers dangereux ont été supprimés (une copie de chacun est gardée en quarantaine)",
    L"%d fichiers n'ont pas pu être retirés du disque : ils restent dans la liste",
    L"%s ne peut pas revenir à sa place : son dossier n'est plus sur le disque. Restaurez-le dans un "
    L"autre dossier.",
    L"Ce réglage est fixé par votre organisation.",
    L"La protection est fixée par votre organisation : elle ne peut pas être activée ni désactivée ici.",
    L"Menace détectée",
    L"Fichier suspect détecté",
    L"Menace disparue du disque",
    L"Fichier suspect disparu du disque",
    L"Retirée de la liste : disque débranché",
    L"Menace supprimée",
    L"Fichier suspect supprimé",
    L"Supprimé automatiquement",
    L"Mis en quarantaine automatiquement",
    L"Échec de la suppression",
    L"Échec de la mise en quarantaine",
    L"Déjà absent au moment de la suppression",
    L"Disque absent au moment de la suppression",
    L"Effacé de la quarantaine",
    L"Échec de l'effacement de la quarantaine",
    L"Quarantaine vidée",
    L"Restauré depuis la quarantaine vers",
    L"Échec de la restauration vers",
    L"Erreur",
    L"Analyse commencée",
    L"Analyse terminée",
    L"Analyse arrêtée",
    L"Partie non analysée",
    L"Réparation commencée",
    L"Réparation terminée",
    L"Réparation inachevée",
    L"Réparation : mis en quarantaine",
    L"Réparation : déplacé",
    L"Réparation : rendu visible",
    L"Réparation : dossier du virus supprimé",
    L"Réparation : dossier laissé en place",
    L"Réparation : échec",
    L"Protection activée",
    L"Protection désactivée",
    L"Droits d'administrateur demandés",
    L"Échec de la demande de droits d'administrateur",
    L"Seules les dernières entrées du journal sont affichées (%d).",
    L"Le fichier du journal ne peut pas être ouvert : %s",
};
}  // namespace

std::wstring MsgAlertTitle = kDefaults[0];
std::wstring MsgInactive = kDefaults[1];
std::wstring MsgProtectionActive = kDefaults[2];
std::wstring MsgProtectionDisabled = kDefaults[3];
std::wstring MsgSuspectDeleted = kDefaults[4];
std::wstring MsgThreatDeleted = kDefaults[5];
std::wstring MsgAllSuspectsDeleted = kDefaults[6];
std::wstring MsgAllThreatsDeleted = kDefaults[7];
std::wstring MsgThreatQuarantined = kDefaults[8];
std::wstring MsgSuspectQuarantined = kDefaults[9];
std::wstring MsgFileQuarantined = kDefaults[10];
std::wstring MsgSuccessTitle = kDefaults[11];
std::wstring MsgAttributesChanged = kDefaults[12];
std::wstring MsgProtectionFolderCreated = kDefaults[13];
std::wstring MsgThreatsDetected = kDefaults[14];
std::wstring MsgNoThreatDetected = kDefaults[15];
std::wstring MsgInformationTitle = kDefaults[16];
std::wstring MsgScanStopped = kDefaults[17];
std::wstring MsgScanSummary = kDefaults[18];
std::wstring MsgQuarantineEmptied = kDefaults[19];
std::wstring MsgQuarantineFilesDeleted = kDefaults[20];
std::wstring MsgFileRestored = kDefaults[21];
std::wstring MsgDisabled = kDefaults[22];
std::wstring MsgActive = kDefaults[23];
std::wstring MsgWarningTitle = kDefaults[24];
std::wstring MsgSystemUnprotected = kDefaults[25];
std::wstring MsgNoUsbDrive = kDefaults[26];
std::wstring MsgKindThreat = kDefaults[27];
std::wstring MsgKindSuspect = kDefaults[28];
std::wstring MsgConfirmDelete = kDefaults[29];
std::wstring MsgSelectFolder = kDefaults[30];
std::wstring MsgStoppingScan = kDefaults[31];
std::wstring MsgRestartForLanguage = kDefaults[32];
std::wstring MsgElevationRequired = kDefaults[33];
std::wstring MsgElevationTitle = kDefaults[34];
std::wstring MsgProtectionFolderNote = kDefaults[35];
std::wstring MsgProtectionFolderBanner = kDefaults[36];
std::wstring MsgProtectionFolderText = kDefaults[37];
std::wstring MsgAttributeChangeWarning = kDefaults[38];
std::wstring MsgConfirmationTitle = kDefaults[39];
std::wstring MsgScanning = kDefaults[40];
std::wstring MsgScanningDrive = kDefaults[41];
std::wstring MsgExcludeDriveWarning = kDefaults[42];
std::wstring MsgThoroughSuffix = kDefaults[43];
std::wstring MsgQuarantineSize = kDefaults[44];
std::wstring MsgWelcomeTitle = kDefaults[45];
std::wstring MsgWelcomeText = kDefaults[46];
std::wstring MsgUpdateAbortQuestion = kDefaults[47];
std::wstring MsgUpdateOnline = kDefaults[48];
std::wstring MsgUpdateOffline = kDefaults[49];
std::wstring MsgUpdateTitle = kDefaults[50];
std::wstring MsgUpdateAvailable = kDefaults[51];
std::wstring MsgUpdateChecking = kDefaults[52];
std::wstring MsgUpdateServerNotFound = kDefaults[53];
std::wstring MsgUpdateFailedTitle = kDefaults[54];
std::wstring MsgUpdateVisitSite = kDefaults[55];
std::wstring MsgUpdateUpToDate = kDefaults[56];
std::wstring MsgUpdateDownloading = kDefaults[57];
std::wstring MsgUpdateSpeed = kDefaults[58];
std::wstring MsgUpdateSpeedZero = kDefaults[59];
std::wstring MsgUpdateErrorTitle = kDefaults[60];
std::wstring MsgUpdateDownloadError = kDefaults[61];
std::wstring MsgUpdateCloseInstances = kDefaults[62];
std::wstring MsgUpdateSavingSetup = kDefaults[63];
std::wstring MsgDisposeFailed = kDefaults[64];
std::wstring MsgCopyFailedTitle = kDefaults[65];
std::wstring MsgRestoreFailed = kDefaults[66];
std::wstring MsgFailureTitle = kDefaults[67];
std::wstring MsgAttributesNotChanged = kDefaults[68];
std::wstring MsgProtectionFolderNotCreated = kDefaults[69];
std::wstring MsgAntivirusCommandInvalid = kDefaults[70];
std::wstring MsgUpdateNotChecked = kDefaults[71];
std::wstring MsgScanIncomplete = kDefaults[72];
std::wstring MsgRestoreNameTaken = kDefaults[73];
std::wstring MsgLogNotWritten = kDefaults[74];
std::wstring MsgWhyAutorunFile = kDefaults[75];
std::wstring MsgWhyAutorunTarget = kDefaults[76];
std::wstring MsgWhyHiddenSystemProgram = kDefaults[77];
std::wstring MsgWhyShortcutToHidden = kDefaults[78];
std::wstring MsgWhyProgramBesideFolder = kDefaults[79];
std::wstring MsgWhyInterpreterOnHidden = kDefaults[80];
std::wstring MsgWhyInterpreterOnDrive = kDefaults[81];
std::wstring MsgWhyInterpreterConcealed = kDefaults[82];
std::wstring MsgWhyInterpreterPayload = kDefaults[83];
std::wstring MsgWhyNamedLikeDrive = kDefaults[84];
std::wstring MsgWhyNamedLikeHidden = kDefaults[85];
std::wstring MsgWhyEmptiedRoot = kDefaults[86];
std::wstring MsgWhyDoubleExtension = kDefaults[87];
std::wstring MsgWhyBidiName = kDefaults[88];
std::wstring MsgWhyHiddenProgramByContent = kDefaults[89];
std::wstring MsgWhyHidingPlaceContent = kDefaults[90];
std::wstring MsgWhyDisguisingDesktopIni = kDefaults[91];
std::wstring MsgWhyShortcutTarget = kDefaults[92];
std::wstring MsgRepairConfirm = kDefaults[93];
std::wstring MsgRepairDoneTitle = kDefaults[94];
std::wstring MsgRepairFailedTitle = kDefaults[95];
std::wstring MsgRepairUnhiddenOne = kDefaults[96];
std::wstring MsgRepairUnhiddenMany = kDefaults[97];
std::wstring MsgRepairMovedOne = kDefaults[98];
std::wstring MsgRepairMovedMany = kDefaults[99];
std::wstring MsgRepairQuarantinedOne = kDefaults[100];
std::wstring MsgRepairQuarantinedMany = kDefaults[101];
std::wstring MsgRepairKept = kDefaults[102];
std::wstring MsgRepairFailedSteps = kDefaults[103];
std::wstring MsgRepairNothing = kDefaults[104];
std::wstring MsgRepairRunning = kDefaults[105];
std::wstring MsgAttributesChangedCount = kDefaults[106];
std::wstring MsgAttributesNothingChanged = kDefaults[107];
std::wstring MsgScanningDrives = kDefaults[108];
std::wstring MsgProtectionOffNoScan = kDefaults[109];
std::wstring MsgAntivirusNotStarted = kDefaults[110];
std::wstring MsgConfirmDeleteFile = kDefaults[111];
std::wstring MsgConfirmDeleteSuspects = kDefaults[112];
std::wstring MsgFindingGone = kDefaults[113];
std::wstring MsgFindingDriveGone = kDefaults[114];
std::wstring MsgThreatsDeletedCount = kDefaults[115];
std::wstring MsgSuspectsDeletedCount = kDefaults[116];
std::wstring MsgConfirmEraseStored = kDefaults[117];
std::wstring MsgConfirmEmptyQuarantine = kDefaults[118];
std::wstring MsgProtectionFolderNameTaken = kDefaults[119];
std::wstring MsgScanProgress = kDefaults[120];
std::wstring MsgTrayFindings = kDefaults[121];
std::wstring MsgTrayScanning = kDefaults[122];
std::wstring MsgTrayUnprotected = kDefaults[123];
std::wstring MsgAutoQuarantinedCount = kDefaults[124];
std::wstring MsgAutoDeletedCount = kDefaults[125];
std::wstring MsgAutoFailedCount = kDefaults[126];
std::wstring MsgRestoreOriginGone = kDefaults[127];
std::wstring MsgSetByOrganisation = kDefaults[128];
std::wstring MsgProtectionSetByOrganisation = kDefaults[129];
std::wstring MsgLogActThreat = kDefaults[130];
std::wstring MsgLogActRiskFile = kDefaults[131];
std::wstring MsgLogActThreatNoMore = kDefaults[132];
std::wstring MsgLogActRiskFileNoMore = kDefaults[133];
std::wstring MsgLogActDriveRemoved = kDefaults[134];
std::wstring MsgLogActDeleteThreat = kDefaults[135];
std::wstring MsgLogActDeleteRiskFile = kDefaults[136];
std::wstring MsgLogActDeleteAuto = kDefaults[137];
std::wstring MsgLogActQuarantineAuto = kDefaults[138];
std::wstring MsgLogActDeleteFailed = kDefaults[139];
std::wstring MsgLogActQuarantineFailed = kDefaults[140];
std::wstring MsgLogActDeleteMissing = kDefaults[141];
std::wstring MsgLogActDeleteDriveGone = kDefaults[142];
std::wstring MsgLogActQuarantineErase = kDefaults[143];
std::wstring MsgLogActQuarantineEraseFailed = kDefaults[144];
std::wstring MsgLogActQuarantineEmptied = kDefaults[145];
std::wstring MsgLogActRestore = kDefaults[146];
std::wstring MsgLogActRestoreFailed = kDefaults[147];
std::wstring MsgLogActError = kDefaults[148];
std::wstring MsgLogActScanStart = kDefaults[149];
std::wstring MsgLogActScanEnd = kDefaults[150];
std::wstring MsgLogActScanStopped = kDefaults[151];
std::wstring MsgLogActScanIncomplete = kDefaults[152];
std::wstring MsgLogActRepairStart = kDefaults[153];
std::wstring MsgLogActRepairEnd = kDefaults[154];
std::wstring MsgLogActRepairIncomplete = kDefaults[155];
std::wstring MsgLogActRepairQuarantined = kDefaults[156];
std::wstring MsgLogActRepairMoved = kDefaults[157];
std::wstring MsgLogActRepairUnhidden = kDefaults[158];
std::wstring MsgLogActRepairRemoved = kDefaults[159];
std::wstring MsgLogActRepairKept = kDefaults[160];
std::wstring MsgLogActRepairFailed = kDefaults[161];
std::wstring MsgLogActProtectionOn = kDefaults[162];
std::wstring MsgLogActProtectionOff = kDefaults[163];
std::wstring MsgLogActElevation = kDefaults[164];
std::wstring MsgLogActElevationFailed = kDefaults[165];
std::wstring MsgLogCutShort = kDefaults[166];
std::wstring MsgLogOpenFailed = kDefaults[167];

std::wstring* const CatalogueTable[kCatalogueSize] = {
    &MsgAlertTitle,
    &MsgInactive,
    &MsgProtectionActive,
    &MsgProtectionDisabled,
    &MsgSuspectDeleted,
    &MsgThreatDeleted,
    &MsgAllSuspectsDeleted,
    &MsgAllThreatsDeleted,
    &MsgThreatQuarantined,
    &MsgSuspectQuarantined,
    &MsgFileQuarantined,
    &MsgSuccessTitle,
    &MsgAttributesChanged,
    &MsgProtectionFolderCreated,
    &MsgThreatsDetected,
    &MsgNoThreatDetected,
    &MsgInformationTitle,
    &MsgScanStopped,
    &MsgScanSummary,
    &MsgQuarantineEmptied,
    &MsgQuarantineFilesDeleted,
    &MsgFileRestored,
    &MsgDisabled,
    &MsgActive,
    &MsgWarningTitle,
    &MsgSystemUnprotected,
    &MsgNoUsbDrive,
    &MsgKindThreat,
    &MsgKindSuspect,
    &MsgConfirmDelete,
    &MsgSelectFolder,
    &MsgStoppingScan,
    &MsgRestartForLanguage,
    &MsgElevationRequired,
    &MsgElevationTitle,
    &MsgProtectionFolderNote,
    &MsgProtectionFolderBanner,
    &MsgProtectionFolderText,
    &MsgAttributeChangeWarning,
    &MsgConfirmationTitle,
    &MsgScanning,
    &MsgScanningDrive,
    &MsgExcludeDriveWarning,
    &MsgThoroughSuffix,
    &MsgQuarantineSize,
    &MsgWelcomeTitle,
    &MsgWelcomeText,
    &MsgUpdateAbortQuestion,
    &MsgUpdateOnline,
    &MsgUpdateOffline,
    &MsgUpdateTitle,
    &MsgUpdateAvailable,
    &MsgUpdateChecking,
    &MsgUpdateServerNotFound,
    &MsgUpdateFailedTitle,
    &MsgUpdateVisitSite,
    &MsgUpdateUpToDate,
    &MsgUpdateDownloading,
    &MsgUpdateSpeed,
    &MsgUpdateSpeedZero,
    &MsgUpdateErrorTitle,
    &MsgUpdateDownloadError,
    &MsgUpdateCloseInstances,
    &MsgUpdateSavingSetup,
    &MsgDisposeFailed,
    &MsgCopyFailedTitle,
    &MsgRestoreFailed,
    &MsgFailureTitle,
    &MsgAttributesNotChanged,
    &MsgProtectionFolderNotCreated,
    &MsgAntivirusCommandInvalid,
    &MsgUpdateNotChecked,
    &MsgScanIncomplete,
    &MsgRestoreNameTaken,
    &MsgLogNotWritten,
    &MsgWhyAutorunFile,
    &MsgWhyAutorunTarget,
    &MsgWhyHiddenSystemProgram,
    &MsgWhyShortcutToHidden,
    &MsgWhyProgramBesideFolder,
    &MsgWhyInterpreterOnHidden,
    &MsgWhyInterpreterOnDrive,
    &MsgWhyInterpreterConcealed,
    &MsgWhyInterpreterPayload,
    &MsgWhyNamedLikeDrive,
    &MsgWhyNamedLikeHidden,
    &MsgWhyEmptiedRoot,
    &MsgWhyDoubleExtension,
    &MsgWhyBidiName,
    &MsgWhyHiddenProgramByContent,
    &MsgWhyHidingPlaceContent,
    &MsgWhyDisguisingDesktopIni,
    &MsgWhyShortcutTarget,
    &MsgRepairConfirm,
    &MsgRepairDoneTitle,
    &MsgRepairFailedTitle,
    &MsgRepairUnhiddenOne,
    &MsgRepairUnhiddenMany,
    &MsgRepairMovedOne,
    &MsgRepairMovedMany,
    &MsgRepairQuarantinedOne,
    &MsgRepairQuarantinedMany,
    &MsgRepairKept,
    &MsgRepairFailedSteps,
    &MsgRepairNothing,
    &MsgRepairRunning,
    &MsgAttributesChangedCount,
    &MsgAttributesNothingChanged,
    &MsgScanningDrives,
    &MsgProtectionOffNoScan,
    &MsgAntivirusNotStarted,
    &MsgConfirmDeleteFile,
    &MsgConfirmDeleteSuspects,
    &MsgFindingGone,
    &MsgFindingDriveGone,
    &MsgThreatsDeletedCount,
    &MsgSuspectsDeletedCount,
    &MsgConfirmEraseStored,
    &MsgConfirmEmptyQuarantine,
    &MsgProtectionFolderNameTaken,
    &MsgScanProgress,
    &MsgTrayFindings,
    &MsgTrayScanning,
    &MsgTrayUnprotected,
    &MsgAutoQuarantinedCount,
    &MsgAutoDeletedCount,
    &MsgAutoFailedCount,
    &MsgRestoreOriginGone,
    &MsgSetByOrganisation,
    &MsgProtectionSetByOrganisation,
    &MsgLogActThreat,
    &MsgLogActRiskFile,
    &MsgLogActThreatNoMore,
    &MsgLogActRiskFileNoMore,
    &MsgLogActDriveRemoved,
    &MsgLogActDeleteThreat,
    &MsgLogActDeleteRiskFile,
    &MsgLogActDeleteAuto,
    &MsgLogActQuarantineAuto,
    &MsgLogActDeleteFailed,
    &MsgLogActQuarantineFailed,
    &MsgLogActDeleteMissing,
    &MsgLogActDeleteDriveGone,
    &MsgLogActQuarantineErase,
    &MsgLogActQuarantineEraseFailed,
    &MsgLogActQuarantineEmptied,
    &MsgLogActRestore,
    &MsgLogActRestoreFailed,
    &MsgLogActError,
    &MsgLogActScanStart,
    &MsgLogActScanEnd,
    &MsgLogActScanStopped,
    &MsgLogActScanIncomplete,
    &MsgLogActRepairStart,
    &MsgLogActRepairEnd,
    &MsgLogActRepairIncomplete,
    &MsgLogActRepairQuarantined,
    &MsgLogActRepairMoved,
    &MsgLogActRepairUnhidden,
    &MsgLogActRepairRemoved,
    &MsgLogActRepairKept,
    &MsgLogActRepairFailed,
    &MsgLogActProtectionOn,
    &MsgLogActProtectionOff,
    &MsgLogActElevation,
    &MsgLogActElevationFailed,
    &MsgLogCutShort,
    &MsgLogOpenFailed,
};

const wchar_t* CatalogueDefault(int number) {
  return number >= 1 && number <= kCatalogueSize ? kDefaults[number - 1] : L"";
}

void ResetCatalogue() {
  for (int i = 0; i < kCatalogueSize; ++i) *CatalogueTable[i] = kDefaults[i];
}

void TranslateCatalogue(const TLocEngine& engine) {
  for (int n = 1; n <= kCatalogueSize; ++n) engine.TranslateString(n, *CatalogueTable[n - 1]);
}

std::wstring LanguageFilePath(int languageId, const std::wstring& programFolder) {
  const wchar_t* file = languageId == 0 || languageId == -1 ? L"Languages\\french.lng"
                        : languageId == 1                   ? L"Languages\\english.lng"
                                                            : nullptr;
  if (!file) return {};
  return IncludeTrailingBackslash(programFolder) + file;
}

void StartLanguage(TLocEngine& engine, int languageId, const std::wstring& programFolder, TForm& panel) {
  std::wstring path = LanguageFilePath(languageId, programFolder);
  if (!path.empty()) engine.LoadLanguageFile(path);
  std::wstring caption = panel.Caption();
  engine.TranslateForm(panel);
  panel.SetCaption(caption);
  TranslateCatalogue(engine);
}

}  // namespace dw
