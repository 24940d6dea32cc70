#include "state/diskinfo.h"

#include <cwctype>

#include "common/Text.h"
#include "platform/Platform.h"

namespace dw {

PdiskInfo MakeDiskInfo(wchar_t letter) {
  auto record = std::make_shared<diskinfo>();
  wchar_t upper = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(letter)));
  record->DeviceID = std::to_wstring(static_cast<int>(upper));
  record->root = std::wstring(1, static_cast<wchar_t>(std::towlower(static_cast<wint_t>(letter)))) + L":\\";
  return record;
}

bool ReadVolumeInformation(diskinfo& record, const std::wstring& root) {
  VolumeInfo info;
  if (!Vol().VolumeInformation(root, info)) return false;
  record.VolName = info.name;
  record.FileSysName = info.fileSystem;
  record.VolSerial = info.serial;
  record.FileMaxLen = info.maxComponentLength;
  record.FileFlags = info.flags;
  return true;
}

void TDriveList::Append(PdiskInfo record) {
  std::lock_guard<std::mutex> lock(FLock);
  FItems.push_back(std::move(record));
}

void TDriveList::Delete(int index) {
  std::lock_guard<std::mutex> lock(FLock);
  if (index >= 0 && index < static_cast<int>(FItems.size())) FItems.erase(FItems.begin() + index);
}

int TDriveList::Count() const {
  std::lock_guard<std::mutex> lock(FLock);
  return static_cast<int>(FItems.size());
}

PdiskInfo TDriveList::Get(int index) const {
  std::lock_guard<std::mutex> lock(FLock);
  if (index < 0 || index >= static_cast<int>(FItems.size())) return nullptr;
  return FItems[static_cast<size_t>(index)];
}

PdiskInfo TDriveList::ByRoot(const std::wstring& root) const {
  std::lock_guard<std::mutex> lock(FLock);
  for (const PdiskInfo& record : FItems)
    if (EqualsNoCase(record->root, root)) return record;
  return nullptr;
}

std::vector<PdiskInfo> TDriveList::Snapshot() const {
  std::lock_guard<std::mutex> lock(FLock);
  return FItems;
}

void TDriveList::Clear() {
  std::lock_guard<std::mutex> lock(FLock);
  FItems.clear();
}

}  // namespace dw
