// The quarantine store: a copy of every disposed-of file with a companion record
// ("<stored name>.info") that holds the path it came from, in the ANSI code page.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace dw {

std::wstring QuarantineFolder();  // DataFolder + "quarantine\"

// Copies path into the store. 0 once a copy of the source's size is stored,
// -1 otherwise (the store is then left as it was, the source in place).
int CopyToQuarantine(const std::wstring& path);
std::wstring ReadQuarantineInfo(const std::wstring& storedPath);
std::wstring QuarantineDisplayName(const std::wstring& storedName);
uint64_t FileSize64(const std::wstring& path);  // 0 when the file cannot be found
// "(size div 1024) + 1" followed by "ko".
std::wstring QuarantineSizeText(uint64_t bytes);

struct QuarantineEntry {
  std::wstring storedName;   // run.exe(0).quarantine
  std::wstring displayName;  // run.exe(0)
  std::wstring sourcePath;
  uint64_t size = 0;
};

// Visits the stored files in file-system order; visit returns false to stop.
void ListQuarantineEntries(const std::function<bool(const QuarantineEntry&)>& visit);
// Deletes one stored file (its record stays until the store is emptied). True when gone.
bool EraseQuarantineEntry(const std::wstring& storedName);
// Deletes every file of the store. True when all are gone.
bool EmptyQuarantineStore();
// The stored name without the ".quarantine" that the store added.
std::wstring RestoredName(const std::wstring& storedName);
// Copies a stored file into folder (ending with "\") under its restored name,
// replacing a file of that name. True only when the copy is there, complete.
bool RestoreQuarantineEntry(const std::wstring& storedName, const std::wstring& folder);

}  // namespace dw
