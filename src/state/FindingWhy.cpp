#include "state/FindingWhy.h"

#include "common/Text.h"
#include "loc/LangLocStrings.h"

namespace dw {

namespace {

struct TReason {
  Why why;
  const char* rule;
  std::wstring* text;
  // As english.lng has it; the command-line scanner speaks English whatever the
  // language files beside it say.
  const wchar_t* english;
};

const TReason kReasons[] = {
    {Why::AutorunFile, "autorun-file", &MsgWhyAutorunFile,
     L"Autorun file that starts programs when the drive is plugged in"},
    {Why::AutorunTarget, "autorun-target", &MsgWhyAutorunTarget, L"Program that the drive's autorun file starts"},
    {Why::HiddenSystemProgram, "hidden-system-program", &MsgWhyHiddenSystemProgram,
     L"Program hidden and marked as a system file"},
    {Why::ShortcutToHidden, "shortcut-to-hidden", &MsgWhyShortcutToHidden, L"Shortcut to the hidden file %s"},
    {Why::ShortcutTarget, "shortcut-to-hidden", &MsgWhyShortcutTarget, L"Hidden file that the shortcut %s opens"},
    {Why::ProgramBesideFolder, "program-beside-folder", &MsgWhyProgramBesideFolder,
     L"Program named after the hidden folder %s"},
    {Why::InterpreterOnHidden, "interpreter-shortcut", &MsgWhyInterpreterOnHidden,
     L"Shortcut that runs %s on a hidden file of this drive"},
    {Why::InterpreterOnDrive, "interpreter-shortcut", &MsgWhyInterpreterOnDrive,
     L"Shortcut that runs %s on a file of this drive"},
    {Why::InterpreterConcealed, "interpreter-shortcut", &MsgWhyInterpreterConcealed,
     L"Shortcut that runs %s and hides what it makes it do"},
    {Why::InterpreterPayload, "interpreter-shortcut", &MsgWhyInterpreterPayload, L"File that the shortcut %s has run"},
    {Why::NamedLikeDrive, "impersonating-launcher", &MsgWhyNamedLikeDrive, L"Launcher that poses as the drive itself"},
    {Why::NamedLikeHidden, "impersonating-launcher", &MsgWhyNamedLikeHidden,
     L"Launcher that poses as the hidden item %s"},
    {Why::EmptiedRoot, "emptied-root", &MsgWhyEmptiedRoot,
     L"The only visible launcher of a drive whose files were hidden"},
    {Why::DoubleExtension, "disguised-name", &MsgWhyDoubleExtension,
     L"Program disguised as a document by a double extension"},
    {Why::BidiName, "disguised-name", &MsgWhyBidiName, L"Name that reverses the text direction to hide its extension"},
    {Why::HiddenProgramByContent, "hiding-place", &MsgWhyHiddenProgramByContent,
     L"Hidden file that holds a program or a script"},
    {Why::HidingPlaceContent, "hiding-place", &MsgWhyHidingPlaceContent, L"Program or script in the hiding folder %s"},
    {Why::DisguisingDesktopIni, "hiding-place", &MsgWhyDisguisingDesktopIni,
     L"desktop.ini that disguises a folder as a part of Windows"},
};

const TReason* Find(Why why) {
  for (const TReason& reason : kReasons) {
    if (reason.why == why) return &reason;
  }
  return nullptr;
}

}  // namespace

std::string_view RuleId(Why why) {
  const TReason* reason = Find(why);
  return reason ? reason->rule : "";
}

std::wstring ReasonText(const TFindingWhy& why) {
  const TReason* reason = Find(why.why);
  return reason ? FormatText(*reason->text, {why.detail}) : L"";
}

std::wstring ReasonEnglish(const TFindingWhy& why) {
  const TReason* reason = Find(why.why);
  return reason ? FormatText(reason->english, {why.detail}) : L"";
}

int ReasonEntry(Why why) {
  const TReason* reason = Find(why);
  if (!reason) return 0;
  for (int n = 1; n <= kCatalogueSize; ++n) {
    if (CatalogueTable[n - 1] == reason->text) return n;
  }
  return 0;
}

void TFindingReasons::Set(int kind, const std::wstring& path, const TFindingWhy& why) {
  std::lock_guard<std::mutex> lock(FLock);
  FItems[{kind, ToLower(path)}] = why;
}

void TFindingReasons::SetIfAbsent(int kind, const std::wstring& path, const TFindingWhy& why) {
  std::lock_guard<std::mutex> lock(FLock);
  FItems.emplace(std::make_pair(kind, ToLower(path)), why);
}

std::optional<TFindingWhy> TFindingReasons::Get(int kind, const std::wstring& path) const {
  std::lock_guard<std::mutex> lock(FLock);
  auto it = FItems.find({kind, ToLower(path)});
  if (it == FItems.end()) return std::nullopt;
  return it->second;
}

std::optional<TFindingWhy> TFindingReasons::Get(const std::wstring& path) const {
  std::optional<TFindingWhy> why = Get(0, path);
  return why ? why : Get(1, path);
}

}  // namespace dw
