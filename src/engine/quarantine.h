// The quarantine store: a copy of every disposed-of file with a companion record
// ("<stored name>.info") that holds the path it came from, in the ANSI code page.
//
// The data folder is shared by every user of the PC, so the store trusts nothing
// it finds there: it never follows a link, creates each file only where no entry
// of that name exists, and touches only regular files that it made itself (stored
// files, their records, and the ".partial" copies that become stored files once
// they are whole).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dw {

std::wstring QuarantineFolder();  // DataFolder + "quarantine\"
// True when the store's folder is a link, a junction or a file: nothing is then
// stored, listed, restored or deleted through it.
bool QuarantineFolderRefused();

// Copies path, a regular file that is not a link, into the store. 0 once a copy
// of the source's listed size is stored, checked and named; -1 otherwise (the
// store is then left as it was, and the source exactly as it was).
int CopyToQuarantine(const std::wstring& path);
std::wstring ReadQuarantineInfo(const std::wstring& storedPath);
std::wstring QuarantineDisplayName(const std::wstring& storedName);
uint64_t FileSize64(const std::wstring& path);  // 0 when the file cannot be found
// "(size div 1024) + 1" followed by "ko".
std::wstring QuarantineSizeText(uint64_t bytes);

// Whether name can be a stored entry's own name: it ends with ".quarantine" and
// has no folder, drive or stream part, no wildcard and no character that a
// Windows file name cannot hold.
bool IsStoredEntryName(std::wstring_view name);

struct QuarantineEntry {
  std::wstring storedName;   // run.exe(0).quarantine
  std::wstring displayName;  // run.exe(0)
  std::wstring sourcePath;
  uint64_t size = 0;
  // When it was put in the quarantine (its record's time); nothing without a record.
  std::optional<int64_t> storedTime;
};

// Visits the stored files in file-system order; visit returns false to stop.
// False when the store's folder is refused.
bool ListQuarantineEntries(const std::function<bool(const QuarantineEntry&)>& visit);
// Deletes one stored file (its record stays until the store is emptied). True when gone.
bool EraseQuarantineEntry(const std::wstring& storedName);
// Deletes every file of the store's own. True when all are gone.
bool EmptyQuarantineStore();
// Deletes the stored files named, each with its record, and the records that no
// longer have a stored file; a file stored since the names were taken stays.
// erased is told of each stored file deleted or not (one already gone is not
// told). True when every one told of is gone.
bool EraseQuarantineEntries(const std::vector<std::wstring>& storedNames,
                            const std::function<void(const std::wstring& storedName, bool erased)>& erased);
// The stored name without the ".quarantine" that the store added.
std::wstring RestoredName(const std::wstring& storedName);

enum class RestoreResult {
  Restored,    // the whole copy is in the folder under its restored name
  NameTaken,   // the folder already holds that name; nothing was replaced
  NotFound,    // no stored file of that name
  Failed,      // the copy could not be made; nothing was left in the folder
  FolderGone,  // the place it came from is no longer on the drive (or leads off it)
};
// Copies a stored file into folder (ending with "\") under its restored name,
// never replacing nor writing through what is there. restoredTo, when given, is
// the path it was (or would have been) restored to.
RestoreResult RestoreQuarantineEntry(const std::wstring& storedName, const std::wstring& folder,
                                     std::wstring* restoredTo = nullptr);
// The same, back to the path its record names, under its original name, when that
// path is on the drive at root: each folder of it must still be there, none a link
// or a junction. The record is not trusted to name a place on that drive.
RestoreResult RestoreQuarantineEntryToOrigin(const std::wstring& storedName, const std::wstring& root,
                                             std::wstring* restoredTo = nullptr);

}  // namespace dw
