#include "support/win32/WineDrives.h"

#include "platform/win32/WindowsSupport.h"

#include <winioctl.h>

#include <cstring>
#include <vector>

namespace dw {

namespace {

// Wine's own extension of the mount manager (include/ddk/mountmgr.h in Wine).
constexpr DWORD kDefineUnixDrive = CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

struct UnixDriveRequest {
  ULONG size;
  ULONG type;
  ULONG fsType;
  DWORD serial;
  ULONGLONG unixDevice;
  WCHAR letter;
  USHORT mountPointOffset;  // a zero-terminated Unix path after the record; 0 for none
  USHORT deviceOffset;
  USHORT labelOffset;
};

bool SendRequest(wchar_t letter, const std::string& unixFolder, uint32_t driveType) {
  std::vector<char> buffer(sizeof(UnixDriveRequest) + unixFolder.size() + 1, '\0');
  UnixDriveRequest request = {};
  request.size = static_cast<ULONG>(buffer.size());
  request.type = driveType;
  request.letter = static_cast<WCHAR>(letter | 0x20);
  if (!unixFolder.empty()) {
    request.mountPointOffset = sizeof(UnixDriveRequest);
    std::memcpy(buffer.data() + sizeof(UnixDriveRequest), unixFolder.c_str(), unixFolder.size());
  }
  std::memcpy(buffer.data(), &request, sizeof(request));

  win32::ScopedKernelHandle manager(CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                                nullptr));
  if (!manager) return false;
  DWORD returned = 0;
  return DeviceIoControl(manager.Get(), kDefineUnixDrive, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr, 0,
                         &returned, nullptr);
}

}  // namespace

bool DefineWineDrive(wchar_t letter, const std::string& unixFolder, uint32_t driveType) {
  return !unixFolder.empty() && SendRequest(letter, unixFolder, driveType);
}

bool RemoveWineDrive(wchar_t letter) { return SendRequest(letter, "", DRIVE_NO_ROOT_DIR); }

bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool WaitForWineDrive(wchar_t letter, int timeoutMs) {
  const wchar_t root[] = {letter, L':', L'\\', 0};
  const wchar_t expected = static_cast<wchar_t>(letter & ~0x20);
  for (int waited = 0;; waited += 20) {
    win32::ScopedKernelHandle folder(CreateFileW(root, FILE_READ_ATTRIBUTES,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    wchar_t path[MAX_PATH] = {};
    DWORD length = folder ? GetFinalPathNameByHandleW(folder.Get(), path, MAX_PATH, 0) : 0;
    // "\\?\H:\"
    if (length >= 6 && length < MAX_PATH && (path[4] & ~0x20) == expected && path[5] == L':') return true;
    if (waited >= timeoutMs) return false;
    Sleep(20);
  }
}

}  // namespace dw
