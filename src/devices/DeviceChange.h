// WM_DEVICECHANGE: volumes that arrive get a record and a silent scan, volumes
// that leave are taken out of DriveList.
#pragma once

#include <cstdint>
#include <functional>

#include "state/diskinfo.h"

namespace dw {

constexpr uint32_t kWmDeviceChange = 0x219;
constexpr uintptr_t kDbtDeviceArrival = 0x8000;
constexpr uintptr_t kDbtDeviceRemoveComplete = 0x8004;
constexpr uint32_t kDbtDevtypVolume = 2;
constexpr uint16_t kDbtfMedia = 0x1;
constexpr uint16_t kDbtfNet = 0x2;

// The fields of DEV_BROADCAST_VOLUME that the handler reads.
struct DeviceBroadcast {
  uint32_t devicetype = 0;
  uint32_t unitmask = 0;  // bit 0 = A, ..., bit 25 = Z
  uint16_t flags = 0;     // DBTF_MEDIA, DBTF_NET
};

// Reads the header that WM_DEVICECHANGE's lParam points to (null for messages
// that carry none). Only a volume header at least as long as DEV_BROADCAST_VOLUME
// fills unitmask and flags; anything else leaves them 0.
DeviceBroadcast ReadDeviceBroadcast(const void* header);

struct TDeviceChangeHooks {
  std::function<void()> Refresh;  // the control panel's refreshBt; nothing when empty
  // Starts the silent scan of an arriving record; empty: StartSilentDriveScan.
  std::function<void(const PdiskInfo&)> StartScan;
};

// The handler, on the window thread. Acts on arrivals and completed removals of
// volumes with flags 0, ignores everything else; the result is always 0.
intptr_t HandleDeviceChange(uintptr_t wParam, const DeviceBroadcast& header, const TDeviceChangeHooks& hooks);

}  // namespace dw
