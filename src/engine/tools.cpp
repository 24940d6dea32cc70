#include "engine/tools.h"

#include "common/Text.h"
#include "loc/LangLocStrings.h"
#include "state/Elevation.h"
#include "state/Notify.h"

namespace dw {

namespace {

// Resources of the program, never translated.
constexpr std::wstring_view kRecycleBinNames = L"RECYCLE.BIN;RECYCLER;$RECYCLE.BIN";
constexpr std::wstring_view kSystemVolumeInformation = L"System Volume Information";
constexpr std::wstring_view kCheckDiskPrefix = L"found.";

constexpr wchar_t kProtectionFolder[] = L"AUTORUN.INF";
constexpr wchar_t kProtectionNotePattern[] = L"AUTORUN.INF\\%s.txt";

bool IsFolder(uint32_t attributes) { return attributes != kInvalidAttributes && (attributes & kAttrDirectory); }

}  // namespace

bool NeverRepaired(std::wstring_view name) {
  // An occurrence, not an equality: parts such as BIN or CYCLE are kept as well,
  // and the test is case-sensitive, so a lower-case recycler is repaired.
  if (kRecycleBinNames.find(name) != std::wstring_view::npos) return true;
  if (name == kSystemVolumeInformation) return true;
  return name.size() >= kCheckDiskPrefix.size() &&
         AsciiLower(name.substr(0, kCheckDiskPrefix.size())) == kCheckDiskPrefix;
}

TAttributeRepair RepairAttributes(const std::wstring& root, uint32_t mask, const std::function<bool()>& terminated) {
  const bool foldersWanted = (mask & kAttrDirectory) != 0;
  TAttributeRepair result;
  Fs().Find(root + L"*", [&](const FindData& entry) {
    const bool passedOver = (entry.attributes & kAttrDirectory) && !foldersWanted;
    if (!passedOver && (entry.attributes & mask) == mask && !NeverRepaired(entry.name)) {
      const uint32_t repaired = entry.attributes & ~(kAttrHidden | kAttrSystem);
      if (!Fs().SetAttributes(root + entry.name, repaired)) {
        result.complete = false;
        RequestElevation();
        return false;
      }
      ++result.changed;
    }
    return !(terminated && terminated());
  });
  return result;
}

std::wstring ProtectionNotePath(const std::wstring& root) {
  return root + FormatText(kProtectionNotePattern, {MsgProtectionFolderNote});
}

std::string ProtectionNoteBytes() {
  const std::wstring banner = FormatText(MsgProtectionFolderBanner, {std::wstring(kProtectionFolderProduct)});
  return Sys().ToAnsi(banner) + "\r\n" + Sys().ToAnsi(MsgProtectionFolderText) + "\r\n";
}

ProtectionFolderResult MakeProtectionFolder(const std::wstring& root) {
  const std::wstring folder = root + kProtectionFolder;
  if (!Fs().CreateFolder(folder + L"\\")) {
    const uint32_t error = Fs().LastError();
    const uint32_t attributes = Fs().Attributes(folder);
    if (IsFolder(attributes)) return ProtectionFolderResult::AlreadyThere;
    // A file of that name: no rights would make room for the folder.
    if (attributes != kInvalidAttributes) return ProtectionFolderResult::NameTaken;
    // Only rights the program lacks are worth a restart with them.
    if (error == kErrorAccessDenied) RequestElevation();
    return ProtectionFolderResult::NotCreated;
  }
  // The folder protects whether or not it is hidden; hiding it only keeps it out of the way.
  Fs().SetAttributes(folder, kAttrHidden);
  if (!Fs().WriteAll(ProtectionNotePath(root), ProtectionNoteBytes())) return ProtectionFolderResult::NoteNotWritten;
  return ProtectionFolderResult::Created;
}

std::atomic<int> TToolThread::FAlive{0};

TToolThread::TToolThread(int toolId, std::wstring root) : TWorkThread(work_tool), FId(toolId), Froot(std::move(root)) {
  ++FAlive;
}

TToolThread::~TToolThread() { --FAlive; }

void TToolThread::Execute() {
  switch (FId) {
    case kToolRepairFolders:
    case kToolRepairFiles: {
      Synchronize([this] { ConfirmAttributeChange(); });
      if (FmsgboxResult != kIdYes) return;
      const TAttributeRepair done = RepairAttributes(
          Froot, FId == kToolRepairFolders ? kRepairFoldersMask : kRepairFilesMask, [this] { return Terminated(); });
      FFailed = !done.complete;
      FChanged = done.changed;
      break;
    }
    case kToolProtectionFolder:
      switch (MakeProtectionFolder(Froot)) {
        case ProtectionFolderResult::NoteNotWritten: return;
        case ProtectionFolderResult::NotCreated: FFailed = true; break;
        case ProtectionFolderResult::NameTaken: FNameTaken = true; break;
        default: break;
      }
      break;
    case kToolSafeOpen:
      // The plain "open" verb: the drive's own default action (its autorun) is not run.
      Sys().Shell(OwnerWindow::Application, L"open", Froot, L"", L"", kSwShowNormal);
      break;
    default: break;
  }
  Synchronize([this] { ToolFinished(); });
}

void TToolThread::ConfirmAttributeChange() {
  FmsgboxResult = ShowMessageBox(MsgAttributeChangeWarning, MsgConfirmationTitle, kMbYesNoCancel);
}

void TToolThread::ToolFinished() {
  switch (FId) {
    case kToolRepairFolders:
    case kToolRepairFiles:
      // A repair that found nothing to change did not succeed at anything: it says so.
      if (FFailed) {
        ShowNotification(MsgFailureTitle, FormatText(MsgAttributesNotChanged, {Froot}), 1);
      } else if (FChanged == 0) {
        ShowNotification(MsgInformationTitle, FormatText(MsgAttributesNothingChanged, {Froot}), 0);
      } else {
        ShowNotification(MsgSuccessTitle, FormatText(MsgAttributesChangedCount, {Froot, int64_t{FChanged}}), 0);
      }
      break;
    case kToolProtectionFolder:
      if (FNameTaken) {
        ShowNotification(MsgFailureTitle, FormatText(MsgProtectionFolderNameTaken, {Froot}), 1);
      } else if (FFailed) {
        ShowNotification(MsgFailureTitle, FormatText(MsgProtectionFolderNotCreated, {Froot}), 1);
      } else {
        ShowNotification(MsgSuccessTitle, FormatText(MsgProtectionFolderCreated, {Froot}), 0);
      }
      break;
    case kToolSafeOpen:
      if (FOnOpened) FOnOpened();
      break;
    default: break;
  }
}

}  // namespace dw
