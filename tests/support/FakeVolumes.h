// Volumes described by the test: type, bus, label, readiness and size per letter.
#pragma once

#include <map>
#include <mutex>

#include "platform/Platform.h"

namespace dw::test {

struct FakeVolume {
  uint32_t driveType = kDriveRemovable;
  uint32_t busType = 7;   // USB
  bool hasMedium = true;  // false: GetVolumeInformationW fails (an empty card reader)
  VolumeInfo info{L"USBSTICK", L"FAT32", 0x1234ABCD, 255, 0};
  int64_t total = 8LL * 1024 * 1024 * 1024;
  int64_t freeBytes = 2LL * 1024 * 1024 * 1024;
  int notReadyChecks = 0;           // how many readiness checks fail before the drive answers
  uint32_t error = kErrorNotReady;  // LastError after a failed call on this volume
};

class FakeVolumes : public Volumes {
 public:
  void Add(wchar_t letter, FakeVolume volume = {});
  void Remove(wchar_t letter);
  int ReadinessChecks(wchar_t letter);

  uint32_t LogicalDrives() override;
  uint32_t DriveType(const std::wstring& root) override;
  bool VolumeInformation(const std::wstring& root, VolumeInfo& info) override;
  bool DiskSpace(const std::wstring& root, int64_t& total, int64_t& freeForCaller) override;
  uint32_t StorageBusType(const std::wstring& device) override;
  bool DeviceCheck(const std::wstring& device, uint32_t controlCode) override;
  uint32_t LastError() override;

 private:
  FakeVolume* Find(const std::wstring& path);  // by the first drive letter in path
  std::mutex mutex_;
  std::map<wchar_t, FakeVolume> volumes_;
  std::map<wchar_t, int> checks_;
};

}  // namespace dw::test
