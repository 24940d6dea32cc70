#include "devices/DrivePass.h"

#include "engine/scanthread.h"
#include "platform/Platform.h"
#include "platform/usbdeviceUtils.h"
#include "state/SharedState.h"

namespace dw {

namespace {

bool IsWatchedDriveType(wchar_t letter, uint32_t type) {
  if (type == kDriveRemovable) return true;
  return type == kDriveFixed && GetDriveBusType(letter) == kBusTypeUsb;
}

}  // namespace

void StartSilentDriveScan(const PdiskInfo& record) { StartWorker(new TScanThread(false, true, record), nullptr); }

void EnumerateDrives(const TDrivePassHooks& hooks) {
  uint32_t mask = Vol().LogicalDrives();
  for (int bit = 0; bit < 26; ++bit) {
    if ((mask & (1u << bit)) == 0) continue;
    wchar_t lower = static_cast<wchar_t>(L'a' + bit);
    wchar_t upper = static_cast<wchar_t>(L'A' + bit);
    uint32_t type = Vol().DriveType(std::wstring(1, lower) + L":\\");
    if (!IsWatchedDriveType(lower, type)) continue;

    PdiskInfo record = MakeDiskInfo(upper);
    record->devicetype = static_cast<int32_t>(type);
    if (!ReadVolumeInformation(*record, std::wstring(1, upper) + L":\\")) continue;

    State().DriveList.Append(record);
    if (hooks.Refresh) hooks.Refresh();
    if (State().ExcludedDrives.Contains(record->root)) continue;
    if (hooks.StartScan) {
      hooks.StartScan(record);
    } else {
      StartSilentDriveScan(record);
    }
  }
}

}  // namespace dw
