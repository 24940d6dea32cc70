// The start-up drive pass: every removable drive and USB disk present goes into
// DriveList and gets a silent scan unless it is excluded.
#pragma once

#include <functional>

#include "state/diskinfo.h"

namespace dw {

struct TDrivePassHooks {
  std::function<void()> Refresh;  // the control panel's refreshBt; nothing when empty
  // Starts the scan of one new record; empty: StartSilentDriveScan.
  std::function<void(const PdiskInfo&)> StartScan;
};

// Window thread, once, after the windows exist and before the message loop.
void EnumerateDrives(const TDrivePassHooks& hooks);

// A quick, silent scan of one drive, not entered in WorkThreads.
void StartSilentDriveScan(const PdiskInfo& record);

}  // namespace dw
