#include "platform/win32/Win32Volumes.h"

#include "platform/win32/WindowsSupport.h"

#include <cstring>

namespace dw {

using win32::ScopedKernelHandle;

namespace {

constexpr DWORD kQueryProperty = 0x2D1400;  // IOCTL_STORAGE_QUERY_PROPERTY
constexpr size_t kQuerySize = 18;           // STORAGE_PROPERTY_QUERY: device property, standard query
constexpr size_t kDescriptorSize = 1024;
constexpr size_t kDescriptorSizeField = 4;
constexpr size_t kBusTypeOffset = 28;  // STORAGE_DEVICE_DESCRIPTOR.BusType

// No "insert a disk" dialog while a drive without a medium is asked; the previous
// mode comes back on every way out.
class CriticalErrorsSilenced {
 public:
  CriticalErrorsSilenced() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
  ~CriticalErrorsSilenced() { SetErrorMode(previous_); }
  CriticalErrorsSilenced(const CriticalErrorsSilenced&) = delete;
  CriticalErrorsSilenced& operator=(const CriticalErrorsSilenced&) = delete;

 private:
  UINT previous_;
};

}  // namespace

uint32_t Win32Volumes::LogicalDrives() { return GetLogicalDrives(); }

uint32_t Win32Volumes::DriveType(const std::wstring& root) { return GetDriveTypeW(root.c_str()); }

bool Win32Volumes::VolumeInformation(const std::wstring& root, VolumeInfo& info) {
  wchar_t name[MAX_PATH + 1] = {};
  wchar_t fileSystem[MAX_PATH + 1] = {};
  DWORD serial = 0, maxLength = 0, flags = 0;
  if (!GetVolumeInformationW(root.c_str(), name, MAX_PATH, &serial, &maxLength, &flags, fileSystem, MAX_PATH)) {
    return false;
  }
  info = VolumeInfo{name, fileSystem, serial, maxLength, flags};
  return true;
}

bool Win32Volumes::DiskSpace(const std::wstring& root, int64_t& total, int64_t& freeForCaller) {
  ULARGE_INTEGER available, totalBytes;
  if (!GetDiskFreeSpaceExW(root.c_str(), &available, &totalBytes, nullptr)) return false;
  total = static_cast<int64_t>(totalBytes.QuadPart);
  freeForCaller = static_cast<int64_t>(available.QuadPart);
  return true;
}

uint32_t Win32Volumes::StorageBusType(const std::wstring& device) {
  CriticalErrorsSilenced silenced;
  ScopedKernelHandle volume(
      CreateFileW(device.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!volume) return 0;
  unsigned char query[kQuerySize] = {};
  unsigned char descriptor[kDescriptorSize] = {};
  uint32_t size = kDescriptorSize;
  std::memcpy(descriptor + kDescriptorSizeField, &size, sizeof(size));
  DWORD returned = 0;
  if (!DeviceIoControl(volume.Get(), kQueryProperty, query, sizeof(query), descriptor, sizeof(descriptor), &returned,
                       nullptr)) {
    return 0;
  }
  uint32_t busType = 0;
  std::memcpy(&busType, descriptor + kBusTypeOffset, sizeof(busType));
  return busType;
}

bool Win32Volumes::DeviceCheck(const std::wstring& device, uint32_t controlCode) {
  ScopedKernelHandle volume(CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!volume) return false;
  DWORD returned = 0;
  if (DeviceIoControl(volume.Get(), controlCode, nullptr, 0, nullptr, 0, &returned, nullptr)) return true;
  // A device that cannot be asked (Wine's drives, some virtual ones) has no
  // medium to lose: it answered the open, so it is there.
  return GetLastError() == ERROR_NOT_SUPPORTED;
}

uint32_t Win32Volumes::LastError() { return GetLastError(); }

}  // namespace dw
