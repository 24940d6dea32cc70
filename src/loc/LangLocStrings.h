// The message catalogue: every text the program composes for the user, with
// its French default. Entries are numbered from 1 in this order; a language file's
// "-Strings-" key N replaces entry N once at start-up, then they are read-only.
#pragma once

#include <string>

namespace dw {

extern std::wstring MsgAlertTitle;                  // 1
extern std::wstring MsgInactive;                    // 2
extern std::wstring MsgProtectionActive;            // 3
extern std::wstring MsgProtectionDisabled;          // 4
extern std::wstring MsgSuspectDeleted;              // 5
extern std::wstring MsgThreatDeleted;               // 6
extern std::wstring MsgAllSuspectsDeleted;          // 7
extern std::wstring MsgAllThreatsDeleted;           // 8
extern std::wstring MsgThreatQuarantined;           // 9
extern std::wstring MsgSuspectQuarantined;          // 10
extern std::wstring MsgFileQuarantined;             // 11
extern std::wstring MsgSuccessTitle;                // 12
extern std::wstring MsgAttributesChanged;           // 13
extern std::wstring MsgProtectionFolderCreated;     // 14
extern std::wstring MsgThreatsDetected;             // 15
extern std::wstring MsgNoThreatDetected;            // 16
extern std::wstring MsgInformationTitle;            // 17
extern std::wstring MsgScanStopped;                 // 18
extern std::wstring MsgScanSummary;                 // 19
extern std::wstring MsgQuarantineEmptied;           // 20
extern std::wstring MsgQuarantineFilesDeleted;      // 21
extern std::wstring MsgFileRestored;                // 22
extern std::wstring MsgDisabled;                    // 23
extern std::wstring MsgActive;                      // 24
extern std::wstring MsgWarningTitle;                // 25
extern std::wstring MsgSystemUnprotected;           // 26
extern std::wstring MsgNoUsbDrive;                  // 27
extern std::wstring MsgKindThreat;                  // 28
extern std::wstring MsgKindSuspect;                 // 29
extern std::wstring MsgConfirmDelete;               // 30
extern std::wstring MsgSelectFolder;                // 31
extern std::wstring MsgStoppingScan;                // 32
extern std::wstring MsgRestartForLanguage;          // 33
extern std::wstring MsgElevationRequired;           // 34
extern std::wstring MsgElevationTitle;              // 35
extern std::wstring MsgProtectionFolderNote;        // 36
extern std::wstring MsgProtectionFolderBanner;      // 37
extern std::wstring MsgProtectionFolderText;        // 38
extern std::wstring MsgAttributeChangeWarning;      // 39
extern std::wstring MsgConfirmationTitle;           // 40
extern std::wstring MsgScanning;                    // 41
extern std::wstring MsgScanningDrive;               // 42
extern std::wstring MsgExcludeDriveWarning;         // 43
extern std::wstring MsgThoroughSuffix;              // 44
extern std::wstring MsgQuarantineSize;              // 45
extern std::wstring MsgWelcomeTitle;                // 46
extern std::wstring MsgWelcomeText;                 // 47
extern std::wstring MsgUpdateAbortQuestion;         // 48
extern std::wstring MsgUpdateOnline;                // 49
extern std::wstring MsgUpdateOffline;               // 50
extern std::wstring MsgUpdateTitle;                 // 51
extern std::wstring MsgUpdateAvailable;             // 52
extern std::wstring MsgUpdateChecking;              // 53
extern std::wstring MsgUpdateServerNotFound;        // 54
extern std::wstring MsgUpdateFailedTitle;           // 55
extern std::wstring MsgUpdateVisitSite;             // 56
extern std::wstring MsgUpdateUpToDate;              // 57
extern std::wstring MsgUpdateDownloading;           // 58
extern std::wstring MsgUpdateSpeed;                 // 59
extern std::wstring MsgUpdateSpeedZero;             // 60
extern std::wstring MsgUpdateErrorTitle;            // 61
extern std::wstring MsgUpdateDownloadError;         // 62
extern std::wstring MsgUpdateCloseInstances;        // 63
extern std::wstring MsgUpdateSavingSetup;           // 64
extern std::wstring MsgDisposeFailed;               // 65
extern std::wstring MsgCopyFailedTitle;             // 66
extern std::wstring MsgRestoreFailed;               // 67
extern std::wstring MsgFailureTitle;                // 68
extern std::wstring MsgAttributesNotChanged;        // 69
extern std::wstring MsgProtectionFolderNotCreated;  // 70
extern std::wstring MsgAntivirusCommandInvalid;     // 71
extern std::wstring MsgUpdateNotChecked;            // 72
extern std::wstring MsgScanIncomplete;              // 73
extern std::wstring MsgRestoreNameTaken;            // 74
extern std::wstring MsgLogNotWritten;               // 75
extern std::wstring MsgWhyAutorunFile;              // 76
extern std::wstring MsgWhyAutorunTarget;            // 77
extern std::wstring MsgWhyHiddenSystemProgram;      // 78
extern std::wstring MsgWhyShortcutToHidden;         // 79
extern std::wstring MsgWhyProgramBesideFolder;      // 80
extern std::wstring MsgWhyInterpreterOnHidden;      // 81
extern std::wstring MsgWhyInterpreterOnDrive;       // 82
extern std::wstring MsgWhyInterpreterConcealed;     // 83
extern std::wstring MsgWhyInterpreterPayload;       // 84
extern std::wstring MsgWhyNamedLikeDrive;           // 85
extern std::wstring MsgWhyNamedLikeHidden;          // 86
extern std::wstring MsgWhyEmptiedRoot;              // 87
extern std::wstring MsgWhyDoubleExtension;          // 88
extern std::wstring MsgWhyBidiName;                 // 89
extern std::wstring MsgWhyHiddenProgramByContent;   // 90
extern std::wstring MsgWhyHidingPlaceContent;       // 91
extern std::wstring MsgWhyDisguisingDesktopIni;     // 92
extern std::wstring MsgWhyShortcutTarget;           // 93
extern std::wstring MsgRepairConfirm;               // 94
extern std::wstring MsgRepairDoneTitle;             // 95
extern std::wstring MsgRepairFailedTitle;           // 96
extern std::wstring MsgRepairUnhiddenOne;           // 97
extern std::wstring MsgRepairUnhiddenMany;          // 98
extern std::wstring MsgRepairMovedOne;              // 99
extern std::wstring MsgRepairMovedMany;             // 100
extern std::wstring MsgRepairQuarantinedOne;        // 101
extern std::wstring MsgRepairQuarantinedMany;       // 102
extern std::wstring MsgRepairKept;                  // 103
extern std::wstring MsgRepairFailedSteps;           // 104
extern std::wstring MsgRepairNothing;               // 105
extern std::wstring MsgRepairRunning;               // 106
extern std::wstring MsgAttributesChangedCount;      // 107
extern std::wstring MsgAttributesNothingChanged;    // 108
extern std::wstring MsgScanningDrives;              // 109
extern std::wstring MsgProtectionOffNoScan;         // 110
extern std::wstring MsgAntivirusNotStarted;         // 111
extern std::wstring MsgConfirmDeleteFile;           // 112
extern std::wstring MsgConfirmDeleteSuspects;       // 113
extern std::wstring MsgFindingGone;                 // 114
extern std::wstring MsgFindingDriveGone;            // 115
extern std::wstring MsgThreatsDeletedCount;         // 116
extern std::wstring MsgSuspectsDeletedCount;        // 117
extern std::wstring MsgConfirmEraseStored;          // 118
extern std::wstring MsgConfirmEmptyQuarantine;      // 119
extern std::wstring MsgProtectionFolderNameTaken;      // 120
extern std::wstring MsgScanProgress;                   // 121
extern std::wstring MsgTrayFindings;                   // 122
extern std::wstring MsgTrayScanning;                   // 123
extern std::wstring MsgTrayUnprotected;                // 124
extern std::wstring MsgAutoQuarantinedCount;           // 125
extern std::wstring MsgAutoDeletedCount;               // 126
extern std::wstring MsgAutoFailedCount;                // 127
extern std::wstring MsgRestoreOriginGone;              // 128
extern std::wstring MsgSetByOrganisation;              // 129
extern std::wstring MsgProtectionSetByOrganisation;    // 130
extern std::wstring MsgLogActThreat;                   // 131
extern std::wstring MsgLogActRiskFile;                 // 132
extern std::wstring MsgLogActThreatNoMore;             // 133
extern std::wstring MsgLogActRiskFileNoMore;           // 134
extern std::wstring MsgLogActDriveRemoved;             // 135
extern std::wstring MsgLogActDeleteThreat;             // 136
extern std::wstring MsgLogActDeleteRiskFile;           // 137
extern std::wstring MsgLogActDeleteAuto;               // 138
extern std::wstring MsgLogActQuarantineAuto;           // 139
extern std::wstring MsgLogActDeleteFailed;             // 140
extern std::wstring MsgLogActQuarantineFailed;         // 141
extern std::wstring MsgLogActDeleteMissing;            // 142
extern std::wstring MsgLogActDeleteDriveGone;          // 143
extern std::wstring MsgLogActQuarantineErase;          // 144
extern std::wstring MsgLogActQuarantineEraseFailed;    // 145
extern std::wstring MsgLogActQuarantineEmptied;        // 146
extern std::wstring MsgLogActRestore;                  // 147
extern std::wstring MsgLogActRestoreFailed;            // 148
extern std::wstring MsgLogActError;                    // 149
extern std::wstring MsgLogActScanStart;                // 150
extern std::wstring MsgLogActScanEnd;                  // 151
extern std::wstring MsgLogActScanStopped;              // 152
extern std::wstring MsgLogActScanIncomplete;           // 153
extern std::wstring MsgLogActRepairStart;              // 154
extern std::wstring MsgLogActRepairEnd;                // 155
extern std::wstring MsgLogActRepairIncomplete;         // 156
extern std::wstring MsgLogActRepairQuarantined;        // 157
extern std::wstring MsgLogActRepairMoved;              // 158
extern std::wstring MsgLogActRepairUnhidden;           // 159
extern std::wstring MsgLogActRepairRemoved;            // 160
extern std::wstring MsgLogActRepairKept;               // 161
extern std::wstring MsgLogActRepairFailed;             // 162
extern std::wstring MsgLogActProtectionOn;             // 163
extern std::wstring MsgLogActProtectionOff;            // 164
extern std::wstring MsgLogActElevation;                // 165
extern std::wstring MsgLogActElevationFailed;          // 166
extern std::wstring MsgLogCutShort;                    // 167
extern std::wstring MsgLogOpenFailed;                  // 168

constexpr int kCatalogueSize = 168;
// Entry N at position N - 1.
extern std::wstring* const CatalogueTable[kCatalogueSize];
// The defaults, for tests and for resetting.
const wchar_t* CatalogueDefault(int number);
void ResetCatalogue();

class TForm;
class TLocEngine;

// Lets the loaded language file replace the defaults: entry N becomes the file's
// "-Strings-" key N where the file has it. Runs once, before any worker starts.
void TranslateCatalogue(const TLocEngine& engine);

// The language file that languageId selects beside the program: 0 (and -1)
// "Languages\french.lng", 1 "Languages\english.lng"; empty for any other value.
std::wstring LanguageFilePath(int languageId, const std::wstring& programFolder);

// The language steps of the control panel's creation, in their order: load the
// selected file (none for an unknown languageId), translate the panel, give the
// panel back its own caption (other instances find the window by it), then
// translate the catalogue.
void StartLanguage(TLocEngine& engine, int languageId, const std::wstring& programFolder, TForm& panel);

}  // namespace dw
