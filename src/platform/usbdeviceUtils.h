// Storage queries: which bus a drive hangs on, and whether its medium answers.
#pragma once

#include <cstdint>
#include <string>

namespace dw {

constexpr uint32_t kBusTypeUsb = 7;

constexpr uint32_t MakeControlCode(uint32_t deviceType, uint32_t function, uint32_t method, uint32_t access) {
  return (deviceType << 16) | (access << 14) | (function << 2) | method;
}

// IOCTL_STORAGE_CHECK_VERIFY.
constexpr uint32_t kCheckVerifyCode = MakeControlCode(0x2D, 0x200, 0, 1);

// The storage bus type of a drive letter; 0 when it cannot be obtained.
uint32_t GetDriveBusType(wchar_t letter);
// True when the medium of the drive that path begins with answers.
bool IsDriveReady(const std::wstring& path);

}  // namespace dw
