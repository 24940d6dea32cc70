#include "platform/usbdeviceUtils.h"

#include <cwctype>

#include "platform/Platform.h"

namespace dw {

static_assert(kCheckVerifyCode == 0x2D4800);

uint32_t GetDriveBusType(wchar_t letter) {
  std::wstring device = L"\\\\.\\" + std::wstring(1, static_cast<wchar_t>(std::towlower(static_cast<wint_t>(letter)))) + L":";
  return Vol().StorageBusType(device);
}

bool IsDriveReady(const std::wstring& path) {
  size_t colon = path.find(L':');
  if (colon == std::wstring::npos) return false;
  return Vol().DeviceCheck(L"\\\\.\\" + path.substr(0, colon + 1), kCheckVerifyCode);
}

}  // namespace dw
