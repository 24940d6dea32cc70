// Why a file is a finding: the rule that made it, kept for scripts under a stable
// id, and one sentence that tells the user what the file does.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace dw {

enum class Why : uint8_t {
  None,
  // The classic rules.
  AutorunFile,          // the root's autorun.inf or autorun.ini
  AutorunTarget,        // a program its open, shellexecute or shell\verb\command starts
  HiddenSystemProgram,  // a hidden system file with a program's extension
  ShortcutToHidden,     // a visible shortcut whose target is hidden; detail: the target's name
  ShortcutTarget,       // that hidden target; detail: the shortcut's name
  ProgramBesideFolder,  // NAME.exe beside a hidden folder NAME; detail: the folder's name
  // Today's worms.
  InterpreterOnHidden,     // a shortcut that hands a hidden file of the drive to an interpreter; detail: cmd.exe
  InterpreterOnDrive,      // the same with a file that is not hidden; detail: the interpreter
  InterpreterConcealed,    // an interpreter shortcut with padded arguments or a minimised window
  InterpreterPayload,      // what such a shortcut hands over; detail: the shortcut's name
  NamedLikeDrive,          // a launcher named like the drive or a device
  NamedLikeHidden,         // a launcher named like a hidden sibling; detail: the sibling's name
  EmptiedRoot,             // the only visible launcher of a root whose user files are hidden
  DoubleExtension,         // a program named like a document (photos.jpg.exe)
  BidiName,                // a name with text-direction controls
  HiddenProgramByContent,  // a hidden file of the root that is a program or script by its content
  HidingPlaceContent,      // a program or script inside a hiding folder; detail: the folder's name
  DisguisingDesktopIni,    // a desktop.ini that makes a folder look like a system item
};

struct TFindingWhy {
  Why why = Why::None;
  std::wstring detail;  // what the sentence's %s stands for
};

// The stable id of the rule behind why ("interpreter-shortcut"); several reasons
// may share one rule.
std::string_view RuleId(Why why);
// The sentence in the user's language, from the message catalogue.
std::wstring ReasonText(const TFindingWhy& why);
// The same sentence in English, whatever the language: the command-line scanner's.
std::wstring ReasonEnglish(const TFindingWhy& why);
// The catalogue entry (1-based) of why's sentence; 0 for Why::None.
int ReasonEntry(Why why);

// The reason of each listed finding, by its kind (a threat, a suspicious file)
// and path, letter case aside: one file may be listed as both, for two reasons.
class TFindingReasons {
 public:
  void Set(int kind, const std::wstring& path, const TFindingWhy& why);
  void SetIfAbsent(int kind, const std::wstring& path, const TFindingWhy& why);
  std::optional<TFindingWhy> Get(int kind, const std::wstring& path) const;
  // Of either kind, a threat's first.
  std::optional<TFindingWhy> Get(const std::wstring& path) const;

 private:
  mutable std::mutex FLock;
  std::map<std::pair<int, std::wstring>, TFindingWhy> FItems;  // by kind and lower-case path
};

}  // namespace dw
