// Volumes on Linux: the mapped drive letters, described by their DriveOptions.
#pragma once

#include "platform/Platform.h"

namespace dw {

class PosixVolumes : public Volumes {
 public:
  uint32_t LogicalDrives() override;
  uint32_t DriveType(const std::wstring& root) override;
  bool VolumeInformation(const std::wstring& root, VolumeInfo& info) override;
  bool DiskSpace(const std::wstring& root, int64_t& total, int64_t& freeForCaller) override;
  uint32_t StorageBusType(const std::wstring& device) override;
  bool DeviceCheck(const std::wstring& device, uint32_t controlCode) override;
  uint32_t LastError() override;
};

}  // namespace dw
