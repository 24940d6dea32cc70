// The repair tools: give back the folders and files that autorun malware hid on
// a drive's root, occupy the name autorun.inf with a protection folder, and open
// a drive without its autorun. Each run is one TToolThread for one drive.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/Platform.h"
#include "state/workthreads.h"

namespace dw {

constexpr int kToolRepairFolders = 0;
constexpr int kToolProtectionFolder = 1;
constexpr int kToolSafeOpen = 2;
constexpr int kToolRepairFiles = 3;

// Attributes an entry must carry all of to be repaired. Without the directory
// bit, folders are passed over.
constexpr uint32_t kRepairFoldersMask = kAttrDirectory | kAttrHidden | kAttrSystem;
constexpr uint32_t kRepairFilesMask = kAttrHidden | kAttrSystem;

// The product name written into the protection folder's note.
inline constexpr wchar_t kProtectionFolderProduct[] = L"DRIVEWARDEN";

// The recycle bins, the volume's own system folder and check-disk's recovery
// folders keep their attributes.
bool NeverRepaired(std::wstring_view name);

struct TAttributeRepair {
  int changed = 0;       // entries that had hidden and system taken off
  bool complete = true;  // false: an entry could not be changed
};

// Takes hidden and system off the root's own entries that carry every attribute
// of mask (never descending into folders). A change that fails asks for
// elevation and ends the walk; so does terminated() between entries.
TAttributeRepair RepairAttributes(const std::wstring& root, uint32_t mask,
                                  const std::function<bool()>& terminated = {});

enum class ProtectionFolderResult {
  Created,         // the folder, hidden, with its note
  AlreadyThere,    // a folder of that name existed: nothing was changed
  NameTaken,       // a file holds the name: nothing was changed, and no rights would help
  NotCreated,      // no such folder and none could be made (elevation asked for when access was denied)
  NoteNotWritten,  // the folder stays, hidden, without its note
};

// The hidden folder root + "AUTORUN.INF\" and its note file, in the current language.
ProtectionFolderResult MakeProtectionFolder(const std::wstring& root);
// The note file's path and its bytes in the ANSI code page.
std::wstring ProtectionNotePath(const std::wstring& root);
std::string ProtectionNoteBytes();

class TToolThread : public TWorkThread {
 public:
  // root: a letter, ":" and "\" in either case, as the starter has it.
  TToolThread(int toolId, std::wstring root);
  ~TToolThread() override;

  // Tool workers that exist, registered or not: the tray starts some without
  // registering them, and only this tells when they have all ended.
  static int Alive() { return FAlive.load(); }

  int FId;
  std::wstring Froot;
  int FmsgboxResult = 0;
  // Run on the window thread after the safe open was handed to the shell (the
  // control panel minimises itself there).
  std::function<void()> FOnOpened;

 protected:
  void Execute() override;

 private:
  // Window-thread steps.
  void ConfirmAttributeChange();
  void ToolFinished();

  bool FFailed = false;
  int FChanged = 0;
  bool FNameTaken = false;
  static std::atomic<int> FAlive;
};

}  // namespace dw
