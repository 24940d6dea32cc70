// The drive record and DriveList, the ordered list of watched drives.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/threadStringlist.h"

namespace dw {

struct diskinfo {
  std::wstring VolName;
  std::wstring FileSysName;  // empty: the volume information was not read
  uint32_t VolSerial = 0;
  uint32_t FileMaxLen = 0;
  uint32_t FileFlags = 0;
  std::wstring DeviceID;  // the upper-case letter's code in decimal ("69" for E)
  std::wstring root;      // lower-case letter, ":" and "\" ("e:\")
  TThreadStringList threat;
  TThreadStringList Risk;
  int32_t devicetype = 0;
  int32_t mCount = 0;
};

// Workers keep the record they use alive after it has left DriveList.
using PdiskInfo = std::shared_ptr<diskinfo>;

// A record for a drive letter, as the drive pass and the arrival make it.
PdiskInfo MakeDiskInfo(wchar_t letter);

// Fills the record's volume fields from the volume at root; false, with the record
// untouched, when the volume cannot be read (the caller decides what that means).
bool ReadVolumeInformation(diskinfo& record, const std::wstring& root);

// Changed on the window thread only; read by workers, hence the lock.
class TDriveList {
 public:
  void Append(PdiskInfo record);
  void Delete(int index);
  int Count() const;
  PdiskInfo Get(int index) const;  // null when index names no record
  // The record of the drive at root, letter case aside; null when none is attached.
  PdiskInfo ByRoot(const std::wstring& root) const;
  std::vector<PdiskInfo> Snapshot() const;
  void Clear();

 private:
  mutable std::mutex FLock;
  std::vector<PdiskInfo> FItems;
};

}  // namespace dw
