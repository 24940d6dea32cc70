#include "devices/DeviceChange.h"

#include <cstring>

#include "devices/DrivePass.h"
#include "engine/disposal.h"
#include "platform/Platform.h"
#include "state/SharedState.h"

namespace dw {

namespace {

constexpr size_t kVolumeHeaderSize = 18;  // up to and including dbcv_flags

template <typename T>
T ReadAt(const unsigned char* bytes, size_t offset) {
  T value;
  std::memcpy(&value, bytes + offset, sizeof value);
  return value;
}

void Refresh(const TDeviceChangeHooks& hooks) {
  if (hooks.Refresh) hooks.Refresh();
}

void VolumeArrived(wchar_t letter, const TDeviceChangeHooks& hooks) {
  PdiskInfo record = MakeDiskInfo(letter);
  // The scan's first step waits for the window thread, which it gets only after
  // this handler returns: by then the record below is complete.
  if (hooks.StartScan) {
    hooks.StartScan(record);
  } else {
    StartSilentDriveScan(record);
  }
  Sys().Sleep(1000);

  if (!ReadVolumeInformation(*record, std::wstring(1, letter) + L":\\")) {
    LogItem(L"error msg", Sys().ErrorMessage(Vol().LastError()));
    Refresh(hooks);
    return;
  }
  State().DriveList.Append(record);
  Refresh(hooks);
}

void VolumeRemoved(wchar_t letter, const TDeviceChangeHooks& hooks) {
  const std::wstring root = std::wstring(1, letter) + L":\\";
  std::vector<PdiskInfo> drives = State().DriveList.Snapshot();
  for (size_t i = 0; i < drives.size(); ++i) {
    if (drives[i]->root != root) continue;
    State().DriveList.Delete(static_cast<int>(i));
    // Its findings can no longer be disposed of; the drive's next arrival scans it again.
    for (const std::wstring& path : ForgetDriveFindings(drives[i]->root)) LogItem(L"Menace/driveRemoved", path);
    Refresh(hooks);
    return;
  }
}

}  // namespace

DeviceBroadcast ReadDeviceBroadcast(const void* header) {
  DeviceBroadcast broadcast;
  if (!header) return broadcast;
  const auto* bytes = static_cast<const unsigned char*>(header);
  uint32_t size = ReadAt<uint32_t>(bytes, 0);
  broadcast.devicetype = ReadAt<uint32_t>(bytes, 4);
  // Other device types bring shorter headers: read no further than they reach.
  if (broadcast.devicetype != kDbtDevtypVolume || size < kVolumeHeaderSize) return broadcast;
  broadcast.unitmask = ReadAt<uint32_t>(bytes, 12);
  broadcast.flags = ReadAt<uint16_t>(bytes, 16);
  return broadcast;
}

intptr_t HandleDeviceChange(uintptr_t wParam, const DeviceBroadcast& header, const TDeviceChangeHooks& hooks) {
  if (wParam != kDbtDeviceArrival && wParam != kDbtDeviceRemoveComplete) return 0;
  // A medium changed in a drive already there, or a network volume.
  if (header.devicetype != kDbtDevtypVolume || header.flags != 0) return 0;
  for (int bit = 0; bit < 26; ++bit) {
    if ((header.unitmask & (1u << bit)) == 0) continue;
    if (wParam == kDbtDeviceArrival) {
      VolumeArrived(static_cast<wchar_t>(L'A' + bit), hooks);
    } else {
      VolumeRemoved(static_cast<wchar_t>(L'a' + bit), hooks);
    }
  }
  return 0;
}

}  // namespace dw
